// Reply handling of the real dialog: validation with its trace lines, and the action of every
// reply identifier, for datagrams that scripted readers send.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "i18n/TextFormat.h"
#include "params/DevParam.h"
#include "protocol/ByteOrder.h"
#include "protocol/HexDump.h"
#include "protocol/MspPacket.h"
#include "tests/app/dialog/ProtocolSupport.h"

namespace {

using protocol_dlg::Addr;
using protocol_dlg::AnswerSearches;
using protocol_dlg::Bytes;
using protocol_dlg::DiscoveryRecord;
using protocol_dlg::StatusRecorder;
using testing_support::DialogHarness;
using testing_support::kToolAddress;
using testing_support::Reply;
using testing_support::ReplyRaw;
using testing_support::ScriptedReader;

constexpr char kLocation[] = "KestrivalDlg,CKestrivalDlg::UdpCmdRecv,";

// The trace with the line number after the source location replaced by '#'; the number itself
// must be there.
std::string WithoutLine(std::string line) {
  const std::size_t at = line.find(kLocation);
  if (at == std::string::npos) return line;
  const std::size_t from = at + sizeof kLocation - 1;
  std::size_t to = from;
  while (to < line.size() && line[to] >= '0' && line[to] <= '9') ++to;
  if (to == from || line[from] == '0') return line;
  return line.replace(from, to - from, "#");
}

std::vector<std::string> TraceWithoutLines(DialogHarness& h) {
  std::vector<std::string> out;
  for (auto& line : h.TakeTrace()) out.push_back(WithoutLine(line));
  return out;
}

std::string CmdIdTrace(const char* hex) {
  return std::string(kLocation) + "# pNet->cmdId =0x" + hex + "\n";
}

std::string Le32(std::int32_t v) {
  std::string out(4, '\0');
  kestrival::PutLeI32(reinterpret_cast<std::uint8_t*>(out.data()), v);
  return out;
}

class RepliesDlg : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(h_.InterfaceText(Text::SetSuccessfully).empty())
        << "language.csv missing beside the test program";
    h_.TakeTrace();
  }
  // Sends from the reader and delivers; returns the part 0 texts that the datagram set.
  std::vector<std::string> Deliver(const std::string& bytes) {
    StatusRecorder status(h_);
    reader_.SendToTool(bytes, kToolAddress);
    h_.Pump();
    EXPECT_EQ(status.Part(1),
              std::vector<std::string>{HexDump(bytes.data(), static_cast<int>(bytes.size()))});
    return status.Part(0);
  }
  std::vector<std::string> Confirmed() const { return {h_.InterfaceText(Text::SetSuccessfully)}; }

  DialogHarness h_;
  ScriptedReader reader_{h_.Segment(), Addr(192, 168, 0, 21)};
};

// Validation: each row is one datagram, the trace lines it gives and whether it reaches the
// dispatch (reply 7 puts Text::SetSuccessfully into part 0).
struct Validation {
  const char* name;
  std::string datagram;
  std::vector<std::string> trace;
  bool dispatched;
};

class ReplyValidation : public RepliesDlg, public ::testing::WithParamInterface<Validation> {};

TEST_P(ReplyValidation, TracesAndDropsOrDispatches) {
  const Validation& row = GetParam();
  const auto part0 = Deliver(row.datagram);
  EXPECT_EQ(TraceWithoutLines(h_), row.trace);
  EXPECT_EQ(part0, row.dispatched ? Confirmed() : std::vector<std::string>{});
}

std::string Full(std::size_t dataLen) {
  std::string data(dataLen, '\0');
  for (std::size_t i = 0; i < dataLen; ++i) data[i] = static_cast<char>(i % 251 + 1);
  return data;
}

const std::string kTooShort3 =
    "\n\n\n KestrivalDlg,CKestrivalDlg::UdpCmdRecv,#  recvbytes=3 "
    "PACKAGE_HEADER_LEN=17\n";
