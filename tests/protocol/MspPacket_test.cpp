// The header, the checksum and the reply validation, byte for byte.
#include "protocol/MspPacket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ChecksumRow {
  const char* name;
  int len;
  Bytes data;
  int expected;
};

class ChecksumTest : public ::testing::TestWithParam<ChecksumRow> {};

TEST_P(ChecksumTest, MatchesTable) {
  const ChecksumRow& row = GetParam();
  EXPECT_EQ(CmdDataChecksum(row.len, row.data.empty() ? nullptr : row.data.data()), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChecksumTest,
    ::testing::Values(ChecksumRow{"len0", 0, {}, 0xFF}, ChecksumRow{"negative", -1, {}, 0xFF},
                      ChecksumRow{"most_negative", std::numeric_limits<int>::min(), {}, 0xFF},
                      ChecksumRow{"byte00", 1, {0x00}, 0xFF},
                      ChecksumRow{"byteFF", 1, {0xFF}, 0x00},
                      ChecksumRow{"wraps", 2, {0x80, 0x80}, 0xFF},
                      ChecksumRow{"abc", 3, {0x61, 0x62, 0x63}, 0xD9},
                      ChecksumRow{"zeros", 5, {0, 0, 0, 0, 0}, 0xFF},
                      ChecksumRow{"one", 4, {0x01, 0, 0, 0}, 0xFE},
                      ChecksumRow{"only_len_counts", 1, {0x10, 0x20}, 0xEF}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChecksumTest, TrailingZerosNeverChangeIt) {
  const std::array<std::uint8_t, 6> data{0x61, 0x62, 0x63, 0, 0, 0};
  EXPECT_EQ(CmdDataChecksum(3, data.data()), CmdDataChecksum(6, data.data()));
}

TEST(HeaderTest, ReadParamsHeaderBytes) {
  MspSendCmd_t header;
  std::memset(&header, 0xAA, sizeof header);
  EXPECT_EQ(BuildCmdHeader(30, nullptr, 0, &header), 0);
  const std::array<std::uint8_t, 17> expected{0x58, 0x58, 0x58, 0x58, 0x00, 0x00, 0x00, 0x00, 0x1E,
                                              0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF};
  EXPECT_EQ(EncodeCmdHeader(header), expected);
}

TEST(HeaderTest, OutputFormatHeaderCarriesIdAndLength) {
  const std::array<std::uint8_t, 4> data{0x07, 0, 0, 0};
  MspSendCmd_t header;
  BuildCmdHeader(6, data.data(), 4, &header);
  const auto bytes = EncodeCmdHeader(header);
  EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.begin() + 12), (Bytes{0x06, 0, 0, 0}));
  EXPECT_EQ(Bytes(bytes.begin() + 12, bytes.begin() + 16), (Bytes{0x04, 0, 0, 0}));
  EXPECT_EQ(bytes[16], 0xF8);
}

