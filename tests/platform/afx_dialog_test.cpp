// The mini framework with a small dialog of its own: template, message map, data exchange, the
// default OK and Cancel, focus notifications, popup menus and socket notifications.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/MessageLoop.h"
#include "platform/Resources.h"
#include "platform/Runtime.h"
#include "platform/UserInput.h"
#include "platform/afxwin.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/net/VirtualSegment.h"
#include "platform/winsock2.h"

namespace {

constexpr UINT kTemplate = 500;
constexpr int kButton = 10, kDisabledButton = 11, kEdit = 12, kOther = 13, kLabel = 14;
constexpr UINT kSocketMessage = WM_USER + 7;

const platform::DialogTemplate& Template() {
  static const platform::DialogTemplate t{
      "Test",
      WS_CAPTION | WS_VISIBLE,
      0,
      200,
      100,
      "MS Shell Dlg",
      9,
      {
          {platform::WindowKind::Button, kButton, WS_VISIBLE | WS_TABSTOP, 10, 10, 40, 14, "Go"},
          {platform::WindowKind::Button, kDisabledButton, WS_VISIBLE | WS_TABSTOP, 60, 10, 40, 14,
           "No"},
          {platform::WindowKind::Edit, kEdit, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 10, 30, 40, 12,
           ""},
          {platform::WindowKind::Edit, kOther, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 60, 30, 40, 12,
           ""},
          {platform::WindowKind::Static, kLabel, WS_VISIBLE, 10, 50, 100, 10, "label"},
      }};
  return t;
}

class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(kTemplate) {}
  std::vector<std::string> calls;
  int value = 0;
  int other = 0;
  std::vector<std::string> datagrams;
  SOCKET socket = INVALID_SOCKET;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, kEdit, value);
    DDX_Text(dx, kOther, other);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    GetDlgItem(kDisabledButton)->EnableWindow(FALSE);
    calls.push_back("init");
    return TRUE;
  }
  void OnGo() { calls.push_back("go"); }
  void OnEditLeft() { calls.push_back("killfocus"); }
  void OnMenuA() { calls.push_back("menu A"); }
  void OnRight(UINT, CPoint p) {
    calls.push_back("right " + std::to_string(p.x) + "," + std::to_string(p.y));
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 900, "A");
    menu.AppendMenu(MF_STRING, 901, "B");
    menu.CheckMenuRadioItem(900, 901, 901, MF_BYCOMMAND);
    ClientToScreen(&p);
    menu.TrackPopupMenu(TPM_RIGHTBUTTON, p.x, p.y, this);
  }
  LRESULT OnSocket(WPARAM, LPARAM l) {
    if (WSAGETSELECTEVENT(l) == FD_READ) {
      char buf[64];
      sockaddr_in from{};
      int len = sizeof from;
      int n = recvfrom(socket, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
      if (n > 0) datagrams.emplace_back(buf, static_cast<std::size_t>(n));
    }
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
  ON_BN_CLICKED(kButton, OnGo)
  ON_BN_CLICKED(kDisabledButton, OnGo)
  ON_EN_KILLFOCUS(kEdit, OnEditLeft)
  ON_COMMAND(900, OnMenuA)
  ON_WM_RBUTTONDOWN_HANDLER(OnRight)
  ON_MESSAGE(kSocketMessage, OnSocket)
END_MESSAGE_MAP()

class Framework : public ::testing::Test {
 protected:
  Framework() : host_(segment_.AddHost(0x0A000001)), ui_(loop_) {
    module_.dialogs[kTemplate] = &Template();
    runtime_.host = &ui_;
    runtime_.loop = &loop_;
    runtime_.net = &host_;
    runtime_.resources = &module_;
    runtime_.debug = [](const std::string&) {};
    scoped_ = std::make_unique<platform::ScopedRuntime>(runtime_);
    dlg_.Create();
    loop_.RunUntilIdle();
  }
  ~Framework() override {
    WSACleanup();
    scoped_.reset();
  }
  HWND Dlg() { return dlg_.m_hWnd; }

  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost& host_;
  platform::MessageLoop loop_;
  platform::HeadlessHost ui_;
  platform::ResourceModule module_;
  platform::Runtime runtime_;
  std::unique_ptr<platform::ScopedRuntime> scoped_;
  TestDialog dlg_;
};

}  // namespace

TEST_F(Framework, TemplateBecomesWindowsAndInitRuns) {
  ASSERT_NE(Dlg(), nullptr);
  EXPECT_EQ(Dlg()->Text(), "Test");
  EXPECT_EQ(Dlg()->Children().size(), 5u);
  EXPECT_EQ(dlg_.calls, (std::vector<std::string>{"init"}));
  // The first exchange wrote the members into the edits; focus on the first tab stop.
  EXPECT_EQ(Dlg()->Child(kEdit)->Text(), "0");
  EXPECT_EQ(Dlg()->Focus(), Dlg()->Child(kButton));
}

TEST_F(Framework, ClicksReachTheirHandlerUnlessDisabledOrHidden) {
  EXPECT_EQ(platform::UserClick(Dlg(), kButton), platform::InputResult::Ok);
  EXPECT_EQ(platform::UserClick(Dlg(), kDisabledButton), platform::InputResult::Disabled);
  Dlg()->Child(kButton)->SetVisible(false);
  EXPECT_EQ(platform::UserClick(Dlg(), kButton), platform::InputResult::Hidden);
  EXPECT_EQ(platform::UserClick(Dlg(), 99), platform::InputResult::NoSuchControl);
  loop_.RunUntilIdle();
  EXPECT_EQ(dlg_.calls, (std::vector<std::string>{"init", "go"}));
}

TEST_F(Framework, LeavingAnEditNotifiesBeforeTheClick) {
  platform::UserType(Dlg(), kEdit, "5");
  platform::UserClick(Dlg(), kButton);
  loop_.RunUntilIdle();
  EXPECT_EQ(dlg_.calls, (std::vector<std::string>{"init", "killfocus", "go"}));
}

// Control notifications are sent: each handler has run when the user's action returns, and
// nothing waits in the queue for them.
TEST_F(Framework, ControlNotificationsAreHandledBeforeTheInputReturns) {
  struct Row {
    const char* name;
    std::function<void()> act;
    std::vector<std::string> calls;
  } rows[] = {
      {"click", [this] { platform::UserClick(Dlg(), kButton); }, {"go"}},
      {"type then focus elsewhere",
       [this] {
         platform::UserType(Dlg(), kEdit, "5");
         platform::UserFocus(Dlg(), kOther);
       },
       {"killfocus"}},
      {"type then click",
       [this] {
         platform::UserType(Dlg(), kEdit, "6");
         platform::UserClick(Dlg(), kButton);
       },
       {"killfocus", "go"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    dlg_.calls.clear();
    r.act();
    EXPECT_EQ(dlg_.calls, r.calls);
    EXPECT_EQ(loop_.PendingPosted(), 0u);
  }
}

struct ExchangeRow {
  const char* text;
  bool ok;
  int value;
};

class Exchange : public Framework, public ::testing::WithParamInterface<ExchangeRow> {};

TEST_P(Exchange, IntegersAsMfcScansThem) {
  dlg_.value = 77;
  dlg_.other = 5;
  Dlg()->Child(kEdit)->SetText(GetParam().text);
  Dlg()->Child(kOther)->SetText("9");
  BOOL ok = dlg_.UpdateData(TRUE);
  EXPECT_EQ(ok != FALSE, GetParam().ok);
  EXPECT_EQ(dlg_.value, GetParam().value);
  if (GetParam().ok) {
    EXPECT_TRUE(ui_.MessageBoxes().empty());
    EXPECT_EQ(dlg_.other, 9);
  } else {
    EXPECT_EQ(ui_.MessageBoxes(), (std::vector<std::string>{"Please enter an integer."}));
    // The exchange stopped at the failing edit: the next member kept its value.
    EXPECT_EQ(dlg_.other, 5);
    EXPECT_EQ(Dlg()->Focus(), Dlg()->Child(kEdit));
    EXPECT_EQ(Dlg()->Child(kEdit)->EditSelection(), (std::pair<int, int>{0, -1}));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Exchange,
                         ::testing::Values(ExchangeRow{"12", true, 12},
                                           ExchangeRow{"  -12abc", true, -12},
                                           ExchangeRow{"+3", true, 3},
                                           ExchangeRow{"abc", false, 77},
                                           ExchangeRow{"", false, 77}, ExchangeRow{"-", false, 77},
                                           ExchangeRow{"4294967297", true, 1}));

TEST_F(Framework, EnterIsOkOnlyWhenTheExchangeSucceeds) {
  Dlg()->Child(kEdit)->SetText("abc");
  platform::UserFocus(Dlg(), kEdit);
  platform::UserKeyEnter(Dlg());
  loop_.RunUntilIdle();
  EXPECT_FALSE(dlg_.Ended());
  Dlg()->Child(kEdit)->SetText("4");
  platform::UserKeyEnter(Dlg());
  loop_.RunUntilIdle();
  EXPECT_TRUE(dlg_.Ended());
  EXPECT_EQ(dlg_.Result(), IDOK);
}

TEST_F(Framework, EnterOnAFocusedButtonClicksIt) {
  platform::UserFocus(Dlg(), kButton);
  platform::UserKeyEnter(Dlg());
  loop_.RunUntilIdle();
  EXPECT_FALSE(dlg_.Ended());
  EXPECT_EQ(dlg_.calls.back(), "go");
}

TEST_F(Framework, EscapeAndTheCloseBoxCancel) {
  Dlg()->Child(kEdit)->SetText("abc");  // Cancel does not exchange
  platform::UserKeyEscape(Dlg());
  loop_.RunUntilIdle();
  EXPECT_TRUE(dlg_.Ended());
  EXPECT_EQ(dlg_.Result(), IDCANCEL);
  EXPECT_TRUE(ui_.MessageBoxes().empty());
}

TEST_F(Framework, RightClickMenuPostsTheChosenCommand) {
  ui_.AnswerNextMenu(900);
  // On the label: statics let the press through to the dialog.
  SIZE base = ui_.DialogBaseUnits();
  POINT onLabel{20 * base.cx / 4, 52 * base.cy / 8};
  EXPECT_EQ(platform::UserRightClick(Dlg(), onLabel, base), platform::InputResult::Ok);
  loop_.RunUntilIdle();
  ASSERT_EQ(ui_.Menus().size(), 1u);
  const auto& items = ui_.Menus()[0].menu.items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FALSE(items[0].checked);
  EXPECT_TRUE(items[1].checked && items[1].radio);
  EXPECT_EQ(ui_.Menus()[0].screen.x, onLabel.x + ui_.ClientOrigin(Dlg()).x);
  EXPECT_EQ(dlg_.calls.back(), "menu A");
  // On a button the dialog never sees the press.
  POINT onButton{12 * base.cx / 4, 12 * base.cy / 8};
  EXPECT_EQ(platform::UserRightClick(Dlg(), onButton, base), platform::InputResult::WrongKind);
}

TEST_F(Framework, OneNotificationDeliversOneDatagramAndReArms) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(0x0202, &data), 0);
  dlg_.socket = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_NE(dlg_.socket, INVALID_SOCKET);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(24680);
  ASSERT_EQ(bind(dlg_.socket, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  // A second bind of the port on the same host fails.
  SOCKET second = socket(AF_INET, SOCK_DGRAM, 0);
  EXPECT_EQ(bind(second, reinterpret_cast<sockaddr*>(&local), sizeof local), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);
  ASSERT_EQ(WSAAsyncSelect(dlg_.socket, Dlg(), kSocketMessage, FD_READ), 0);

  platform::net::Error e;
  auto peer = segment_.AddHost(0x0A000002).CreateVirtualUdp(&e);
  peer->SendTo("one", 3, {0x0A000001, 24680});
  peer->SendTo("two", 3, {0x0A000001, 24680});
  // The socket notification stays posted (unlike the controls'): nothing runs until the loop
  // delivers it.
  EXPECT_TRUE(dlg_.datagrams.empty());
  ASSERT_TRUE(loop_.DispatchOne());
  EXPECT_EQ(dlg_.datagrams, (std::vector<std::string>{"one"}));
  loop_.RunUntilIdle();
  EXPECT_EQ(dlg_.datagrams, (std::vector<std::string>{"one", "two"}));
  closesocket(second);
}
