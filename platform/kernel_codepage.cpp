// Code-page conversion: code page 936 (GBK) through tables taken once from the system
// (kernel_gbk_*.cpp) and completed with what the target platform's table holds beyond the C
// library's (the euro sign, 0xFF, the user-defined areas); UTF-8 by hand.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/kernel.h"
#include "platform/kernel_gbk.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;
// What code page 936 gives for bytes without a character.
constexpr char16_t kDefaultChar = u'?';
constexpr UINT kCodePageGbk = 936;

bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The GBK mapping of the BMP outside ASCII, read from the system once, so that the conversions
// themselves are lookups (thread-safe, one character at a time, no conversion state).
struct GbkTables {
  platform::GbkDecodeTable decode{};
  platform::GbkEncodeTable encode{};

  GbkTables() {
    if (!platform::LoadSystemGbk(decode, encode)) return;  // no GBK here: ASCII only
    FillPlatformExtras();
  }

  void Put(std::size_t bytes, char16_t c) {
    decode[bytes] = c;
    encode[c] = static_cast<std::uint16_t>(bytes);
  }

  // The target platform's table beyond the C library's: the euro sign at 0x80, the single byte
  // 0xFF as U+F8F5, and the three user-defined areas as private-use characters, row by row:
  // AAA1-AFFE from U+E000, F8A1-FEFE from U+E234, A140-A7A0 from U+E4C6.
  void FillPlatformExtras() {
    Put(0x80, 0x20AC);
    Put(0xFF, 0xF8F5);
    char16_t c = 0xE000;
    for (unsigned lead = 0xAA; lead <= 0xAF; ++lead)
      for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) Put(lead << 8 | trail, c++);
    for (unsigned lead = 0xF8; lead <= 0xFE; ++lead)
      for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) Put(lead << 8 | trail, c++);
    for (unsigned lead = 0xA1; lead <= 0xA7; ++lead)
      for (unsigned trail = 0x40; trail <= 0xA0; ++trail)
        if (trail != 0x7F) Put(lead << 8 | trail, c++);
    // The 255 pairs inside the GBK rows that hold no character, in byte order from U+E766.
    static constexpr std::uint16_t kUnassigned[][2] = {
        {0xA2AB, 0xA2B0}, {0xA2E3, 0xA2E4}, {0xA2EF, 0xA2F0}, {0xA2FD, 0xA2FE}, {0xA4F4, 0xA4FE},
        {0xA5F7, 0xA5FE}, {0xA6B9, 0xA6C0}, {0xA6D9, 0xA6DF}, {0xA6EC, 0xA6ED}, {0xA6F3, 0xA6F3},
        {0xA6F6, 0xA6FE}, {0xA7C2, 0xA7D0}, {0xA7F2, 0xA7FE}, {0xA896, 0xA8A0}, {0xA8BC, 0xA8BC},
        {0xA8BF, 0xA8BF}, {0xA8C1, 0xA8C4}, {0xA8EA, 0xA8FE}, {0xA958, 0xA958}, {0xA95B, 0xA95B},
        {0xA95D, 0xA95F}, {0xA989, 0xA995}, {0xA997, 0xA9A3}, {0xA9F0, 0xA9FE}, {0xD7FA, 0xD7FE},
        {0xFE50, 0xFE7E}, {0xFE80, 0xFEA0}};
    c = 0xE766;
    for (const auto& range : kUnassigned)
      for (unsigned bytes = range[0]; bytes <= range[1]; ++bytes)
        if ((bytes & 0xFF) != 0x7F) Put(bytes, c++);
  }
};

const GbkTables& Gbk() {
  static const GbkTables tables;
  return tables;
}

// GBK bytes to UTF-16 as the target platform converts them: a lead byte takes the next byte
// with it whatever that is (unless it is the end or a NUL), and a pair without a character is
// one '?'; a lead byte at the end or before a NUL is one '?' on its own.
std::u16string DecodeGbk(const unsigned char* p, std::size_t n) {
  const GbkTables& t = Gbk();
  std::u16string out;
  out.reserve(n);
  for (std::size_t i = 0; i < n;) {
    unsigned char b = p[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
    } else if (IsDBCSLeadByte(b)) {
      char16_t c = 0;
      if (i + 1 < n && p[i + 1] != 0) {
        if (platform::IsGbkTrailByte(p[i + 1]))
          c = t.decode[static_cast<std::size_t>(b) << 8 | p[i + 1]];
        i += 2;
      } else {
        ++i;
      }
      out.push_back(c != 0 ? c : kDefaultChar);
    } else {
      char16_t c = t.decode[b];
      out.push_back(c != 0 ? c : kDefaultChar);
      ++i;
    }
  }
  return out;
}

