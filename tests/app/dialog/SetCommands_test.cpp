// The Set commands of the parameter groups through the real dialog: what each button sends to
// the selected reader, and that a reader applying them shows the written values on the next read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "params/Payloads.h"
#include "tests/app/dialog/ParamReader.h"
#include "tests/app/dialog/SetCommandChecks.h"
#include "tests/app/dialog/ShownRecord.h"

namespace params_test {
namespace {

using testing_support::DialogHarness;
using testing_support::Hex;

using testing_support::kSetCommandRows;
using testing_support::SetCommandRow;

// A click and the one command it sent; for a command without a pause the click is repeated (up
// to three times) when a busy machine stretched the gap, and the shortest gap is kept.
ReceivedCommand ClickSet(DialogHarness& h, ParamReader& reader, const SetCommandRow& b) {
  ReceivedCommand best;
  for (int attempt = 0; attempt < 3; ++attempt) {
    reader.Clear();
    Press(h, b.button);
    h.Pump(2);
    if (reader.Commands().size() != 1) {
      ADD_FAILURE() << "button " << b.button << " sent " << reader.Commands().size() << " commands";
      return {};
    }
    const ReceivedCommand& c = reader.Commands().front();
    if (attempt == 0 || c.gapMs < best.gapMs) best = c;
    if (b.pauseMs > 0 || best.gapMs < 9.0) break;
  }
  return best;
}

class EchoDlg : public ::testing::TestWithParam<RecordCase> {};

// Read a record, touch nothing, Set every group: each payload is its section of the record.
TEST_P(EchoDlg, EverySetButtonSendsBackItsSectionUnchanged) {
  DialogHarness h;
  const DEV_PARAM_T record = GetParam().make();
  ParamReader reader(h.Segment(), record);
  SelectReader(h);
  GetParameters(h);
  ASSERT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));

  for (const SetCommandRow& b : kSetCommandRows) {
    SCOPED_TRACE(b.name);
    const ReceivedCommand c = ClickSet(h, reader, b);
    EXPECT_EQ(c.port, b.port);
    ASSERT_EQ(c.payload.size(), b.payloadLen);
    EXPECT_EQ(Hex(c.payload.substr(b.SectionAt())), Hex(SectionBytes(record, b)));
    ExpectHeader(c, b.request);
    if (b.pauseMs > 0) {
      EXPECT_GE(c.gapMs, 9.0);
    } else {
      EXPECT_LT(c.gapMs, 9.0);
    }
    EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SetSuccessfully));
  }
}

INSTANTIATE_TEST_SUITE_P(Records, EchoDlg, ::testing::ValuesIn(kRecords),
                         [](const auto& info) { return std::string(info.param.name); });

// Every group written to a reader that applies it, then read back.
TEST(WriteThenReadDlg, EveryGroupWrittenIsShownByTheNextRead) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordB());
  SelectReader(h);
  GetParameters(h);

  // The reader forgets, the user changes a few values, every group is written.
  reader.state = RecordA();
  h.Select(IDC_COMBO_OUTPUT_FORMAT, 7);
  h.Type(IDC_EDIT_WG_LOW, "250");
  h.Type(IDC_EDIT_WG_HIGH, "1999");
  h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
  h.Type(IDC_EDIT_BAR_PREFIX, "0D0a");
  h.Type(IDC_EDIT_QR_NTP, "pool.ntp.test");
  SetHiddenText(h, IDC_EDIT_CLOUD_TEXT3, "\xC3\xC5-3");  // 门-3 in GBK
  h.Select(IDC_COMBO_BAUD_RATE, 3);
  h.Control(IDC_IP_CLOUD_SERVER)->Send(IPM_SETADDRESS, 0, static_cast<LPARAM>(0x64400009));
  for (const SetCommandRow& b : kSetCommandRows) Press(h, b.button);
  h.Pump(5);

  DEV_PARAM_T expected = RecordB();
  std::memcpy(expected.opaque, RecordA().opaque, sizeof expected.opaque);  // never written
  expected.outputFormat = 9;
  expected.wgLowPulse = 2;
  expected.wgHighPulse = 19;
  expected.barPrefixFmt = 0;
  PutText(expected.barPrefix, sizeof expected.barPrefix, "\r\n");
  expected.barSuffixFmt = 0;  // ";END" read as hexadecimal pairs: no pair begins with a digit
  PutText(expected.barSuffix, sizeof expected.barSuffix, "\0\0");
  PutText(expected.ntpAddr, sizeof expected.ntpAddr, "pool.ntp.test");
  PutText(expected.cloudText3, sizeof expected.cloudText3, "\xE9\x97\xA8-3");
  expected.baudRate = 300;
  expected.cloudServerIp = MakeIp32(100, 64, 0, 9);
  for (const SetCommandRow& s : kSetCommandRows) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(Hex(SectionBytes(reader.state, s)), Hex(SectionBytes(expected, s)));
  }

  // Another record in the controls, then the read brings back what was written.
  h.Dlg().ShowParameters(RecordA());
  GetParameters(h);
  ExpectShown(h, Expected(expected));
  EXPECT_EQ(h.Text(IDC_EDIT_WG_LOW), "200");
  EXPECT_EQ(h.SelectedText(IDC_COMBO_BAUD_RATE), "300");
}

