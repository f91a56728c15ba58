// kestrival-cli over real UDP: the program in the tool's namespace of a network lab, against
// kestrival-sim readers in namespaces of their own on one bridged segment. Nothing here touches
// the machine's own network; the tests skip, saying why, where namespaces cannot be made.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "params/DevParam.h"
#include "protocol/IpAddress.h"
#include "sim/StateFile.h"
#include "tests/programs/GroupBytes.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"
#include "tests/support/SimReaderLab.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::TempFolder;
using testsupport::NetLab;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

using cli_test::GroupBytes;

class CliLab : public testing_support::SimReaderLab {
 protected:
  CliLab() : SimReaderLab("kestrival-cli") {}

  std::string Command(const std::string& args) const {
    return "cd '" + folder_.Path().string() + "' && " +
           testing_support::ToolCommand("kestrival-cli") + " " + args +
           " --wait 400 > out.txt 2> err.txt";
  }

  // Runs kestrival-cli with these arguments in the tool's namespace; its exit status.
  int Cli(const std::string& args) { return lab_->Exec(tool_, Command(args), nullptr, 120s); }
  std::string Out() const { return testing_support::LinuxLineEnds(folder_.Read("out.txt")); }
  std::string Err() const { return testing_support::LinuxLineEnds(folder_.Read("err.txt")); }
};

TEST_F(CliLab, SearchMarksTwoReadersOfOneLabelAndARecordReportingAnotherAddress) {
  AddReader("r1", {"--label", "Twin"});
  AddReader("r2", {"--label", "Twin"});
  AddReader("r3", {"--label", "Elsewhere", "--address", "172.16.5.5"});
  Start();
  ASSERT_EQ(Cli("search"), 0) << Err();
  const std::string out = Out();
  EXPECT_TRUE(Has(out, "Twin             " + Address(0))) << out;
  EXPECT_TRUE(Has(out, "Twin             " + Address(1))) << out;
  EXPECT_TRUE(Has(out, "Elsewhere        " + Address(2) + "      172.16.5.5")) << out;
  EXPECT_TRUE(Has(out, "reports-other-address")) << out;
  std::istringstream lines(out);
  int sameLabel = 0;
  for (std::string l; std::getline(lines, l);) sameLabel += Has(l, "same-label");
  EXPECT_EQ(sameLabel, 2) << out;
  EXPECT_EQ(Cli("get Twin"), 1);
  EXPECT_TRUE(Has(Err(), "2 readers carry the label \"Twin\"")) << Err();
}

TEST_F(CliLab, GetToAFileThenApplyToTwoOthersAndReadBackEqual) {
  AddReader("src", {"--label", "Source"});
  AddReader("r1", {"--label", "Gate 1"});
  AddReader("r2", {"--label", "Gate 2"});
  Start();
  // The source gets values of its own through the window's path first.
  ASSERT_EQ(Cli("get Source -o source.json"), 0) << Err();
  std::string json = Read(folder_.Path() / "source.json");
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"\"baud_rate\": \"9600\"", "\"baud_rate\": \"57600\""},
           {"\"light\": \"Auto\"", "\"light\": \"Always on\""},
           {"\"high_pulse_us\": 2000", "\"high_pulse_us\": 2500"}}) {
    ASSERT_NE(json.find(from), std::string::npos) << from;
    json.replace(json.find(from), from.size(), to);
  }
  folder_.Write("tweak.json", json);
  ASSERT_EQ(Cli("apply tweak.json Source"), 0) << Err() << Out();
  ASSERT_EQ(Cli("get Source -o source.json"), 0) << Err();
  EXPECT_TRUE(Has(Read(folder_.Path() / "source.json"), "\"baud_rate\": \"57600\""));

  ASSERT_EQ(Cli("apply source.json 'Gate 1' " + Address(2) + " --json"), 0) << Err() << Out();
  EXPECT_TRUE(Has(Err(), "[1/2] " + Address(1) + " Gate 1: set 12 groups, verified")) << Err();
  EXPECT_TRUE(Has(Out(), "\"status\":\"verified\",\"groups_set\":12")) << Out();
  const auto want = GroupBytes(StateOf(0));
  EXPECT_EQ(GroupBytes(StateOf(1)), want);
  EXPECT_EQ(GroupBytes(StateOf(2)), want);
  EXPECT_EQ(FormatDotted(StateOf(1).ipAddr), Address(1));
  EXPECT_FALSE(Has(Read(readers_[1].log), "request 32")) << "the network group is not applied";
}

