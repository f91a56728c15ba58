#include "params/DevParam.h"

#include <algorithm>
#include <cstring>

DEV_PARAM_T DecodeDevParam(const std::uint8_t* data, std::size_t len) {
  DEV_PARAM_T record{};
  if (len > 0) std::memcpy(&record, data, std::min(len, DEV_PARAM_LEN));
  return record;
}

std::array<std::uint8_t, DEV_PARAM_LEN> EncodeDevParam(const DEV_PARAM_T& record) {
  std::array<std::uint8_t, DEV_PARAM_LEN> bytes{};
  std::memcpy(bytes.data(), &record, DEV_PARAM_LEN);
  return bytes;
}
