// The JSON lines the programs write: one value as one compact line.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace programs {

// `value` without spaces or line breaks, keys in the order they were set. Bytes that are not UTF-8
// (labels come from the network, targets and commands from the user) each become U+FFFD instead
// of failing.
inline std::string JsonLine(const nlohmann::ordered_json& value) {
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace programs
