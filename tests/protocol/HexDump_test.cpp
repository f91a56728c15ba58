#include "protocol/HexDump.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HexDump, OneSpaceAndTwoLowercaseDigitsPerByte) {
  struct Row {
    std::string bytes;
    int len;
    std::string dump;
  };
  const Row rows[] = {
      {"", 0, ""},
      {"X", 1, " 58"},
      {std::string("\x00\x0a\xff\xAB", 4), 4, " 00 0a ff ab"},
      {"XXXX", 2, " 58 58"},  // only len bytes
      {"XXXX", -3, ""},
  };
  for (const Row& row : rows) EXPECT_EQ(HexDump(row.bytes.data(), row.len), row.dump) << row.len;
  EXPECT_EQ(HexDump(nullptr, 4), "");
}

TEST(HexDump, LowerHexIsTwoLowercaseDigitsPerByteWithNothingBetween) {
  struct Row {
    std::string bytes;
    std::size_t len;
    std::string hex;
  };
  const Row rows[] = {
      {"", 0, ""},
      {std::string("\x00\x0a\xff\xAB\x10", 5), 5, "000affab10"},
      {"XXXX", 2, "5858"},  // only len bytes
  };
  for (const Row& row : rows) EXPECT_EQ(LowerHex(row.bytes.data(), row.len), row.hex) << row.hex;
}

}  // namespace
