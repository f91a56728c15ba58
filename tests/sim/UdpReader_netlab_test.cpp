// End to end over real UDP: kestrival-headless in the tool's namespace of a network lab, against
// kestrival-sim readers in namespaces of their own on one bridged segment. The tool runs as on a
// stock kernel (net.core.rmem_max 212992, emulated), so its port is held by a group of sockets.
// Nothing here touches the machine's own network; the tests skip, saying why, where namespaces
// cannot be made.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/resource.h"
#include "platform/Runtime.h"
#include "protocol/IpAddress.h"
#include "sim/StateFile.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"
#include "tests/support/SimReaderLab.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::TempFolder;
using testsupport::NetLab;

// Interface text n of the built language.csv, as the status bar holds it (hex of code page 936).
std::string TextHex(Text text) {
  testing_support::DialogHarness h;
  return testing_support::HexLower(h.InterfaceText(text));
}

bool Has(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

// The stock kernel's limit of the receive buffer, emulated by the tool's runtime.
const std::string kStockKernel = "KESTRIVAL_RMEM_MAX=212992 ";

class ReaderLab : public testing_support::SimReaderLab {
 protected:
  ReaderLab() : SimReaderLab("kestrival-headless") {}

  // Runs the script through kestrival-headless inside the tool's namespace; its output lines.
  std::vector<std::string> RunTool(const std::vector<std::string>& script) {
    std::string text;
    for (const auto& line : script) text += line + "\n";
    folder_.Write("in.txt", text);
    const std::string cmd = "cd '" + folder_.Path().string() + "' && " + kStockKernel +
                            testing_support::ToolCommand("kestrival-headless") +
                            " < in.txt > out.txt 2> err.txt";
    EXPECT_EQ(lab_->Exec(tool_, cmd, nullptr, 120s), 0) << folder_.Read("err.txt");
    std::vector<std::string> lines;
    std::istringstream out(folder_.Read("out.txt"));
    for (std::string l; std::getline(out, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();  // a Windows program's line ends
      lines.push_back(l);
    }
    return lines;
  }
};

TEST_F(ReaderLab, SearchFindsThreeReadersByRealBroadcast) {
  AddReader("r1", {"--label", "North"});
  AddReader("r2", {"--label", "South", "--version", "ver_common_1.0"});
  AddReader("r3", {"--label", "East"});
  Start();
  const auto lines = RunTool({"click 1000", "pump 500", "get 1004", "status"});
  ASSERT_EQ(lines.size(), 4u) << folder_.Read("out.txt");
  EXPECT_TRUE(Has(lines[2], "\"items\":[\"East\",\"North\",\"South\"]")) << lines[2];
  EXPECT_TRUE(Has(lines[3], "\"part0_hex\":\"" + TextHex(Text::Sent) + "\"")) << lines[3];
  for (const Reader& r : readers_)
    EXPECT_TRUE(Has(Read(r.log), "request 2 on 24582")) << Read(r.log);
}

TEST_F(ReaderLab, GetCurrentParametersFillsTheDialog) {
  AddReader("r1", {"--label", "Door"});
  Start();
  const auto lines =
      RunTool({"click 1000", "pump 300", "select 1004 0", "click 1014", "pump 300", "status",
               "get 1007", "get 1013", "get 1044", "get 1048", "get 1036", "get 1056", "get 1027"});
  ASSERT_EQ(lines.size(), 13u) << folder_.Read("out.txt");
  EXPECT_TRUE(Has(lines[5], "\"part0_hex\":\"" + TextHex(Text::ParametersRead) + "\"")) << lines[5];
  EXPECT_TRUE(Has(lines[6], "\"address\":\"" + Address(0) + "\"")) << lines[6];
  EXPECT_TRUE(Has(lines[7], "\"text\":\"server.kestrival.lan\"")) << lines[7];
  EXPECT_TRUE(Has(lines[8], "\"text\":\"400\"")) << lines[8];
  EXPECT_TRUE(Has(lines[9], "\"text\":\"2000\"")) << lines[9];
  EXPECT_TRUE(Has(lines[10], "\"sel\":10")) << lines[10];  // 9600
  EXPECT_TRUE(Has(lines[11], "\"text\":\"ntp.kestrival.lan\"")) << lines[11];
  EXPECT_TRUE(Has(lines[12], "\"enabled\":true")) << lines[12];
  const std::string log = Read(readers_[0].log);
  EXPECT_TRUE(Has(log, "request 0 on 24680") && Has(log, "request 30 on 24680")) << log;
}

TEST_F(ReaderLab, EverySetGroupReachesTheReaderAndReadsBack) {
  AddReader("r1", {"--label", "Door"});
  Start();
  // Each group: its controls, its Set button, then the status text after the reply.
  const std::vector<std::vector<std::string>> groups = {
      {"select 1016 7", "click 1027"},
      {"select 1017 2", "click 1019"},
      {"select 1020 0", "select 1022 1", "click 1021"},
      {"select 1063 0", "type 1049 0d0a", "click 1065"},
      {"type 1050 1b", "click 1066"},
      {"select 1026 1", "click 1030"},
      {"select 1029 2", "click 1028"},
      {"select 1033 1", "click 1032"},
      {"notify 1018 0"},  // the hidden row: what another program could post
      {"notify 1038 0"},
      {"type 1044 800", "type 1048 3000", "click 1035"},
      {"select 1036 15", "select 1034 1", "select 1041 1", "select 1068 0", "select 1067 1",
       "click 1052"},
      {"select 1025 2", "click 1053"},
      {"select 1061 2", "select 1055 1", "select 1054 1", "select 1058 1", "select 1062 7",
       "select 1057 1", "type 1056 ntp2.lab", "type 1059 backup2.lab", "click 1060"},
      {"select 1072 0", "select 1073 0", "type 1070 02", "type 1071 03", "click 1024"},
  };
  std::vector<std::string> script = {"click 1000", "pump 300", "select 1004 0", "click 1014",
                                     "pump 300"};
  std::vector<std::size_t> statusLines;
  for (const auto& g : groups) {
    script.insert(script.end(), g.begin(), g.end());
    script.push_back("pump 150");
    script.push_back("status");
    statusLines.push_back(script.size() - 1);
  }
  // Every value back at its default (the language menu re-applies the texts), then read again.
  const std::vector<std::string> readBack = {
      "rclick 5 5", "menu 3092", "click 1014", "pump 300", "get 1016", "get 1017", "get 1020",
      "get 1022",   "get 1049",  "get 1050",   "get 1026", "get 1029", "get 1033", "get 1044",
      "get 1048",   "get 1036",  "get 1034",   "get 1041", "get 1068", "get 1067", "get 1025",
      "get 1061",   "get 1055",  "get 1062",   "get 1056", "get 1059", "get 1070", "get 1071"};
  const std::size_t first = script.size() + 4;
  script.insert(script.end(), readBack.begin(), readBack.end());
  const auto lines = RunTool(script);
  ASSERT_EQ(lines.size(), script.size()) << folder_.Read("out.txt");

  const std::string ok = "\"part0_hex\":\"" + TextHex(Text::SetSuccessfully) + "\"";
  for (std::size_t i = 0; i < statusLines.size(); ++i)
    EXPECT_TRUE(Has(lines[statusLines[i]], ok)) << "group " << i << ": " << lines[statusLines[i]];

  const std::vector<std::string> expected = {"\"sel\":7",
                                             "\"sel\":2",
                                             "\"sel\":0",
                                             "\"sel\":1",
                                             "\"text\":\"0d0a\"",
                                             "\"text\":\"1b\"",
                                             "\"sel\":1",
                                             "\"sel\":2",
                                             "\"sel\":1",
                                             "\"text\":\"800\"",
                                             "\"text\":\"3000\"",
                                             "\"sel\":15",
                                             "\"sel\":1",
                                             "\"sel\":1",
                                             "\"sel\":0",
                                             "\"sel\":1",
                                             "\"sel\":2",
                                             "\"sel\":2",
                                             "\"sel\":1",
                                             "\"sel\":7",
                                             "\"text\":\"ntp2.lab\"",
                                             "\"text\":\"backup2.lab\"",
                                             "\"text\":\"02\"",
                                             "\"text\":\"03\""};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_TRUE(Has(lines[first + i], expected[i])) << readBack[4 + i] << ": " << lines[first + i];

  const DEV_PARAM_T r = StateOf(0);
  EXPECT_EQ(r.outputFormat, 9);
  EXPECT_EQ(r.cardInputFormat, 3);
  EXPECT_EQ(r.hidEnter, 0);
  EXPECT_EQ(r.hidNewline, 1);
  EXPECT_EQ(r.barPrefixFmt, 0);
  EXPECT_EQ(testing_support::HexLower(std::string(r.barPrefix, 3)), "0d0a00");
  EXPECT_EQ(r.wgLowPulse, 8);
  EXPECT_EQ(r.wgHighPulse, 30);
  EXPECT_EQ(r.baudRate, 115200);
  EXPECT_EQ(r.dataBits, 7);
  EXPECT_EQ(r.stopBits, 2);
  EXPECT_EQ(r.restartSetting, 2);
  EXPECT_EQ(r.qrStartDigit, 7);
  EXPECT_EQ(std::string(r.ntpAddr), "ntp2.lab");
  EXPECT_EQ(r.cardFixFmt, 0);
  EXPECT_EQ(std::string(r.cloudText1), "kestrival-k1");  // the hidden row sent back what it read
  const std::string log = Read(readers_[0].log);
  for (int cmd : {6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 28, 38, 40, 42, 44})
    EXPECT_TRUE(Has(log, "request " + std::to_string(cmd) + " applied")) << cmd << "\n" << log;
}

TEST_F(ReaderLab, NetworkSettingsArriveOnTheDiscoveryPort) {
  AddReader("r1", {"--label", "Door"});
  Start();
  const auto lines = RunTool(
      {"click 1000", "pump 300", "select 1004 0", "click 1014", "pump 300", "ip 1007 10.201.0.99",
       "type 1013 new.server", "type 1039 8080", "click 1006", "pump 300", "status", "click 1000",
       "pump 300", "get 1004", "select 1004 0", "click 1014", "pump 300", "get 1007", "get 1039"});
  ASSERT_EQ(lines.size(), 19u) << folder_.Read("out.txt");
  EXPECT_TRUE(Has(lines[10], "\"part0_hex\":\"" + TextHex(Text::SetSuccessfully) + "\""))
      << lines[10];
  EXPECT_TRUE(Has(lines[13], "\"items\":[\"Door\"]")) << lines[13];
  // The reader still answers from its real address and now reports the new one.
  EXPECT_TRUE(Has(lines[17], "\"address\":\"10.201.0.99\"")) << lines[17];
  EXPECT_TRUE(Has(lines[18], "\"text\":\"8080\"")) << lines[18];
  const std::string log = Read(readers_[0].log);
  EXPECT_TRUE(Has(log, "request 32 on 24582: 96 bytes")) << log;
  EXPECT_FALSE(Has(log, "wrong port")) << log;
  const DEV_PARAM_T r = StateOf(0);
  EXPECT_EQ(r.ipAddr, MakeIp32(10, 201, 0, 99));
  EXPECT_EQ(std::string(r.serverAddr), "new.server");
  EXPECT_EQ(r.serverPort, 8080);
}

TEST_F(ReaderLab, AReaderAnsweringFromAnotherAddressThanItsRecordSays) {
  AddReader("r1", {"--label", "Elsewhere", "--address", "172.16.5.5"});
  Start();
  const auto lines = RunTool({"click 1000", "pump 300", "select 1004 0", "dblclick 1004", "title",
                              "click 1014", "pump 300", "status", "get 1007"});
  ASSERT_EQ(lines.size(), 9u) << folder_.Read("out.txt");
  // The tool addresses the sender, not the record's address.
  EXPECT_TRUE(Has(lines[4], Address(0))) << lines[4];
  EXPECT_TRUE(Has(lines[7], "\"part0_hex\":\"" + TextHex(Text::ParametersRead) + "\"")) << lines[7];
  EXPECT_TRUE(Has(lines[8], "\"address\":\"172.16.5.5\"")) << lines[8];
}

// Two readers with one label: each line of the list reads and sets its own reader, and the
// double click shows that reader's address. The later answer sorts before the earlier one.
TEST_F(ReaderLab, TwoReadersWithOneLabelEachLineReachesItsOwnReader) {
  AddReader("r1", {"--label", "Twin", "--address", "10.201.7.1"});
  AddReader("r2", {"--label", "Twin", "--address", "10.201.7.2", "--misbehave", "delay=300@2"});
  Start();
  const auto lines = RunTool({"click 1000", "pump 800", "get 1004",
                              // line 1: the first to answer
                              "select 1004 1", "dblclick 1004", "title", "click 1014", "pump 300",
                              "get 1007", "type 1013 one.server", "click 1006", "pump 300",
                              // line 0: the later one
                              "select 1004 0", "dblclick 1004", "title", "click 1014", "pump 300",
                              "get 1007", "type 1013 two.server", "click 1006", "pump 300"});
  ASSERT_EQ(lines.size(), 21u) << folder_.Read("out.txt");
  EXPECT_TRUE(Has(lines[2], "\"items\":[\"Twin\",\"Twin\"]")) << lines[2];
  EXPECT_TRUE(Has(lines[5], Address(0))) << lines[5];
  EXPECT_TRUE(Has(lines[8], "\"address\":\"10.201.7.1\"")) << lines[8];
  EXPECT_TRUE(Has(lines[14], Address(1))) << lines[14];
  EXPECT_TRUE(Has(lines[17], "\"address\":\"10.201.7.2\"")) << lines[17];
  for (std::size_t r = 0; r < 2; ++r) {
    const std::string log = Read(readers_[r].log);
    EXPECT_TRUE(Has(log, "request 30 on 24680")) << r << "\n" << log;
    EXPECT_TRUE(Has(log, "request 32 on 24582: 96 bytes")) << r << "\n" << log;
  }
  EXPECT_EQ(std::string(StateOf(0).serverAddr), "one.server");
  EXPECT_EQ(std::string(StateOf(1).serverAddr), "two.server");
}

// Replies that a reader spoils (a wrong checksum, a datagram cut short) are refused and the good
// one listed, before and after the user switches the language to English.
TEST_F(ReaderLab, SpoiltRepliesAreRefusedInEitherLanguage) {
  AddReader("r1", {"--label", "Door"});
  AddReader("r2", {"--label", "Wrong sum", "--misbehave", "badsum@2"});
  AddReader("r3", {"--label", "Cut short", "--misbehave", "short@2"});
  Start();
  const auto lines = RunTool({"click 1000", "pump 500", "get 1004", "rclick 5 5",
                              "menu " + std::to_string(ID_LANGUAGE_ENGLISH), "click 1000",
                              "pump 500", "get 1004", "status"});
  ASSERT_EQ(lines.size(), 9u) << folder_.Read("out.txt");
  EXPECT_TRUE(Has(lines[2], "\"items\":[\"Door\"]")) << lines[2];
  EXPECT_TRUE(Has(lines[7], "\"items\":[\"Door\"]")) << lines[7];
  testing_support::DialogHarness english;
  english.RightClick(POINT{5, 5}, ID_LANGUAGE_ENGLISH);
  EXPECT_TRUE(
      Has(lines[8],
          "\"part0_hex\":\"" + testing_support::HexLower(english.InterfaceText(Text::Sent)) + "\""))
      << lines[8];
  for (std::size_t r = 1; r < 3; ++r)
    EXPECT_TRUE(Has(Read(readers_[r].log), "request 2 on 24582")) << Read(readers_[r].log);
}

TEST_F(ReaderLab, StartUpWithTheCommandPortTaken) {
  AddReader("r1", {"--label", "Door"});
  Start();
  // Another program holds port 24680 in the tool's namespace.
  StartSim(tool_, {"--label", "Squatter"}, folder_.Path() / "squatter.log",
           folder_.Path() / "squatter.state");
  const auto lines = RunTool({"status", "click 1000", "pump 300", "status", "get 1004"});
  ASSERT_EQ(lines.size(), 5u) << folder_.Read("out.txt");
  EXPECT_TRUE(Has(lines[0], "\"part0_hex\":\"" + TextHex(Text::CannotBindPort) + "\"")) << lines[0];
  EXPECT_TRUE(Has(lines[3], "\"part0_hex\":\"" + TextHex(Text::NetworkNotReady) + "\""))
      << lines[3];
  EXPECT_TRUE(Has(lines[4], "\"items\":[]")) << lines[4];
  EXPECT_FALSE(Has(Read(readers_[0].log), "request 2")) << Read(readers_[0].log);
}

// A second tool started while the first runs (a second click on the launcher) finds the port
// taken; the first still gets every reply.
TEST_F(ReaderLab, ASecondToolFindsThePortTakenAndTheFirstKeepsItsReplies) {
  AddReader("r1", {"--label", "Door"});
  AddReader("r2", {"--label", "Gate"});
  Start();
  folder_.Write("first.txt", "status\npump 4000\nclick 1000\npump 500\nget 1004\ntrace\nquit\n");
  folder_.Write("second.txt", "status\nclick 1000\npump 300\nget 1004\nquit\n");
  const std::string tool = kStockKernel + testing_support::ToolCommand("kestrival-headless");
  const std::string cmd = "cd '" + folder_.Path().string() + "' && { " + tool +
                          " < first.txt > first.out 2> first.err & " +
                          // The second starts once the first has its port (the first answer).
                          "for i in $(seq 300); do [ -s first.out ] && break; sleep 0.1; done; " +
                          tool + " < second.txt > second.out 2> second.err; wait; }";
  ASSERT_EQ(lab_->Exec(tool_, cmd, nullptr, 60s), 0) << folder_.Read("first.err");
  const std::string first = testing_support::LinuxLineEnds(folder_.Read("first.out"));
  const std::string second = testing_support::LinuxLineEnds(folder_.Read("second.out"));
  EXPECT_TRUE(Has(second, "\"part0_hex\":\"" + TextHex(Text::CannotBindPort) + "\"")) << second;
  EXPECT_TRUE(Has(second, "\"items\":[]")) << second;
  EXPECT_TRUE(Has(first, "\"items\":[\"Door\",\"Gate\"]")) << first;
  // On Linux the stock kernel's cap is made up by sockets sharing the port.
  if (!testing_support::WindowsTools()) {
    EXPECT_TRUE(Has(first, "20 sockets share port 24680")) << first;
  }
}

}  // namespace

namespace {

TEST_F(ReaderLab, TheSimulatorRefusesATakenPortAndStopsCleanlyOnSigterm) {
  AddReader("r1", {"--label", "Door"});
  lab_->Up();
  std::vector<std::string> argv{(testing_support::BuiltProgramsFolder() / "kestrival-sim").string(),
                                "--label", "First"};
  NetLab::SpawnOptions first;
  first.logPath = (folder_.Path() / "first.log").string();
  const pid_t running = lab_->Spawn(readers_[0].host, argv, first);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!Has(Read(first.logPath), "ready") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(Has(Read(first.logPath), "ready"));

  NetLab::SpawnOptions second;
  second.logPath = (folder_.Path() / "second.log").string();
  argv[2] = "Second";
  const pid_t refused = lab_->Spawn(readers_[0].host, argv, second);
  EXPECT_EQ(lab_->WaitExit(refused, 10s), 1);
  EXPECT_TRUE(Has(Read(second.logPath), "port 24680 is taken")) << Read(second.logPath);

  EXPECT_EQ(lab_->Stop(running, 5s), 0);
  EXPECT_TRUE(Has(Read(first.logPath), "stopped requests=0")) << Read(first.logPath);
}

}  // namespace
