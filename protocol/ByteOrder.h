// Explicit little-endian get/put of wire integers: the protocol's byte order whatever the host's.
#pragma once

#include <cstdint>

namespace kestrival {

constexpr void PutLe32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFF);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  p[2] = static_cast<std::uint8_t>((v >> 16) & 0xFF);
  p[3] = static_cast<std::uint8_t>((v >> 24) & 0xFF);
}

constexpr std::uint32_t GetLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Signed 32-bit values travel as their two's-complement bit pattern.
constexpr void PutLeI32(std::uint8_t* p, std::int32_t v) {
  PutLe32(p, static_cast<std::uint32_t>(v));
}
constexpr std::int32_t GetLeI32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(GetLe32(p));
}

}  // namespace kestrival
