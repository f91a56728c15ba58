// Every Set payload, byte for byte.
#include "params/Payloads.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes B(const std::array<std::uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes Zeros(std::size_t n) {
  return Bytes(n, 0);
}

Bytes Text(std::string_view s) {
  return Bytes(s.begin(), s.end());
}

struct IndexRow {
  int index;
  Bytes expected;
};

TEST(OneValuePayloadTest, OutputFormat) {
  const IndexRow rows[] = {{0, {1, 0, 0, 0}},  {5, {6, 0, 0, 0}},  {6, {7, 0, 0, 0}},
                           {7, {9, 0, 0, 0}},  {8, {10, 0, 0, 0}}, {9, {0x0B, 0, 0, 0}},
                           {-1, {0, 0, 0, 0}}, {254, {0, 0, 0, 0}}};
  for (const IndexRow& row : rows)
    EXPECT_EQ(B(BuildOutputFormatPayload(row.index)), row.expected) << row.index;
}

TEST(OneValuePayloadTest, CardInputFormat) {
  const IndexRow rows[] = {{0, {1, 0, 0, 0}}, {4, {5, 0, 0, 0}}, {-1, {0, 0, 0, 0}}};
  for (const IndexRow& row : rows)
    EXPECT_EQ(B(BuildCardInputFormatPayload(row.index)), row.expected) << row.index;
}

TEST(OneValuePayloadTest, HidFormat) {
  EXPECT_EQ(B(BuildHidFormatPayload(1, 0)), (Bytes{1, 0, 0, 0}));
  EXPECT_EQ(B(BuildHidFormatPayload(0, 1)), (Bytes{0, 1, 0, 0}));
  EXPECT_EQ(B(BuildHidFormatPayload(-1, -1)), (Bytes{0xFF, 0xFF, 0, 0}));
}

TEST(OneValuePayloadTest, SelectionByteCommands) {
  const IndexRow rows[] = {
      {0, {0, 0, 0, 0}}, {2, {2, 0, 0, 0}}, {-1, {0xFF, 0, 0, 0}}, {0x1FF, {0xFF, 0, 0, 0}}};
  for (const IndexRow& row : rows) {
    EXPECT_EQ(B(BuildLightPayload(row.index)), row.expected) << row.index;
    EXPECT_EQ(B(BuildWorkModePayload(row.index)), row.expected) << row.index;
    EXPECT_EQ(B(BuildHiddenChoicePayload(row.index)), row.expected) << row.index;
    EXPECT_EQ(B(BuildSpeakerPayload(row.index)), row.expected) << row.index;
  }
}

