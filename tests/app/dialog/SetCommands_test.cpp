// The Set commands of the parameter groups through the real dialog: what each button sends to
// the selected reader, and that a reader applying them shows the written values on the next read.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/dialog/ParamReader.h"
#include "tests/app/dialog/ParamRecords.h"

namespace params_test {
namespace {

using testing_support::DialogHarness;
using testing_support::Hex;

struct SetButton {
  int button;
  std::int32_t cmdId;
  std::uint16_t port;
};

constexpr SetButton kSetButtons[] = {
    {IDC_BTN_SET_NETWORK, CMD_SET_NETWORK, DISCOVERY_PORT},
    {IDC_BTN_SET_CLOUD, CMD_SET_CLOUD, COMMAND_PORT},
    {IDC_BTN_SET_OUTPUT_FORMAT, CMD_SET_OUTPUT_FORMAT, COMMAND_PORT},
    {IDC_BTN_SET_CARD_INPUT_FORMAT, CMD_SET_CARD_INPUT_FORMAT, COMMAND_PORT},
    {IDC_BTN_SET_HID, CMD_SET_HID_FORMAT, COMMAND_PORT},
    {IDC_BTN_SET_BAR_PREFIX, CMD_SET_BAR_PREFIX, COMMAND_PORT},
    {IDC_BTN_SET_BAR_SUFFIX, CMD_SET_BAR_SUFFIX, COMMAND_PORT},
    {IDC_BTN_SET_LIGHT, CMD_SET_LIGHT, COMMAND_PORT},
    {IDC_BTN_SET_WORK_MODE, CMD_SET_WORK_MODE, COMMAND_PORT},
    {IDC_BTN_SET_HIDDEN_CHOICE, CMD_SET_HIDDEN_CHOICE, COMMAND_PORT},
    {IDC_BTN_SET_SPEAKER, CMD_SET_SPEAKER, COMMAND_PORT},
    {IDC_BTN_SET_WIEGAND, CMD_SET_WIEGAND, COMMAND_PORT},
    {IDC_BTN_SET_SERIAL, CMD_SET_SERIAL, COMMAND_PORT},
    {IDC_BTN_SET_RESTART, CMD_SET_RESTART, COMMAND_PORT},
    {IDC_BTN_SET_QR, CMD_SET_QR_PARAMS, COMMAND_PORT},
    {IDC_BTN_SET_CARD_FIX, CMD_SET_CARD_FIX, COMMAND_PORT},
};

// A click and the one command it sent; for a command without a pause the click is repeated (up
// to three times) when a busy machine stretched the gap, and the shortest gap is kept.
ReceivedCommand ClickSet(DialogHarness& h, ParamReader& reader, const SetButton& b) {
  const CommandInfo* info = FindCommand(b.cmdId);
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
    if (!info || info->pauseMs > 0 || best.gapMs < 9.0) break;
  }
  return best;
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

void ExpectHeader(const ReceivedCommand& c, std::int32_t cmdId) {
  ASSERT_EQ(c.header.size(), 17u);
  EXPECT_EQ(c.header.substr(0, 8), std::string("XXXX\0\0\0\0", 8));
  EXPECT_EQ(c.CmdId(), cmdId);
  EXPECT_EQ(c.DataLen(), static_cast<std::int32_t>(c.payload.size()));
  EXPECT_EQ(c.Checksum(),
            CmdDataChecksum(static_cast<int>(c.payload.size()), c.payload.data()) & 0xFF);
}

class EchoDlg : public ::testing::TestWithParam<RecordCase> {};

// Read a record, touch nothing, Set every group: each payload is its section of the record.
TEST_P(EchoDlg, EverySetButtonSendsBackItsSectionUnchanged) {
  DialogHarness h;
  const DEV_PARAM_T record = GetParam().make();
  ParamReader reader(h.Segment(), record);
  SelectReader(h);
  GetParameters(h);
  ASSERT_EQ(h.Status(0), h.InterfaceText(76));

  for (const SetButton& b : kSetButtons) {
    SCOPED_TRACE("cmdId " + std::to_string(b.cmdId));
    const ReceivedCommand c = ClickSet(h, reader, b);
    const SectionOf* s = FindSection(b.cmdId);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(c.port, b.port);
    ASSERT_EQ(c.payload.size(), s->payloadOffset + s->section.len);
    EXPECT_EQ(Hex(c.payload.substr(s->payloadOffset)), Hex(SectionBytes(record, s->section)));
    ExpectHeader(c, b.cmdId);
    const int pause = FindCommand(b.cmdId)->pauseMs;
    if (pause > 0) {
      EXPECT_GE(c.gapMs, 9.0);
    } else {
      EXPECT_LT(c.gapMs, 9.0);
    }
    EXPECT_EQ(h.Status(0), h.InterfaceText(75));
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
  for (const SetButton& b : kSetButtons) Press(h, b.button);
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
  for (const SectionOf& s : kWrittenSections) {
    SCOPED_TRACE("cmdId " + std::to_string(s.cmdId));
    EXPECT_EQ(Hex(SectionBytes(reader.state, s.section)), Hex(SectionBytes(expected, s.section)));
  }

  // Another record in the controls, then the read brings back what was written.
  h.Dlg().ShowParameters(RecordA());
  GetParameters(h);
  ExpectShown(h, Expected(expected));
  EXPECT_EQ(h.Text(IDC_EDIT_WG_LOW), "200");
  EXPECT_EQ(h.SelectedText(IDC_COMBO_BAUD_RATE), "300");
}

// A list without a selection: what each command sends for position -1.
struct NoSelectionRow {
  const char* name;
  int button;
  std::vector<int> cleared;
  std::size_t offset;  // where the compared bytes begin in the payload
  std::string bytes;
};

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
    {"bar prefix is text",
     IDC_BTN_SET_BAR_PREFIX,
     {IDC_COMBO_BAR_FIX_FORMAT},
     0,
     Bytes({0xFF, 0xFF, 0xFF, 0xFF, 'P', 'R', 'E', ':', 0})},
    {"card fix is text",
     IDC_BTN_SET_CARD_FIX,
     {IDC_COMBO_CARD_SERIAL_FORMAT, IDC_COMBO_CARD_FIX_FORMAT},
     0,
     Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, '0', '2', 0})},
    {"cloud provider",
     IDC_BTN_SET_CLOUD,
     {IDC_COMBO_CLOUD_PROVIDER},
     0,
     Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
};

class NoSelectionDlg : public ::testing::TestWithParam<NoSelectionRow> {};

TEST_P(NoSelectionDlg, SendsWhatPositionMinusOneGives) {
  const NoSelectionRow& row = GetParam();
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordB());
  SelectReader(h);
  GetParameters(h);
  for (int id : row.cleared) {
    if (h.Visible(id)) {
      h.Select(id, -1);
    } else {
      SetHiddenSelection(h, id, -1);
    }
    ASSERT_EQ(h.Selection(id), -1) << id;
  }
  reader.Clear();
  Press(h, row.button);
  ASSERT_EQ(reader.Commands().size(), 1u);
  const ReceivedCommand& c = reader.Commands().front();
  ASSERT_GE(c.payload.size(), row.offset + row.bytes.size());
  EXPECT_EQ(Hex(c.payload.substr(row.offset, row.bytes.size())), Hex(row.bytes));
  ExpectHeader(c, c.CmdId());
}

