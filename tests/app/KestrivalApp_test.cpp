// The application object and the dialog's end: InitInstance with and without a sockets layer,
// Enter and Esc through the framework's OK and Cancel, and the minimised icon.
#include "app/KestrivalApp.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/KestrivalResources.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/UserInput.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/net/VirtualSegment.h"
#include "tests/support/DialogHarness.h"

using testing_support::DialogHarness;

namespace {

// A process environment for InitInstance: a headless host, a loop, a virtual segment and a
// folder of its own holding the built language.csv.
class AppRuntime : public ::testing::Test {
 protected:
  AppRuntime() : tool_(segment_.AddHost(testing_support::kToolAddress)), host_(loop_) {
    folder_.Write("language.csv", testing_support::BuiltLanguageCsv());
    runtime_ = testing_support::ToolRuntime(host_, loop_, tool_, folder_, &trace_);
    scoped_ = std::make_unique<platform::ScopedRuntime>(runtime_);
  }
  ~AppRuntime() override {
    // InitInstance starts the sockets layer and leaves it to the end of the program.
    while (WSACleanup() == 0) {
    }
    scoped_.reset();
  }

  testing_support::TempFolder folder_;
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost& tool_;
  platform::MessageLoop loop_;
  platform::HeadlessHost host_;
  platform::Runtime runtime_;
  std::unique_ptr<platform::ScopedRuntime> scoped_;
  std::vector<std::string> trace_;
};

TEST_F(AppRuntime, WithoutSocketsLayerShowsWindowsAndNoDialog) {
  tool_.FailStartup(true);
  bool dialogRan = false;
  host_.SetDriver([&](CDialog&) {
    dialogRan = true;
    return false;
  });
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_EQ(host_.MessageBoxes(), (std::vector<std::string>{"Windows"}));
  EXPECT_FALSE(dialogRan);
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  for (const std::string& line : trace_) {
    EXPECT_NE(line.rfind("path:", 0), 0u) << "the dialog was initialised: " << line;
  }
  EXPECT_FALSE(folder_.Exists("config.ini"));
}

TEST_F(AppRuntime, RunsTheDialogModallyAndReturnsFalseWhenItEnds) {
  std::string title;
  int driverCalls = 0;
  host_.SetDriver([&](CDialog& dialog) {
    ++driverCalls;
    title = dialog.m_hWnd->Text();
    EXPECT_EQ(theApp.m_pMainWnd, &dialog);
    platform::UserKeyEscape(dialog.m_hWnd);
    return true;
  });
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_TRUE(host_.MessageBoxes().empty());
  EXPECT_EQ(driverCalls, 1);
  EXPECT_EQ(platform::AcpToUtf8(title), "参数设置");
  EXPECT_EQ(platform::AcpToUtf8(theApp.m_pszRegistryKey), "应用程序向导生成的本地应用程序");
  EXPECT_EQ(theApp.m_dwRestartManagerSupportFlags, AFX_RESTART_MANAGER_SUPPORT_RESTART);
}

// Enter while the user is in Server port. The Wiegand edits hold what the program put there
// (nullptr: their defaults); the first edit without a number, in the order server port, Wiegand
// low, Wiegand high, keeps the dialog open with the focus on it.
struct EnterRow {
  const char* port;
  const char* low;
  const char* high;
  int focusedEdit;  // 0: the dialog ends with OK
};

void PrintTo(const EnterRow& row, std::ostream* os) {
  *os << '"' << row.port << "\" \"" << (row.low ? row.low : "400") << "\" \""
      << (row.high ? row.high : "2000") << '"';
}

class EnterKey : public ::testing::TestWithParam<EnterRow> {};

TEST_P(EnterKey, EndsOnlyWhenEveryIntegerEditHoldsANumber) {
  DialogHarness h;
  const EnterRow& row = GetParam();
  if (row.low) h.Control(IDC_EDIT_WG_LOW)->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.low));
  if (row.high) {
    h.Control(IDC_EDIT_WG_HIGH)->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(row.high));
  }
  ASSERT_EQ(h.Type(IDC_EDIT_SERVER_PORT, row.port), platform::InputResult::Ok);
  ASSERT_TRUE(h.Host().MessageBoxes().empty());
  h.Enter();
  if (row.focusedEdit == 0) {
    EXPECT_TRUE(h.Dlg().Ended());
    EXPECT_EQ(h.Dlg().Result(), IDOK);
    EXPECT_TRUE(h.Host().MessageBoxes().empty());
    return;
  }
  EXPECT_FALSE(h.Dlg().Ended());
  EXPECT_EQ(h.Host().MessageBoxes(), (std::vector<std::string>{"Please enter an integer."}));
  EXPECT_EQ(h.Window()->Focus(), h.Control(row.focusedEdit));
  EXPECT_TRUE(h.Visible(IDC_BTN_SEARCH)) << "the dialog stays open";
}