TEST(OneValuePayloadTest, RestartIsAWholeInt32) {
  EXPECT_EQ(B(BuildRestartPayload(2)), (Bytes{2, 0, 0, 0}));
  EXPECT_EQ(B(BuildRestartPayload(-1)), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(B(BuildRestartPayload(0x01020304)), (Bytes{4, 3, 2, 1}));
}

struct WiegandRow {
  std::int32_t low;
  std::int32_t high;
  Bytes expected;
};

TEST(WiegandPayloadTest, HighFirstInUnitsOf100us) {
  const WiegandRow rows[] = {
      {400, 2000, {0x14, 0, 0, 0, 0x04, 0, 0, 0}},
      {250, 250, {2, 0, 0, 0, 2, 0, 0, 0}},
      {100, 199, {1, 0, 0, 0, 1, 0, 0, 0}},
      {99, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
      {-150, -250, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},  // truncates towards zero
  };
  for (const WiegandRow& row : rows) {
    EXPECT_EQ(B(BuildWiegandPayload({.lowPulseUs = row.low, .highPulseUs = row.high})),
              row.expected)
        << row.low << "/" << row.high;
  }
}

TEST(SerialPayloadTest, NumbersFromTheItemTexts) {
  const auto p = BuildSerialPayload({.baudRateText = "115200",
                                     .dataBitsText = "8",
                                     .stopBitsText = "1",
                                     .parityIndex = 2,
                                     .qrSerialFormatIndex = 4});
  EXPECT_EQ(B(p), (Bytes{0x00, 0xC2, 0x01, 0x00, 0x08, 0, 0,    0, 0x01, 0,
                         0,    0,    0x02, 0,    0,    0, 0x04, 0, 0,    0}));
}

TEST(SerialPayloadTest, NoSelection) {
  const auto p = BuildSerialPayload({"", "", "", -1, -1});
  EXPECT_EQ(B(p), Cat({Zeros(12), Bytes(8, 0xFF)}));
}

TEST(SerialPayloadTest, ListTextValueIsAtoi) {
  const std::pair<std::string_view, std::int32_t> rows[] = {
      {"9600", 9600},
      {"", 0},
      {"NONE", 0},
      {" 12x", 12},
      {"-7", -7},
      {"99999999999", INT32_MAX},
      {"-99999999999", INT32_MIN},
      // Only the first 31 bytes are read.
      {"0000000000000000000000000000001", 1},
      {"00000000000000000000000000000001", 0},
  };
  for (const auto& [text, value] : rows) EXPECT_EQ(ListTextValue(text), value) << text;
}

// n times the GBK character 好 (BA C3), as text and as bytes.
std::string GbkRepeat(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += "\xBA\xC3";
  return out;
}
Bytes GbkBytes(int n) {
  const std::string text = GbkRepeat(n);
  return Bytes(text.begin(), text.end());
}

TEST(QrPayloadTest, LayoutAndTextLimits) {
  const std::string ntp(60, 'n');
  const auto p = BuildQrPayload({.protocolIndex = 2,
                                 .cardFormatIndex = 1,
                                 .encryptedIndex = 0,
                                 .useCountIndex = -1,
                                 .startDigitIndex = 50,
                                 .workModeIndex = -1,
                                 .ntpAddr = ntp,
                                 .backupAddr = "10.1.2.3"});
  const Bytes expected = Cat({{2, 1, 0, 0xFF},
                              {50, 0, 0, 0},
                              {0xFF, 0xFF, 0xFF, 0xFF},
                              Text(std::string(47, 'n')),
                              {0},
                              Text("10.1.2.3"),
                              Zeros(40)});
  EXPECT_EQ(B(p), expected);
}

// 24 GBK characters make 48 bytes: 23 fit in 47; after one ASCII byte, 23 fill the 47.
TEST(QrPayloadTest, GbkTextsAreCutAtAWholeCharacter) {
  const std::string ntp = GbkRepeat(24);
  const std::string backup = "b" + GbkRepeat(24);
  const auto p = BuildQrPayload({0, 0, 0, 0, 0, 0, ntp, backup});
  EXPECT_EQ(Bytes(p.begin() + 12, p.begin() + 60), Cat({GbkBytes(23), {0, 0}}));
  EXPECT_EQ(Bytes(p.begin() + 60, p.end()), Cat({{'b'}, GbkBytes(23), {0}}));
}

TEST(QrPayloadTest, TextOf47BytesFitsExactly) {
  const std::string text(47, 'b');
  const auto p = BuildQrPayload({0, 0, 0, 0, 0, 0, "", text});
  EXPECT_EQ(Bytes(p.begin() + 60, p.end()), Cat({Text(text), {0}}));
}

struct FixRow {
  const char* name;
  int format;
  std::string text;
  Bytes field;  // the leading bytes; the rest of the 32 are zero
  std::vector<std::pair<int, int>> traced;
};

class FixFieldTest : public ::testing::TestWithParam<FixRow> {};

TEST_P(FixFieldTest, MatchesTable) {
  const FixRow& row = GetParam();
  std::vector<std::pair<int, int>> traced;
  const auto field =
      BuildFixField(row.format, row.text, [&](int i, int b) { traced.emplace_back(i, b); });
  Bytes expected = row.field;
  expected.resize(32, 0);
  EXPECT_EQ(B(field), expected);
  EXPECT_EQ(traced, row.traced);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FixFieldTest,
    ::testing::Values(
        FixRow{"hex_lower", 0, "0d0a", {0x0D, 0x0A}, {{0, 0x0D}, {1, 0x0A}}},
        FixRow{"hex_upper", 0, "0D0A", {0x0D, 0x0A}, {{0, 0x0D}, {1, 0x0A}}},
        FixRow{"hex_odd_digit_ignored", 0, "abc", {0xAB}, {{0, 0xAB}}},
        FixRow{"hex_second_not_digit", 0, "1g", {0x01}, {{0, 0x01}}},
        // Decided: a pair that converts nothing stores 0x00 and is reported like the others.
        FixRow{"hex_first_not_digit", 0, "g1", {0x00}, {{0, 0x00}}},
        FixRow{"hex_bad_pair_between",
               0,
               "41zz42",
               {0x41, 0x00, 0x42},
               {{0, 0x41}, {1, 0x00}, {2, 0x42}}},
        // sscanf "%2x" takes a sign as one of its two characters and skips leading white
        // space without counting it, reaching into the next pair.
        FixRow{"hex_minus_one", 0, "-1", {0xFF}, {{0, 0xFF}}},
        FixRow{"hex_plus_f", 0, "+f", {0x0F}, {{0, 0x0F}}},
        FixRow{"hex_minus_not_digit", 0, "-g41", {0x00, 0x41}, {{0, 0x00}, {1, 0x41}}},
        FixRow{"hex_space_reads_on", 0, " 1A2", {0x1A, 0xA2}, {{0, 0x1A}, {1, 0xA2}}},
        FixRow{"hex_spaces_at_end", 0, "41  ", {0x41, 0x00}, {{0, 0x41}, {1, 0x00}}},
        // A 0x prefix: the target C library converts nothing under "%2x" (the prefix uses up
        // the width), so the pair stores 0x00 there as here; the pair after it is read as usual.
        FixRow{"hex_0x_prefix", 0, "0x1F", {0x00, 0x1F}, {{0, 0x00}, {1, 0x1F}}},
        FixRow{"hex_0x_alone", 0, "0x", {0x00}, {{0, 0x00}}},
        FixRow{"hex_0X_twice", 0, "0X0x", {0x00, 0x00}, {{0, 0x00}, {1, 0x00}}},
        FixRow{"hex_sign", 0, "-1+f", {0xFF, 0x0F}, {{0, 0xFF}, {1, 0x0F}}},
        FixRow{"hex_empty", 0, "", {}, {}}, FixRow{"hex_single_digit", 0, "7", {}, {}},
        FixRow{"hex_zero_pair_kept", 0, "00ff", {0x00, 0xFF}, {{0, 0x00}, {1, 0xFF}}},
        FixRow{"hex_31_digits_15_bytes", 0, std::string(40, 'e'), Bytes(15, 0xEE),
               [] {
                 std::vector<std::pair<int, int>> t;
                 for (int i = 0; i < 15; ++i) t.emplace_back(i, 0xEE);
                 return t;
               }()},
        FixRow{"text", 1, "AB", {0x41, 0x42}, {}},
        FixRow{"text_no_selection", -1, "AB", {0x41, 0x42}, {}},
        FixRow{"text_hex_looking", 1, "0d0a", {'0', 'd', '0', 'a'}, {}},
        FixRow{"text_cut_to_31", 1, std::string(40, 't'), Bytes(31, 't'), {}},
        FixRow{"text_8bit_unconverted", 1, "\xD6\xD0", {0xD6, 0xD0}, {}},
        // 16 GBK characters make 32 bytes: the last whole one that fits in 31 is the 15th.
        FixRow{"text_gbk_cut_at_a_whole_character", 1, GbkRepeat(16), GbkBytes(15), {}},
        FixRow{"text_gbk_after_ascii_fills_31",
               1,
               "a" + GbkRepeat(16),
               Cat({{'a'}, GbkBytes(15)}),
               {}},
        FixRow{"text_gbk_exactly_31",
               1,
               std::string(29, 'a') + GbkRepeat(2),
               Cat({Bytes(29, 'a'), GbkBytes(1)}),
               {}},
        FixRow{"text_empty", 1, "", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BarcodeFixPayloadTest, HexPrefix) {
  EXPECT_EQ(B(BuildBarcodeFixPayload(0, "0d0a")), Cat({Zeros(4), {0x0D, 0x0A}, Zeros(30)}));
  EXPECT_EQ(B(BuildBarcodeFixPayload(0, "0D0A")), Cat({Zeros(4), {0x0D, 0x0A}, Zeros(30)}));
}

TEST(BarcodeFixPayloadTest, TextPrefix) {
  EXPECT_EQ(B(BuildBarcodeFixPayload(1, "AB")), Cat({{1, 0, 0, 0}, {0x41, 0x42}, Zeros(30)}));
}

TEST(BarcodeFixPayloadTest, EmptyEditAndNoSelection) {
  EXPECT_EQ(B(BuildBarcodeFixPayload(0, "")), Zeros(36));
  EXPECT_EQ(B(BuildBarcodeFixPayload(-1, "x")), Cat({{0xFF, 0xFF, 0xFF, 0xFF}, {'x'}, Zeros(31)}));
}

TEST(CardFixPayloadTest, HexPrefixAndSuffix) {
  std::vector<std::pair<int, int>> traced;
  const auto p = BuildCardFixPayload(
      {.serialFormatIndex = 1, .fixFormatIndex = 0, .prefix = "02", .suffix = "03"},
      [&](int i, int b) { traced.emplace_back(i, b); });
  EXPECT_EQ(B(p), Cat({{1, 0, 0, 0}, {0, 0, 0, 0}, {0x02}, Zeros(31), {0x03}, Zeros(31)}));
  EXPECT_EQ(traced, (std::vector<std::pair<int, int>>{{0, 0x02}, {0, 0x03}}));
}

TEST(CardFixPayloadTest, TextPrefixAndSuffix) {
  const auto p = BuildCardFixPayload({0, 1, "CP", "CS"});
  EXPECT_EQ(B(p), Cat({{0, 0, 0, 0}, {1, 0, 0, 0}, Text("CP"), Zeros(30), Text("CS"), Zeros(30)}));
}

struct FitRow {
  const char* name;
  std::string text;
  std::size_t max;
  std::string expected;
};

TEST(FitUtf8Test, NeverHalfACharacter) {
  const std::string zhong = "\xE4\xB8\xAD";      // U+4E2D, 3 bytes
  const std::string e = "\xC3\xA9";              // U+00E9, 2 bytes
  const std::string smile = "\xF0\x9F\x98\x80";  // U+1F600, 4 bytes
  const FitRow rows[] = {
      {"fits", "abc", 31, "abc"},
      {"ascii_cut", std::string(40, 'a'), 31, std::string(31, 'a')},
      {"exactly_31", std::string(31, 'a'), 31, std::string(31, 'a')},
      {"three_byte_ends_at_limit", std::string(28, 'a') + zhong + "b", 31,
       std::string(28, 'a') + zhong},
      {"three_byte_crosses_by_one", std::string(29, 'a') + zhong, 31, std::string(29, 'a')},
      {"three_byte_crosses_by_two", std::string(30, 'a') + zhong, 31, std::string(30, 'a')},
      {"eleven_chinese",
       [&] {
         std::string s;
         for (int i = 0; i < 11; ++i) s += zhong;
         return s;
       }(),
       31,
       [&] {
         std::string s;
         for (int i = 0; i < 10; ++i) s += zhong;
         return s;
       }()},
      {"two_byte_crosses", std::string(30, 'a') + e, 31, std::string(30, 'a')},
      {"four_byte_crosses", std::string(28, 'a') + smile, 31, std::string(28, 'a')},
      {"four_byte_fits", std::string(27, 'a') + smile + "z", 31, std::string(27, 'a') + smile},
      // A stray continuation byte right at the limit is a character of its own.
      {"stray_continuation", std::string(31, 'a') + "\x80", 31, std::string(31, 'a')},
      {"complete_then_stray", std::string(29, 'a') + e + "\x80", 31, std::string(29, 'a') + e},
  };
  for (const FitRow& row : rows) EXPECT_EQ(FitUtf8(row.text, row.max), row.expected) << row.name;
}

TEST(CloudPayloadTest, DefaultsAreAllZero) {
  const auto p = BuildCloudPayload({0, Ip32{}, {}});
  EXPECT_EQ(B(p), Zeros(200));
}

TEST(CloudPayloadTest, LayoutWithDistinctValues) {
  const std::string zhong = "\xE4\xB8\xAD";
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += zhong;
  const auto p = BuildCloudPayload(
      {.providerIndex = 1,
       .serverIp = MakeIp32(10, 20, 30, 40),
       .texts = {"one", "two", "three", eleven, "five", std::string_view(std::string(40, 's'))}});
  std::string ten;
  for (int i = 0; i < 10; ++i) ten += zhong;
  auto field = [](std::string_view s) {
    Bytes b = Text(s);
    b.resize(32, 0);
    return b;
  };
  const Bytes expected = Cat({{1, 0, 0, 0},
                              {40, 30, 20, 10},
                              field("one"),
                              field("two"),
                              field("three"),
                              field(ten),
                              field("five"),
                              field(std::string(31, 's'))});
  EXPECT_EQ(B(p), expected);
}

}  // namespace
