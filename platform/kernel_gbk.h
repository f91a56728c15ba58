// Where the code page 936 table comes from: the system's own converter (iconv on POSIX,
// MultiByteToWideChar / WideCharToMultiByte with code page 936 on Windows), asked once.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

// Index of decode: the single byte 0x80, or lead << 8 | trail; value the UTF-16 unit, 0 for none.
// Index of encode: the UTF-16 unit; value the byte (< 0x100) or lead << 8 | trail, 0 for none.
using GbkDecodeTable = std::array<char16_t, 0x10000>;
using GbkEncodeTable = std::array<std::uint16_t, 0x10000>;

// Fills both tables from the system's code page 936 beyond ASCII (entries without a character
// stay 0). False when the system has no such code page.
bool LoadSystemGbk(GbkDecodeTable& decode, GbkEncodeTable& encode);

// A byte that may follow a lead byte (0x81 to 0xFE) in code page 936.
constexpr bool IsGbkTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

}  // namespace platform
