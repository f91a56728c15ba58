#include "protocol/DiscoverDev.h"

#include <algorithm>
#include <cstring>

#include "protocol/ByteOrder.h"

using kestrival::GetLeI32;
using kestrival::PutLeI32;

namespace {

// Copies at most width - 1 bytes of text (up to its first NUL) into a zeroed field.
void PutText(std::uint8_t* field, std::size_t width, std::string_view text) {
  const std::size_t n = std::min({text.find('\0'), text.size(), width - 1});
  std::memcpy(field, text.data(), n);
}

std::string GetText(const std::uint8_t* field, std::size_t width) {
  const auto* end = std::find(field, field + width, std::uint8_t{0});
  return std::string(field, end);
}

}  // namespace

std::array<std::uint8_t, NETWORK_BLOCK_LEN> EncodeNetworkBlock(const NetworkBlock& block) {
  std::array<std::uint8_t, NETWORK_BLOCK_LEN> bytes{};
  std::uint8_t* p = bytes.data();
  PutLeI32(p + NB_NET_MODE, block.netMode);
  PutIp32(p + NB_IP_ADDR, block.ipAddr);
  PutIp32(p + NB_NET_MASK, block.netMask);
  PutIp32(p + NB_GATEWAY, block.gateway);
  PutIp32(p + NB_DNS1, block.dns1);
  PutIp32(p + NB_DNS2, block.dns2);
  PutText(p + NB_SERVER_ADDR, SERVER_ADDR_LEN, block.serverAddr);
  PutLeI32(p + NB_SERVER_PORT, block.serverPort);
  PutLeI32(p + NB_HTTP_LANG, block.httpLang);
  return bytes;
}

NetworkBlock DecodeNetworkBlock(const std::uint8_t* p) {
  NetworkBlock block;
  block.netMode = GetLeI32(p + NB_NET_MODE);
  block.ipAddr = GetIp32(p + NB_IP_ADDR);
  block.netMask = GetIp32(p + NB_NET_MASK);
  block.gateway = GetIp32(p + NB_GATEWAY);
  block.dns1 = GetIp32(p + NB_DNS1);
  block.dns2 = GetIp32(p + NB_DNS2);
  block.serverAddr = GetText(p + NB_SERVER_ADDR, SERVER_ADDR_LEN);
  block.serverPort = GetLeI32(p + NB_SERVER_PORT);
  block.httpLang = GetLeI32(p + NB_HTTP_LANG);
  return block;
}

std::array<std::uint8_t, DISCOVER_DEV_LEN> BuildDeviceRecord(std::string_view label,
                                                             const NetworkBlock& block) {
  std::array<std::uint8_t, DISCOVER_DEV_LEN> bytes{};
  PutText(bytes.data(), DEV_LABEL_LEN, label);
  const auto net = EncodeNetworkBlock(block);
  std::copy(net.begin(), net.end(), bytes.begin() + NETWORK_BLOCK_OFFSET);
  return bytes;
}

std::array<std::uint8_t, DISCOVER_DEV_LEN> EncodeDiscoverDev(const DISCOVER_DEV_T& record) {
  std::array<std::uint8_t, DISCOVER_DEV_LEN> bytes{};
  std::memcpy(bytes.data(), &record, DISCOVER_DEV_LEN);
  return bytes;
}

DISCOVER_DEV_T DecodeDiscoverDev(const std::uint8_t* bytes, std::size_t len) {
  DISCOVER_DEV_T record{};
  if (len > 0) std::memcpy(&record, bytes, std::min(len, DISCOVER_DEV_LEN));
  return record;
}

DiscoveredRecord RecordFromDiscoveryReply(const std::uint8_t* data, std::size_t available,
                                          const NetAddr& sender) {
  DiscoveredRecord result{DecodeDiscoverDev(data, available), false};
  result.record.ipAddr = sender;
  if (std::memchr(result.record.devLabel, 0, DEV_LABEL_LEN) == nullptr) {
    result.record.devLabel[DEV_LABEL_LEN - 1] = '\0';
    result.labelCut = true;
  }
  return result;
}

std::string LabelText(const DISCOVER_DEV_T& record) {
  const char* end = std::find(record.devLabel, record.devLabel + DEV_LABEL_LEN, '\0');
  return std::string(record.devLabel, end);
}
