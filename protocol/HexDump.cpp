#include "protocol/HexDump.h"

#include <cstdint>

namespace {
constexpr char kDigits[] = "0123456789abcdef";
}  // namespace

std::string HexDump(const void* data, int len) {
  std::string dump;
  if (len <= 0 || data == nullptr) return dump;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  // Written in place: this runs for every datagram sent or received.
  dump.assign(static_cast<std::size_t>(len) * 3, ' ');
  char* out = dump.data();
  for (int i = 0; i < len; ++i, out += 3) {
    out[1] = kDigits[bytes[i] >> 4];
    out[2] = kDigits[bytes[i] & 0x0F];
  }
  return dump;
}

std::string LowerHex(const void* data, std::size_t len) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::string hex(len * 2, '0');
  for (std::size_t i = 0; i < len; ++i) {
    hex[2 * i] = kDigits[bytes[i] >> 4];
    hex[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return hex;
}