const NoSelectionRow kNoSelectionRows[] = {
    {"output format", IDC_BTN_SET_OUTPUT_FORMAT, {IDC_COMBO_OUTPUT_FORMAT}, 0, Bytes({0, 0, 0, 0})},
    {"card input",
     IDC_BTN_SET_CARD_INPUT_FORMAT,
     {IDC_COMBO_CARD_INPUT_FORMAT},
     0,
     Bytes({0, 0, 0, 0})},
    {"hid enter", IDC_BTN_SET_HID, {IDC_COMBO_HID_ENTER}, 0, Bytes({0xFF, 0, 0, 0})},
    {"hid newline", IDC_BTN_SET_HID, {IDC_COMBO_HID_NEWLINE}, 0, Bytes({1, 0xFF, 0, 0})},
    {"light", IDC_BTN_SET_LIGHT, {IDC_COMBO_LIGHT}, 0, Bytes({0xFF, 0, 0, 0})},
    {"work mode", IDC_BTN_SET_WORK_MODE, {IDC_COMBO_WORK_MODE}, 0, Bytes({0xFF, 0, 0, 0})},
    {"hidden choice",
     IDC_BTN_SET_HIDDEN_CHOICE,
     {IDC_COMBO_HIDDEN_CHOICE},
     0,
     Bytes({0xFF, 0, 0, 0})},
    {"speaker", IDC_BTN_SET_SPEAKER, {IDC_COMBO_SPEAKER}, 0, Bytes({0xFF, 0, 0, 0})},
    {"restart", IDC_BTN_SET_RESTART, {IDC_COMBO_RESTART}, 0, Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
    {"serial",
     IDC_BTN_SET_SERIAL,
     {IDC_COMBO_BAUD_RATE, IDC_COMBO_DATA_BITS, IDC_COMBO_STOP_BITS, IDC_COMBO_PARITY,
      IDC_COMBO_QR_SERIAL_FORMAT},
     0,
     Bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
    {"qr",
     IDC_BTN_SET_QR,
     {IDC_COMBO_QR_PROTOCOL, IDC_COMBO_QR_CARD_FORMAT, IDC_COMBO_QR_ENCRYPTED,
      IDC_COMBO_QR_USE_COUNT, IDC_COMBO_QR_START_DIGIT, IDC_COMBO_QR_WORK_MODE},
     0,
     Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},

};

class NoSelectionDlg : public ::testing::TestWithParam<NoSelectionRow> {};

TEST_P(NoSelectionDlg, SendsWhatPositionMinusOneGives) {
  ExpectNoSelectionSends(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Lists, NoSelectionDlg, ::testing::ValuesIn(kNoSelectionRows), RowName());

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

const InputRow kInputRows[] = {
    {"output format item 6",
     [](DialogHarness& h) { h.Select(IDC_COMBO_OUTPUT_FORMAT, 6); },
     IDC_BTN_SET_OUTPUT_FORMAT,
     Bytes({7, 0, 0, 0}),
     {}},
    {"output format item 7",
     [](DialogHarness& h) { h.Select(IDC_COMBO_OUTPUT_FORMAT, 7); },
     IDC_BTN_SET_OUTPUT_FORMAT,
     Bytes({9, 0, 0, 0}),
     {}},
    {"output format item 9",
     [](DialogHarness& h) { h.Select(IDC_COMBO_OUTPUT_FORMAT, 9); },
     IDC_BTN_SET_OUTPUT_FORMAT,
     Bytes({11, 0, 0, 0}),
     {}},
    {"card input item 0",
     [](DialogHarness& h) { h.Select(IDC_COMBO_CARD_INPUT_FORMAT, 0); },
     IDC_BTN_SET_CARD_INPUT_FORMAT,
     Bytes({1, 0, 0, 0}),
     {}},
    {"hid 1 and 0",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_HID_ENTER, 1);
       h.Select(IDC_COMBO_HID_NEWLINE, 0);
     },
     IDC_BTN_SET_HID,
     Bytes({1, 0, 0, 0}),
     {}},
    {"restart item 2",
     [](DialogHarness& h) { h.Select(IDC_COMBO_RESTART, 2); },
     IDC_BTN_SET_RESTART,
     Bytes({2, 0, 0, 0}),
     {}},
    {"wiegand 400 and 2000",
     [](DialogHarness& h) {
       h.Type(IDC_EDIT_WG_LOW, "400");
       h.Type(IDC_EDIT_WG_HIGH, "2000");
     },
     IDC_BTN_SET_WIEGAND,
     Bytes({0x14, 0, 0, 0, 4, 0, 0, 0}),
     {}},
    {"wiegand 250 truncates",
     [](DialogHarness& h) {
       h.Type(IDC_EDIT_WG_LOW, "250");
       h.Type(IDC_EDIT_WG_HIGH, "199");
     },
     IDC_BTN_SET_WIEGAND,
     Bytes({1, 0, 0, 0, 2, 0, 0, 0}),
     {}},
    {"serial 115200 8 1 2 4",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAUD_RATE, 15);
       h.Select(IDC_COMBO_DATA_BITS, 0);
       h.Select(IDC_COMBO_STOP_BITS, 0);
       h.Select(IDC_COMBO_PARITY, 2);
       h.Select(IDC_COMBO_QR_SERIAL_FORMAT, 4);
     },
     IDC_BTN_SET_SERIAL,
     Bytes({0x00, 0xC2, 0x01, 0, 8, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0}),
     {}},
    {"ntp of 60 characters",
     [](DialogHarness& h) {
       h.Type(IDC_EDIT_QR_NTP, std::string(60, 'n'));
       h.Type(IDC_EDIT_QR_BACKUP, "bk");
     },
     IDC_BTN_SET_QR,
     Bytes({2, 1, 1, 1, 37, 0, 0, 0, 1, 0, 0, 0}) + std::string(47, 'n') + Zeros(1) + "bk" +
         Zeros(46),
     {}},
    // 24 characters of two GBK bytes make 48: 23 of them fit in the 47 bytes.
    {"ntp of 24 chinese characters keeps 23",
     [](DialogHarness& h) {
       h.Type(IDC_EDIT_QR_NTP, Repeat("\xD6\xD0", 24));
       h.Type(IDC_EDIT_QR_BACKUP, "b" + Repeat("\xD6\xD0", 24));
     },
     IDC_BTN_SET_QR,
     Bytes({2, 1, 1, 1, 37, 0, 0, 0, 1, 0, 0, 0}) + Repeat("\xD6\xD0", 23) + Zeros(2) + "b" +
         Repeat("\xD6\xD0", 23) + Zeros(1),
     {}},
};

