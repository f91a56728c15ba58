// Get current parameters and the display of the parameter record, through the real dialog and
// a reader on the virtual segment.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "params/ParamDisplay.h"
#include "platform/kernel.h"
#include "tests/app/dialog/ParamReader.h"
#include "tests/app/dialog/ShownRecord.h"

namespace params_test {
namespace {

using testing_support::DialogHarness;

constexpr int kRecordButtons[] = {
    IDC_BTN_GET_PARAMS,     IDC_BTN_SET_CLOUD,         IDC_BTN_SET_SERIAL,
    IDC_BTN_SET_RESTART,    IDC_BTN_SET_LIGHT,         IDC_BTN_SET_SPEAKER,
    IDC_BTN_SET_WORK_MODE,  IDC_BTN_SET_HIDDEN_CHOICE, IDC_BTN_SET_WIEGAND,
    IDC_BTN_SET_NETWORK,    IDC_BTN_SET_OUTPUT_FORMAT, IDC_BTN_SET_CARD_INPUT_FORMAT,
    IDC_BTN_SET_HID,        IDC_BTN_SET_CARD_FIX,      IDC_BTN_SET_QR,
    IDC_BTN_SET_BAR_PREFIX, IDC_BTN_SET_BAR_SUFFIX};

constexpr int kVersionedQr[] = {IDC_COMBO_QR_ENCRYPTED, IDC_COMBO_QR_CARD_FORMAT,
                                IDC_COMBO_QR_WORK_MODE, IDC_COMBO_QR_USE_COUNT,
                                IDC_EDIT_QR_NTP,        IDC_EDIT_QR_BACKUP};

class ShowRecordDlg : public ::testing::TestWithParam<RecordCase> {};

TEST_P(ShowRecordDlg, EveryFieldAppearsInItsControl) {
  DialogHarness h;
  const DEV_PARAM_T record = GetParam().make();
  ParamReader reader(h.Segment(), record);
  SelectReader(h);
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES).size(), 1u);
  for (int id : kRecordButtons) {
    if (id != IDC_BTN_GET_PARAMS) {
      EXPECT_FALSE(h.Enabled(id)) << id;
    }
  }

  GetParameters(h);

  ExpectShown(h, Expected(record));
  EXPECT_EQ(h.SelectedText(IDC_COMBO_BAUD_RATE), std::to_string(record.baudRate));
  EXPECT_EQ(h.SelectedText(IDC_COMBO_DATA_BITS), std::to_string(record.dataBits));
  EXPECT_EQ(h.SelectedText(IDC_COMBO_STOP_BITS), std::to_string(record.stopBits));
  for (int id : kRecordButtons) EXPECT_TRUE(h.Enabled(id)) << id;
  for (int id : kVersionedQr) EXPECT_TRUE(h.Enabled(id)) << id;
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));
  EXPECT_EQ(h.Dlg().ParametersReceived(), 1);
  EXPECT_EQ(h.Dlg().ClientVersion(), 1);
}

// A second record overwrites everything the first one set.
TEST_P(ShowRecordDlg, ALaterRecordOverwritesTheEarlierOne) {
  DialogHarness h;
  const DEV_PARAM_T other = std::string(GetParam().name) == "RecordA" ? RecordB1() : RecordA0();
  ParamReader reader(h.Segment(), other);
  SelectReader(h);
  GetParameters(h);
  reader.state = GetParam().make();
  GetParameters(h);
  ExpectShown(h, Expected(reader.state));
}

