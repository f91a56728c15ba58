// The two forms of an IPv4 address, kept apart by type.
// Ip32: the value of an IP address control, first octet most significant; it travels as a
// little-endian integer in the network block, the parameter record and the cloud command
// (192.168.0.1 is 0xC0A80001, bytes 01 00 A8 C0).
// NetAddr: network byte order, first octet in the first byte (192.168.0.1 is C0 A8 00 01); what
// socket addresses and the ipAddr of a stored discovery record hold.
// Going from one to the other always takes an explicit call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Plain values (trivial, like the records that hold them): write Ip32{} for zero.
struct Ip32 {
  std::uint32_t value;
  friend constexpr bool operator==(Ip32, Ip32) = default;
};

struct NetAddr {
  std::uint8_t octets[4];
  friend constexpr bool operator==(const NetAddr&, const NetAddr&) = default;
};

static_assert(sizeof(Ip32) == 4 && sizeof(NetAddr) == 4);

constexpr Ip32 MakeIp32(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return Ip32{(static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(b) << 16) |
              (static_cast<std::uint32_t>(c) << 8) | static_cast<std::uint32_t>(d)};
}

constexpr NetAddr MakeNetAddr(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return NetAddr{{a, b, c, d}};
}

constexpr NetAddr ToNetAddr(Ip32 ip) {
  return MakeNetAddr(static_cast<std::uint8_t>(ip.value >> 24),
                     static_cast<std::uint8_t>(ip.value >> 16),
                     static_cast<std::uint8_t>(ip.value >> 8), static_cast<std::uint8_t>(ip.value));
}

constexpr Ip32 ToIp32(const NetAddr& addr) {
  return MakeIp32(addr.octets[0], addr.octets[1], addr.octets[2], addr.octets[3]);
}

constexpr NetAddr BROADCAST_ADDR = MakeNetAddr(255, 255, 255, 255);
constexpr NetAddr ANY_ADDR = MakeNetAddr(0, 0, 0, 0);

// Little-endian storage of an Ip32 in a wire record (4 bytes at p).
void PutIp32(std::uint8_t* p, Ip32 ip);
Ip32 GetIp32(const std::uint8_t* p);

// "a.b.c.d", first octet first.
std::string FormatDotted(Ip32 ip);
std::string FormatDotted(const NetAddr& addr);

// "192.168.0.1" -> the address; nothing for any other text than four decimal numbers 0..255 of
// one to three digits each, separated by dots (no blanks, no signs, nothing before or after).
std::optional<Ip32> ParseDotted(std::string_view text);
