// Code page 936 and UTF-8 conversion against the rows known from Windows.
#include <gtest/gtest.h>

#include <string>

#include "platform/kernel.h"

namespace {

std::string ToAcp(const std::u16string& wide, UINT codePage = CP_ACP, const char* def = nullptr,
                  BOOL* used = nullptr) {
  int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              def, used);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) {
    EXPECT_EQ(WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                  out.data(), n, def, used),
              n);
  }
  return out;
}

std::u16string ToWide(const std::string& bytes, UINT codePage) {
  int n =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n), u'\0');
  if (n > 0) {
    EXPECT_EQ(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                  out.data(), n),
              n);
  }
  return out;
}

std::string ToUtf8(const std::u16string& wide) {
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
  }
  return out;
}

struct Row {
  std::u16string wide;
  std::string bytes;
};

class Gbk : public ::testing::TestWithParam<Row> {};

TEST_P(Gbk, EncodesAsWindows) {
  EXPECT_EQ(ToAcp(GetParam().wide, CP_ACP), GetParam().bytes);
  EXPECT_EQ(ToAcp(GetParam().wide, 936), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsRows, Gbk,
    ::testing::Values(Row{u"\u4E2D", "\xD6\xD0"}, Row{u"\uAC00", "\x3F"},
                      Row{u"\U0001F600", "\x3F\x3F"}, Row{u"\u20AC", "\x80"},
                      Row{u"\u00E9", "\xA8\xA6"}, Row{u"abc", "abc"},
                      Row{u"\u641C\u7D22\u8BBE\u5907", "\xCB\xD1\xCB\xF7\xC9\xE8\xB1\xB8"},
                      Row{u"\uFF0C", "\xA3\xAC"}, Row{u"\xD800", "?"}, Row{u"x\xDC00y", "x?y"}));

struct DecodeRow {
  std::string bytes;
  std::u16string wide;
};

class GbkDecode : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(GbkDecode, DecodesPerCharacter) {
  EXPECT_EQ(ToWide(GetParam().bytes, CP_ACP), GetParam().wide);
}

// The observed answers for bytes without a character: a lead byte takes the next byte with it,
// the pair is one '?'; a lead byte before the end or a NUL is one '?'; 0xFF and the user-defined
// areas are private-use characters.
INSTANTIATE_TEST_SUITE_P(
    Rows, GbkDecode,
    ::testing::Values(DecodeRow{"\xD6\xD0", u"\u4E2D"}, DecodeRow{"\x80", u"\u20AC"},
                      DecodeRow{"\xA8\xA6", u"\u00E9"}, DecodeRow{"\xA1\xA1", u"\u3000"},
                      DecodeRow{"\xD6\xD0\x41", u"\u4E2D\u0041"},
                      DecodeRow{"\x81\x30\x81\x30", u"??"}, DecodeRow{"\xD6", u"?"},
                      DecodeRow{std::string("\xD6\0", 2), std::u16string(u"?\0", 2)},
                      DecodeRow{"\xFF", u"\uF8F5"},
                      DecodeRow{"a\xFF"
                                "b",
                                u"a\uF8F5b"},
                      DecodeRow{"\xA1\x7F", u"?"}, DecodeRow{"\xFE\xFE", u"\uE4C5"},
                      DecodeRow{"\xAA\xA1", u"\uE000"}, DecodeRow{"\xAF\xFE", u"\uE233"},
                      DecodeRow{"\xF8\xA1", u"\uE234"}, DecodeRow{"\xA1\x40", u"\uE4C6"},
                      DecodeRow{"\xA7\xA0", u"\uE765"}, DecodeRow{"\xA2\xAB", u"\uE766"},
                      DecodeRow{"\xA8\xBC", u"\uE7C7"}, DecodeRow{"\xD7\xFA", u"\uE810"},
                      DecodeRow{"\xFE\x50", u"\uE815"}, DecodeRow{"\xFE\xA0", u"\uE864"},
                      DecodeRow{"\x81", u"?"}, DecodeRow{"\x81\x30", u"?"}));

// The other direction of the same table: the private-use characters give their bytes back.
INSTANTIATE_TEST_SUITE_P(PlatformTable, Gbk,
                         ::testing::Values(Row{u"\uF8F5", "\xFF"}, Row{u"\uE4C5", "\xFE\xFE"},
                                           Row{u"\uE000", "\xAA\xA1"}, Row{u"\uE234", "\xF8\xA1"},
                                           Row{u"\uE4C6", "\xA1\x40"}, Row{u"\uE765", "\xA7\xA0"},
                                           Row{u"\uE766", "\xA2\xAB"}, Row{u"\uE864", "\xFE\xA0"},
                                           Row{u"\u00B7\u2014\uFF0C\u3000\u2026",
                                               "\xA1\xA4\xA1\xAA\xA3\xAC\xA1\xA1\xA1\xAD"},
                                           Row{u"\u00A0\uFFFD\xD800"
                                               u"A",
                                               "???A"}));

class Utf8Decode : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(Utf8Decode, ReplacesEveryBadSequence) {
  EXPECT_EQ(ToWide(GetParam().bytes, CP_UTF8), GetParam().wide);
}

INSTANTIATE_TEST_SUITE_P(WindowsRows, Utf8Decode,
                         ::testing::Values(DecodeRow{"a\x80"
                                                     "b",
                                                     u"a\uFFFDb"},
                                           DecodeRow{"\xE4\xB8", u"\uFFFD"},
                                           DecodeRow{"\xC0\x80", u"\uFFFD\uFFFD"},
                                           DecodeRow{"\xED\xA0\x80", u"\uFFFD\uFFFD"},
                                           DecodeRow{"\xE4\xB8\xAD", u"\u4E2D"},
                                           DecodeRow{"\xF0\x9F\x98\x80", u"\U0001F600"},
                                           DecodeRow{"\xE4\x41",
                                                     u"\uFFFD"
                                                     "A"},
                                           DecodeRow{"\xFF", u"\uFFFD"},
                                           DecodeRow{"\xC3\xA9", u"\u00E9"}));

TEST(CodePage, MinusOneLengthConvertsTheNul) {
  char16_t wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, nullptr, 0), 3);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "ab", -1, wide, 8), 3);
  EXPECT_EQ(std::u16string(wide, 3), std::u16string(u"ab\0", 3));
  char bytes[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u4E2D", -1, nullptr, 0, nullptr, nullptr), 3);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u4E2D", -1, bytes, 8, nullptr, nullptr), 3);
  EXPECT_EQ(std::string(bytes, 3), std::string("\xD6\xD0\0", 3));
}

