#include "params/CodePage.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/kernel.h"

namespace {

// Count the UTF-16 units with the NUL, convert; count the target bytes, convert.
char* Convert(UINT from, UINT to, const char* text) {
  const int length = static_cast<int>(std::strlen(text)) + 1;
  const int wideCount = MultiByteToWideChar(from, 0, text, length, nullptr, 0);
  WCHAR* wide = new WCHAR[std::max(wideCount, 0) + 1]();
  if (wideCount > 0) MultiByteToWideChar(from, 0, text, length, wide, wideCount);
  const int count = WideCharToMultiByte(to, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  // One byte more than counted, zeroed: the result is terminated even if a conversion fails.
  char* result = new char[std::max(count, 0) + 1]();
  if (count > 0) WideCharToMultiByte(to, 0, wide, -1, result, count, nullptr, nullptr);
  delete[] wide;
  return result;
}

std::string FieldString(const char* field, std::size_t len) {
  return std::string(field, std::find(field, field + len, '\0'));
}

}  // namespace

char* Utf8ToAnsi(const char* text) {
  return Convert(CP_UTF8, CP_ACP, text);
}

char* AnsiToUtf8(const char* text) {
  return Convert(CP_ACP, CP_UTF8, text);
}

char* Utf8ToAnsi(const char* field, std::size_t len) {
  return Utf8ToAnsi(FieldString(field, len).c_str());
}

char* AnsiToUtf8(const char* field, std::size_t len) {
  return AnsiToUtf8(FieldString(field, len).c_str());
}

std::string Utf8ToAnsiString(std::string_view text) {
  const std::unique_ptr<char[]> converted(Utf8ToAnsi(text.data(), text.size()));
  return converted.get();
}

std::string AnsiToUtf8String(std::string_view text) {
  const std::unique_ptr<char[]> converted(AnsiToUtf8(text.data(), text.size()));
  return converted.get();
}
