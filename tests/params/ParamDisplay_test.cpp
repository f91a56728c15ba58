// The display rules: code to list position, hex display, field text.
#include "params/ParamDisplay.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(ParamDisplayTest, OutputFormatCodeToIndex) {
  const std::pair<int, int> rows[] = {{1, 0},   {2, 1},   {7, 6},     {8, 6},
                                      {9, 7},   {10, 8},  {11, 9},    {0, -1},
                                      {12, 10}, {-1, -2}, {127, 125}, {-128, -129}};
  for (const auto& [code, index] : rows) {
    EXPECT_EQ(OutputFormatCodeToIndex(static_cast<std::int8_t>(code)), index) << code;
  }
}

TEST(ParamDisplayTest, CardInputFormatCodeToIndex) {
  const std::pair<int, int> rows[] = {{1, 0}, {5, 4}, {0, -1}, {-1, -2}};
  for (const auto& [code, index] : rows) {
    EXPECT_EQ(CardInputFormatCodeToIndex(static_cast<std::int8_t>(code)), index) << code;
  }
}

struct HexRow {
  const char* name;
  std::vector<std::uint8_t> field;  // padded to 32 with zeros unless full
  std::string expected;
};

TEST(ParamDisplayTest, HexDisplay) {
  std::vector<std::uint8_t> full(32);
  for (std::size_t i = 0; i < full.size(); ++i) full[i] = static_cast<std::uint8_t>(0xE0 + i);
  std::string fullText;
  for (std::size_t i = 0; i < full.size(); ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", full[i]);
    fullText += pair;
  }
  const HexRow rows[] = {
      {"crlf", {0x0D, 0x0A}, "0d0a"},
      {"empty", {}, ""},
      {"stops_at_nul", {0x41, 0x00, 0x42}, "41"},
      {"high_bytes_unsigned", {0xFF, 0x80, 0x7F}, "ff807f"},
      {"full_width_without_nul", full, fullText},
  };
  for (const HexRow& row : rows) {
    std::vector<std::uint8_t> field = row.field;
    field.resize(std::max<std::size_t>(field.size(), 32), 0);
    // A guard byte after the field: never shown.
    std::vector<std::uint8_t> withGuard = field;
    withGuard.push_back(0x99);
    EXPECT_EQ(HexDisplay(withGuard.data(), 32), row.expected) << row.name;
  }
}

TEST(ParamDisplayTest, FieldText) {
  char field[33];
  std::memset(field, 'x', sizeof field);
  field[32] = 'G';  // past the field: never read
  EXPECT_EQ(FieldText(field, 32), std::string(32, 'x'));
  std::memcpy(field, "AB\0CD", 5);
  EXPECT_EQ(FieldText(field, 32), "AB");
  field[0] = '\0';
  EXPECT_EQ(FieldText(field, 32), "");
}

TEST(ParamDisplayTest, FixFieldDisplayFollowsTheFormat) {
  char field[32] = {0x41, 0x42};
  EXPECT_EQ(FixFieldDisplay(0, field, 32), "4142");
  EXPECT_EQ(FixFieldDisplay(1, field, 32), "AB");
  EXPECT_EQ(FixFieldDisplay(-1, field, 32), "AB");
}

TEST(ParamDisplayTest, LookupTextAndWiegand) {
  EXPECT_EQ(LookupText(9600), "9600");
  EXPECT_EQ(LookupText(-1), "-1");
  EXPECT_EQ(LookupText(0), "0");
  EXPECT_EQ(WiegandDisplayValue(4), 400);
  EXPECT_EQ(WiegandDisplayValue(20), 2000);
  EXPECT_EQ(WiegandDisplayValue(-3), -300);
  EXPECT_EQ(WiegandDisplayValue(0x7FFFFFFF), static_cast<std::int32_t>(0xFFFFFF9Cu));
}

}  // namespace
