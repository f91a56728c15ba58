#include "protocol/MspPacket.h"

#include <algorithm>

#include "protocol/ByteOrder.h"

using kestrival::GetLe32;
using kestrival::GetLeI32;
using kestrival::PutLe32;
using kestrival::PutLeI32;

namespace {

int ByteSum(const std::uint8_t* data, std::size_t len) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < len; ++i) sum += data[i];
  return static_cast<int>(sum & 0xFF);
}

}  // namespace

int CmdDataChecksum(int len, const void* data) {
  if (len <= 0) return 255;
  return 255 - ByteSum(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(len));
}

int BuildCmdHeader(int cmdId, const void* data, int len, MspSendCmd_t* header) {
  header->syncCode = MSP_SYNC_CODE;
  header->reserved = 0;
  header->cmdId = cmdId;
  header->cmdDataLen = len;
  header->cmdData_checksum = static_cast<std::uint8_t>(CmdDataChecksum(len, data));
  return 0;
}

std::array<std::uint8_t, PACKAGE_HEADER_LEN> EncodeCmdHeader(const MspSendCmd_t& header) {
  std::array<std::uint8_t, PACKAGE_HEADER_LEN> bytes{};
  PutLe32(bytes.data() + MSP_SYNC_CODE_OFFSET, header.syncCode);
  PutLe32(bytes.data() + MSP_RESERVED_OFFSET, header.reserved);
  PutLeI32(bytes.data() + MSP_CMD_ID_OFFSET, header.cmdId);
  PutLeI32(bytes.data() + MSP_CMD_DATA_LEN_OFFSET, header.cmdDataLen);
  bytes[MSP_CHECKSUM_OFFSET] = header.cmdData_checksum;
  return bytes;
}

MspSendCmd_t DecodeCmdHeader(const std::uint8_t* bytes) {
  MspSendCmd_t header{};
  header.syncCode = GetLe32(bytes + MSP_SYNC_CODE_OFFSET);
  header.reserved = GetLe32(bytes + MSP_RESERVED_OFFSET);
  header.cmdId = GetLeI32(bytes + MSP_CMD_ID_OFFSET);
  header.cmdDataLen = GetLeI32(bytes + MSP_CMD_DATA_LEN_OFFSET);
  header.cmdData_checksum = bytes[MSP_CHECKSUM_OFFSET];
  return header;
}

ReplyCheck ParseReply(const std::uint8_t* buffer, std::size_t bufferSize, int count) {
  ReplyCheck check;
  if (count < PACKAGE_HEADER_LEN || bufferSize < static_cast<std::size_t>(PACKAGE_HEADER_LEN)) {
    check.status = ReplyStatus::TooShort;
    return check;
  }
  const MspSendCmd_t header = DecodeCmdHeader(buffer);
  if (header.syncCode != MSP_SYNC_CODE) {
    check.status = ReplyStatus::BadSync;
    return check;
  }
  check.cmdId = header.cmdId;
  check.cmdDataLen = header.cmdDataLen;
  if (header.cmdDataLen == 0) {
    check.status = ReplyStatus::Ok;
    return check;
  }
  const std::size_t room = bufferSize - PACKAGE_HEADER_LEN;
  if (header.cmdDataLen > 0 && static_cast<std::size_t>(header.cmdDataLen) > room) {
    check.status = ReplyStatus::DataTooLong;
    return check;
  }
  int computed = 255;
  if (header.cmdDataLen > 0) {
    // Only the received bytes are summed; the zeros after the datagram would not change the sum.
    const std::size_t received =
        std::min(static_cast<std::size_t>(count), bufferSize) - PACKAGE_HEADER_LEN;
    const std::size_t summed = std::min(static_cast<std::size_t>(header.cmdDataLen), received);
    computed = 255 - ByteSum(buffer + PACKAGE_HEADER_LEN, summed);
  }
  if (computed != header.cmdData_checksum) {
    check.status = ReplyStatus::BadChecksum;
    check.computedChecksum = computed;
    check.receivedChecksum = header.cmdData_checksum;
    return check;
  }
  check.status = ReplyStatus::Ok;
  return check;
}