const std::string kTooShort16 =
    "\n\n\n KestrivalDlg,CKestrivalDlg::UdpCmdRecv,#  recvbytes=16 "
    "PACKAGE_HEADER_LEN=17\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ReplyValidation,
    ::testing::Values(
        Validation{"ThreeBytes", "XXX", {kTooShort3}, false},
        Validation{"SixteenBytes", ReplyRaw(7, 0, 0xFF, "").substr(0, 16), {kTooShort16}, false},
        Validation{
            "WrongSync", "XXXY" + ReplyRaw(7, 0, 0xFF, "").substr(4), {"sync code error\n"}, false},
        Validation{"HeaderOnlyAnyChecksum", ReplyRaw(7, 0, 0x00, ""), {CmdIdTrace("7")}, true},
        Validation{
            "ChecksumMatches", ReplyRaw(7, 4, 0xFE, Bytes({1, 0, 0, 0})), {CmdIdTrace("7")}, true},
        Validation{
            "ChecksumMismatch",
            ReplyRaw(7, 4, 0xFF, Bytes({1, 0, 0, 0})),
            {CmdIdTrace("7"), "cmdData_checksum error ,retCrc=0xfe ,cmdData_checksum=0xff \n"},
            false},
        // Bytes the datagram did not carry count as zero.
        Validation{"LengthBeyondTheDatagram",
                   ReplyRaw(7, 8, 0xFE, Bytes({1, 0, 0, 0})),
                   {CmdIdTrace("7")},
                   true},
        Validation{"LongestLength", Reply(7, Full(4079)), {CmdIdTrace("7")}, true},
        Validation{"LengthPastTheBuffer",
                   ReplyRaw(7, 4080, 0xFF, ""),
                   {CmdIdTrace("7"), "cmdData len error ,cmdDataLen=4080 ,max=4079 \n"},
                   false},
        Validation{"HugeLength",
                   ReplyRaw(7, 0x7FFFFFFF, 0xFF, ""),
                   {CmdIdTrace("7"), "cmdData len error ,cmdDataLen=2147483647 ,max=4079 \n"},
                   false},
        // A negative length reads nothing and checks like an empty block (0xFF).
        Validation{"NegativeLengthChecksumFF", ReplyRaw(7, -1, 0xFF, ""), {CmdIdTrace("7")}, true},
        Validation{
            "NegativeLengthChecksumFE",
            ReplyRaw(7, -5, 0xFE, ""),
            {CmdIdTrace("7"), "cmdData_checksum error ,retCrc=0xff ,cmdData_checksum=0xfe \n"},
            false}),
    [](const ::testing::TestParamInfo<Validation>& info) { return info.param.name; });

// Replies that only confirm, and identifiers that the tool ignores.
TEST_F(RepliesDlg, ConfirmingRepliesShowSetSuccessfullyAndOthersNothing) {
  struct Row {
    int cmdId;
    std::string data;
    bool confirms;
  };
  const std::string field(36, 'Z');  // disagrees with the empty prefix and suffix edits
  const Row rows[] = {{7, "", true},     {9, "", true},    {11, "", true},  {13, field, true},
                      {15, field, true}, {17, "", true},   {25, "", true},  {29, "", true},
                      {33, "", true},    {41, "", true},   {43, "", true},  {45, Full(72), true},
                      {0, "", false},    {2, "", false},   {5, "", false},  {27, "", false},
                      {35, "", false},   {37, "", false},  {46, "", false}, {47, "", false},
                      {-1, "", false},   {1000, "", false}};
  for (const Row& row : rows) {
    h_.Control(IDC_STATUS_BAR)->Send(SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_EQ(Deliver(Reply(row.cmdId, row.data)),
              row.confirms ? Confirmed() : std::vector<std::string>{})
        << "reply " << row.cmdId;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(row.cmdId));
    EXPECT_EQ(TraceWithoutLines(h_), std::vector<std::string>{CmdIdTrace(hex)})
        << "reply " << row.cmdId;
  }
  EXPECT_TRUE(h_.Dlg().Devices().empty());
}

