#include "i18n/TextFormat.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int kMaxWidth = 64;

// Reads decimal digits at p, saturating at a value well above the clamp.
int ReadNumber(const char*& p) {
  int value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value < 100000) value = value * 10 + (*p - '0');
  }
  return value;
}

// A parsed conversion `%[flags][width][.precision][length]conv` and where it ends.
struct Conversion {
  std::string flags;
  int width = -1;      // -1: none
  int precision = -1;  // -1: none
  std::string length;  // h or hh; other length modifiers are dropped, every number being an int
  char conv = '\0';    // NUL when the text ends inside the conversion
  const char* end = nullptr;
};

int Clamp(int value) {
  return value < kMaxWidth ? value : kMaxWidth;
}

// Parses the conversion whose '%' is at p.
Conversion Parse(const char* p) {
  Conversion c;
  const char* q = p + 1;
  for (; *q != '\0' && std::strchr("-+ #0", *q) != nullptr; ++q) {
    if (c.flags.find(*q) == std::string::npos) c.flags += *q;
  }
  if (*q >= '0' && *q <= '9') c.width = Clamp(ReadNumber(q));
  if (*q == '.') {
    ++q;
    c.precision = Clamp(ReadNumber(q));
  }
  if (q[0] == 'h' && q[1] == 'h') {
    c.length = "hh";
    q += 2;
  } else if (q[0] == 'h') {
    c.length = "h";
    ++q;
  } else if (q[0] == 'l' && q[1] == 'l') {
    q += 2;
  } else if (*q != '\0' && std::strchr("ljzt", *q) != nullptr) {
    ++q;
  }
  c.conv = *q;
  c.end = *q != '\0' ? q + 1 : q;
  return c;
}

// c written again as one snprintf conversion, keeping only the parts that C defines for it.
std::string ConversionText(const Conversion& c) {
  const bool isSigned = c.conv == 'd' || c.conv == 'i';
  const bool isUnsigned = c.conv == 'u' || c.conv == 'x' || c.conv == 'X' || c.conv == 'o';
  const char* allowed = isSigned ? "-+ 0" : isUnsigned ? "-#0" : "-";
  std::string conversion = "%";
  for (char flag : c.flags) {
    if (std::strchr(allowed, flag) != nullptr) conversion += flag;
  }
  if (c.width >= 0) conversion += std::to_string(c.width);
  if (c.precision >= 0 && c.conv != 'c') conversion += "." + std::to_string(c.precision);
  if (isSigned || isUnsigned) conversion += c.length;
  conversion += c.conv;
  return conversion;
}

bool IsIntConversion(char conv) {
  return conv != '\0' && std::strchr("diuxXoc", conv) != nullptr;
}

void Append(std::string& out, std::string_view text) {
  std::size_t room = kFormattedTextLimit - out.size();
  out.append(text.substr(0, room));
}

// Formats one argument; width and precision are already clamped.
void AppendFormatted(std::string& out, const Conversion& c, const TextArg& arg) {
  const std::string conversion = ConversionText(c);
  char piece[kFormattedTextLimit + 1];
  int n;
  if (c.conv == 's') {
    n = std::snprintf(piece, sizeof piece, conversion.c_str(), arg.Text());
  } else if (c.conv == 'd' || c.conv == 'i' || c.conv == 'c') {
    n = std::snprintf(piece, sizeof piece, conversion.c_str(), arg.Number());
  } else {
    n = std::snprintf(piece, sizeof piece, conversion.c_str(), static_cast<unsigned>(arg.Number()));
  }
  if (n <= 0) return;
  std::size_t length =
      static_cast<std::size_t>(n) < sizeof piece ? static_cast<std::size_t>(n) : sizeof piece - 1;
  Append(out, std::string_view(piece, length));
}

}  // namespace

std::string FormatInterfaceText(const char* format, std::initializer_list<TextArg> args) {
  std::string out;
  if (format == nullptr) return out;
  const TextArg* next = args.begin();
  const char* p = format;
  while (*p != '\0' && out.size() < kFormattedTextLimit) {
    if (*p != '%') {
      const char* percent = std::strchr(p, '%');
      std::size_t length =
          percent != nullptr ? static_cast<std::size_t>(percent - p) : std::strlen(p);
      Append(out, std::string_view(p, length));
      p += length;
      continue;
    }
    if (p[1] == '%') {
      Append(out, "%");
      p += 2;
      continue;
    }
    Conversion c = Parse(p);
    bool fits = next != args.end() && ((c.conv == 's' && next->IsString()) ||
                                       (IsIntConversion(c.conv) && !next->IsString()));
    if (!fits) {  // copied as text: the '%' here, the rest as ordinary characters
      Append(out, "%");
      ++p;
      continue;
    }
    AppendFormatted(out, c, *next++);
    p = c.end;
  }
  return out;
}