INSTANTIATE_TEST_SUITE_P(Texts, EnterKey,
                         ::testing::Values(EnterRow{"abc", nullptr, nullptr, IDC_EDIT_SERVER_PORT},
                                           EnterRow{"", nullptr, nullptr, IDC_EDIT_SERVER_PORT},
                                           EnterRow{"80", "x1", nullptr, IDC_EDIT_WG_LOW},
                                           EnterRow{"80", nullptr, "", IDC_EDIT_WG_HIGH},
                                           EnterRow{"abc", "x", "y", IDC_EDIT_SERVER_PORT},
                                           EnterRow{"80", "low", "high", IDC_EDIT_WG_LOW},
                                           EnterRow{"80", nullptr, nullptr, 0},
                                           EnterRow{" -12", "+7", "12abc", 0}));

TEST(EscapeKey, EndsTheDialogAtOnceWhateverTheEditsHold) {
  DialogHarness h;
  ASSERT_EQ(h.Type(IDC_EDIT_SERVER_PORT, "abc"), platform::InputResult::Ok);
  h.Escape();
  EXPECT_TRUE(h.Dlg().Ended());
  EXPECT_EQ(h.Dlg().Result(), IDCANCEL);
  EXPECT_TRUE(h.Host().MessageBoxes().empty());
  EXPECT_FALSE(h.Folder().Exists("config.ini"));
}

TEST(EnterKey, OnAFocusedButtonClicksItInsteadOfEndingTheDialog) {
  DialogHarness h;
  ASSERT_EQ(h.Focus(IDC_BTN_SEARCH), platform::InputResult::Ok);
  h.Enter();
  EXPECT_FALSE(h.Dlg().Ended());
}

// The minimised dialog draws icon 128 centred in its client area (pixels, icon 32 x 32).
struct PaintRow {
  int width, height;
  int x, y;
};

void PrintTo(const PaintRow& row, std::ostream* os) {
  *os << row.width << "x" << row.height;
}

class MinimisedPaint : public ::testing::TestWithParam<PaintRow> {};

TEST_P(MinimisedPaint, DrawsTheIconAtTheCentre) {
  DialogHarness h;
  const PaintRow& row = GetParam();
  h.Window()->SetRectInPixels(true);
  h.Window()->SetRect(RECT{0, 0, row.width, row.height});
  platform::UserSetIconic(h.Window(), false);
  h.Pump();
  EXPECT_TRUE(h.Window()->IconDraws().empty()) << "a restored dialog paints no icon";
  platform::UserSetIconic(h.Window(), true);
  h.Pump();
  ASSERT_EQ(h.Window()->IconDraws().size(), 1u);
  const platform::IconDraw& draw = h.Window()->IconDraws().back();
  EXPECT_EQ(draw.x, row.x);
  EXPECT_EQ(draw.y, row.y);
  EXPECT_EQ(draw.icon, &KestrivalIcon());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MinimisedPaint,
                         ::testing::Values(PaintRow{36, 36, 2, 2}, PaintRow{35, 35, 2, 2},
                                           PaintRow{0, 0, -15, -15}, PaintRow{100, 33, 34, 1}));

}  // namespace