// Replies 19, 21 and 23 confirm when their first data byte, signed, is the list's position.
TEST_F(RepliesDlg, EchoRepliesCompareTheFirstByteWithTheListSelection) {
  struct Row {
    int cmdId;
    int list;
    int selection;  // -1: none
    std::string data;
    bool confirms;
  };
  const Row rows[] = {
      {19, IDC_COMBO_WORK_MODE, 1, Le32(1), true},
      {19, IDC_COMBO_WORK_MODE, 1, Le32(2), false},
      {19, IDC_COMBO_WORK_MODE, 2, Le32(2), true},
      {19, IDC_COMBO_WORK_MODE, -1, Bytes({0xFF}), true},
      {19, IDC_COMBO_WORK_MODE, -1, Bytes({0x00}), false},
      {19, IDC_COMBO_WORK_MODE, 0, "", true},                            // no data reads as zero
      {19, IDC_COMBO_WORK_MODE, 1, Bytes({1, 0xAA, 0xBB, 0xCC}), true},  // only the first byte
      {21, IDC_COMBO_HIDDEN_CHOICE, 1, Le32(1), true},
      {21, IDC_COMBO_HIDDEN_CHOICE, 0, Le32(1), false},
      {21, IDC_COMBO_HIDDEN_CHOICE, -1, Le32(-1), true},
      {23, IDC_COMBO_SPEAKER, 1, Le32(1), true},
      {23, IDC_COMBO_SPEAKER, 0, Le32(1), false},
      {23, IDC_COMBO_SPEAKER, 1, Le32(257), true},  // 01 01 00 00: first byte 1
      {23, IDC_COMBO_WORK_MODE, 0, Le32(0), true},  // reply 23 reads the speaker list (0)
  };
  for (const Row& row : rows) {
    // Other lists keep a selection that never matches, so a wrong list is caught.
    for (int id : {IDC_COMBO_WORK_MODE, IDC_COMBO_HIDDEN_CHOICE, IDC_COMBO_SPEAKER}) {
      h_.Control(id)->Send(CB_SETCURSEL, id == row.list ? static_cast<WPARAM>(row.selection) : 0,
                           0);
    }
    if (row.list == IDC_COMBO_WORK_MODE && row.cmdId == 23) {
      h_.Control(IDC_COMBO_WORK_MODE)->Send(CB_SETCURSEL, 1, 0);
      h_.Control(IDC_COMBO_SPEAKER)->Send(CB_SETCURSEL, 0, 0);
    }
    EXPECT_EQ(Deliver(Reply(row.cmdId, row.data)),
              row.confirms ? Confirmed() : std::vector<std::string>{})
        << "reply " << row.cmdId << " selection " << row.selection << " data "
        << testing_support::Hex(row.data);
  }
}

// Reply 39 confirms when its first three values are the numbers that request 38 sent (baud
// rate, data bits, stop bits of the current selections) or all three their list positions.
TEST_F(RepliesDlg, SerialReplyConfirmsEitherTheEchoedNumbersOrThePositions) {
  struct Row {
    const char* name;
    int baud, dataBits, stopBits;  // list positions; -1 none
    std::int32_t v0, v1, v2;
    bool confirms;
  };
  // Baud rate 10 "9600", 15 "115200"; data bits 0 "8", 1 "7"; stop bits 0 "1", 1 "2".
  const Row rows[] = {
      {"echo of the defaults", 10, 0, 0, 9600, 8, 1, true},
      {"positions of the defaults", 10, 0, 0, 10, 0, 0, true},
      {"echo of other settings", 15, 1, 1, 115200, 7, 2, true},
      {"positions of other settings", 15, 1, 1, 15, 1, 1, true},
      {"old echo after a change", 15, 1, 1, 9600, 8, 1, false},
      {"wrong stop bits", 10, 0, 0, 9600, 8, 2, false},
      {"wrong data bits", 10, 0, 0, 9600, 7, 1, false},
      {"wrong baud rate", 10, 0, 0, 19200, 8, 1, false},
      {"numbers and positions mixed", 10, 0, 0, 9600, 0, 0, false},
      {"positions and numbers mixed", 15, 1, 1, 15, 7, 2, false},
      {"all zero", 10, 0, 0, 0, 0, 0, false},
      {"no baud rate selected", -1, 0, 0, -1, 0, 0, false},
  };
  for (const Row& row : rows) {
    h_.Control(IDC_COMBO_BAUD_RATE)->Send(CB_SETCURSEL, static_cast<WPARAM>(row.baud), 0);
    h_.Control(IDC_COMBO_DATA_BITS)->Send(CB_SETCURSEL, static_cast<WPARAM>(row.dataBits), 0);
    h_.Control(IDC_COMBO_STOP_BITS)->Send(CB_SETCURSEL, static_cast<WPARAM>(row.stopBits), 0);
    const std::string data = Le32(row.v0) + Le32(row.v1) + Le32(row.v2) + Le32(3) + Le32(4);
    EXPECT_EQ(Deliver(Reply(39, data)), row.confirms ? Confirmed() : std::vector<std::string>{})
        << row.name;
  }
  // A reply without data is all zero: it confirms only positions 0, 0, 0.
  h_.Control(IDC_COMBO_BAUD_RATE)->Send(CB_SETCURSEL, 0, 0);
  EXPECT_EQ(Deliver(Reply(39, "")), Confirmed());
}