TEST_F(CliLab, GroupsLimitWhatIsSent) {
  AddReader("src", {"--label", "Source"});
  AddReader("r1", {"--label", "Gate 1"});
  Start();
  ASSERT_EQ(Cli("get Source -o source.json"), 0) << Err();
  ASSERT_EQ(Cli("apply source.json 'Gate 1' --groups wiegand,light"), 0) << Err();
  EXPECT_TRUE(Has(Out(), "Gate 1: verified, 2 groups set")) << Out();
  const std::string log = Read(readers_[1].log);
  EXPECT_TRUE(Has(log, "request 28 on 24680") && Has(log, "request 16 on 24680")) << log;
  for (int other : {6, 8, 10, 12, 14, 18, 22, 32, 38, 40, 42, 44})
    EXPECT_FALSE(Has(log, "request " + std::to_string(other) + " on")) << other << "\n" << log;
}

TEST_F(CliLab, IpFromGivesThreeFactoryReadersConsecutiveAddressesAndReadsThemThere) {
  for (const char* name : {"f1", "f2", "f3"})
    AddReader(name, {"--label", std::string("Factory ") + name, "--address", "192.168.1.100"});
  Start();
  ASSERT_EQ(Cli("get 'Factory f1' -o factory.json"), 0) << Err();
  // 10.201.0.2 to .4 answer the search (the readers), so the addresses begin at .5.
  const pid_t cli = lab_->Spawn(tool_, {"sh", "-c",
                                        Command("apply factory.json 'Factory f1' 'Factory f2' "
                                                "'Factory f3' --groups network --ip-from "
                                                "10.201.0.2 --restart-wait 8000")});
  // A reader that is given a new address restarts there: each namespace's address is moved once
  // its reader has taken the network settings.
  std::vector<bool> moved(readers_.size(), false);
  int status = NetLab::kTimedOut;
  const auto deadline = std::chrono::steady_clock::now() + 90s;
  while (std::chrono::steady_clock::now() < deadline) {
    for (std::size_t i = 0; i < readers_.size(); ++i) {
      if (moved[i] || !Has(Read(readers_[i].log), "request 32 applied")) continue;
      const std::string now = FormatDotted(StateOf(i).ipAddr);
      const Reader& r = readers_[i];
      // The old address first: deleting a primary address takes its secondaries with it.
      ASSERT_EQ(
          lab_->Exec(r.host, "ip addr del " + r.host.addressText + "/16 dev " + r.host.interface +
                                 " && ip addr add " + now + "/16 dev " + r.host.interface),
          0);
      moved[i] = true;
    }
    status = lab_->WaitExit(cli, 20ms);
    if (status != NetLab::kTimedOut) break;
  }
  EXPECT_EQ(status, 0) << Err() << Out();
  EXPECT_EQ(
      Out(),
      readers_[0].host.addressText + " Factory f1 -> 10.201.0.5: verified, 1 group set\n" +
          readers_[1].host.addressText + " Factory f2 -> 10.201.0.6: verified, 1 group set\n" +
          readers_[2].host.addressText + " Factory f3 -> 10.201.0.7: verified, 1 group set\n");
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(StateOf(i).ipAddr, MakeIp32(10, 201, 0, static_cast<std::uint8_t>(5 + i)));
}

TEST_F(CliLab, AReaderThatStopsAnsweringIsNamedAndTheOthersAreVerified) {
  AddReader("src", {"--label", "Source"});
  AddReader("r1", {"--label", "Gate 1"});
  AddReader("r2", {"--label", "Gate 2", "--misbehave", "noreply@42"});
  AddReader("r3", {"--label", "Gate 3"});
  Start();
  ASSERT_EQ(Cli("get Source -o source.json"), 0) << Err();
  EXPECT_EQ(Cli("apply source.json 'Gate 1' 'Gate 2' 'Gate 3' --timeout 500"), 1) << Err();
  EXPECT_TRUE(
      Has(Err(), "[2/3] " + Address(2) + " Gate 2: failed; no reply to qr_code (command 42)"))
      << Err();
  EXPECT_TRUE(Has(Out(), Address(1) + " Gate 1: verified, 12 groups set")) << Out();
  EXPECT_TRUE(Has(Out(), Address(2) + " Gate 2: FAILED; no reply to qr_code")) << Out();
  EXPECT_TRUE(Has(Out(), Address(3) + " Gate 3: verified, 12 groups set")) << Out();
}

TEST_F(CliLab, ADryRunSendsNothing) {
  AddReader("src", {"--label", "Source"});
  AddReader("r1", {"--label", "Gate 1"});
  Start();
  ASSERT_EQ(Cli("get Source -o source.json"), 0) << Err();
  const std::string before = Read(readers_[1].log);
  ASSERT_EQ(Cli("apply source.json " + Address(1) + " --dry-run --groups serial"), 0) << Err();
  EXPECT_TRUE(Has(Out(), Address(1) + ":24680 58585858000000002600000014000000")) << Out();
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(Read(readers_[1].log), before);
  EXPECT_FALSE(Has(Read(readers_[0].log), "request 38")) << Read(readers_[0].log);
}

}  // namespace