class InputDlg : public ::testing::TestWithParam<InputRow> {};

TEST_P(InputDlg, SendsWhatTheControlsHold) {
  ExpectInputSends(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Inputs, InputDlg, ::testing::ValuesIn(kInputRows), RowName());

// Without the client version the six QR controls keep what they held before the record, and
// those values are what Set (QR code parameters) sends.
TEST(QrParamsDlg, WithoutTheVersionFlagTheDisabledControlsAreSent) {
  DialogHarness h;
  const DEV_PARAM_T record = RecordA0();
  ParamReader reader(h.Segment(), record);
  reader.versionText = "ver_common_1.0";
  SelectReader(h);
  GetParameters(h);
  ASSERT_FALSE(h.Enabled(IDC_EDIT_QR_NTP));
  reader.Clear();
  Press(h, IDC_BTN_SET_QR);
  ASSERT_EQ(reader.Commands().size(), 1u);
  const std::string sent = reader.Commands()[0].payload;
  ASSERT_EQ(sent.size(), QR_PARAMS_LEN);
  // Protocol and output-from-digit come from the record, the rest are the lists' defaults.
  EXPECT_EQ(Hex(sent.substr(0, 12)),
            Hex(Bytes({record.qrProtocol, 0, 0, 0, record.qrStartDigit, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_EQ(sent.substr(12), Zeros(96));
}

// The two Wiegand edits never keep less than 100 once the user leaves them.
TEST(WiegandKillFocusDlg, BelowOneHundredBecomesOneHundred) {
  struct Row {
    int edit;
    const char* typed;
    const char* shown;
  };
  const Row rows[] = {{IDC_EDIT_WG_LOW, "50", "100"},  {IDC_EDIT_WG_LOW, "99", "100"},
                      {IDC_EDIT_WG_LOW, "100", "100"}, {IDC_EDIT_WG_LOW, "-7", "100"},
                      {IDC_EDIT_WG_LOW, "0", "100"},   {IDC_EDIT_WG_LOW, "101", "101"},
                      {IDC_EDIT_WG_HIGH, "50", "100"}, {IDC_EDIT_WG_HIGH, "99999", "99999"}};
  DialogHarness h;
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.typed) + " in " + std::to_string(row.edit));
    h.Type(row.edit, row.typed);
    h.Focus(IDC_EDIT_SERVER_ADDR);
    EXPECT_EQ(h.Text(row.edit), row.shown);
  }
  EXPECT_TRUE(h.Host().MessageBoxes().empty());
}

TEST(WiegandKillFocusDlg, ClickOnSetChecksTheEditThatHadTheFocus) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  SelectReader(h);
  GetParameters(h);
  h.Type(IDC_EDIT_WG_HIGH, "50");
  reader.Clear();
  h.Click(IDC_BTN_SET_WIEGAND);
  ASSERT_EQ(reader.Commands().size(), 1u);
  EXPECT_EQ(Hex(reader.Commands()[0].payload), Hex(Bytes({1, 0, 0, 0, 3, 0, 0, 0})));
  EXPECT_EQ(h.Text(IDC_EDIT_WG_HIGH), "100");
}

// Not an integer: the framework's prompt, and the members the exchange did not reach keep
// their values, which is what the command sends. The kill-focus notifications are sent: leaving
// high for low runs the exchange at once, while low still holds 300, so high's member takes 4000
// then; the click's kill-focus exchange then fails at low (the prompt, the focus back on low)
// before the click's own exchange fails there again (a second prompt) and the command leaves.
TEST(WiegandInvalidDlg, NotAnIntegerPromptsAndKeepsTheMembers) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());  // 3 and 21: the members hold 300 and 2100
  SelectReader(h);
  GetParameters(h);
  h.Host().ClearRecords();
  h.Type(IDC_EDIT_WG_HIGH, "4000");
  h.Type(IDC_EDIT_WG_LOW, "abc");
  EXPECT_TRUE(h.Host().MessageBoxes().empty());
  reader.Clear();
  h.Click(IDC_BTN_SET_WIEGAND);
  EXPECT_EQ(h.Host().MessageBoxes().size(), 2u);
  ASSERT_NE(h.Window()->Focus(), nullptr);
  EXPECT_EQ(h.Window()->Focus()->Id(), IDC_EDIT_WG_LOW);
  ASSERT_EQ(reader.Commands().size(), 1u);
  // Low (300) failed and keeps its member; high took 4000 when the user left it.
  EXPECT_EQ(Hex(reader.Commands()[0].payload), Hex(Bytes({40, 0, 0, 0, 3, 0, 0, 0})));
}

// No line selected in the device list: both sends of every command show Text::NoReaderSelected,
// none leaves.
TEST(NoReaderDlg, EverySetButtonSendsNothingAndShowsNoReaderSelectedTwice) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  h.Dlg().ShowParameters(RecordA());
  platform::Window* bar = h.Control(IDC_STATUS_BAR);
  for (const SetCommandRow& b : kSetCommandRows) {
    if (b.request == CMD_SET_NETWORK) continue;  // goes to the discovery port, not this routine
    SCOPED_TRACE(b.name);
    const auto before = bar->Version();
    Press(h, b.button);
    EXPECT_EQ(h.Status(0), h.InterfaceText(Text::NoReaderSelected));
    EXPECT_EQ(bar->Version() - before, 2u);
  }
  EXPECT_EQ(reader.DatagramCount(), 0u);
}

}  // namespace
}  // namespace params_test
