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
