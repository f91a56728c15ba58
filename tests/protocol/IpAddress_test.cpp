// The two forms of an IPv4 address (ip32 and network byte order) and their dotted text.
#include "protocol/IpAddress.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IpAddressTest, TwoFormsOfOneAddress) {
  const Ip32 ip = MakeIp32(192, 168, 0, 1);
  EXPECT_EQ(ip.value, 0xC0A80001u);
  std::uint8_t stored[4];
  PutIp32(stored, ip);
  EXPECT_EQ(Bytes(stored, stored + 4), (Bytes{0x01, 0x00, 0xA8, 0xC0}));
  EXPECT_EQ(GetIp32(stored), ip);

  const NetAddr net = ToNetAddr(ip);
  EXPECT_EQ(Bytes(net.octets, net.octets + 4), (Bytes{0xC0, 0xA8, 0x00, 0x01}));
  EXPECT_EQ(ToIp32(net), ip);
  EXPECT_EQ(net, MakeNetAddr(192, 168, 0, 1));
}

TEST(IpAddressTest, DottedText) {
  EXPECT_EQ(FormatDotted(MakeIp32(192, 168, 0, 10)), "192.168.0.10");
  EXPECT_EQ(FormatDotted(MakeNetAddr(10, 0, 0, 7)), "10.0.0.7");
  EXPECT_EQ(FormatDotted(BROADCAST_ADDR), "255.255.255.255");
  EXPECT_EQ(FormatDotted(Ip32{}), "0.0.0.0");
  EXPECT_EQ(FormatDotted(ANY_ADDR), "0.0.0.0");
}

// What a user types as an address (a profile's field, --ip-from, a target, the simulated
// reader's --address): four decimal numbers 0..255 and nothing else.
TEST(IpAddressTest, ParseDottedTakesFourDecimalOctetsOnly) {
  struct Row {
    const char* text;
    std::optional<Ip32> address;
  };
  const Row rows[] = {
      {"0.0.0.0", Ip32{}},
      {"255.255.255.255", Ip32{0xFFFFFFFF}},
      {"10.0.4.23", MakeIp32(10, 0, 4, 23)},
      {"192.168.000.010", MakeIp32(192, 168, 0, 10)},  // up to three digits, zeros in front too
      {"1.2.3", std::nullopt},
      {"1.2.3.4.5", std::nullopt},
      {"1.2.3.", std::nullopt},
      {".1.2.3", std::nullopt},
      {"1..3.4", std::nullopt},
      {"1.2.3.256", std::nullopt},
      {"256.2.3.4", std::nullopt},
      {"0001.2.3.4", std::nullopt},
      {"1.2.3.99999999999", std::nullopt},
      {" 1.2.3.4", std::nullopt},
      {"1.2.3.4 ", std::nullopt},
      {"1. 2.3.4", std::nullopt},
      {"+1.2.3.4", std::nullopt},
      {"-1.2.3.4", std::nullopt},
      {"1.2.3.4x", std::nullopt},
      {"0x1.2.3.4", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& r : rows) EXPECT_EQ(ParseDotted(r.text), r.address) << '"' << r.text << '"';
  EXPECT_EQ(ParseDotted(std::string_view("1.2.3.4.5").substr(0, 7)), MakeIp32(1, 2, 3, 4))
      << "the view's end, not a NUL, ends the text";
}

}  // namespace
