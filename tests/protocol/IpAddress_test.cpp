// The two forms of an IPv4 address (ip32 and network byte order) and their dotted text.
#include "protocol/IpAddress.h"

#include <gtest/gtest.h>

#include <cstdint>
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

}  // namespace
