// Ways a simulated reader can misbehave on request, so that tests see what the tool does when a
// reader stays silent, answers late, answers with a broken checksum or with a cut datagram.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class MisbehaviourKind {
  NoReply,      // the request is taken (a Set is applied) but nothing is sent back
  BadChecksum,  // the reply's checksum byte is inverted
  Delay,        // the reply leaves `value` milliseconds later
  Short,        // only the first `value` bytes of the reply are sent
};

struct MisbehaviourRule {
  MisbehaviourKind kind = MisbehaviourKind::NoReply;
  int value = 0;            // milliseconds for Delay, bytes for Short
  std::int32_t cmdId = -1;  // the request it applies to; -1 every request
  int times = -1;           // how many requests it still applies to; -1 without end
};

// Parses one rule: KIND[=VALUE][@CMD][*TIMES] with KIND one of noreply, badsum, delay, short
// ("delay=300@30", "noreply@0*1", "short=10"). Delay needs a value; short defaults to 10 bytes.
// Returns nothing and sets *error for anything else.
std::optional<MisbehaviourRule> ParseMisbehaviour(std::string_view text, std::string* error);

// A comma-separated list of rules ("delay=200@30,badsum@31"); nothing on the first bad rule.
std::optional<std::vector<MisbehaviourRule>> ParseMisbehaviourList(std::string_view text,
                                                                   std::string* error);

}  // namespace sim