INSTANTIATE_TEST_SUITE_P(Records, ShowRecordDlg, ::testing::ValuesIn(kRecords),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetParametersDlg, SendsVersionThenReadAllAsHeadersOnly) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  SelectReader(h);
  reader.Clear();
  GetParameters(h);
  ASSERT_EQ(reader.Commands().size(), 2u);
  const std::int32_t ids[] = {CMD_READ_VERSION, CMD_READ_PARAMS};
  for (std::size_t i = 0; i < 2; ++i) {
    const ReceivedCommand& c = reader.Commands()[i];
    EXPECT_EQ(c.port, COMMAND_PORT);
    ASSERT_EQ(c.header.size(), 17u);
    EXPECT_EQ(c.CmdId(), ids[i]);
    EXPECT_EQ(c.DataLen(), 0);
    EXPECT_EQ(c.Checksum(), 0xFF);
  }
  EXPECT_TRUE(h.Enabled(IDC_BTN_GET_PARAMS));
}

TEST(GetParametersDlg, NoReaderSelectedSendsNothingAndShowsNoReaderSelectedForEachRequest) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  platform::Window* bar = h.Control(IDC_STATUS_BAR);
  const auto before = bar->Version();
  GetParameters(h);
  EXPECT_EQ(reader.DatagramCount(), 0u);
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::NoReaderSelected));
  EXPECT_EQ(bar->Version() - before, 2u);
  EXPECT_TRUE(h.Enabled(IDC_BTN_GET_PARAMS));
  EXPECT_FALSE(h.Enabled(IDC_BTN_SET_LIGHT));
  EXPECT_EQ(h.Dlg().ParametersReceived(), 0);
}

// Without the client version the QR fields of the record are not shown and their controls are
// disabled; network protocol and output-from-digit are shown either way.
TEST(QrVersionDlg, VersionFlagDecidesTheQrFields) {
  struct Row {
    const char* version;
    bool shown;
  };
  const Row rows[] = {{kClientVersion, true}, {"ver_common_1.0", false}, {"", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.version);
    DialogHarness h;
    const DEV_PARAM_T record = RecordA();
    ParamReader reader(h.Segment(), record);
    reader.versionText = row.version;
    SelectReader(h);
    const std::string defaultNtp = h.Text(IDC_EDIT_QR_NTP);
    GetParameters(h);
    EXPECT_EQ(h.Dlg().ClientVersion(), row.shown ? 1 : 0);
    EXPECT_EQ(h.Selection(IDC_COMBO_QR_PROTOCOL), record.qrProtocol);
    EXPECT_EQ(h.Selection(IDC_COMBO_QR_START_DIGIT), record.qrStartDigit);
    EXPECT_EQ(h.Text(IDC_EDIT_QR_NTP), row.shown ? std::string(record.ntpAddr) : defaultNtp);
    EXPECT_EQ(h.Selection(IDC_COMBO_QR_CARD_FORMAT), row.shown ? record.qrCardFormat : 0);
    EXPECT_EQ(h.Selection(IDC_COMBO_QR_WORK_MODE), row.shown ? record.qrWorkMode : 0);
    for (int id : kVersionedQr) EXPECT_EQ(h.Enabled(id), row.shown) << id;
    EXPECT_TRUE(h.Enabled(IDC_BTN_SET_QR));
  }
}

// The record is shown with the flag of the version reply before it; a version reply that comes
// after the record takes effect with the next record.
TEST(QrVersionDlg, VersionReplyAfterTheRecord) {
  DialogHarness h;
  const DEV_PARAM_T record = RecordA();
  ParamReader reader(h.Segment(), record);
  reader.versionAfterRecord = true;
  SelectReader(h);
  GetParameters(h);
  EXPECT_EQ(h.Dlg().ClientVersion(), 1);
  EXPECT_EQ(h.Text(IDC_EDIT_QR_NTP), "");
  EXPECT_FALSE(h.Enabled(IDC_EDIT_QR_NTP));
  EXPECT_EQ(h.Selection(IDC_COMBO_QR_PROTOCOL), record.qrProtocol);

  GetParameters(h);
  EXPECT_EQ(h.Text(IDC_EDIT_QR_NTP), record.ntpAddr);
  EXPECT_EQ(h.Selection(IDC_COMBO_QR_USE_COUNT), record.qrUseCount);
  EXPECT_TRUE(h.Enabled(IDC_EDIT_QR_NTP));
}

