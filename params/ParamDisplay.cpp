#include "params/ParamDisplay.h"

#include <algorithm>
#include <cstdio>

#include "protocol/HexDump.h"

int OutputFormatCodeToIndex(std::int8_t code) {
  return code <= 7 ? code - 1 : code - 2;
}

int CardInputFormatCodeToIndex(std::int8_t code) {
  return code - 1;
}

std::string HexDisplay(const std::uint8_t* field, std::size_t width) {
  const std::uint8_t* end = std::find(field, field + width, std::uint8_t{0});
  return LowerHex(field, static_cast<std::size_t>(end - field));
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
