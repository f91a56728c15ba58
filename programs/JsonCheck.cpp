#include "programs/JsonCheck.h"

#include <cstddef>
#include <nlohmann/json.hpp>

namespace cli {
namespace {

using Json = nlohmann::ordered_json;

// Line and column (from 1) of a byte offset.
std::string Position(const std::string& text, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// A profile is three levels deep (groups, a group, its fields); a deeper file is no profile, and
// the limit keeps the JSON library off deep recursion.
constexpr std::size_t kMaxDepth = 16;

// A first pass over the text that builds nothing: it finds where the text stops being JSON (a
// syntax error, a number no double holds, ill-formed UTF-8, too deep a nesting) without the
// exceptions the library would throw while building the value.
class JsonCheck final : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return Enter(); }
  bool key(string_t&) override { return true; }
  bool end_object() override { return Leave(); }
  bool start_array(std::size_t) override { return Enter(); }
  bool end_array() override { return Leave(); }
  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::json::exception& e) override {
    at_ = position;
    syntax_ = e.id < 200;  // the library's parse errors; 406 is a number no double holds
    if (!syntax_) {
      why_ = "the number " + token + " is too large";
      return false;
    }
    // "number overflow parsing '1e400'", "syntax error while parsing value - invalid literal; ..."
    const std::string what = e.what();
    const auto close = what.find("] ");
    why_ = close == std::string::npos ? what : what.substr(close + 2);
    // The position is given once, as line and column.
    if (why_.rfind("parse error", 0) == 0 && why_.find(": ") != std::string::npos)
      why_ = why_.substr(why_.find(": ") + 2);
    return false;
  }

  // "not JSON: line 1, column 11: syntax error ...", "line 9, column 28: the number ..."
  std::string Message(const std::string& text) const {
    if (deep_) return why_;
    return (syntax_ ? "not JSON: " : "") + Position(text, at_ > 0 ? at_ - 1 : 0) + ": " + why_;
  }

 private:
  bool Enter() {
    if (++depth_ <= kMaxDepth) return true;
    why_ = "not a profile: the JSON is nested deeper than " + std::to_string(kMaxDepth) +
           " levels (a profile has 3)";
    deep_ = true;
    return false;
  }
  bool Leave() {
    --depth_;
    return true;
  }
  std::size_t depth_ = 0;
  std::size_t at_ = 0;
  bool syntax_ = true;
  bool deep_ = false;
  std::string why_;
};

}  // namespace

std::optional<std::string> JsonFault(const std::string& text) {
  JsonCheck check;
  if (Json::sax_parse(text, &check)) return std::nullopt;
  return check.Message(text);
}

}  // namespace cli
