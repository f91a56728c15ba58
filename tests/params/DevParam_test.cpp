// DEV_PARAM_T: its network block as in the device record, and its wire bytes. The field offsets
// are checked while compiling (params/DevParam.h), the sections with the Set command table
// (app/SetCommandTable.h).
#include "params/DevParam.h"

#include <gtest/gtest.h>

#include <vector>

#include "protocol/DiscoverDev.h"

namespace {

TEST(DevParamTest, NetworkBlockAsInTheDeviceRecord) {
  EXPECT_EQ(offsetof(DEV_PARAM_T, netMode), NB_NET_MODE);
  EXPECT_EQ(offsetof(DEV_PARAM_T, ipAddr), NB_IP_ADDR);
  EXPECT_EQ(offsetof(DEV_PARAM_T, netMask), NB_NET_MASK);
  EXPECT_EQ(offsetof(DEV_PARAM_T, gateway), NB_GATEWAY);
  EXPECT_EQ(offsetof(DEV_PARAM_T, dns1), NB_DNS1);
  EXPECT_EQ(offsetof(DEV_PARAM_T, dns2), NB_DNS2);
  EXPECT_EQ(offsetof(DEV_PARAM_T, serverAddr), NB_SERVER_ADDR);
  EXPECT_EQ(offsetof(DEV_PARAM_T, serverPort), NB_SERVER_PORT);
  EXPECT_EQ(offsetof(DEV_PARAM_T, httpLang), NB_HTTP_LANG);
  EXPECT_EQ(SECTION_NETWORK.len, NETWORK_BLOCK_LEN);
}

TEST(DevParamTest, DecodeReadsLittleEndianFieldsFromDistinctBytes) {
  std::vector<std::uint8_t> bytes(720);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const DEV_PARAM_T r = DecodeDevParam(bytes.data(), bytes.size());
  auto le32 = [&](std::size_t o) {
    return static_cast<std::uint32_t>(bytes[o]) | static_cast<std::uint32_t>(bytes[o + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[o + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[o + 3]) << 24;
  };
  EXPECT_EQ(static_cast<std::uint32_t>(r.netMode), le32(0));
  EXPECT_EQ(r.dns2.value, le32(20));
  EXPECT_EQ(r.cloudServerIp.value, le32(212));
  EXPECT_EQ(static_cast<std::uint8_t>(r.outputFormat), bytes[408]);
  EXPECT_EQ(static_cast<std::uint8_t>(r.hidNewline), bytes[417]);
  EXPECT_EQ(static_cast<std::uint32_t>(r.wgHighPulse), le32(508));
  EXPECT_EQ(static_cast<std::uint32_t>(r.wgLowPulse), le32(512));
  EXPECT_EQ(r.qrUseCount, bytes[543]);
  EXPECT_EQ(static_cast<std::uint32_t>(r.cardFixFmt), le32(652));
  EXPECT_EQ(static_cast<std::uint8_t>(r.cardSuffix[31]), bytes[719]);
  const auto back = EncodeDevParam(r);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), bytes.begin()));
}

TEST(DevParamTest, ShortReplyDecodesToZeros) {
  const std::uint8_t bytes[] = {0x01, 0x02};
  const auto back = EncodeDevParam(DecodeDevParam(bytes, sizeof bytes));
  EXPECT_EQ(back[0], 0x01);
  EXPECT_EQ(back[1], 0x02);
  EXPECT_TRUE(std::all_of(back.begin() + 2, back.end(), [](std::uint8_t b) { return b == 0; }));
  const auto empty = EncodeDevParam(DecodeDevParam(nullptr, 0));
  EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](std::uint8_t b) { return b == 0; }));
}

}  // namespace
