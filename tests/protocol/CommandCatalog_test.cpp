// The ports of the protocol. The Set commands' identifiers are checked with their table
// (tests/app/SetCommandTable_test.cpp), the others by the bytes the dialog sends.
#include "protocol/CommandCatalog.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandCatalogTest, Ports) {
  EXPECT_EQ(COMMAND_PORT, 24680);
  EXPECT_EQ(DISCOVERY_PORT, 24582);
}

}  // namespace