// A record shown while the version flag is set, then one while it is clear: the versioned QR
// controls keep the values of the earlier record (neither the defaults nor the new record's),
// and the others follow the new record. The earlier values differ from the defaults, so that a
// reset to the defaults would show.
TEST(QrVersionDlg, AFlagClearedLaterKeepsTheEarlierRecordsQrValues) {
  DialogHarness h;
  const int combos[] = {IDC_COMBO_QR_CARD_FORMAT, IDC_COMBO_QR_ENCRYPTED, IDC_COMBO_QR_USE_COUNT,
                        IDC_COMBO_QR_WORK_MODE};
  auto put = [](DEV_PARAM_T& r, int id, int v) {
    const auto byte = static_cast<std::uint8_t>(v);
    if (id == IDC_COMBO_QR_CARD_FORMAT) r.qrCardFormat = byte;
    if (id == IDC_COMBO_QR_ENCRYPTED) r.qrEncrypted = byte;
    if (id == IDC_COMBO_QR_USE_COUNT) r.qrUseCount = byte;
    if (id == IDC_COMBO_QR_WORK_MODE) r.qrWorkMode = v;
  };
  DEV_PARAM_T first = RecordA();
  DEV_PARAM_T second = RecordB();
  std::map<int, int> shownFirst;
  for (int id : combos) {
    const int count = static_cast<int>(h.Items(id).size());
    ASSERT_GE(count, 2) << id;
    shownFirst[id] = (h.Selection(id) + 1) % count;
    put(first, id, shownFirst[id]);
    put(second, id, (shownFirst[id] + 1) % count);
  }
  ASSERT_NE(std::string(first.ntpAddr), h.Text(IDC_EDIT_QR_NTP));
  ParamReader reader(h.Segment(), first);
  SelectReader(h);
  GetParameters(h);
  ASSERT_EQ(h.Dlg().ClientVersion(), 1);

  reader.state = second;
  reader.versionText = "ver_common_1.0";
  GetParameters(h);
  ASSERT_EQ(h.Dlg().ClientVersion(), 0);
  ASSERT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));
  for (int id : combos) EXPECT_EQ(h.Selection(id), shownFirst[id]) << id;
  EXPECT_EQ(h.Text(IDC_EDIT_QR_NTP), std::string(first.ntpAddr));
  EXPECT_EQ(h.Text(IDC_EDIT_QR_BACKUP), std::string(first.backupAddr));
  for (int id : kVersionedQr) EXPECT_FALSE(h.Enabled(id)) << id;
  EXPECT_EQ(h.Selection(IDC_COMBO_QR_PROTOCOL), second.qrProtocol);
  EXPECT_EQ(h.Selection(IDC_COMBO_QR_START_DIGIT), second.qrStartDigit);
}

// Single-field variations of a shown record and what the control then shows.
struct FieldRow {
  const char* name;
  void (*change)(DEV_PARAM_T&);
  ControlExpectation expected;
};

// The selection before the record arrives, which the test makes a position other than the
// list's default, so that a reset to the default shows.
constexpr int kKeep = -100;

