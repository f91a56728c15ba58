// A network lab of kestrival-sim readers, each in a namespace of its own on one bridged segment,
// and a tool host whose folder holds a copy of one built program and language.csv (the Linux
// build's, or the Windows build's, see ToolPrograms.h). Tests skip,
// saying why, where namespaces cannot be made.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "params/DevParam.h"
#include "sim/StateFile.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"
#include "tests/support/TempFolder.h"
#include "tests/support/ToolPrograms.h"

namespace testing_support {

class SimReaderLab : public ::testing::Test {
 protected:
  // toolProgram: the built program copied into the tool's folder.
  explicit SimReaderLab(std::string toolProgram) : toolProgram_(std::move(toolProgram)) {}

  void SetUp() override {
    std::string why;
    if (!testsupport::NetLab::Available(&why)) GTEST_SKIP() << "network lab unavailable: " << why;
    lab_ = std::make_unique<testsupport::NetLab>();
    tool_ = lab_->AddHost("tool");
    for (const std::string& f : {ToolFile(toolProgram_), std::string("language.csv")})
      std::filesystem::copy_file(ToolProgramsFolder() / f, folder_.Path() / f);
  }

  struct Reader {
    testsupport::NetLab::Host host;
    std::vector<std::string> args;
    std::filesystem::path log;
    std::filesystem::path state;
  };

  // A reader host with kestrival-sim and these options (a state file is always given).
  std::size_t AddReader(const std::string& name, std::vector<std::string> args) {
    readers_.push_back(Reader{lab_->AddHost(name), std::move(args),
                              folder_.Path() / (name + ".log"),
                              folder_.Path() / (name + ".state")});
    return readers_.size() - 1;
  }

  // Brings the lab up and starts every reader, each waited for until it says it is ready.
  void Start() {
    lab_->Up();
    for (Reader& r : readers_) StartSim(r.host, r.args, r.log, r.state);
  }

  void StartSim(const testsupport::NetLab::Host& host, std::vector<std::string> args,
                const std::filesystem::path& log, const std::filesystem::path& state) {
    using namespace std::chrono_literals;
    std::vector<std::string> argv{(BuiltProgramsFolder() / "kestrival-sim").string(), "--state",
                                  state.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    testsupport::NetLab::SpawnOptions options;
    options.logPath = log.string();
    lab_->Spawn(host, argv, options);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!Contains(Read(log), "ready") && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(Contains(Read(log), "ready")) << Read(log);
  }

  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  // The record a reader has stored in its state file.
  DEV_PARAM_T StateOf(std::size_t reader) {
    const auto load = sim::LoadState(readers_[reader].state);
    EXPECT_EQ(load.status, sim::StateStatus::Loaded) << load.message;
    return load.record;
  }

  std::string Address(std::size_t reader) const { return readers_[reader].host.addressText; }

  TempFolder folder_;
  std::unique_ptr<testsupport::NetLab> lab_;
  testsupport::NetLab::Host tool_;
  std::vector<Reader> readers_;

 private:
  static bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
  }

  std::string toolProgram_;
};

}  // namespace testing_support
