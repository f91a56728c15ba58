// The production table of the Set commands against the tests' own table, row by row.
#include "app/SetCommandTable.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "tests/support/SetCommandRows.h"

namespace {

using testing_support::kSetCommandRows;
using testing_support::SetCommandRow;

TEST(SetCommandTable, SameRowsInTheSameOrder) {
  ASSERT_EQ(std::size(SET_COMMANDS), std::size(kSetCommandRows));
  for (std::size_t i = 0; i < std::size(kSetCommandRows); ++i) {
    const SetCommandRow& want = kSetCommandRows[i];
    const SetCommand& got = SET_COMMANDS[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.button, want.button);
    EXPECT_EQ(got.request, want.request);
    EXPECT_EQ(got.reply, want.reply);
    EXPECT_EQ(got.section.offset, want.offset);
    EXPECT_EQ(got.section.len, want.size);
    EXPECT_EQ(got.payloadLen, want.payloadLen);
    EXPECT_EQ(got.sectionAt, want.SectionAt());
    EXPECT_EQ(got.pauseMs, want.pauseMs);
    EXPECT_EQ(FindSetCommand(want.request), &got);
  }
}

// Requests that are no Set command, replies and identifiers the tool never sends have no row.
TEST(SetCommandTable, NoRowForOtherIdentifiers) {
  for (std::int32_t id : {0, 2, 4, 26, 30, 34, 36, 46, -2, 7, 33, 45}) {
    EXPECT_EQ(FindSetCommand(id), nullptr) << id;
  }
}

}  // namespace
