// kestrival-cli audit on a virtual segment: which readers and fields it reports, what it sends
// (the search and the reads, nothing else), and its exit statuses.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"
#include "sim/Misbehaviour.h"
#include "tests/programs/CliOnSegment.h"

namespace {

using namespace cli_test;

constexpr std::uint32_t kD = 0xC0A80068;  // 192.168.0.104
constexpr std::uint32_t kE = 0xC0A80069;  // 192.168.0.105

class CliAudit : public CliOnSegment {
 protected:
  // A profile of DistinctRecord, read from a reader that is then taken off the segment.
  std::string SiteProfile() {
    AddReader(0xC0A800C8, "Template").Engine().SetRecord(DistinctRecord(Ip32{0xC0A800C8}));
    const std::string path = WriteProfile("site.json", ProfileOf("Template"));
    readers_.clear();
    return path;
  }

  std::set<int> CommandsSent() const {
    std::set<int> commands;
    for (const WireDatagram& d : sent_)
      commands.insert(d.payload.size() >= PACKAGE_HEADER_LEN ? d.payload[8] : -1);
    return commands;
  }
};

TEST_F(CliAudit, ReportsEachReaderByAddressAndOnlyTheFieldsThatDiffer) {
  const std::string profile = SiteProfile();
  AddReader(kA, "Gate 1").Engine().SetRecord(DistinctRecord(Ip32{kA}));
  DEV_PARAM_T louder = DistinctRecord(Ip32{kB});
  louder.speaker = 0;
  louder.wgHighPulse = 40;
  AddReader(kB, "Gate 1").Engine().SetRecord(louder);  // the same label: told apart by address
  // A common reader: the dialog leaves its QR-code fields disabled, holding the last reader's.
  DEV_PARAM_T common = DistinctRecord(Ip32{kC});
  common.qrEncrypted = 0;
  AddReader(kC, "Lobby", sim::kCommonVersion).Engine().SetRecord(common);
  AddReader(kD, "Stairs")
      .Engine()
      .SetMisbehaviour(
          {sim::MisbehaviourRule{sim::MisbehaviourKind::NoReply, 0, CMD_READ_PARAMS, -1}});
  const std::vector<std::uint8_t> recordBefore = GroupBytes(readers_[1]->Engine().Record());

  EXPECT_EQ(Run({"audit", profile}), 1) << err_.str();
  const std::string out = out_.str();
  EXPECT_TRUE(Has(out, "192.168.0.101 Gate 1: matches\n")) << out;
  EXPECT_TRUE(Has(out,
                  "192.168.0.102 Gate 1: differs: speaker.speaker (profile \"Off\", reader "
                  "\"On\") wiegand.high_pulse_us (profile \"3000\", reader \"4000\")\n"))
      << out;
  EXPECT_TRUE(
      Has(out,
          "192.168.0.103 Lobby: matches; not compared (the dialog does not show them "
          "for this reader): qr_code.card_number_format qr_code.encrypted qr_code.use_count "
          "qr_code.work_mode qr_code.ntp_address qr_code.backup_address\n"))
      << out;
  EXPECT_TRUE(Has(out, "192.168.0.104 Stairs: no answer to Get current parameters\n")) << out;
  EXPECT_TRUE(Has(out, "audit: 4 readers, 2 match, 1 differ, 1 did not answer\n")) << out;

  // The search and the reads, never a Set: every reader holds what it held.
  EXPECT_EQ(CommandsSent(), (std::set<int>{CMD_SEARCH, CMD_READ_VERSION, CMD_READ_PARAMS}));
  EXPECT_EQ(GroupBytes(readers_[1]->Engine().Record()), recordBefore);
}

struct ExitRow {
  const char* name;
  std::vector<std::string> args;  // after "audit PROFILE"
  bool readers;                   // Gate 1 and Gate 2 (as the profile) on the segment
  int status;
  std::string output;  // a piece of standard output or standard error
};

class AuditExit : public CliAudit, public ::testing::WithParamInterface<ExitRow> {};

TEST_P(AuditExit, StatusAndMessage) {
  const ExitRow& row = GetParam();
  const std::string profile = SiteProfile();
  if (row.readers) {
    AddReader(kA, "Gate 1").Engine().SetRecord(DistinctRecord(Ip32{kA}));
    DEV_PARAM_T other = DistinctRecord(Ip32{kB});
    other.light = 0;
    AddReader(kB, "Gate 2").Engine().SetRecord(other);
  }
  std::vector<std::string> args = {"audit", profile};
  args.insert(args.end(), row.args.begin(), row.args.end());
  EXPECT_EQ(Run(args), row.status) << err_.str() << out_.str();
  EXPECT_TRUE(Has(out_.str() + err_.str(), row.output)) << out_.str() << err_.str();
  if (row.status == 2) {
    EXPECT_TRUE(sent_.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AuditExit,
    ::testing::Values(
        ExitRow{"TheMatchingTargetAlone", {"Gate 1"}, true, 0, "audit: 1 reader, 1 match"},
        ExitRow{"ByAddress", {"192.168.0.101"}, true, 0, "192.168.0.101 Gate 1: matches"},
        ExitRow{"AGroupWithoutTheDifference",
                {"--groups", "wiegand,speaker"},
                true,
                0,
                "192.168.0.102 Gate 2: matches"},
        ExitRow{"TheDifferenceInTheChosenGroup",
                {"--groups", "light"},
                true,
                1,
                "light.light (profile \"Always on\", reader \"Auto\")"},
        ExitRow{"ATargetThatNobodyAnswersFor",
                {"Gate 1", "Gate 9"},
                true,
                1,
                "Gate 9: no reader carries the label \"Gate 9\"\n"},
        ExitRow{"NoReaderAnswers", {}, false, 1, "audit: no reader answered the search\n"},
        ExitRow{"AnUnknownGroup", {"--groups", "lights"}, true, 2, "unknown group"},
        ExitRow{"AnOptionOfApply", {"--dry-run"}, true, 2, "belong to apply"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliAudit, JsonGivesOneObjectPerReaderAndTheSummaryOnStandardError) {
  const std::string profile = SiteProfile();
  DEV_PARAM_T other = DistinctRecord(Ip32{kE});
  other.light = 0;
  AddReader(kE, "Gate 5").Engine().SetRecord(other);
  EXPECT_EQ(Run({"audit", profile, "192.168.0.105", "--json"}), 1);
  EXPECT_EQ(out_.str(),
            "{\"target\":\"192.168.0.105\",\"address\":\"192.168.0.105\",\"label\":\"Gate 5\","
            "\"status\":\"differs\",\"differences\":[{\"field\":\"light.light\",\"profile\":"
            "\"Always on\",\"reader\":\"Auto\"}],\"not_compared\":[]}\n");
  EXPECT_TRUE(Has(err_.str(), "audit: 1 reader, 0 match, 1 differ")) << err_.str();
}

}  // namespace
