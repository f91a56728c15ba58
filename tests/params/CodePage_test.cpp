// Utf8ToAnsi and AnsiToUtf8 on the platform's conversion (CP_ACP = GBK).
#include "params/CodePage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

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

TEST(CodePageTest, InputIsNotChanged) {
  const std::string in =
      "\xE4\xB8\xAD"
      "abc";
  std::string copy = in;
  Take(Utf8ToAnsi(copy.c_str()));
  EXPECT_EQ(copy, in);
}

}  // namespace
