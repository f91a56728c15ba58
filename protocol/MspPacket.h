// The 17-byte command header MspSendCmd_t, the data checksum, and the pure length / sync /
// checksum validation of a received reply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct MspSendCmd_t {
  std::uint32_t syncCode;
  std::uint32_t reserved;
  std::int32_t cmdId;
  std::int32_t cmdDataLen;
  std::uint8_t cmdData_checksum;
};
#pragma pack(pop)

constexpr int PACKAGE_HEADER_LEN = 17;
constexpr std::uint32_t MSP_SYNC_CODE = 0x58585858;

// Wire offsets of the header fields.
constexpr std::size_t MSP_SYNC_CODE_OFFSET = 0;
constexpr std::size_t MSP_RESERVED_OFFSET = 4;
constexpr std::size_t MSP_CMD_ID_OFFSET = 8;
constexpr std::size_t MSP_CMD_DATA_LEN_OFFSET = 12;
constexpr std::size_t MSP_CHECKSUM_OFFSET = 16;

static_assert(sizeof(MspSendCmd_t) == PACKAGE_HEADER_LEN);
static_assert(offsetof(MspSendCmd_t, syncCode) == MSP_SYNC_CODE_OFFSET);
static_assert(offsetof(MspSendCmd_t, reserved) == MSP_RESERVED_OFFSET);
static_assert(offsetof(MspSendCmd_t, cmdId) == MSP_CMD_ID_OFFSET);
static_assert(offsetof(MspSendCmd_t, cmdDataLen) == MSP_CMD_DATA_LEN_OFFSET);
static_assert(offsetof(MspSendCmd_t, cmdData_checksum) == MSP_CHECKSUM_OFFSET);

// The receive buffer of one notification and the most data it holds after a header.
constexpr int RECV_BUFFER_LEN = 4096;
constexpr int MAX_REPLY_DATA_LEN = RECV_BUFFER_LEN - PACKAGE_HEADER_LEN;  // 4079

// 255 minus the byte sum of the len data bytes, modulo 256 (0..255). len <= 0 gives 255 and
// reads nothing.
int CmdDataChecksum(int len, const void* data);

// Fills *header: sync code, reserved 0, cmdId, cmdDataLen = len, checksum of the data. Returns 0.
int BuildCmdHeader(int cmdId, const void* data, int len, MspSendCmd_t* header);

// The 17 wire bytes of a header, integers little-endian.
std::array<std::uint8_t, PACKAGE_HEADER_LEN> EncodeCmdHeader(const MspSendCmd_t& header);
// Reads a header from 17 wire bytes.
MspSendCmd_t DecodeCmdHeader(const std::uint8_t* bytes);

enum class ReplyStatus {
  Ok,           // header accepted: dispatch on cmdId
  TooShort,     // fewer than PACKAGE_HEADER_LEN bytes received
  BadSync,      // the first four bytes are not the sync code
  BadChecksum,  // computedChecksum differs from receivedChecksum
  DataTooLong,  // cmdDataLen exceeds what the buffer holds after the header
};

struct ReplyCheck {
  ReplyStatus status = ReplyStatus::TooShort;
  // Valid for Ok, BadChecksum and DataTooLong (the handler traces cmdId before the checksum).
  std::int32_t cmdId = 0;
  std::int32_t cmdDataLen = 0;
  // Valid for BadChecksum, both 0..255.
  int computedChecksum = 0;
  int receivedChecksum = 0;
};

// Validates a received datagram the way CKestrivalDlg::UdpCmdRecv does: length, sync code, then the
// checksum when cmdDataLen is not 0. buffer holds bufferSize bytes (RECV_BUFFER_LEN in the dialog),
// of which the first count were received.
// - A negative cmdDataLen is checked like any non-zero length: CmdDataChecksum gives 255 for it
//   without reading, so the reply passes only with checksum byte 0xFF.
// - Data bytes past the end of the datagram count as zero (the dialog zero-fills its buffer; they
//   are not read here, so the result does not depend on it).
// - A cmdDataLen above bufferSize - 17 (4079 for the dialog's buffer) would make the checksum
//   read past the buffer: such a reply is dropped as DataTooLong, and the dialog traces
//   "cmdData len error ,cmdDataLen=%d ,max=%d \n"; nothing past the buffer is read.
ReplyCheck ParseReply(const std::uint8_t* buffer, std::size_t bufferSize, int count);
