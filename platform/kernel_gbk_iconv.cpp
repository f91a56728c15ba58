// The code page 936 table from the C library's iconv.
#include <iconv.h>

#include <cstddef>
#include <cstdint>

#include "platform/kernel_gbk.h"

namespace platform {
namespace {

bool IsSurrogate(std::uint32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

// Converts one character with an open iconv descriptor; false when iconv refuses it.
bool ConvertOne(iconv_t cd, const char* in, std::size_t inLen, char* out, std::size_t& outLen) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  std::size_t outLeft = outLen;
  if (iconv(cd, &inPtr, &inLen, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLen != 0) {
    return false;
  }
  outLen = outLen - outLeft;
  return true;
}

std::uint32_t ReadLe32(const char* p) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24;
}

void PutLe32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// glibc's names for the code page; the one that holds the euro sign at 0x80 is Windows' 936.
const char* ChooseName() {
  const char* const candidates[] = {"CP936", "GBK", "WINDOWS-936", "MS936"};
  const char* chosen = nullptr;
  for (const char* name : candidates) {
    iconv_t cd = iconv_open(name, "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) continue;
    char in[4];
    PutLe32(in, 0x20AC);
    char out[8];
    std::size_t outLen = sizeof out;
    const bool euroAt80 = ConvertOne(cd, in, 4, out, outLen) && outLen == 1 &&
                          static_cast<unsigned char>(out[0]) == 0x80;
    iconv_close(cd);
    if (chosen == nullptr) chosen = name;
    if (euroAt80) return name;
  }
  return chosen;
}

void FillDecode(const char* name, GbkDecodeTable& decode) {
  iconv_t cd = iconv_open("UTF-32LE", name);
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  auto take = [&](const char* in, std::size_t inLen, std::size_t index) {
    char out[16];
    std::size_t outLen = sizeof out;
    if (!ConvertOne(cd, in, inLen, out, outLen) || outLen != 4) return;
    std::uint32_t c = ReadLe32(out);
    if (c == 0 || c > 0xFFFF || IsSurrogate(c)) return;
    decode[index] = static_cast<char16_t>(c);
  };
  const char euro = static_cast<char>(0x80);
  take(&euro, 1, 0x80);
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      take(in, 2, lead << 8 | trail);
    }
  }
  iconv_close(cd);
}

void FillEncode(const char* name, GbkEncodeTable& encode) {
  iconv_t cd = iconv_open(name, "UTF-32LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  for (std::uint32_t c = 0x80; c <= 0xFFFF; ++c) {
    if (IsSurrogate(c)) continue;
    char in[4];
    PutLe32(in, c);
    char out[8];
    std::size_t outLen = sizeof out;
    if (!ConvertOne(cd, in, 4, out, outLen)) continue;
    auto b0 = static_cast<unsigned char>(out[0]);
    if (outLen == 1 && b0 >= 0x80) {
      encode[c] = b0;
    } else if (outLen == 2 && b0 >= 0x81 && b0 <= 0xFE &&
               IsGbkTrailByte(static_cast<unsigned char>(out[1]))) {
      encode[c] = static_cast<std::uint16_t>(b0 << 8 | static_cast<unsigned char>(out[1]));
    }
  }
  iconv_close(cd);
}

}  // namespace

bool LoadSystemGbk(GbkDecodeTable& decode, GbkEncodeTable& encode) {
  const char* name = ChooseName();
  if (name == nullptr) return false;
  FillDecode(name, decode);
  FillEncode(name, encode);
  return true;
}

}  // namespace platform