// UTF-16 to GBK. A character that GBK cannot hold becomes defaultChar; so does each half of a
// surrogate pair, as Windows does.
std::string EncodeGbk(const char16_t* p, std::size_t n, char defaultChar, bool& usedDefault) {
  const GbkTables& t = Gbk();
  std::string out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    char16_t c = p[i];
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    std::uint16_t code = t.encode[c];
    if (code == 0) {
      out.push_back(defaultChar);
      usedDefault = true;
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return out;
}

// UTF-8 to UTF-16 as Windows does with flags 0: every invalid, overlong, surrogate or truncated
// sequence is one U+FFFD. A lead byte whose second byte is a continuation byte outside the range
// that lead allows (E0 80, ED A0, F0 80, F4 90) swallows that byte: "\xED\xA0\x80" gives two
// U+FFFD.
std::u16string DecodeUtf8(const unsigned char* p, std::size_t n) {
  std::u16string out;
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    unsigned char b = p[i++];
    if (b < 0x80) {
      out.push_back(b);
      continue;
    }
    int following;
    char32_t c;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
      following = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      following = 2;
      c = b & 0x0F;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      following = 3;
      c = b & 0x07;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      out.push_back(kReplacement);  // a continuation byte, C0, C1 or F5 to FF
      continue;
    }
    bool valid = true;
    for (int k = 0; k < following; ++k) {
      if (i >= n || (p[i] & 0xC0) != 0x80) {
        valid = false;  // truncated: the byte that breaks the sequence is read again
        break;
      }
      unsigned char cont = p[i++];
      if (k == 0 && (cont < low || cont > high)) {
        valid = false;
        break;
      }
      c = c << 6 | (cont & 0x3F);
    }
    if (!valid) {
      out.push_back(kReplacement);
    } else if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string EncodeUtf8(const char16_t* p, std::size_t n) {
  std::string out;
  out.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    char32_t c = p[i];
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(p[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

bool IsGbkCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == kCodePageGbk;
}

template <typename Char>
std::size_t TerminatedLength(const Char* p) {
  std::size_t n = 0;
  while (p[n] != 0) ++n;
  return n;
}

// The Windows output convention: size 0 asks for the size, a buffer too small fails with 0.
template <typename Out, typename String>
int CopyOut(const String& converted, Out* out, int outSize) {
  if (converted.size() > static_cast<std::size_t>(INT32_MAX)) return 0;
  int needed = static_cast<int>(converted.size());
  if (outSize == 0) return needed;
  if (outSize < needed) return 0;
  // Exactly the converted units: a NUL is copied only when the input had one, as on Windows.
  std::copy(converted.begin(), converted.end(), out);
  return needed;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR multiByte, int cbMultiByte,
                        LPWSTR wideChar, int cchWideChar) {
  if (multiByte == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
      (cchWideChar > 0 && wideChar == nullptr)) {
    return 0;
  }
  const auto* in = reinterpret_cast<const unsigned char*>(multiByte);
  std::size_t n =
      cbMultiByte == -1 ? std::strlen(multiByte) + 1 : static_cast<std::size_t>(cbMultiByte);
  std::u16string wide;
  if (IsGbkCodePage(codePage)) {
    wide = DecodeGbk(in, n);
  } else if (codePage == CP_UTF8) {
    wide = DecodeUtf8(in, n);
  } else {
    return 0;
  }
  return CopyOut(wide, wideChar, cchWideChar);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wideChar, int cchWideChar,
                        LPSTR multiByte, int cbMultiByte, LPCSTR defaultChar,
                        BOOL* usedDefaultChar) {
  if (wideChar == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
      (cbMultiByte > 0 && multiByte == nullptr)) {
    return 0;
  }
  std::size_t n =
      cchWideChar == -1 ? TerminatedLength(wideChar) + 1 : static_cast<std::size_t>(cchWideChar);
  std::string bytes;
  if (IsGbkCodePage(codePage)) {
    bool used = false;
    char replacement = defaultChar != nullptr && defaultChar[0] != '\0' ? defaultChar[0] : '?';
    bytes = EncodeGbk(wideChar, n, replacement, used);
    if (usedDefaultChar != nullptr) *usedDefaultChar = used ? TRUE : FALSE;
  } else if (codePage == CP_UTF8) {
    // Windows refuses a default character for UTF-8.
    if (defaultChar != nullptr || usedDefaultChar != nullptr) return 0;
    bytes = EncodeUtf8(wideChar, n);
  } else {
    return 0;
  }
  return CopyOut(bytes, multiByte, cbMultiByte);
}

BOOL IsDBCSLeadByte(BYTE testChar) {
  return testChar >= 0x81 && testChar <= 0xFE ? TRUE : FALSE;
}

namespace platform {

std::string AcpToUtf8(const std::string& acp) {
  std::u16string wide = DecodeGbk(reinterpret_cast<const unsigned char*>(acp.data()), acp.size());
  return EncodeUtf8(wide.data(), wide.size());
}

std::string Utf8ToAcp(const std::string& utf8) {
  std::u16string wide =
      DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8.data()), utf8.size());
  bool used = false;
  return EncodeGbk(wide.data(), wide.size(), '?', used);
}

}  // namespace platform
