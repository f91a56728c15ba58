#include "protocol/HexDump.h"

#include <cstdint>

std::string HexDump(const void* data, int len) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string dump;
  if (len <= 0 || data == nullptr) return dump;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  dump.reserve(static_cast<std::size_t>(len) * 3);
  for (int i = 0; i < len; ++i) {
    dump += ' ';
    dump += kDigits[bytes[i] >> 4];
    dump += kDigits[bytes[i] & 0x0F];
  }
  return dump;
}
