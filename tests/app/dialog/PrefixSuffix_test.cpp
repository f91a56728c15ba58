// The prefix and suffix commands through the real dialog: barcode prefix (12), barcode suffix
// (14) and the card prefix and suffix (44), as text or hexadecimal digits.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/dialog/ParamReader.h"
#include "tests/app/dialog/SetCommandChecks.h"
#include "tests/params/ParamRecords.h"

namespace params_test {
namespace {

const NoSelectionRow kPrefixSuffixNoSelectionRows[] = {
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
};

class PrefixSuffixNoSelectionDlg : public ::testing::TestWithParam<NoSelectionRow> {};

TEST_P(PrefixSuffixNoSelectionDlg, SendsWhatPositionMinusOneGives) {
  ExpectNoSelectionSends(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Lists, PrefixSuffixNoSelectionDlg,
                         ::testing::ValuesIn(kPrefixSuffixNoSelectionRows), RowName());

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int n = 0; n < times; ++n) out += text;
  return out;
}

const InputRow kPrefixSuffixInputRows[] = {
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
    // 16 characters of two GBK bytes make 32: the 16th does not fit and is left out whole.
    {"bar prefix text of 16 chinese characters keeps 15",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_BAR_FIX_FORMAT, 1);
       h.Type(IDC_EDIT_BAR_PREFIX, Repeat("\xBA\xC3", 16));
     },
     IDC_BTN_SET_BAR_PREFIX,
     Bytes({1, 0, 0, 0}) + Repeat("\xBA\xC3", 15) + Zeros(2),
     {}},
    {"card suffix text of an ascii byte and 16 chinese characters fills 31",
     [](DialogHarness& h) {
       h.Select(IDC_COMBO_CARD_SERIAL_FORMAT, 0);
       h.Select(IDC_COMBO_CARD_FIX_FORMAT, 1);
       h.Type(IDC_EDIT_CARD_PREFIX, "A" + Repeat("\xBA\xC3", 15) + "B");
       h.Type(IDC_EDIT_CARD_SUFFIX, "x" + Repeat("\xD6\xD0", 16));
     },
     IDC_BTN_SET_CARD_FIX,
     Bytes({0, 0, 0, 0, 1, 0, 0, 0}) + "A" + Repeat("\xBA\xC3", 15) + Zeros(1) + "x" +
         Repeat("\xD6\xD0", 15) + Zeros(1),
     {}},
};

class PrefixSuffixInputDlg : public ::testing::TestWithParam<InputRow> {};

TEST_P(PrefixSuffixInputDlg, SendsWhatTheControlsHold) {
  ExpectInputSends(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Inputs, PrefixSuffixInputDlg, ::testing::ValuesIn(kPrefixSuffixInputRows),
                         RowName());

}  // namespace
}  // namespace params_test
