// kestrival-cli on a virtual segment of simulated readers: the whole program (search, get, apply,
// the read-back, --dry-run, --json, the exit statuses) in this process, and what reached the
// readers checked on the wire and in their records.
#include "programs/Cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/resource.h"
#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"
#include "tests/programs/CliOnSegment.h"

namespace {

using cli::RunCli;
using namespace cli_test;

TEST_F(CliOnSegment, AProfileFromOneReaderMakesTwoOthersAlikeAndReadsThemBack) {
  AddReader(kA, "Source").Engine().SetRecord(DistinctRecord(Ip32{kA}));
  AddReader(kB, "Gate 1");
  AddReader(kC, "Gate 2");
  const std::string json = ProfileOf("Source");
  EXPECT_TRUE(Has(json, "\"output_format\": \"Relay\"")) << json;
  EXPECT_TRUE(Has(json, "\"prefix\": \"0d0a\"")) << json;
  EXPECT_TRUE(Has(json, "\"suffix\": \"门\"")) << json;
  const std::string profile = WriteProfile("a.json", json);

  EXPECT_EQ(Run({"apply", profile, "Gate 1", "192.168.0.103"}), 0) << err_.str() << out_.str();
  EXPECT_TRUE(Has(err_.str(), "[1/2] 192.168.0.102 Gate 1: set 12 groups, verified")) << err_.str();
  EXPECT_TRUE(Has(err_.str(), "[2/2] 192.168.0.103 Gate 2: set 12 groups, verified")) << err_.str();
  EXPECT_TRUE(Has(out_.str(), "192.168.0.102 Gate 1: verified, 12 groups set")) << out_.str();

  const auto want = GroupBytes(readers_[0]->Engine().Record());
  for (std::size_t i : {1u, 2u}) {
    const DEV_PARAM_T got = readers_[i]->Engine().Record();
    EXPECT_EQ(GroupBytes(got), want) << "reader " << i;
    // Not asked for: the network group stays the reader's own.
    EXPECT_EQ(got.ipAddr, Ip32{i == 1 ? kB : kC});
    EXPECT_EQ(got.serverPort, 80);
  }
}

TEST_F(CliOnSegment, AppliedToItsOwnReaderItSendsWhatTheDialogsOwnRoundTripSends) {
  AddReader(kA, "Source").Engine().SetRecord(DistinctRecord(Ip32{kA}));
  const std::string profile = WriteProfile("a.json", ProfileOf("Source"));
  ASSERT_EQ(Run({"apply", profile, "Source"}), 0) << err_.str();
  auto sets = [](const std::vector<WireDatagram>& wire) {
    std::vector<std::vector<std::uint8_t>> out;
    for (const WireDatagram& d : wire) {
      const bool request = d.payload.size() == PACKAGE_HEADER_LEN &&
                           (d.payload[8] == CMD_READ_VERSION || d.payload[8] == CMD_SEARCH ||
                            d.payload[8] == CMD_READ_PARAMS);
      if (!request) out.push_back(d.payload);
    }
    return out;
  };
  const auto fromCli = sets(sent_);

  // The same reader in the window: read, then every Set button of those groups, nothing changed.
  testing_support::DialogHarness h;
  sim::VirtualReader twin(h.Segment(), kA, sim::ReaderIdentity{"Source", Ip32{kA}});
  twin.Engine().SetRecord(DistinctRecord(Ip32{kA}));
  std::vector<WireDatagram> wire;
  h.Segment().SetObserver([&](const WireDatagram& d) {
    if (d.from.addr == kToolAddress) wire.push_back(d);
  });
  h.Click(IDC_BTN_SEARCH);
  h.Pump(30);
  h.Select(IDC_LIST_DEVICES, 0);
  h.Click(IDC_BTN_GET_PARAMS);
  h.Pump(30);
  for (int button :
       {IDC_BTN_SET_OUTPUT_FORMAT, IDC_BTN_SET_CARD_INPUT_FORMAT, IDC_BTN_SET_HID,
        IDC_BTN_SET_SERIAL, IDC_BTN_SET_RESTART, IDC_BTN_SET_WORK_MODE, IDC_BTN_SET_SPEAKER,
        IDC_BTN_SET_LIGHT, IDC_BTN_SET_BAR_PREFIX, IDC_BTN_SET_BAR_SUFFIX, IDC_BTN_SET_CARD_FIX,
        IDC_BTN_SET_WIEGAND, IDC_BTN_SET_QR}) {
    h.Click(button);
    h.Pump(10);
  }
  const auto fromWindow = sets(wire);
  ASSERT_EQ(fromWindow.size(), 26u);
  EXPECT_EQ(fromCli, fromWindow);
}

TEST_F(CliOnSegment, TheProfileNamesItemsInEnglishWhateverTheDialogsLanguage) {
  AddReader(kA, "Source").Engine().SetRecord(DistinctRecord(Ip32{kA}));
  AddReader(kB, "Gate 1");
  folder_.Write("config.ini", "[themes]\r\nlanguage=1\r\n");  // Chinese
  const std::string json = ProfileOf("Source");
  EXPECT_TRUE(Has(json, "\"work_mode\": \"Card and QR code\"")) << json;
  EXPECT_TRUE(Has(json, "\"light\": \"Always on\"")) << json;
  const std::string profile = WriteProfile("a.json", json);
  EXPECT_EQ(Run({"apply", profile, "Gate 1", "--groups", "work_mode,light"}), 0) << err_.str();
  EXPECT_EQ(readers_[1]->Engine().Record().workMode, 2);
  EXPECT_EQ(readers_[1]->Engine().Record().light, 1);
  // get -o writes the same profile into a file.
  ASSERT_EQ(Run({"get", "Source", "-o", (folder_.Path() / "o.json").string()}), 0) << err_.str();
  EXPECT_EQ(folder_.Read("o.json"), json);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(Run({"get", "Source", "-o", folder_.Path().string()}), 1);
  EXPECT_TRUE(Has(err_.str(), "cannot write")) << err_.str();
}

TEST_F(CliOnSegment, SearchMarksSharedLabelsSharedAddressesAndRecordsReportingAnother) {
  AddReader(kA, "Twin");
  AddReader(kB, "Twin");
  sim::VirtualReader& moved = AddReader(kC, "Moved");
  DEV_PARAM_T r = moved.Engine().Record();
  r.ipAddr = Ip32{kA};  // reports the address another reader answers from
  moved.Engine().SetRecord(r);

  ASSERT_EQ(Run({"search"}), 0) << err_.str();
  const std::string text = out_.str();
  EXPECT_TRUE(Has(text,
                  "Twin             192.168.0.101   192.168.0.101   255.255.255.0   "
                  "192.168.0.1     same-label same-address"))
      << text;
  EXPECT_TRUE(Has(text,
                  "Twin             192.168.0.102   192.168.0.102   255.255.255.0   "
                  "192.168.0.1     same-label\n"))
      << text;
  EXPECT_TRUE(Has(text, "Moved            192.168.0.103   192.168.0.101") &&
              Has(text, "same-address reports-other-address"))
      << text;
  EXPECT_TRUE(Has(err_.str(), "3 readers answered")) << err_.str();

  ASSERT_EQ(Run({"search", "--json"}), 0);
  EXPECT_TRUE(Has(out_.str(),
                  "{\"label\":\"Moved\",\"from\":\"192.168.0.103\",\"address\":\"192.168.0.101\","
                  "\"mask\":\"255.255.255.0\",\"gateway\":\"192.168.0.1\",\"same_label\":false,"
                  "\"same_address\":true,\"reports_other_address\":true}"))
      << out_.str();
}

TEST_F(CliOnSegment, ALabelThatSeveralReadersCarryIsRefusedWithTheirAddresses) {
  AddReader(kA, "Twin");
  AddReader(kB, "Twin");
  EXPECT_EQ(Run({"get", "Twin"}), 1);
  EXPECT_TRUE(Has(err_.str(),
                  "2 readers carry the label \"Twin\" (192.168.0.101, "
                  "192.168.0.102): name one by its address"))
      << err_.str();
  EXPECT_EQ(out_.str(), "");
  // By address: each line of the device list reaches its own reader, twins included.
  for (const char* address : {"192.168.0.101", "192.168.0.102"}) {
    out_.str("");
    EXPECT_EQ(Run({"get", address}), 0) << address << ": " << err_.str();
    EXPECT_TRUE(Has(out_.str(), std::string("\"address\": \"") + address + "\""))
        << out_.str().substr(0, 300);
  }
  EXPECT_EQ(Run({"get", "Nobody"}), 1);
  EXPECT_TRUE(Has(err_.str(), "no reader carries the label \"Nobody\"")) << err_.str();
}

TEST_F(CliOnSegment, AReaderThatStopsAnsweringIsNamedAndTheOthersGoOn) {
  AddReader(kA, "Source");
  AddReader(kB, "Gate 1")
      .Engine()
      .SetMisbehaviour(
          {sim::MisbehaviourRule{sim::MisbehaviourKind::NoReply, 0, CMD_SET_QR_PARAMS, -1}});
  AddReader(kC, "Gate 2");
  const std::string profile = WriteProfile("a.json", ProfileOf("Source"));
  EXPECT_EQ(Run({"apply", profile, "Gate 1", "Gate 2", "--json"}), 1) << err_.str();
  EXPECT_TRUE(Has(err_.str(),
                  "[1/2] 192.168.0.102 Gate 1: failed; no reply to qr_code (command "
                  "42)"))
      << err_.str();
  EXPECT_TRUE(Has(err_.str(), "[2/2] 192.168.0.103 Gate 2: set 12 groups, verified")) << err_.str();
  EXPECT_TRUE(Has(out_.str(),
                  "{\"target\":\"Gate 1\",\"address\":\"192.168.0.102\",\"label\":"
                  "\"Gate 1\",\"status\":\"failed\",\"groups_set\":11"))
      << out_.str();
  EXPECT_TRUE(Has(out_.str(), "\"status\":\"verified\",\"groups_set\":12")) << out_.str();

  // A reader that does not answer the read-back is not verified, however well it took the Sets.
  readers_[1]->Engine().SetMisbehaviour(
      {sim::MisbehaviourRule{sim::MisbehaviourKind::NoReply, 0, CMD_READ_PARAMS, -1}});
  EXPECT_EQ(Run({"apply", profile, "Gate 1", "--groups", "wiegand"}), 1);
  EXPECT_TRUE(Has(err_.str(), "no answer to Get current parameters")) << err_.str();
}

// A target that is not UTF-8 (typed in another code page, a stray byte from a script) still gets
// its JSON line: the byte is written as U+FFFD.
TEST_F(CliOnSegment, ATargetThatIsNotUtf8StillGetsItsJsonLine) {
  AddReader(kA, "Source");
  const std::string profile = WriteProfile("a.json", ProfileOf("Source"));
  EXPECT_EQ(Run({"apply", profile, "Gate\xff", "--json"}), 1) << err_.str();
  EXPECT_EQ(out_.str(),
            "{\"target\":\"Gate\xEF\xBF\xBD\",\"status\":\"failed\",\"groups_set\":0,"
            "\"errors\":[\"no reader carries the label \\\"Gate\xEF\xBF\xBD\\\"\"],"
            "\"differences\":[]}\n");
}

TEST_F(CliOnSegment, ALateRecordOfAnotherReaderIsNotTakenForTheTargets) {
  AddReader(kA, "Source");
  // Gate 1's record comes after the reply timeout, while Gate 2, which answers no read, is read.
  AddReader(kB, "Gate 1")
      .Engine()
      .SetMisbehaviour(
          {sim::MisbehaviourRule{sim::MisbehaviourKind::Delay, 350, CMD_READ_PARAMS, -1}});
  AddReader(kC, "Gate 2")
      .Engine()
      .SetMisbehaviour(
          {sim::MisbehaviourRule{sim::MisbehaviourKind::NoReply, 0, CMD_READ_PARAMS, -1}});
  const std::string profile = WriteProfile("a.json", ProfileOf("Source"));
  EXPECT_EQ(Run({"apply", profile, "Gate 1", "Gate 2"}), 1);
  EXPECT_TRUE(Has(err_.str(),
                  "[1/2] 192.168.0.102 Gate 1: failed; no answer to Get current "
                  "parameters"))
      << err_.str();
  EXPECT_TRUE(Has(err_.str(),
                  "[2/2] 192.168.0.103 Gate 2: failed; no answer to Get current "
                  "parameters"))
      << err_.str();
  // Nothing was set on either: a target is written only after its own record was read.
  for (std::size_t i : {1u, 2u}) EXPECT_EQ(readers_[i]->Engine().Stats().setsApplied, 0u) << i;
}

TEST_F(CliOnSegment, IpFromSkipsAnsweringAddressesAndTheSubnetsOwnAddresses) {
  AddReader(kA, "Source");
  const std::string profile = WriteProfile("a.json", ProfileOf("Source"));
  // The stand-ins of a dry run answer from the targets' addresses; the mask is 255.255.255.0.
  ASSERT_EQ(Run({"apply", profile, "192.168.0.253", "192.168.1.1", "192.168.1.3", "--groups",
                 "network", "--ip-from", "192.168.0.253", "--dry-run"}),
            0)
      << err_.str();
  EXPECT_TRUE(Has(out_.str(), "192.168.0.253 -> 192.168.0.254: dry run")) << out_.str();
  EXPECT_TRUE(Has(out_.str(), "192.168.1.1 -> 192.168.1.2: dry run")) << out_.str();
  EXPECT_TRUE(Has(out_.str(), "192.168.1.3 -> 192.168.1.4: dry run")) << out_.str();
  // The network settings go to the discovery port with the new address at offset 20 (ip32).
  // The stand-in's label is its address.
  EXPECT_TRUE(Has(out_.str(),
                  "  192.168.0.253:24582 3139322e3136382e302e323533000000"
                  "00000000fe00a8c0"))
      << out_.str();
}

TEST_F(CliOnSegment, AValueTheWindowWouldNotSendIsReadAsItIsAndRefusedWhenApplied) {
  DEV_PARAM_T r = sim::FactoryRecord(Ip32{kA});
  r.wgLowPulse = 0;  // the window raises a pulse below 100 us to 100 before it sends
  AddReader(kA, "Source").Engine().SetRecord(r);
  AddReader(kB, "Gate 1");
  const std::string json = ProfileOf("Source");
  EXPECT_TRUE(Has(json, "\"low_pulse_us\": 0,")) << json;
  EXPECT_EQ(err_.str(),
            "kestrival-cli: 192.168.0.101 Source: wiegand.low_pulse_us: 0 is outside the allowed "
            "range 100..2147483600; apply will refuse the profile until this value is changed\n");
  const std::string profile = WriteProfile("b.json", json);
  const std::uint64_t before = DatagramsAtReaders();
  EXPECT_EQ(Run({"apply", profile, "Gate 1", "--groups", "wiegand"}), 2);
  EXPECT_TRUE(Has(err_.str(), "b.json: wiegand.low_pulse_us: 0 is outside")) << err_.str();
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(DatagramsAtReaders(), before);
}

TEST_F(CliOnSegment, TheProfileKeepsNoCloudSecretAndAVersionOneProfileStillApplies) {
  DEV_PARAM_T r = DistinctRecord(Ip32{kA});
  const std::string secret = "device-secret-7f3a";
  PutText(r.cloudText5, sizeof r.cloudText5, secret.c_str());
  r.hiddenChoice = 1;
  AddReader(kA, "Source").Engine().SetRecord(r);
  auto& target = AddReader(kB, "Gate 1");
  std::string json = ProfileOf("Source");
  std::string secretHex;
  for (unsigned char c : secret) {
    static const char digits[] = "0123456789abcdef";
    secretHex += {digits[c >> 4], digits[c & 15]};
  }
  EXPECT_FALSE(Has(json, secretHex)) << json;
  EXPECT_TRUE(Has(json, "\"record_blanked\"")) << json;
  // The same file as version 1 wrote it: no list of blanked ranges, the secret in the record.
  json.replace(json.find("\"version\": 2"), 12, "\"version\": 1");
  const auto list = json.find("  \"record_blanked\"");
  json.erase(list, json.find("  \"record\":") - list);
  const auto record = json.find("\"record\": \"") + 11;
  json.replace(record + 2 * offsetof(DEV_PARAM_T, cloudText5), secretHex.size(), secretHex);
  EXPECT_EQ(Run({"apply", WriteProfile("v1.json", json), "Gate 1"}), 0) << err_.str();
  EXPECT_EQ(GroupBytes(target.Engine().Record()), GroupBytes(r));
  // Neither the cloud row nor the hidden choice is written.
  const DEV_PARAM_T factory = sim::FactoryRecord(Ip32{kB});
  const DEV_PARAM_T& after = target.Engine().Record();
  EXPECT_EQ(std::string(after.cloudText5, sizeof after.cloudText5),
            std::string(factory.cloudText5, sizeof factory.cloudText5));
  EXPECT_EQ(after.hiddenChoice, factory.hiddenChoice);
}

struct RefusedRow {
  const char* name;
  std::string from;  // a piece of a good profile, or "" to use `edit` as the whole file
  std::string edit;
  std::vector<std::string> extra;  // more arguments
  std::string message;
};

class RefusedBeforeSending : public CliOnSegment,
                             public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(RefusedBeforeSending, ExitTwoAndNothingReachesAReader) {
  const RefusedRow& row = GetParam();
  AddReader(kA, "Source");
  AddReader(kB, "Gate 1");
  std::string json = ProfileOf("Source");
  if (!row.from.empty()) {
    const auto at = json.find(row.from);
    ASSERT_NE(at, std::string::npos) << row.from;
    json.replace(at, row.from.size(), row.edit);
  } else if (!row.edit.empty()) {
    json = row.edit;
  }
  const std::string profile = WriteProfile("p.json", json);
  const std::uint64_t before = DatagramsAtReaders();
  std::vector<std::string> args = {"apply", profile, "Gate 1"};
  args.insert(args.end(), row.extra.begin(), row.extra.end());
  EXPECT_EQ(Run(args), 2);
  EXPECT_TRUE(Has(err_.str(), row.message)) << err_.str();
  EXPECT_TRUE(sent_.empty()) << sent_.size() << " datagrams sent";
  EXPECT_EQ(DatagramsAtReaders(), before);
  EXPECT_EQ(out_.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RefusedBeforeSending,
    ::testing::Values(
        RefusedRow{"NotJson", "", "{\"format\":", {}, "p.json: not JSON: line 1, column 11"},
        RefusedRow{"OtherVersion",
                   "\"version\": 2",
                   "\"version\": 7",
                   {},
                   "format version 7 is not supported"},
        RefusedRow{"NumberNoDoubleHolds",
                   "\"high_pulse_us\": 2000",
                   "\"high_pulse_us\": 1e400",
                   {},
                   "p.json: line 63, column 28: the number 1e400 is too large"},
        RefusedRow{"NegativePulse",
                   "\"high_pulse_us\": 2000",
                   "\"high_pulse_us\": -500",
                   {"--groups", "wiegand"},
                   "p.json: wiegand.high_pulse_us: -500 is outside the allowed range "
                   "100..2147483600"},
        RefusedRow{"UnknownField",
                   "\"light\": \"Auto\"",
                   "\"lamp\": \"Auto\"",
                   {},
                   "light.lamp: unknown field"},
        RefusedRow{"NotAnItem",
                   "\"light\": \"Auto\"",
                   "\"light\": \"Dim\"",
                   {},
                   "light.light: \"Dim\" is not an item of the list; allowed: \"Auto\", \"Always "
                   "on\" or null"},
        RefusedRow{"NotAnAddress",
                   "\"gateway\": \"192.168.0.1\"",
                   "\"gateway\": \"192.168.0\"",
                   {},
                   "network.gateway: \"192.168.0\" is not a dotted IPv4 address"},
        RefusedRow{"TextTooLong",
                   "\"ntp_address\": \"ntp.kestrival.lan\"",
                   "\"ntp_address\": \"" + std::string(60, 'x') + "\"",
                   {},
                   "qr_code.ntp_address: 60 bytes in code page 936, at most 47"},
        RefusedRow{"UnknownGroupAsked", "", "", {"--groups", "lights"}, "unknown group"},
        RefusedRow{"NetworkForTwoWithoutAddresses",
                   "",
                   "",
                   {"Source", "--groups", "network"},
                   "the network group for several targets needs --ip-from"},
        RefusedRow{"IpFromWithoutNetwork",
                   "",
                   "",
                   {"--ip-from", "10.0.0.1"},
                   "--ip-from gives addresses: it needs --groups network"},
        RefusedRow{"IpFromNotAnAddress",
                   "",
                   "",
                   {"--groups", "network", "--ip-from", "10.0.0"},
                   "--ip-from: not a dotted IPv4 address"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliOnSegment, ADryRunPrintsTheDatagramsAndSendsNothing) {
  AddReader(kA, "Source");
  const std::string profile = WriteProfile("a.json", ProfileOf("Source"));
  AddReader(kB, "Gate 1");
  const std::uint64_t before = DatagramsAtReaders();
  EXPECT_EQ(Run({"apply", profile, "192.168.0.102", "--groups", "wiegand,restart", "--dry-run"}), 0)
      << err_.str();
  EXPECT_TRUE(sent_.empty());
  EXPECT_EQ(DatagramsAtReaders(), before);
  // Restart (40, item 1) then Wiegand (28, 2000 and 400 us), header and data each.
  EXPECT_EQ(out_.str(),
            "192.168.0.102: dry run, would set 2 groups in 4 datagrams\n"
            "  192.168.0.102:24680 58585858000000002800000004000000fe\n"
            "  192.168.0.102:24680 01000000\n"
            "  192.168.0.102:24680 58585858000000001c00000008000000e7\n"
            "  192.168.0.102:24680 1400000004000000\n");
  EXPECT_TRUE(Has(err_.str(), "nothing is sent")) << err_.str();
}

TEST_F(CliOnSegment, UsageHelpAndVersion) {
  struct Row {
    std::vector<std::string> args;
    int status;
    const char* part;  // of standard output (status 0) or standard error
  };
  const Row rows[] = {
      {{"--help"}, 0, "Usage: kestrival-cli search"},
      {{"apply", "--help"}, 0, "--ip-from A"},
      {{"--version"}, 0, "kestrival-cli "},
      {{}, 2, "a command is needed"},
      {{"frob"}, 2, "unknown command 'frob' (try 'kestrival-cli --help')"},
      {{"search", "--colour"}, 2, "unknown option '--colour' (try 'kestrival-cli --help')"},
      {{"search", "--wait"}, 2, "--wait needs a number of milliseconds"},
      {{"search", "--wait", "soon"}, 2, "not a number of milliseconds: soon"},
      {{"search", "10.0.0.1"}, 2, "search takes no target"},
      {{"get"}, 2, "get needs one target"},
      {{"get", "a", "b"}, 2, "get needs one target"},
      {{"apply", "p.json"}, 2, "apply needs a profile and at least one target"},
      {{"apply", "missing.json", "x"}, 2, "cannot read missing.json"},
      {{"apply", "/", "x"}, 2, "cannot read /"},
      {{"get", "x", "--dry-run"}, 2, "belong to apply"},
      {{"search", "-o", "f"}, 2, "-o belongs to get"},
  };
  AddReader(kA, "Source");
  for (const Row& r : rows) {
    std::string joined;
    for (const auto& a : r.args) joined += a + " ";
    out_.str("");
    err_.str("");
    sent_.clear();
    EXPECT_EQ(RunCli(r.args, env_, out_, err_), r.status) << joined;
    EXPECT_TRUE(Has(r.status == 0 ? out_.str() : err_.str(), r.part)) << joined << "\n"
                                                                      << out_.str() << err_.str();
    EXPECT_TRUE(sent_.empty()) << joined;
  }
}

}  // namespace