INSTANTIATE_TEST_SUITE_P(Lists, NoSelectionDlg, ::testing::ValuesIn(kNoSelectionRows),
                         [](const auto& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p) n += *p == ' ' ? '_' : *p;
                           return n;
                         });

// What the user puts into the controls and the payload a Set button then sends.
struct InputRow {
  const char* name;
  void (*input)(DialogHarness&);
  int button;
  std::string payload;
  std::vector<std::string> trace;  // the hexadecimal conversion's lines, in order
};

std::string Zeros(std::size_t n) {
  return std::string(n, '\0');
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
    {"bar prefix hex 0d0a",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, "0d0a");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Zeros(4) + "\x0D\x0A" + Zeros(30),
     {"data[0]:0x0d\n", "data[1]:0x0a\n"}},
    {"bar prefix hex 0D0A",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, "0D0A");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Zeros(4) + "\x0D\x0A" + Zeros(30),
     {"data[0]:0x0d\n", "data[1]:0x0a\n"}},
    {"bar prefix text AB",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 1);
       h.Type(IDC_EDIT_BAR_PREFIX, "AB");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Bytes({1, 0, 0, 0, 'A', 'B'}) + Zeros(30),
     {}},
    {"bar prefix hex abc ignores the last digit",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, "abc");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Zeros(4) + "\xAB" + Zeros(31),
     {"data[0]:0xab\n"}},
    {"bar prefix hex 1g gives 01",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, "1g");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Zeros(4) + "\x01" + Zeros(31),
     {"data[0]:0x01\n"}},
    {"bar prefix hex g1 gives 00",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, "g102");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Zeros(4) + Zeros(1) + "\x02" + Zeros(30),
     {"data[0]:0x00\n", "data[1]:0x02\n"}},
    {"bar prefix empty",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, "");
     },
     IDC_BTN_SET_BAR_PREFIX,
     Zeros(36),
     {}},
    {"bar prefix text of 40 characters keeps 31",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 1);
       h.Type(IDC_EDIT_BAR_PREFIX, std::string(40, 'p'));
     },
     IDC_BTN_SET_BAR_PREFIX,
     Bytes({1, 0, 0, 0}) + std::string(31, 'p') + Zeros(1),
     {}},
    {"bar prefix hex of 34 digits keeps 15 bytes",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_PREFIX, std::string(34, '1'));
     },
     IDC_BTN_SET_BAR_PREFIX, Zeros(4) + std::string(15, '\x11') + Zeros(17),
     [] {
       std::vector<std::string> v;
       for (int i = 0; i < 15; ++i) v.push_back("data[" + std::to_string(i) + "]:0x11\n");
       return v;
     }()},
    {"bar suffix uses the same format list",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_BAR_SUFFIX, "7e");
     },
     IDC_BTN_SET_BAR_SUFFIX,
     Zeros(4) + "\x7E" + Zeros(31),
     {"data[0]:0x7e\n"}},
    {"card prefix 02 suffix 03",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_CARD_SERIAL_FORMAT, 1);
       h.Select(IDC_COMBO_CARD_FIX_FORMAT, 0);
       h.Type(IDC_EDIT_CARD_PREFIX, "02");
       h.Type(IDC_EDIT_CARD_SUFFIX, "03");
     },
     IDC_BTN_SET_CARD_FIX,
     Bytes({1, 0, 0, 0, 0, 0, 0, 0, 2}) + Zeros(31) + "\x03" + Zeros(31),
     {"data[0]:0x02\n", "data[0]:0x03\n"}},
    {"cloud GBK becomes UTF-8",
     [](DialogHarness& h) {
       SetHiddenSelection(h, IDC_COMBO_CLOUD_PROVIDER, 0);
       h.Control(IDC_IP_CLOUD_SERVER)->Send(IPM_SETADDRESS, 0, static_cast<LPARAM>(0xC0A80001));
       for (int id : {IDC_EDIT_CLOUD_TEXT1, IDC_EDIT_CLOUD_TEXT2, IDC_EDIT_CLOUD_TEXT3,
                      IDC_EDIT_CLOUD_TEXT4, IDC_EDIT_CLOUD_TEXT5, IDC_EDIT_CLOUD_TEXT6})
         SetHiddenText(h, id, "");
       SetHiddenText(h, IDC_EDIT_CLOUD_TEXT1, "\xD6\xD0");    // 中
       SetHiddenText(h, IDC_EDIT_CLOUD_TEXT4, "x\xCE\xC4y");  // x文y
     },
     IDC_BTN_SET_CLOUD,
     Zeros(4) + Bytes({1, 0, 0xA8, 0xC0}) + "\xE4\xB8\xAD" + Zeros(29) + Zeros(64) +
         "x\xE6\x96\x87y" + Zeros(27) + Zeros(64),
     {}},
    // 11 characters of three UTF-8 bytes make 33 bytes: the 11th does not fit and is left out.
    {"cloud text cut before a character that does not fit",
     [](DialogHarness& h) {
       std::string t;
       for (int i = 0; i < 11; ++i) t += "\xD6\xD0";
       SetHiddenText(h, IDC_EDIT_CLOUD_TEXT6, t);
     },
     IDC_BTN_SET_CLOUD,
     [] {
       std::string s;
       for (int i = 0; i < 10; ++i) s += "\xE4\xB8\xAD";
       return s + Zeros(2);
     }(),
     {}},
};

