#include "protocol/IpAddress.h"

#include <cstdio>

#include "protocol/ByteOrder.h"

void PutIp32(std::uint8_t* p, Ip32 ip) {
  kestrival::PutLe32(p, ip.value);
}

Ip32 GetIp32(const std::uint8_t* p) {
  return Ip32{kestrival::GetLe32(p)};
}

std::string FormatDotted(const NetAddr& addr) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", addr.octets[0], addr.octets[1], addr.octets[2],
                addr.octets[3]);
  return text;
}

std::string FormatDotted(Ip32 ip) {
  return FormatDotted(ToNetAddr(ip));
}

std::optional<Ip32> ParseDotted(std::string_view text) {
  std::uint32_t value = 0;
  std::size_t pos = 0;
  for (int octet = 0; octet < 4; ++octet) {
    if (octet > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    unsigned number = 0;
    std::size_t digits = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4; ++pos, ++digits)
      number = number * 10 + static_cast<unsigned>(text[pos] - '0');
    if (digits == 0 || digits > 3 || number > 255) return std::nullopt;
    value = (value << 8) | number;
  }
  if (pos != text.size()) return std::nullopt;
  return Ip32{value};
}