const FieldRow kFieldRows[] = {
    {"output format 1", [](DEV_PARAM_T& r) { r.outputFormat = 1; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, 0)},
    {"output format 7", [](DEV_PARAM_T& r) { r.outputFormat = 7; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, 6)},
    {"output format 8", [](DEV_PARAM_T& r) { r.outputFormat = 8; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, 6)},
    {"output format 9", [](DEV_PARAM_T& r) { r.outputFormat = 9; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, 7)},
    {"output format 11", [](DEV_PARAM_T& r) { r.outputFormat = 11; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, 9)},
    {"output format 0", [](DEV_PARAM_T& r) { r.outputFormat = 0; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, -1)},
    {"output format 12", [](DEV_PARAM_T& r) { r.outputFormat = 12; },
     Sel(IDC_COMBO_OUTPUT_FORMAT, -1)},
    {"card input 1", [](DEV_PARAM_T& r) { r.cardInputFormat = 1; },
     Sel(IDC_COMBO_CARD_INPUT_FORMAT, 0)},
    {"card input 0", [](DEV_PARAM_T& r) { r.cardInputFormat = 0; },
     Sel(IDC_COMBO_CARD_INPUT_FORMAT, -1)},
    {"light past the list", [](DEV_PARAM_T& r) { r.light = 2; }, Sel(IDC_COMBO_LIGHT, -1)},
    {"speaker 0x80 is negative", [](DEV_PARAM_T& r) { r.speaker = -128; },
     Sel(IDC_COMBO_SPEAKER, -1)},
    {"work mode -1", [](DEV_PARAM_T& r) { r.workMode = -1; }, Sel(IDC_COMBO_WORK_MODE, -1)},
    {"restart past the list", [](DEV_PARAM_T& r) { r.restartSetting = 3; },
     Sel(IDC_COMBO_RESTART, -1)},
    {"qr protocol 200 is unsigned", [](DEV_PARAM_T& r) { r.qrProtocol = 200; },
     Sel(IDC_COMBO_QR_PROTOCOL, -1)},
    {"start digit 50", [](DEV_PARAM_T& r) { r.qrStartDigit = 50; },
     Sel(IDC_COMBO_QR_START_DIGIT, 50)},
    {"start digit 51", [](DEV_PARAM_T& r) { r.qrStartDigit = 51; },
     Sel(IDC_COMBO_QR_START_DIGIT, -1)},
    {"baud 9600", [](DEV_PARAM_T& r) { r.baudRate = 9600; }, Sel(IDC_COMBO_BAUD_RATE, 10)},
    {"baud 12345 keeps", [](DEV_PARAM_T& r) { r.baudRate = 12345; },
     Sel(IDC_COMBO_BAUD_RATE, kKeep)},
    {"baud 0 keeps", [](DEV_PARAM_T& r) { r.baudRate = 0; }, Sel(IDC_COMBO_BAUD_RATE, kKeep)},
    {"baud 1 finds the first item beginning with 1", [](DEV_PARAM_T& r) { r.baudRate = 1; },
     Sel(IDC_COMBO_BAUD_RATE, 0)},
    {"stop bits 1", [](DEV_PARAM_T& r) { r.stopBits = 1; }, Sel(IDC_COMBO_STOP_BITS, 0)},
    {"data bits 9 keeps", [](DEV_PARAM_T& r) { r.dataBits = 9; }, Sel(IDC_COMBO_DATA_BITS, kKeep)},
    {"bar prefix hex",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 0;
       PutText(r.barPrefix, 32, "AB");
     },
     Txt(IDC_EDIT_BAR_PREFIX, "4142")},
    {"bar prefix text",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 1;
       PutText(r.barPrefix, 32, "AB");
     },
     Txt(IDC_EDIT_BAR_PREFIX, "AB")},
    {"bar prefix format 7 is text",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 7;
       PutText(r.barPrefix, 32, "AB");
     },
     Txt(IDC_EDIT_BAR_PREFIX, "AB")},
    {"bar suffix hex under a text prefix",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 1;
       r.barSuffixFmt = 0;
       PutText(r.barSuffix, 32, "\r\n");
     },
     Txt(IDC_EDIT_BAR_SUFFIX, "0d0a")},
    {"list shows the prefix format",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 1;
       r.barSuffixFmt = 0;
     },
     Sel(IDC_COMBO_BAR_FIX_FORMAT, 1)},
    {"hex stops at the first zero",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 0;
       std::memcpy(r.barPrefix, "\x01\x00\x02", 3);
     },
     Txt(IDC_EDIT_BAR_PREFIX, "01")},
    {"hex bar prefix without NUL shows 32 bytes",
     [](DEV_PARAM_T& r) {
       r.barPrefixFmt = 0;
       std::memset(r.barPrefix, 0xEE, 32);
       r.barSuffixFmt = 0;
       std::memset(r.barSuffix, 0, 32);
     },
     Txt(IDC_EDIT_BAR_PREFIX,
         [] {
           std::string s;
           for (int i = 0; i < 32; ++i) s += "ee";
           return s;
         }())},
    {"card hex shows both",
     [](DEV_PARAM_T& r) {
       r.cardFixFmt = 0;
       PutText(r.cardSuffix, 32, "\x03");
     },
     Txt(IDC_EDIT_CARD_SUFFIX, "03")},
    {"wiegand 4 shows 400", [](DEV_PARAM_T& r) { r.wgLowPulse = 4; }, Txt(IDC_EDIT_WG_LOW, "400")},
    {"wiegand 20 shows 2000", [](DEV_PARAM_T& r) { r.wgHighPulse = 20; },
     Txt(IDC_EDIT_WG_HIGH, "2000")},
    {"server address without NUL shows 48 bytes",
     [](DEV_PARAM_T& r) { std::memset(r.serverAddr, 'x', 48); },
     Txt(IDC_EDIT_SERVER_ADDR, std::string(48, 'x'))},
    {"text after a NUL is not shown",
     [](DEV_PARAM_T& r) { std::memcpy(r.serverAddr, "ab\0cd", 5); },
     Txt(IDC_EDIT_SERVER_ADDR, "ab")},
    {"ip bytes 01 00 A8 C0", [](DEV_PARAM_T& r) { r.ipAddr = Ip32{0xC0A80001}; },
     ControlExpectation{IDC_IP_ADDRESS, Shows::Ip, 0, "192.168.0.1"}},
    {"cloud text of 32 bytes without NUL",
     [](DEV_PARAM_T& r) { std::memset(r.cloudText1, 'k', 32); },
     Txt(IDC_EDIT_CLOUD_TEXT1, std::string(32, 'k'))},
    {"cloud text in Chinese",
     [](DEV_PARAM_T& r) { PutText(r.cloudText4, 32, "\xE4\xB8\xAD\xE6\x96\x87"); },
     Txt(IDC_EDIT_CLOUD_TEXT4, "\xD6\xD0\xCE\xC4")},
};

