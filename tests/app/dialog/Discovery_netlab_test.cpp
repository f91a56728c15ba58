// A search answered by a swarm of readers at the same moment, on real UDP in the lab:
// kestrival-sim --swarm N (one namespace holding N addresses) and kestrival-headless in the
// tool's namespace. Every reply of a 1000-reader swarm must be listed, in every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/kernel.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::NetLab;

fs::path BinDir() {
  const char* bin = std::getenv("KESTRIVAL_BINARY_DIR");
  return bin ? fs::path(bin) / "bin" : fs::path(platform::ExecutablePath()).parent_path();
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Entries of "items":[...] in the driver's answer to "get 1004"; -1 without one.
long ListedLines(const std::string& out) {
  const std::string key = "\"id\":1004,";
  const auto line = out.find(key);
  if (line == std::string::npos) return -1;
  const auto at = out.find("\"items\":[", line);
  if (at == std::string::npos) return -1;
  const auto begin = at + 9;
  const auto end = out.find(']', begin);
  if (end == std::string::npos) return -1;
  if (end == begin) return 0;
  return static_cast<long>(std::count(out.begin() + static_cast<long>(begin),
                                      out.begin() + static_cast<long>(end), ',')) +
         1;
}

struct Burst {
  const char* name;
  std::size_t readers;
  int runs;
};

class DiscoveryBurst : public ::testing::TestWithParam<Burst> {};

TEST_P(DiscoveryBurst, EveryReplyIsListedEveryTime) {
  const Burst& row = GetParam();
  std::string why;
  if (!NetLab::Available(&why)) GTEST_SKIP() << "network lab unavailable: " << why;
  testing_support::TempFolder folder;
  fs::copy_file(BinDir() / "kestrival-headless", folder.Path() / "kestrival-headless");
  fs::copy_file(BinDir() / "language.csv", folder.Path() / "language.csv");
  folder.Write("in.txt", "click 1000\npump 2500\nget 1004\nquit\n");

  NetLab lab;
  const auto tool = lab.AddHost("tool");
  const auto swarm = lab.AddHost("swarm");
  lab.Up();
  const auto added = lab.AddAddresses(swarm, row.readers);
  NetLab::SpawnOptions spawn;
  spawn.logPath = (folder.Path() / "swarm.log").string();
  lab.Spawn(swarm,
            {(BinDir() / "kestrival-sim").string(), "--swarm", std::to_string(row.readers),
             "--first-address", NetLab::FormatAddress(added.front()), "--label", "S"},
            spawn);
  const auto readyBy = std::chrono::steady_clock::now() + 30s;
  while (Read(spawn.logPath).find("ready swarm=") == std::string::npos) {
    ASSERT_LT(std::chrono::steady_clock::now(), readyBy) << Read(spawn.logPath);
    std::this_thread::sleep_for(20ms);
  }

  for (int run = 0; run < row.runs; ++run) {
    const std::string cmd =
        "cd '" + folder.Path().string() + "' && ./kestrival-headless < in.txt > out.txt 2> err.txt";
    ASSERT_EQ(lab.Exec(tool, cmd, nullptr, 120s), 0) << folder.Read("err.txt");
    EXPECT_EQ(ListedLines(folder.Read("out.txt")), static_cast<long>(row.readers))
        << "run " << run + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, DiscoveryBurst,
                         ::testing::Values(Burst{"HundredReaders", 100, 1},
                                           Burst{"ThousandReaders", 1000, 3}),
                         [](const ::testing::TestParamInfo<Burst>& info) {
                           return info.param.name;
                         });

}  // namespace
