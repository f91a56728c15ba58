// The formatter of interface texts against friendly and hostile formats.
#include "i18n/TextFormat.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct Row {
  const char* format;
  std::string got;  // FormatInterfaceText's result, computed where the row is written
  std::string expected;
};

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      // The three formats of language.csv.
      {"sent to", FormatInterfaceText("Sent to %d.%d.%d.%d", {192, 168, 0, 1}),
       "Sent to 192.168.0.1"},
      {"ports", FormatInterfaceText("Local port %d  Discovery port %d", {24680, 24582}),
       "Local port 24680  Discovery port 24582"},
      {"title", FormatInterfaceText("%s  %d.%d.%d.%d", {"Reader-1", 10, 0, 0, 7}),
       "Reader-1  10.0.0.7"},
      // Hostile texts.
      {"%s without arguments", FormatInterfaceText("%s%s%s%n", {}), "%s%s%s%n"},
      {"%s with strings, %n literal", FormatInterfaceText("%s%s%s%n", {"a", "b", "c"}), "abc%n"},
      {"%s where ints come", FormatInterfaceText("%s%s%s%n", {1, 2, 3}), "%s%s%s%n"},
      {"huge width", FormatInterfaceText("%999999999d", {5}), std::string(63, ' ') + "5"},
      {"huge precision", FormatInterfaceText("%.999999999d", {5}), std::string(63, '0') + "5"},
      {"more conversions than arguments", FormatInterfaceText("%d%d%d%d%d%d", {1, 2, 3, 4}),
       "1234%d%d"},
      {"trailing percent", FormatInterfaceText("100%", {}), "100%"},
      {"double percent", FormatInterfaceText("100%% %d", {5}), "100% 5"},
      {"flags and width", FormatInterfaceText("%-5d|%05x", {42, 255}), "42   |000ff"},
      {"string precision", FormatInterfaceText("%.3s", {"abcdef"}), "abc"},
      {"string width", FormatInterfaceText("[%4s][%-4s]", {"ab", "cd"}), "[  ab][cd  ]"},
      {"huge string width", FormatInterfaceText("%100s", {"a"}), std::string(63, ' ') + "a"},
      {"wrong kind takes no argument", FormatInterfaceText("%s %d", {5}), "%s 5"},
      {"int conversion with a string", FormatInterfaceText("%d %s", {"x"}), "%d x"},
      {"int conversions", FormatInterfaceText("%x %X %o %u %c %i", {255, 255, 8, -1, 'A', -3}),
       "ff FF 10 4294967295 A -3"},
      {"star width is text", FormatInterfaceText("%*d", {5, 6}), "%*d"},
      {"float and pointer are text", FormatInterfaceText("%f %p %e", {1, 2, 3}), "%f %p %e"},
      {"long modifier ignored", FormatInterfaceText("%ld %lld %zu", {7, -8, 9}), "7 -8 9"},
      {"short modifiers kept", FormatInterfaceText("%hhd %hd", {300, 70000}), "44 4464"},
      {"percent inside a conversion", FormatInterfaceText("%5%d", {7}), "%57"},
      {"conversion cut by the end", FormatInterfaceText("abc%-0", {1}), "abc%-0"},
      {"repeated flags", FormatInterfaceText("%----+++5d", {3}), "+3   "},
      {"flags C leaves undefined are dropped",
       FormatInterfaceText("[%05s][%+u][%#d][%.2c][%hc]", {"ab", 1, 5, 'A', 'B'}),
       "[   ab][1][5][A][B]"},
      {"null string argument", FormatInterfaceText("[%s]", {static_cast<const char*>(nullptr)}),
       "[]"},
      {"null format", FormatInterfaceText(nullptr, {1}), ""},
      {"no conversions", FormatInterfaceText("plain", {1, "x"}), "plain"},
      {"gbk bytes kept", FormatInterfaceText("\xD2\xD1\xB7\xA2\xCB\xCD %d", {1}),
       "\xD2\xD1\xB7\xA2\xCB\xCD 1"},
  };
  return rows;
}

class TextFormatRows : public ::testing::TestWithParam<std::size_t> {};

TEST_P(TextFormatRows, Formats) {
  const Row& row = Rows()[GetParam()];
  EXPECT_EQ(row.got, row.expected) << row.format;
}

INSTANTIATE_TEST_SUITE_P(Rows, TextFormatRows, ::testing::Range<std::size_t>(0, Rows().size()));

TEST(TextFormat, ResultIsBoundedTo1023Bytes) {
  std::string longText(5000, 'x');
  EXPECT_EQ(FormatInterfaceText("%s", {longText.c_str()}).size(), kFormattedTextLimit);
  EXPECT_EQ(FormatInterfaceText(longText.c_str(), {}).size(), kFormattedTextLimit);
  std::string manySpecs;
  for (int i = 0; i < 40; ++i) manySpecs += "%64d";
  EXPECT_EQ(FormatInterfaceText(manySpecs.c_str(), {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                                    11, 12, 13, 14, 15, 16, 17, 18, 19, 20})
                .size(),
            kFormattedTextLimit);
  std::string percents(3000, '%');
  EXPECT_EQ(FormatInterfaceText(percents.c_str(), {}), std::string(1023, '%'));
}

TEST(TextFormat, RandomFormatsStayBounded) {
  std::mt19937 random(88);
  const std::string alphabet = "%%%dsxXuoinpfc*.-+ #0123456789hlLjzt\xCB";
  for (int round = 0; round < 20000; ++round) {
    std::string format;
    int length = static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) format += alphabet[random() % alphabet.size()];
    std::string result = FormatInterfaceText(format.c_str(), {1, "s", -7, "", 99999});
    ASSERT_LE(result.size(), kFormattedTextLimit) << format;
  }
}

}  // namespace
