// The code page 936 table from Windows' own converter, with code page 936 named (never CP_ACP,
// which is 1252 on a Western Windows). Real Windows headers only.
#include <windows.h>

#include <cstdint>

#include "platform/kernel_gbk.h"

namespace platform {
namespace {

constexpr UINT kGbk = 936;

bool IsSurrogate(std::uint32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// The character of 1 or 2 bytes, 0 when the code page holds none there.
char16_t DecodeOne(const char* in, int len) {
  wchar_t out[4] = {};
  const int n = ::MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, in, len, out, 4);
  if (n != 1 || out[0] == 0 || IsSurrogate(out[0])) return 0;
  return static_cast<char16_t>(out[0]);
}

}  // namespace

bool LoadSystemGbk(GbkDecodeTable& decode, GbkEncodeTable& encode) {
  if (!::IsValidCodePage(kGbk)) return false;
  const char euro = static_cast<char>(0x80);
  decode[0x80] = DecodeOne(&euro, 1);
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      decode[lead << 8 | trail] = DecodeOne(in, 2);
    }
  }
  // Exact characters only: no best-fit look-alikes, and the default character means none.
  for (std::uint32_t c = 0x80; c <= 0xFFFF; ++c) {
    if (IsSurrogate(c)) continue;
    const wchar_t in = static_cast<wchar_t>(c);
    char out[4] = {};
    BOOL usedDefault = FALSE;
    const int n =
        ::WideCharToMultiByte(kGbk, WC_NO_BEST_FIT_CHARS, &in, 1, out, 4, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) continue;
    const auto b0 = static_cast<unsigned char>(out[0]);
    if (n == 1 && b0 >= 0x80) {
      encode[c] = b0;
    } else if (n == 2 && b0 >= 0x81 && b0 <= 0xFE &&
               IsGbkTrailByte(static_cast<unsigned char>(out[1]))) {
      encode[c] = static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(out[1]));
    }
  }
  return true;
}

}  // namespace platform
