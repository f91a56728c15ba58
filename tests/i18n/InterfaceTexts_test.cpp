// The copy of one language column of language.csv into the interface text table: which slots
// are written, the 255-byte limit cut at a whole GBK character, and what stays.
#include "i18n/InterfaceTexts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "tests/i18n/TranslationFile.h"

namespace {

using i18n_test::FileRow;
using i18n_test::LoadInto;
using i18n_test::Slots;
using i18n_test::TempDir;

std::string Lines(int count) {
  std::string s;
  for (int n = 1; n <= count; ++n) s += "zh" + std::to_string(n) + ",en" + std::to_string(n) + "\n";
  return s;
}

std::map<int, std::string> Numbered(int first, int last, const std::string& prefix) {
  std::map<int, std::string> m;
  for (int n = first; n <= last; ++n) m[n] = prefix + std::to_string(n);
  return m;
}

const std::string k255(255, 'x');
const std::string k256 = std::string(255, 'y') + "z";
// 254 ASCII bytes and then a GBK character (CB D1) that would straddle the 255-byte limit.
const std::string kStraddle = std::string(254, 'a') +
                              "\xCB\xD1"
                              "b";

class CopyRows : public i18n_test::TranslationFileRows {};

TEST_P(CopyRows, FillsExactlyTheSlotsTheColumnProvides) {
  Check();
}

INSTANTIATE_TEST_SUITE_P(
    Slots, CopyRows,
    ::testing::Values(
        FileRow{"LanguageZero", "x,y\n", 0, {}},
        FileRow{"LanguageBeyondTheColumns", "x,y\n", 3, {}},
        FileRow{"Field255StoredWhole", k255 + ",e\n", 1, {{1, k255}}},
        FileRow{"Field256CutTo255", k256 + ",e\n", 1, {{1, std::string(255, 'y')}}},
        FileRow{"CutKeepsWholeGbkCharacters", kStraddle + "\n", 1, {{1, std::string(254, 'a')}}},
        FileRow{
            "GbkBytesCopiedAsTheyStand", "\xCB\xD1\xCB\xF7,Search\n", 1, {{1, "\xCB\xD1\xCB\xF7"}}},
        FileRow{"Lines512OnIgnored", Lines(520), 2, Numbered(1, 511, "en")}),
    [](const ::testing::TestParamInfo<FileRow>& info) { return std::string(info.param.name); });

TEST(InterfaceTexts, AnEmptyTableLeavesEverySlot) {
  TranslationTable table;
  Slots slots;
  CopyLanguageColumn(table, 1, slots.texts);
  slots.Expect({});
}

TEST_F(TempDir, SwitchingLanguageKeepsTextsWithoutTheNewColumn) {
  Put("a1,a2\n\n\n\n\n\nonly-chinese\n");
  Slots slots;
  LoadInto(path_, 1, slots);
  LoadInto(path_, 2, slots);
  slots.Expect({{1, "a2"}, {7, "only-chinese"}});
}

TEST_F(TempDir, SlotZeroIsNeverWritten) {
  Put("x,y\n");
  Slots slots;
  LoadInto(path_, 1, slots);
  EXPECT_STREQ(slots.texts[0], "old 0");
}

TEST_F(TempDir, HugeFileWithLongLines) {
  std::string contents;
  for (int n = 1; n <= 600; ++n)
    contents += std::string(5000, static_cast<char>('a' + n % 26)) + ",e\n";
  Put(contents);
  Slots slots;
  LoadInto(path_, 1, slots);
  EXPECT_EQ(std::string(slots.texts[1]), std::string(255, 'b'));
  EXPECT_EQ(std::strlen(slots.texts[511]), 255u);
}

}  // namespace
