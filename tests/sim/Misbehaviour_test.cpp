// The misbehaviour rules of the simulated reader as written on its command line.
#include "sim/Misbehaviour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct ParseRow {
  const char* text;
  bool ok;
  sim::MisbehaviourKind kind;
  int value;
  std::int32_t cmdId;
  int times;
};

class ParseTable : public ::testing::TestWithParam<ParseRow> {};

TEST_P(ParseTable, Rule) {
  const ParseRow& row = GetParam();
  std::string error;
  auto rule = sim::ParseMisbehaviour(row.text, &error);
  ASSERT_EQ(rule.has_value(), row.ok) << row.text << ": " << error;
  if (!rule) {
    EXPECT_NE(error.find(row.text), std::string::npos) << error;
    return;
  }
  EXPECT_EQ(rule->kind, row.kind);
  EXPECT_EQ(rule->value, row.value);
  EXPECT_EQ(rule->cmdId, row.cmdId);
  EXPECT_EQ(rule->times, row.times);
}

using K = sim::MisbehaviourKind;
INSTANTIATE_TEST_SUITE_P(Texts, ParseTable,
                         ::testing::Values(ParseRow{"noreply", true, K::NoReply, 0, -1, -1},
                                           ParseRow{"badsum@31", true, K::BadChecksum, 0, 31, -1},
                                           ParseRow{"delay=300@30*2", true, K::Delay, 300, 30, 2},
                                           ParseRow{"short", true, K::Short, 10, -1, -1},
                                           ParseRow{"short=3", true, K::Short, 3, -1, -1},
                                           ParseRow{"delay", false, K::Delay, 0, 0, 0},
                                           ParseRow{"delay=-5", false, K::Delay, 0, 0, 0},
                                           ParseRow{"noreply=4", false, K::NoReply, 0, 0, 0},
                                           ParseRow{"noreply*0", false, K::NoReply, 0, 0, 0},
                                           ParseRow{"sleep=4", false, K::NoReply, 0, 0, 0},
                                           ParseRow{"delay=1x", false, K::Delay, 0, 0, 0}));

}  // namespace
