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

// A parsed conversion: the snprintf format to use, the conversion letter and where it ends.
struct Conversion {
  std::string spec;
  char conv = '\0';
  const char* end = nullptr;
};

// Parses the conversion whose '%' is at p; conv stays NUL when the text ends inside it.
Conversion Parse(const char* p) {
  Conversion c;
  const char* q = p + 1;
  std::string flags;
  for (; *q != '\0' && std::strchr("-+ #0", *q) != nullptr; ++q) {
    if (flags.find(*q) == std::string::npos) flags += *q;
  }
  c.spec = "%" + flags;
  if (*q >= '0' && *q <= '9') {
    int width = ReadNumber(q);
    c.spec += std::to_string(width < kMaxWidth ? width : kMaxWidth);
  }
  if (*q == '.') {
    ++q;
    int precision = ReadNumber(q);
    c.spec += "." + std::to_string(precision < kMaxWidth ? precision : kMaxWidth);
  }
  if (q[0] == 'h' && q[1] == 'h') {
    c.spec += "hh";
    q += 2;
  } else if (q[0] == 'h') {
    c.spec += "h";
    ++q;
  } else if (q[0] == 'l' && q[1] == 'l') {
    q += 2;
  } else if (*q != '\0' && std::strchr("ljzt", *q) != nullptr) {
    ++q;
  }
  c.conv = *q;
  c.end = *q != '\0' ? q + 1 : q;
  if (c.conv != '\0') c.spec += c.conv;
  return c;
}

bool IsIntConversion(char conv) { return conv != '\0' && std::strchr("diuxXoc", conv) != nullptr; }

void Append(std::string& out, std::string_view text) {
  std::size_t room = kFormattedTextLimit - out.size();
  out.append(text.substr(0, room));
}

// Formats one argument with its already clamped conversion.
void AppendFormatted(std::string& out, const Conversion& c, const TextArg& arg) {
  char piece[kFormattedTextLimit + 1];
  int n;
  if (c.conv == 's') {
    n = std::snprintf(piece, sizeof piece, c.spec.c_str(), arg.Text());
  } else if (c.conv == 'd' || c.conv == 'i' || c.conv == 'c') {
    n = std::snprintf(piece, sizeof piece, c.spec.c_str(), arg.Number());
  } else {
    n = std::snprintf(piece, sizeof piece, c.spec.c_str(), static_cast<unsigned>(arg.Number()));
  }
  if (n <= 0) return;
  std::size_t length = static_cast<std::size_t>(n) < sizeof piece ? static_cast<std::size_t>(n) : sizeof piece - 1;
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
      std::size_t length = percent != nullptr ? static_cast<std::size_t>(percent - p) : std::strlen(p);
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