TEST(HeaderTest, NegativeFieldsTravelAsTwosComplement) {
  MspSendCmd_t header;
  BuildCmdHeader(-2, nullptr, -1, &header);
  const auto bytes = EncodeCmdHeader(header);
  EXPECT_EQ(Bytes(bytes.begin() + 8, bytes.end()),
            (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(HeaderTest, DecodeReadsEveryFieldFromItsOffset) {
  const std::array<std::uint8_t, 17> bytes{0x58, 0x58, 0x58, 0x58, 0x01, 0x02, 0x03, 0x04, 0x1F,
                                           0x00, 0x00, 0x00, 0xD0, 0x02, 0x00, 0x00, 0x5A};
  const MspSendCmd_t header = DecodeCmdHeader(bytes.data());
  EXPECT_EQ(header.syncCode, MSP_SYNC_CODE);
  EXPECT_EQ(header.reserved, 0x04030201u);
  EXPECT_EQ(header.cmdId, 31);
  EXPECT_EQ(header.cmdDataLen, 720);
  EXPECT_EQ(header.cmdData_checksum, 0x5A);
  EXPECT_EQ(EncodeCmdHeader(header), bytes);
}

// A reply in the dialog's zero-filled 4096-byte receive buffer.
struct Datagram {
  std::array<std::uint8_t, RECV_BUFFER_LEN> buffer{};
  int count = 0;
};

Datagram MakeDatagram(const Bytes& bytes) {
  Datagram d;
  std::copy(bytes.begin(), bytes.end(), d.buffer.begin());
  d.count = static_cast<int>(bytes.size());
  return d;
}

Bytes Header(std::int32_t cmdId, std::int32_t len, std::uint8_t checksum) {
  const MspSendCmd_t h{MSP_SYNC_CODE, 0, cmdId, len, checksum};
  const auto bytes = EncodeCmdHeader(h);
  return Bytes(bytes.begin(), bytes.end());
}

Bytes Take(const Bytes& b, std::size_t from, std::size_t to) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
               b.begin() + static_cast<std::ptrdiff_t>(to));
}

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct ReplyRow {
  const char* name;
  Bytes datagram;
  ReplyStatus status;
  std::int32_t cmdId;
  std::int32_t dataLen;
  int computed;
  int received;
};

class ParseReplyTest : public ::testing::TestWithParam<ReplyRow> {};

TEST_P(ParseReplyTest, MatchesTable) {
  const ReplyRow& row = GetParam();
  const Datagram d = MakeDatagram(row.datagram);
  const ReplyCheck check = ParseReply(d.buffer.data(), d.buffer.size(), d.count);
  EXPECT_EQ(check.status, row.status);
  EXPECT_EQ(check.cmdId, row.cmdId);
  EXPECT_EQ(check.cmdDataLen, row.dataLen);
  EXPECT_EQ(check.computedChecksum, row.computed);
  EXPECT_EQ(check.receivedChecksum, row.received);
}

const Bytes kData1{0x01, 0x00, 0x00, 0x00};

INSTANTIATE_TEST_SUITE_P(
    Rows, ParseReplyTest,
    ::testing::Values(
        ReplyRow{"sixteen_bytes_too_short", Take(Header(7, 0, 0xFF), 0, 16), ReplyStatus::TooShort,
                 0, 0, 0, 0},
        ReplyRow{"empty_too_short", {}, ReplyStatus::TooShort, 0, 0, 0, 0},
        ReplyRow{"header_only_passes", Header(7, 0, 0x00), ReplyStatus::Ok, 7, 0, 0, 0},
        ReplyRow{"header_only_any_checksum", Header(31, 0, 0x42), ReplyStatus::Ok, 31, 0, 0, 0},
        ReplyRow{"bad_sync", Concat({0x58, 0x58, 0x58, 0x59}, Take(Header(7, 0, 0xFF), 4, 17)),
                 ReplyStatus::BadSync, 0, 0, 0, 0},
        ReplyRow{"checksum_ok", Concat(Header(9, 4, 0xFE), kData1), ReplyStatus::Ok, 9, 4, 0, 0},
        ReplyRow{"checksum_mismatch", Concat(Header(9, 4, 0xFF), kData1), ReplyStatus::BadChecksum,
                 9, 4, 0xFE, 0xFF},
        // Data shorter than cmdDataLen: the missing bytes count as zero.
        ReplyRow{"short_data_counts_zero", Concat(Header(31, 720, 0xFE), kData1), ReplyStatus::Ok,
                 31, 720, 0, 0},
        // Negative length: compared with 255, nothing read.
        ReplyRow{"negative_len_ff_passes", Concat(Header(3, -5, 0xFF), kData1), ReplyStatus::Ok, 3,
                 -5, 0, 0},
        ReplyRow{"negative_len_other_dropped", Concat(Header(3, -5, 0xFE), kData1),
                 ReplyStatus::BadChecksum, 3, -5, 0xFF, 0xFE},
        ReplyRow{"largest_len_fits", Concat(Header(41, MAX_REPLY_DATA_LEN, 0xFE), kData1),
                 ReplyStatus::Ok, 41, MAX_REPLY_DATA_LEN, 0, 0},
        ReplyRow{"len_past_buffer", Concat(Header(41, MAX_REPLY_DATA_LEN + 1, 0xFE), kData1),
                 ReplyStatus::DataTooLong, 41, MAX_REPLY_DATA_LEN + 1, 0, 0},
        ReplyRow{"huge_len",
                 Concat(Header(41, std::numeric_limits<std::int32_t>::max(), 0xFE), kData1),
                 ReplyStatus::DataTooLong, 41, std::numeric_limits<std::int32_t>::max(), 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseReplyTest, ReservedWordIsNotExamined) {
  Bytes bytes = Header(7, 0, 0xFF);
  bytes[4] = 0x12;
  bytes[7] = 0x34;
  const Datagram d = MakeDatagram(bytes);
  EXPECT_EQ(ParseReply(d.buffer.data(), d.buffer.size(), d.count).status, ReplyStatus::Ok);
}

TEST(ParseReplyTest, NeverReadsPastTheBuffer) {
  // Exactly the header and the largest data that fits, in a buffer of just that size.
  std::vector<std::uint8_t> buffer(RECV_BUFFER_LEN, 0x01);
  const Bytes header = Header(43, MAX_REPLY_DATA_LEN, 0);
  std::copy(header.begin(), header.end(), buffer.begin());
  const int expected = 255 - (MAX_REPLY_DATA_LEN % 256);
  buffer[16] = static_cast<std::uint8_t>(expected);
  const ReplyCheck check = ParseReply(buffer.data(), buffer.size(), RECV_BUFFER_LEN);
  EXPECT_EQ(check.status, ReplyStatus::Ok);
}

TEST(ParseReplyTest, BytesPastTheCountAreNotSummed) {
  // Garbage after the datagram's end does not change the result: it counts as zero.
  Datagram d = MakeDatagram(Concat(Header(9, 8, 0xFE), kData1));
  d.buffer[17 + 4] = 0x55;
  EXPECT_EQ(ParseReply(d.buffer.data(), d.buffer.size(), d.count).status, ReplyStatus::Ok);
}

}  // namespace
