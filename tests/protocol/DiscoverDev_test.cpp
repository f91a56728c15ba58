// The device record, the network block, and what a discovery reply stores.
#include "protocol/DiscoverDev.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "protocol/MspPacket.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

NetworkBlock SampleBlock() {
  NetworkBlock b;
  b.netMode = 1;
  b.ipAddr = MakeIp32(192, 168, 0, 10);
  b.netMask = MakeIp32(255, 255, 255, 0);
  b.gateway = MakeIp32(192, 168, 0, 254);
  b.dns1 = MakeIp32(114, 114, 114, 114);
  b.dns2 = MakeIp32(8, 8, 4, 4);
  b.serverAddr = "srv.example";
  b.serverPort = 8080;
  b.httpLang = 3;
  return b;
}

TEST(NetworkSettingsRecordTest, IpAddressControlValueAtOffset20) {
  const auto record = BuildDeviceRecord("Reader-1", SampleBlock());
  EXPECT_EQ(Bytes(record.begin() + 20, record.begin() + 24), (Bytes{0x0A, 0x00, 0xA8, 0xC0}));
}

TEST(NetworkSettingsRecordTest, EveryFieldAtItsOffset) {
  const auto r = BuildDeviceRecord("Reader-1", SampleBlock());
  Bytes expected(96, 0);
  std::memcpy(expected.data(), "Reader-1", 8);
  const Bytes fields[] = {
      {0x01, 0, 0, 0},          {0x0A, 0x00, 0xA8, 0xC0}, {0x00, 0xFF, 0xFF, 0xFF},
      {0xFE, 0x00, 0xA8, 0xC0}, {0x72, 0x72, 0x72, 0x72}, {0x04, 0x04, 0x08, 0x08},
  };
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    std::copy(fields[i].begin(), fields[i].end(), expected.begin() + 16 + 4 * i);
  }
  std::memcpy(expected.data() + 40, "srv.example", 11);
  expected[88] = 0x90;
  expected[89] = 0x1F;
  expected[92] = 0x03;
  EXPECT_EQ(Bytes(r.begin(), r.end()), expected);
}

TEST(NetworkSettingsRecordTest, HeaderOfCommand32) {
  const auto record = BuildDeviceRecord("R", SampleBlock());
  MspSendCmd_t header;
  BuildCmdHeader(32, record.data(), static_cast<int>(record.size()), &header);
  const auto bytes = EncodeCmdHeader(header);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 16),
            (Bytes{0x58, 0x58, 0x58, 0x58, 0, 0, 0, 0, 0x20, 0, 0, 0, 0x60, 0, 0, 0}));
  EXPECT_EQ(bytes[16], CmdDataChecksum(96, record.data()));
}

TEST(NetworkSettingsRecordTest, TextsAreCutToTheirFields) {
  NetworkBlock b = SampleBlock();
  b.serverAddr = std::string(60, 's');
  const auto r = BuildDeviceRecord("ABCDEFGHIJKLMNOPQRST", b);
  EXPECT_EQ(Bytes(r.begin(), r.begin() + 16),
            (Bytes{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 0}));
  EXPECT_EQ(Bytes(r.begin() + 40, r.begin() + 87), Bytes(47, 's'));
  EXPECT_EQ(r[87], 0);
}

TEST(NetworkBlockTest, DecodeIsTheInverseOfEncode) {
  const NetworkBlock b = SampleBlock();
  const auto bytes = EncodeNetworkBlock(b);
  const NetworkBlock back = DecodeNetworkBlock(bytes.data());
  EXPECT_EQ(back.netMode, b.netMode);
  EXPECT_EQ(back.ipAddr, b.ipAddr);
  EXPECT_EQ(back.netMask, b.netMask);
  EXPECT_EQ(back.gateway, b.gateway);
  EXPECT_EQ(back.dns1, b.dns1);
  EXPECT_EQ(back.dns2, b.dns2);
  EXPECT_EQ(back.serverAddr, b.serverAddr);
  EXPECT_EQ(back.serverPort, b.serverPort);
  EXPECT_EQ(back.httpLang, b.httpLang);
}

TEST(NetworkBlockTest, ServerAddressWithoutNulIsReadInFullWidth) {
  std::array<std::uint8_t, NETWORK_BLOCK_LEN> bytes{};
  std::fill(bytes.begin() + 24, bytes.begin() + 72, 'x');
  EXPECT_EQ(DecodeNetworkBlock(bytes.data()).serverAddr, std::string(48, 'x'));
}

