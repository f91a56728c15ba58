#include "sim/Misbehaviour.h"

#include <charconv>

namespace sim {

namespace {

// A whole decimal number of at most int range, nothing else.
std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<MisbehaviourRule> ParseMisbehaviour(std::string_view text, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<MisbehaviourRule> {
    if (error) *error = "misbehaviour \"" + std::string(text) + "\": " + why;
    return std::nullopt;
  };
  MisbehaviourRule rule;
  std::string_view rest = text;

  if (auto star = rest.find('*'); star != std::string_view::npos) {
    auto times = ParseInt(rest.substr(star + 1));
    if (!times || *times < 1) return fail("*TIMES must be a number of at least 1");
    rule.times = *times;
    rest = rest.substr(0, star);
  }
  if (auto at = rest.find('@'); at != std::string_view::npos) {
    auto cmd = ParseInt(rest.substr(at + 1));
    if (!cmd || *cmd < 0) return fail("@CMD must be a request identifier");
    rule.cmdId = *cmd;
    rest = rest.substr(0, at);
  }
  std::optional<int> value;
  if (auto eq = rest.find('='); eq != std::string_view::npos) {
    value = ParseInt(rest.substr(eq + 1));
    if (!value || *value < 0) return fail("=VALUE must be a number of at least 0");
    rest = rest.substr(0, eq);
  }

  if (rest == "noreply") {
    rule.kind = MisbehaviourKind::NoReply;
  } else if (rest == "badsum") {
    rule.kind = MisbehaviourKind::BadChecksum;
  } else if (rest == "delay") {
    if (!value) return fail("delay needs =MILLISECONDS");
    rule.kind = MisbehaviourKind::Delay;
  } else if (rest == "short") {
    rule.kind = MisbehaviourKind::Short;
    if (!value) value = 10;
  } else {
    return fail("unknown kind (noreply, badsum, delay, short)");
  }
  if (value &&
      (rule.kind == MisbehaviourKind::NoReply || rule.kind == MisbehaviourKind::BadChecksum))
    return fail("takes no =VALUE");
  rule.value = value.value_or(0);
  return rule;
}

std::optional<std::vector<MisbehaviourRule>> ParseMisbehaviourList(std::string_view text,
                                                                   std::string* error) {
  std::vector<MisbehaviourRule> rules;
  while (!text.empty()) {
    auto comma = text.find(',');
    auto rule = ParseMisbehaviour(text.substr(0, comma), error);
    if (!rule) return std::nullopt;
    rules.push_back(*rule);
    if (comma == std::string_view::npos) break;
    text = text.substr(comma + 1);
  }
  return rules;
}

}  // namespace sim