// The version text starts at data byte 16 and ends at byte 63 at the latest.
TEST_F(RepliesDlg, VersionReplySetsTheClientVersionFlagFromItsText) {
  struct Row {
    const char* name;
    std::string data;
    int flag;
    std::string trace;
  };
  const std::string junk(16, '\x7F');
  const std::string long48(48, 'v');
  const Row rows[] = {
      {"client", junk + "ver_client1_1.1", 1, "ver_client1_1.0:ver_client1_1.1\n"},
      {"common", junk + "ver_common_2.0", 0, "ver_common_1.0:ver_common_2.0\n"},
      {"client again", junk + "ver_client1_1.1" + std::string(33, '\0'), 1,
       "ver_client1_1.0:ver_client1_1.1\n"},
      {"longer", junk + "ver_client1_1.10", 0, "ver_common_1.0:ver_client1_1.10\n"},
      {"other case", junk + "VER_CLIENT1_1.1", 0, "ver_common_1.0:VER_CLIENT1_1.1\n"},
      {"empty", junk, 0, "ver_common_1.0:\n"},
      {"no data", "", 0, "ver_common_1.0:\n"},
      {"text at byte 0", "ver_client1_1.1", 0, "ver_common_1.0:\n"},
      {"48 bytes without NUL", junk + long48 + "tail", 0,
       "ver_common_1.0:" + std::string(47, 'v') + "\n"},
  };
  const std::string part0 = h_.Status(0);
  for (const Row& row : rows) {
    EXPECT_TRUE(Deliver(Reply(1, row.data)).empty()) << row.name;
    EXPECT_EQ(h_.Dlg().ClientVersion(), row.flag) << row.name;
    EXPECT_EQ(TraceWithoutLines(h_), (std::vector<std::string>{CmdIdTrace("1"), row.trace}))
        << row.name;
  }
  EXPECT_EQ(h_.Status(0), part0);
}