class InputDlg : public ::testing::TestWithParam<InputRow> {};

TEST_P(InputDlg, SendsWhatTheControlsHold) {
  const InputRow& row = GetParam();
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  SelectReader(h);
  GetParameters(h);
  row.input(h);
  reader.Clear();
  h.TakeTrace();
  Press(h, row.button);
  ASSERT_EQ(reader.Commands().size(), 1u);
  const ReceivedCommand& c = reader.Commands().front();
  ExpectHeader(c, c.CmdId());
  // The cloud row compares its last field only when the expected bytes are shorter.
  const std::string sent = row.button == IDC_BTN_SET_CLOUD && row.payload.size() < c.payload.size()
                               ? c.payload.substr(c.payload.size() - row.payload.size())
                               : c.payload;
  EXPECT_EQ(Hex(sent), Hex(row.payload));
  std::vector<std::string> traced;
  for (const std::string& line : h.TakeTrace()) {
    if (line.rfind("data[", 0) == 0) traced.push_back(line);
  }
  EXPECT_EQ(traced, row.trace);
}

INSTANTIATE_TEST_SUITE_P(Inputs, InputDlg, ::testing::ValuesIn(kInputRows), [](const auto& info) {
  std::string n;
  for (const char* p = info.param.name; *p; ++p)
    n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return n;
});

