#include "params/ParamDisplay.h"

#include <algorithm>
#include <cstdio>

int OutputFormatCodeToIndex(std::int8_t code) {
  return code <= 7 ? code - 1 : code - 2;
}

int CardInputFormatCodeToIndex(std::int8_t code) {
  return code - 1;
}

std::string HexDisplay(const std::uint8_t* field, std::size_t width) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < width && field[i] != 0; ++i) {
    text += kDigits[field[i] >> 4];
    text += kDigits[field[i] & 0x0F];
  }
  return text;
}

std::string FieldText(const char* field, std::size_t width) {
  return std::string(field, std::find(field, field + width, '\0'));
}

std::string FixFieldDisplay(std::int32_t format, const char* field, std::size_t width) {
  return format != 0 ? FieldText(field, width) : HexDisplay(field, width);
}

std::string LookupText(std::int32_t value) {
  char text[32] = {};
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return text;
}

std::int32_t WiegandDisplayValue(std::int32_t units) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(units) * 100u);
}
