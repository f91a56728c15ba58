// Utf8ToAnsi and AnsiToUtf8 on the platform's conversion (CP_ACP = GBK).
#include "params/CodePage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::string Take(char* converted) {
  std::unique_ptr<char[]> owned(converted);
  return std::string(owned.get());
}

struct Row {
  const char* name;
  std::string utf8;
  std::string ansi;
};

TEST(CodePageTest, BothDirections) {
  const Row rows[] = {
      {"empty", "", ""},
      {"ascii", "Hello, 1234", "Hello, 1234"},
      {"zhong", "\xE4\xB8\xAD", "\xD6\xD0"},
      {"mixed",
       "a\xE4\xB8\xAD"
       "b",
       "a\xD6\xD0"
       "b"},
      {"euro", "\xE2\x82\xAC", "\x80"},
      {"e_acute", "\xC3\xA9", "\xA8\xA6"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Take(Utf8ToAnsi(row.utf8.c_str())), row.ansi) << row.name;
    EXPECT_EQ(Take(AnsiToUtf8(row.ansi.c_str())), row.utf8) << row.name;
  }
}

TEST(CodePageTest, CharactersGbkCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(Take(Utf8ToAnsi("\xEA\xB0\x80")), "?");         // U+AC00
  EXPECT_EQ(Take(Utf8ToAnsi("x\xF0\x9F\x98\x80")), "x??");  // U+1F600, two surrogates
  EXPECT_EQ(Take(Utf8ToAnsi("a\x80"
                            "b")),
            "a?b");  // invalid UTF-8 -> U+FFFD -> ?
}

TEST(CodePageTest, FieldWithoutNulConvertsExactlyItsBytes) {
  char record[33];
  std::memset(record, 'c', 32);
  record[32] = 'X';  // the next field: never read
  EXPECT_EQ(Take(Utf8ToAnsi(record, 32)), std::string(32, 'c'));
  EXPECT_EQ(Take(AnsiToUtf8(record, 32)), std::string(32, 'c'));
}

TEST(CodePageTest, FieldEndsAtItsFirstNul) {
  const char field[32] = "\xE4\xB8\xAD\0junk";
  EXPECT_EQ(Take(Utf8ToAnsi(field, sizeof field)), "\xD6\xD0");
}

// The forms that return a std::string end the text where the char* forms do: at the first NUL,
// or at the end of the view when it has none.
TEST(CodePageTest, StringFormsEndAtTheFirstNulOrTheEnd) {
  char record[33];
  std::memset(record, 'c', 32);
  record[32] = 'X';  // the next field: never read
  struct StringRow {
    const char* name;
    std::string_view in;
    std::optional<std::string> toAnsi;  // nothing: that direction is not checked
    std::optional<std::string> toUtf8;
  };
  const StringRow rows[] = {
      {"empty", "", "", ""},
      {"zhong_from_utf8", "\xE4\xB8\xAD", "\xD6\xD0", std::nullopt},
      {"zhong_from_gbk", "\xD6\xD0", std::nullopt, "\xE4\xB8\xAD"},
      {"nul_inside", std::string_view("a\0junk", 6), "a", "a"},
      {"field_without_nul", std::string_view(record, 32), std::string(32, 'c'),
       std::string(32, 'c')},
  };
  for (const StringRow& row : rows) {
    if (row.toAnsi) {
      EXPECT_EQ(Utf8ToAnsiString(row.in), *row.toAnsi) << row.name;
    }
    if (row.toUtf8) {
      EXPECT_EQ(AnsiToUtf8String(row.in), *row.toUtf8) << row.name;
    }
  }
}

TEST(CodePageTest, InputIsNotChanged) {
  const std::string in =
      "\xE4\xB8\xAD"
      "abc";
  std::string copy = in;
  Take(Utf8ToAnsi(copy.c_str()));
  EXPECT_EQ(copy, in);
}

}  // namespace
