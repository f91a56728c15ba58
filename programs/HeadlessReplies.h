// The replies of the headless driver: one JSON object per line, {"ok":true} with the reply's
// fields or {"ok":false,"error":...}; an 8-bit text as UTF-8 beside its code page 936 bytes in hex.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace platform {
class Window;
}

namespace headless {

using Json = nlohmann::ordered_json;

// {"ok":true}, to which a reply adds its fields.
Json Ok();
// {"ok":true} as a line.
std::string Done();
// {"ok":false,"error":error} as a line.
std::string Fail(const std::string& error);
// The bytes in lowercase hex.
std::string Hex(const std::string& bytes);
// "key":"utf-8 text","key_hex":"raw bytes" for an 8-bit text of code page 936.
void PutText(Json& reply, const std::string& key, const std::string& cp936);
// "key":["a","b"],"key_hex":["61","62"] for a list of 8-bit texts.
void PutTexts(Json& reply, const std::string& key, const std::vector<std::string>& texts);
// A control as "get" and "dump" describe it: identifier, kind, text, items and selection,
// address, status parts, enabled and visible.
void PutControl(Json& reply, platform::Window& w);

}  // namespace headless
