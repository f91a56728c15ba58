// Start-up of the real dialog in an empty folder.
#include <gtest/gtest.h>

#include "tests/support/DialogHarness.h"

using testing_support::DialogHarness;

TEST(StartupDlg, CreatesEveryControlAndTheStatusBar) {
  DialogHarness h;
  ASSERT_NE(h.Window(), nullptr);
  EXPECT_EQ(h.Control(IDC_STATUS_BAR)->PartEdges(), (std::vector<int>{220, -1}));
  EXPECT_FALSE(h.Folder().Exists("config.ini"));
}