TEST(CloudDlg, DefaultsSend200ZeroBytesWithChecksumFF) {
  DialogHarness h;
  DEV_PARAM_T record = RecordA();
  std::memset(reinterpret_cast<char*>(&record) + SECTION_CLOUD.offset, 0, SECTION_CLOUD.len);
  ParamReader reader(h.Segment(), record);
  SelectReader(h);
  GetParameters(h);
  reader.Clear();
  Press(h, IDC_BTN_SET_CLOUD);
  ASSERT_EQ(reader.Commands().size(), 1u);
  EXPECT_EQ(reader.Commands()[0].payload, Zeros(200));
  EXPECT_EQ(reader.Commands()[0].Checksum(), 0xFF);
}

// A cloud text that fills its 32 bytes without a NUL is shown in full; sent back, it keeps the
// whole characters that fit into 31 bytes and ends with a NUL.
TEST(CloudDlg, FullWidthTextFromARecordIsSentCutAtACharacterBoundary) {
  struct Row {
    const char* name;
    std::string field;  // 32 bytes, no NUL
    std::string sent;   // the 32 bytes of the payload field
  };
  std::string chinese;
  for (int i = 0; i < 10; ++i) chinese += "\xE4\xB8\xAD";  // 中, three bytes each
  const Row rows[] = {
      {"ASCII", std::string(32, 'k'), std::string(31, 'k') + Zeros(1)},
      {"ten characters and two letters", chinese + "ab", chinese + "a" + Zeros(1)},
      {"two letters and ten characters", "ab" + chinese, "ab" + chinese.substr(0, 27) + Zeros(3)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(row.field.size(), 32u);
    DialogHarness h;
    DEV_PARAM_T record = RecordA0();
    std::memcpy(record.cloudText5, row.field.data(), 32);
    ParamReader reader(h.Segment(), record);
    SelectReader(h);
    GetParameters(h);
    EXPECT_EQ(h.Text(IDC_EDIT_CLOUD_TEXT5), platform::Utf8ToAcp(row.field));
    reader.Clear();
    Press(h, IDC_BTN_SET_CLOUD);
    ASSERT_EQ(reader.Commands().size(), 1u);
    EXPECT_EQ(Hex(reader.Commands()[0].payload.substr(136, 32)), Hex(row.sent));
  }
}

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

// No line selected in the device list: both sends of every command show text 87, none leaves.
TEST(NoReaderDlg, EverySetButtonSendsNothingAndShowsText87Twice) {
  DialogHarness h;
  ParamReader reader(h.Segment(), RecordA());
  h.Dlg().ShowParameters(RecordA());
  platform::Window* bar = h.Control(IDC_STATUS_BAR);
  for (const SetButton& b : kSetButtons) {
    if (b.cmdId == CMD_SET_NETWORK) continue;  // goes to the discovery port, not this routine
    SCOPED_TRACE("cmdId " + std::to_string(b.cmdId));
    const auto before = bar->Version();
    Press(h, b.button);
    EXPECT_EQ(h.Status(0), h.InterfaceText(87));
    EXPECT_EQ(bar->Version() - before, 2u);
  }
  EXPECT_EQ(reader.DatagramCount(), 0u);
}

}  // namespace
}  // namespace params_test