TEST_F(RepliesDlg, DiscoveryReplyTakesTheSenderAddress) {
  Deliver(Reply(3, DiscoveryRecord("Lobby", MakeIp32(10, 9, 8, 7))));
  ASSERT_EQ(h_.Dlg().Devices().size(), 1u);
  EXPECT_EQ(h_.Dlg().Devices()[0]->ipAddr, MakeNetAddr(192, 168, 0, 21));
  EXPECT_EQ(h_.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Lobby"});
}

// Through the buttons: Get current parameters with a reader that answers requests 0 and 30.
class ReaderSession : public RepliesDlg {
 protected:
  void SetUp() override {
    RepliesDlg::SetUp();
    AnswerSearches(reader_, DiscoveryRecord("Lobby"));
    h_.Click(IDC_BTN_SEARCH);
    h_.Select(IDC_LIST_DEVICES, 0);
    ASSERT_EQ(h_.Items(IDC_LIST_DEVICES).size(), 1u);
  }
  void AnswerReads(const std::string& record) {
    reader_.OnReceive([this, record](const ScriptedReader::Received& r) {
      if (r.bytes.size() != PACKAGE_HEADER_LEN || r.port != 24680) return;
      const int cmdId = static_cast<unsigned char>(r.bytes[8]);
      if (cmdId == 0) {
        reader_.SendToTool(Reply(1, std::string(16, '\0') + "ver_client1_1.1"), kToolAddress);
      }
      if (cmdId == 30) reader_.SendToTool(Reply(31, record), kToolAddress);
    });
  }
};

TEST_F(ReaderSession, ParameterRecordReachesTheDisplay) {
  DEV_PARAM_T record{};
  record.ipAddr = MakeIp32(192, 168, 0, 21);
  record.netMode = 1;
  record.serverPort = 4321;
  const auto bytes = EncodeDevParam(record);
  AnswerReads(std::string(bytes.begin(), bytes.end()));
  h_.Click(IDC_BTN_GET_PARAMS);
  EXPECT_EQ(h_.Dlg().ClientVersion(), 1);
  EXPECT_EQ(h_.Dlg().ParametersReceived(), 1);
  EXPECT_EQ(h_.IpText(IDC_IP_ADDRESS), "192.168.0.21");
  EXPECT_EQ(h_.Selection(IDC_COMBO_NET_MODE), 1);
  EXPECT_EQ(h_.Text(IDC_EDIT_SERVER_PORT), "4321");
}

TEST_F(ReaderSession, ParameterReplyWithoutDataShowsAZeroRecord) {
  h_.SetIp(IDC_IP_ADDRESS, 1, 2, 3, 4);
  h_.Select(IDC_COMBO_NET_MODE, 1);
  AnswerReads("");
  h_.Click(IDC_BTN_GET_PARAMS);
  EXPECT_EQ(h_.Dlg().ParametersReceived(), 1);
  EXPECT_EQ(h_.IpText(IDC_IP_ADDRESS), "0.0.0.0");
  EXPECT_EQ(h_.Selection(IDC_COMBO_NET_MODE), 0);
}

TEST_F(ReaderSession, SetCommandSendsHeaderPauseAndDataAndTheEchoConfirms) {
  AnswerReads("");
  h_.Click(IDC_BTN_GET_PARAMS);
  ASSERT_TRUE(h_.Enabled(IDC_BTN_SET_SERIAL));
  h_.Select(IDC_COMBO_BAUD_RATE, 15);  // 115200

  std::vector<std::chrono::steady_clock::time_point> arrivals;
  reader_.Clear();
  reader_.OnReceive([&](const ScriptedReader::Received& r) {
    arrivals.push_back(std::chrono::steady_clock::now());
    // The reader echoes the data of request 38 in its reply 39.
    if (r.bytes.size() == 20) reader_.SendToTool(Reply(39, r.bytes), kToolAddress);
  });
  StatusRecorder status(h_);
  h_.Click(IDC_BTN_SET_SERIAL);

  ASSERT_EQ(reader_.Datagrams().size(), 2u);
  const std::string& header = reader_.Datagrams()[0].bytes;
  const std::string& data = reader_.Datagrams()[1].bytes;
  EXPECT_EQ(testing_support::Hex(header.substr(8, 8)), "26 00 00 00 14 00 00 00");
  EXPECT_EQ(testing_support::Hex(data.substr(0, 12)),
            testing_support::Hex(Le32(115200) + Le32(8) + Le32(1)));
  ASSERT_EQ(arrivals.size(), 2u);
  EXPECT_GE(arrivals[1] - arrivals[0], std::chrono::milliseconds(10));

  const std::string sentTo =
      FormatInterfaceText(h_.InterfaceText(Text::SentToAddress).c_str(), {192, 168, 0, 21});
  EXPECT_EQ(status.Part(0),
            (std::vector<std::string>{sentTo, sentTo, h_.InterfaceText(Text::SetSuccessfully)}));
  EXPECT_EQ(status.Part(1),
            (std::vector<std::string>{HexDump(header.data(), 17), HexDump(data.data(), 20),
                                      HexDump(Reply(39, data).data(), 37)}));
}

TEST_F(ReaderSession, SetCommandWithoutSelectionShowsNoReaderSelectedTwice) {
  AnswerReads("");
  h_.Click(IDC_BTN_GET_PARAMS);
  ASSERT_TRUE(h_.Enabled(IDC_BTN_SET_LIGHT));
  h_.Select(IDC_LIST_DEVICES, -1);
  reader_.Clear();
  StatusRecorder status(h_);
  h_.Click(IDC_BTN_SET_LIGHT);
  EXPECT_EQ(status.Part(0), (std::vector<std::string>{h_.InterfaceText(Text::NoReaderSelected),
                                                      h_.InterfaceText(Text::NoReaderSelected)}));
  EXPECT_TRUE(reader_.Datagrams().empty());
}

}  // namespace