TEST(CodePage, TooSmallABufferFails) {
  char16_t wide[2];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, wide, 2), 0);
  char bytes[1];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u4E2D", 1, bytes, 1, nullptr, nullptr), 0);
}

TEST(CodePage, BadArgumentsFail) {
  char16_t wide[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, wide, 4), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, wide, 4), 0);
  char bytes[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, "?", nullptr), 0);
}

TEST(CodePage, DefaultCharacterAndItsFlag) {
  BOOL used = TRUE;
  EXPECT_EQ(ToAcp(u"a", CP_ACP, nullptr, &used), "a");
  EXPECT_FALSE(used);
  EXPECT_EQ(ToAcp(u"a\uAC00", CP_ACP, "*", &used), "a*");
  EXPECT_TRUE(used);
}

TEST(CodePage, Utf16ToUtf8) {
  EXPECT_EQ(ToUtf8(u"a\u00E9\u4E2D\U0001F600"), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(CodePage, EveryGbkPairRoundTrips) {
  // What GBK decodes, it encodes back to the same bytes (except pairs that share a character).
  int decoded = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char16_t c = 0;
      ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, pair, 2, &c, 1), 1);
      if (c == u'?') continue;
      ++decoded;
      char back[2] = {};
      ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, &c, 1, back, 2, nullptr, nullptr), 2);
      char16_t again = 0;
      ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, back, 2, &again, 1), 1);
      EXPECT_EQ(again, c);
    }
  }
  // Every pair has a character in the target platform's table: GBK's characters, the
  // user-defined areas and 255 private-use characters for the pairs in between.
  EXPECT_EQ(decoded, 126 * 190);
}

TEST(CodePage, LeadBytesAre81ToFE) {
  EXPECT_FALSE(IsDBCSLeadByte(0x7F));
  EXPECT_FALSE(IsDBCSLeadByte(0x80));  // the euro sign stands alone
  EXPECT_TRUE(IsDBCSLeadByte(0x81));
  EXPECT_TRUE(IsDBCSLeadByte(0xFE));
  EXPECT_FALSE(IsDBCSLeadByte(0xFF));
}

TEST(CodePage, AcpAndUtf8Helpers) {
  EXPECT_EQ(platform::AcpToUtf8("\xCB\xD1\xCB\xF7\xC9\xE8\xB1\xB8"), "搜索设备");
  EXPECT_EQ(platform::Utf8ToAcp("搜索设备"), "\xCB\xD1\xCB\xF7\xC9\xE8\xB1\xB8");
  EXPECT_EQ(platform::AcpToUtf8("a\xFF"), "a\xEF\xA3\xB5");  // U+F8F5
  EXPECT_EQ(platform::AcpToUtf8("a\xA1\x7F"), "a?");
  EXPECT_EQ(platform::AcpToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_EQ(platform::Utf8ToAcp("가😀"), "???");
  EXPECT_EQ(platform::Utf8ToAcp("a\x80"), "a?");
  EXPECT_EQ(platform::AcpToUtf8(""), "");
}

}  // namespace