class FieldDisplayDlg : public ::testing::TestWithParam<FieldRow> {};

TEST_P(FieldDisplayDlg, ShowsTheFieldAsItsControlCan) {
  const FieldRow& row = GetParam();
  DialogHarness h;
  DEV_PARAM_T record = RecordA();
  row.change(record);
  ParamReader reader(h.Segment(), record);
  SelectReader(h);
  int before = h.Selection(row.expected.id);
  if (row.expected.kind == Shows::Selection && row.expected.selection == kKeep) {
    const int count = static_cast<int>(h.Items(row.expected.id).size());
    ASSERT_GE(count, 2);
    before = (before + 1) % count;
    ASSERT_EQ(h.Select(row.expected.id, before), platform::InputResult::Ok);
  }
  GetParameters(h);
  ASSERT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));
  switch (row.expected.kind) {
    case Shows::Selection:
      EXPECT_EQ(h.Selection(row.expected.id),
                row.expected.selection == kKeep ? before : row.expected.selection);
      break;
    case Shows::Text:
      EXPECT_EQ(h.Text(row.expected.id), row.expected.text);
      break;
    case Shows::Ip:
      EXPECT_EQ(h.IpText(row.expected.id), row.expected.text);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldDisplayDlg, ::testing::ValuesIn(kFieldRows),
                         [](const auto& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p)
                             n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

}  // namespace
}  // namespace params_test
