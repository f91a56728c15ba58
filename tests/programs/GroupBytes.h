// What a profile applied without its network group writes into a reader's record.
#pragma once

#include <cstdint>
#include <vector>

#include "params/DevParam.h"

namespace cli_test {

// The record bytes that the groups other than the network write (offset 408 on), without the
// hidden row's choice, which no user can reach.
inline std::vector<std::uint8_t> GroupBytes(const DEV_PARAM_T& record) {
  auto bytes = EncodeDevParam(record);
  std::vector<std::uint8_t> out(bytes.begin() + SECTION_OUTPUT_FORMAT.offset, bytes.end());
  out[SECTION_HIDDEN_CHOICE.offset - SECTION_OUTPUT_FORMAT.offset] = 0;
  return out;
}

}  // namespace cli_test
