// The cloud connection command (24) of the hidden row through the real dialog: provider, server
// address and six texts that travel in UTF-8.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/kernel.h"
#include "tests/app/dialog/ParamReader.h"
#include "tests/app/dialog/SetCommandChecks.h"
#include "tests/params/ParamRecords.h"

namespace params_test {
namespace {

const NoSelectionRow kCloudNoSelectionRows[] = {
    {"cloud provider",
     IDC_BTN_SET_CLOUD,
     {IDC_COMBO_CLOUD_PROVIDER},
     0,
     Bytes({0xFF, 0xFF, 0xFF, 0xFF})},
};

class CloudNoSelectionDlg : public ::testing::TestWithParam<NoSelectionRow> {};

TEST_P(CloudNoSelectionDlg, SendsWhatPositionMinusOneGives) {
  ExpectNoSelectionSends(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Lists, CloudNoSelectionDlg, ::testing::ValuesIn(kCloudNoSelectionRows),
                         RowName());

const InputRow kCloudInputRows[] = {
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

class CloudInputDlg : public ::testing::TestWithParam<InputRow> {};

TEST_P(CloudInputDlg, SendsWhatTheControlsHold) {
  ExpectInputSends(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Inputs, CloudInputDlg, ::testing::ValuesIn(kCloudInputRows), RowName());

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

}  // namespace
}  // namespace params_test