TEST(DiscoveryReplyTest, SenderAddressReplacesTheReportedOne) {
  const auto data = BuildDeviceRecord("Gate", SampleBlock());  // reports 192.168.0.10
  const DiscoveredRecord d =
      RecordFromDiscoveryReply(data.data(), data.size(), MakeNetAddr(10, 0, 0, 7));
  EXPECT_FALSE(d.labelCut);
  const auto stored = EncodeDiscoverDev(d.record);
  EXPECT_EQ(Bytes(stored.begin() + 20, stored.begin() + 24), (Bytes{10, 0, 0, 7}));
  EXPECT_EQ(FormatDotted(d.record.ipAddr), "10.0.0.7");
  // Every other byte as the reader sent it.
  Bytes expected(data.begin(), data.end());
  std::copy_n(stored.begin() + 20, 4, expected.begin() + 20);
  EXPECT_EQ(Bytes(stored.begin(), stored.end()), expected);
  EXPECT_EQ(LabelText(d.record), "Gate");
}

TEST(DiscoveryReplyTest, ShortDataIsZeroFilled) {
  const Bytes data{'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05};
  const DiscoveredRecord d =
      RecordFromDiscoveryReply(data.data(), data.size(), MakeNetAddr(1, 2, 3, 4));
  const auto stored = EncodeDiscoverDev(d.record);
  Bytes expected(96, 0);
  std::copy(data.begin(), data.end(), expected.begin());
  expected[20] = 1;
  expected[21] = 2;
  expected[22] = 3;
  expected[23] = 4;
  EXPECT_EQ(Bytes(stored.begin(), stored.end()), expected);
  EXPECT_EQ(d.record.netMode, 5);
}

TEST(DiscoveryReplyTest, NoDataGivesAnEmptyLabel) {
  const DiscoveredRecord d = RecordFromDiscoveryReply(nullptr, 0, MakeNetAddr(1, 2, 3, 4));
  EXPECT_EQ(LabelText(d.record), "");
  EXPECT_FALSE(d.labelCut);
}

TEST(DiscoveryReplyTest, OnlyTheFirst96BytesCount) {
  Bytes data(200, 0x33);
  data[15] = 0;
  const DiscoveredRecord d = RecordFromDiscoveryReply(data.data(), data.size(), ANY_ADDR);
  EXPECT_EQ(d.record.httpLang, 0x33333333);
}

TEST(DiscoveryReplyTest, LabelWithoutNulIsCutTo15Bytes) {
  Bytes data(96, 0);
  for (int i = 0; i < 16; ++i) data[i] = static_cast<std::uint8_t>('a' + i);
  data[16] = 'Z';  // netMode bytes must not join the label
  const DiscoveredRecord d =
      RecordFromDiscoveryReply(data.data(), data.size(), MakeNetAddr(10, 0, 0, 9));
  EXPECT_TRUE(d.labelCut);
  EXPECT_EQ(LabelText(d.record), "abcdefghijklmno");
  EXPECT_EQ(d.record.devLabel[15], '\0');
  EXPECT_EQ(d.record.netMode, 'Z');
}

TEST(DiscoveryReplyTest, LabelOf15CharactersIsKept) {
  Bytes data(96, 0);
  for (int i = 0; i < 15; ++i) data[i] = 'q';
  const DiscoveredRecord d = RecordFromDiscoveryReply(data.data(), data.size(), ANY_ADDR);
  EXPECT_FALSE(d.labelCut);
  EXPECT_EQ(LabelText(d.record), std::string(15, 'q'));
}

TEST(DiscoverDevTest, DecodeEncodeRoundTripWithDistinctBytes) {
  Bytes data(96);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
  const DISCOVER_DEV_T rec = DecodeDiscoverDev(data.data(), data.size());
  EXPECT_EQ(rec.netMode, 0x14131211);
  EXPECT_EQ(Bytes(rec.ipAddr.octets, rec.ipAddr.octets + 4), (Bytes{21, 22, 23, 24}));
  EXPECT_EQ(rec.netMask.value, 0x1C1B1A19u);
  EXPECT_EQ(rec.dns2.value, 0x28272625u);
  EXPECT_EQ(rec.serverAddr[0], 41);
  EXPECT_EQ(rec.serverPort, 0x5C5B5A59);
  EXPECT_EQ(rec.httpLang, 0x605F5E5D);
  const auto back = EncodeDiscoverDev(rec);
  EXPECT_EQ(Bytes(back.begin(), back.end()), data);
}

}  // namespace
