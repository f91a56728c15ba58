// A first pass over a JSON text that builds nothing: where the text stops being JSON (a syntax
// error, a number no double holds, ill-formed UTF-8, too deep a nesting), found without the
// exceptions the JSON library would throw while building the value.
#pragma once

#include <optional>
#include <string>

namespace cli {

// One line naming the fault and its position ("not JSON: line 1, column 11: ..."), or nothing
// when the text is JSON no deeper than a profile needs.
std::optional<std::string> JsonFault(const std::string& text);

}  // namespace cli
