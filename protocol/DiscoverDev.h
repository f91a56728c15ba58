// The 96-byte device record __DISCOVER_DEV of a discovery reply and of the network settings
// command: a 16-byte label and the 80-byte network block.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "protocol/IpAddress.h"

constexpr std::size_t DISCOVER_DEV_LEN = 96;
constexpr std::size_t DEV_LABEL_LEN = 16;
constexpr std::size_t SERVER_ADDR_LEN = 48;
constexpr std::size_t NETWORK_BLOCK_OFFSET = 16;  // inside __DISCOVER_DEV
constexpr std::size_t NETWORK_BLOCK_LEN = 80;

// Offsets inside the network block; the same at offset 16 of __DISCOVER_DEV and at offset 0 of
// DEV_PARAM_T.
constexpr std::size_t NB_NET_MODE = 0;
constexpr std::size_t NB_IP_ADDR = 4;
constexpr std::size_t NB_NET_MASK = 8;
constexpr std::size_t NB_GATEWAY = 12;
constexpr std::size_t NB_DNS1 = 16;
constexpr std::size_t NB_DNS2 = 20;
constexpr std::size_t NB_SERVER_ADDR = 24;
constexpr std::size_t NB_SERVER_PORT = 72;
constexpr std::size_t NB_HTTP_LANG = 76;

#pragma pack(push, 1)
struct __DISCOVER_DEV {
  char devLabel[DEV_LABEL_LEN];  // NUL-terminated within the 16 bytes
  std::int32_t netMode;
  // A stored record (device array, selected device record) holds the sender's address here in
  // network byte order. On the wire, as a reader or the network settings command sends the
  // record, the slot holds an ip32 like the other addresses: see NetworkBlock.
  NetAddr ipAddr;
  Ip32 netMask;
  Ip32 gateway;
  Ip32 dns1;
  Ip32 dns2;
  char serverAddr[SERVER_ADDR_LEN];
  std::int32_t serverPort;
  std::int32_t httpLang;
};
#pragma pack(pop)
using DISCOVER_DEV_T = __DISCOVER_DEV;

static_assert(sizeof(DISCOVER_DEV_T) == DISCOVER_DEV_LEN);
static_assert(offsetof(DISCOVER_DEV_T, devLabel) == 0);
static_assert(offsetof(DISCOVER_DEV_T, netMode) == NETWORK_BLOCK_OFFSET + NB_NET_MODE);
static_assert(offsetof(DISCOVER_DEV_T, ipAddr) == NETWORK_BLOCK_OFFSET + NB_IP_ADDR);
static_assert(offsetof(DISCOVER_DEV_T, netMask) == NETWORK_BLOCK_OFFSET + NB_NET_MASK);
static_assert(offsetof(DISCOVER_DEV_T, gateway) == NETWORK_BLOCK_OFFSET + NB_GATEWAY);
static_assert(offsetof(DISCOVER_DEV_T, dns1) == NETWORK_BLOCK_OFFSET + NB_DNS1);
static_assert(offsetof(DISCOVER_DEV_T, dns2) == NETWORK_BLOCK_OFFSET + NB_DNS2);
static_assert(offsetof(DISCOVER_DEV_T, serverAddr) == NETWORK_BLOCK_OFFSET + NB_SERVER_ADDR);
static_assert(offsetof(DISCOVER_DEV_T, serverPort) == NETWORK_BLOCK_OFFSET + NB_SERVER_PORT);
static_assert(offsetof(DISCOVER_DEV_T, httpLang) == NETWORK_BLOCK_OFFSET + NB_HTTP_LANG);
static_assert(NB_HTTP_LANG + 4 == NETWORK_BLOCK_LEN);

// Records are copied to and from wire bytes with memcpy: the layout is the wire layout on a
// little-endian host.
static_assert(std::endian::native == std::endian::little);
static_assert(std::is_trivially_copyable_v<DISCOVER_DEV_T>);

// The network block in the form the Network parameters controls give it: every address an Ip32.
struct NetworkBlock {
  std::int32_t netMode = 0;
  Ip32 ipAddr{};
  Ip32 netMask{};
  Ip32 gateway{};
  Ip32 dns1{};
  Ip32 dns2{};
  std::string serverAddr;  // 8-bit text; at most 47 bytes travel
  std::int32_t serverPort = 0;
  std::int32_t httpLang = 0;
};

// The 80 wire bytes of a network block; serverAddr is cut to 47 bytes and NUL-terminated.
std::array<std::uint8_t, NETWORK_BLOCK_LEN> EncodeNetworkBlock(const NetworkBlock& block);
// Reads 80 wire bytes; serverAddr ends at its first NUL or after 48 bytes.
NetworkBlock DecodeNetworkBlock(const std::uint8_t* bytes);

// The 96-byte record of the network settings command (command 32), or of a reader's discovery
// reply: the label (cut to 15 bytes, zero-filled to 16) followed by the network block.
std::array<std::uint8_t, DISCOVER_DEV_LEN> BuildDeviceRecord(std::string_view label,
                                                             const NetworkBlock& block);

std::array<std::uint8_t, DISCOVER_DEV_LEN> EncodeDiscoverDev(const DISCOVER_DEV_T& record);
// Zero-fills a record and copies min(len, 96) bytes into it.
DISCOVER_DEV_T DecodeDiscoverDev(const std::uint8_t* bytes, std::size_t len);

struct DiscoveredRecord {
  DISCOVER_DEV_T record;
  bool labelCut;  // the reply's label had no NUL in its 16 bytes
};

// The record to store for a discovery reply: the
// first 96 data bytes (fewer available: the rest zero), ipAddr overwritten with the sender's
// network-order address. A label with no NUL in its 16 bytes is cut to its first 15 bytes, so
// the list line, the double-click text and the network settings label stay within devLabel and
// the label still finds its record. The record is kept, not dropped: the reader is real.
DiscoveredRecord RecordFromDiscoveryReply(const std::uint8_t* data, std::size_t available,
                                          const NetAddr& sender);

// devLabel up to its first NUL (never past the 16 bytes).
std::string LabelText(const DISCOVER_DEV_T& record);
