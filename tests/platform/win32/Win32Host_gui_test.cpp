// The window through native controls under Wine (scripts/wine-gui: a Windows of code page 936 or
// 1252 on a virtual X display): layout from dialog units, fonts, unsorted lists in the model's
// order, input reaching the model and the host's own writes not, the IP address control's one tab
// stop, the language menu, Enter/Esc/close, a message box's nested loop, and a session with the
// demo readers whose every native text is the model's, in Chinese and in English, with
// screenshots of both.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>

#include "app/KestrivalApp.h"
#include "app/ProfileFormat.h"
#include "platform/kernel.h"
#include "programs/WindowProfiles.h"
#include "tests/platform/win32/Win32Harness.h"

using win32_testing::Prompt;
using win32_testing::U16;
using win32_testing::Win32Harness;

namespace {

constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkTab = 0x09;
constexpr std::uint32_t kCbsSort = 0x0100;
constexpr std::uint32_t kLbsSort = 0x0002;

const std::u16string kChinese = u"中文";
const std::u16string kEnglish = u"英文";

// An empty point of the dialog surface: right of the Get parameters button, above the list.
POINT SurfacePoint(const Win32Harness& h) {
  return POINT{150 * h.Base().cx / 4 + 1, 30 * h.Base().cy / 8};
}

std::string Locale() {
  const char* lang = std::getenv("LANG");
  return lang && std::string(lang).rfind("zh", 0) == 0 ? "zh_CN" : "en_US";
}

// Every native control shows what the model holds: captions and edit texts, the items of the
// lists in the model's order and their selection, the address fields, the status bar's parts and
// the title.
void ExpectNativeIsModel(Win32Harness& h, const std::string& when) {
  using K = platform::WindowKind;
  auto& host = h.Host();
  EXPECT_EQ(host.NativeTitle(), U16(h.Window()->Text())) << when;
  int compared = 0;
  for (const auto& c : h.Window()->Children()) {
    const std::string at = when + ", control " + std::to_string(c->Id());
    switch (c->Kind()) {
      case K::Button:
      case K::Static:
      case K::GroupBox:
      case K::Edit:
        EXPECT_EQ(host.NativeText(c.get()), U16(c->Text())) << at;
        break;
      case K::ComboBox:
      case K::ListBox: {
        std::vector<std::u16string> items;
        for (const auto& item : c->Items()) items.push_back(U16(item));
        EXPECT_EQ(host.NativeItems(c.get()), items) << at;
        EXPECT_EQ(host.NativeSelection(c.get()), c->Selection()) << at;
        break;
      }
      case K::IpAddress: {
        std::array<int, 4> want{};
        for (std::size_t i = 0; i < 4; ++i) want[i] = c->Ip()[i].value_or(-1);
        EXPECT_EQ(host.NativeIp(c.get()), want) << at;
        break;
      }
      case K::StatusBar:
        for (int part : {0, 1})
          EXPECT_EQ(host.NativeStatusText(part), U16(c->PartText(part))) << at;
        break;
      case K::Dialog:
        break;
    }
    ++compared;
  }
  EXPECT_GT(compared, 100) << when;
}

bool ChooseItem(const Prompt& p, const std::u16string& text) {
  if (p.kind != Prompt::Kind::Menu) return false;
  const auto it = std::find(p.items.begin(), p.items.end(), text);
  if (it == p.items.end()) {
    ADD_FAILURE() << "no such menu item";
    win32_testing::CloseMenu(p);
    return true;
  }
  win32_testing::ChooseMenuItem(p, static_cast<int>(it - p.items.begin()));
  return true;
}

}  // namespace

TEST(Win32Layout, ClientAreaAndBaseUnitsComeFromTheDialogFont) {
  Win32Harness h(false);
  const SIZE base = h.Base();
  EXPECT_GE(base.cx, 5);
  EXPECT_LE(base.cx, 8);
  EXPECT_GE(base.cy, 12);
  EXPECT_LE(base.cy, 17);
  const RECT client = h.Host().NativeClientRect();
  EXPECT_EQ(client.right, 466 * base.cx / 4);
  EXPECT_EQ(client.bottom, 378 * base.cy / 8);
  RECT model;
  h.Dlg().GetClientRect(&model);
  EXPECT_EQ(model.right, client.right);
  EXPECT_EQ(model.bottom, client.bottom);
}

TEST(Win32Layout, EveryControlStandsAtItsTemplateRectangle) {
  Win32Harness h(false);
  int checked = 0;
  for (const auto& c : h.Window()->Children()) {
    const RECT want =
        c->RectInPixels() ? c->Rect() : platform::DialogUnitsToPixels(c->Rect(), h.Base());
    const RECT got = h.Host().NativeRect(c.get());
    EXPECT_EQ(got.left, want.left) << "control " << c->Id();
    EXPECT_EQ(got.top, want.top) << "control " << c->Id();
    EXPECT_EQ(got.right, want.right) << "control " << c->Id();
    if (c->Kind() != platform::WindowKind::ComboBox) {  // the template height is the dropped list
      EXPECT_EQ(got.bottom, want.bottom) << "control " << c->Id();
    }
    ++checked;
  }
  EXPECT_GT(checked, 100);
  // The status bar: 20 pixels along the bottom, part 0 220 pixels wide.
  const RECT bar = h.Host().NativeRect(h.Model(IDC_STATUS_BAR));
  EXPECT_EQ(bar.bottom - bar.top, 20);
  EXPECT_EQ(bar.bottom, h.Host().NativeClientRect().bottom);
}

TEST(Win32Controls, EachControlHasTheModelsFont) {
  Win32Harness h(false);
  int bold = 0;
  for (const auto& c : h.Window()->Children()) {
    const platform::win32::FontSpec font = h.Host().NativeFont(c.get());
    if (c->Font()) {
      EXPECT_EQ(font.weight, 700) << "control " << c->Id();
      EXPECT_EQ(font.height, 14) << "control " << c->Id();
      EXPECT_EQ(font.face, "Arial") << "control " << c->Id();
      ++bold;
    } else {
      EXPECT_EQ(font.weight, 400) << "control " << c->Id();
      EXPECT_EQ(font.face, "MS Shell Dlg") << "control " << c->Id();
    }
  }
  EXPECT_EQ(bold, 19);  // the controls that take the button font
}

TEST(Win32Controls, ListsAreUnsortedNativelyAndHoldTheModelsOrder) {
  Win32Harness h(false);
  int lists = 0;
  for (const auto& c : h.Window()->Children()) {
    const auto kind = c->Kind();
    if (kind != platform::WindowKind::ComboBox && kind != platform::WindowKind::ListBox) continue;
    const std::uint32_t style = win32_testing::Style(h.NativeOf(c.get()));
    EXPECT_EQ(style & (kind == platform::WindowKind::ComboBox ? kCbsSort : kLbsSort), 0u)
        << "control " << c->Id();
    ++lists;
  }
  EXPECT_GT(lists, 20);
  const auto baud = h.Host().NativeItems(h.Model(IDC_COMBO_BAUD_RATE));
  ASSERT_GT(baud.size(), 15u);
  EXPECT_EQ(baud[0], u"110");
  EXPECT_EQ(baud[15], u"115200");
}

TEST(Win32Controls, HiddenControlsAreNeverShownAndSetButtonsStartDisabled) {
  Win32Harness h(false);
  for (const auto& c : h.Window()->Children())
    EXPECT_EQ(win32_testing::Visible(h.NativeOf(c.get())), c->ReallyVisible())
        << "control " << c->Id();
  EXPECT_FALSE(win32_testing::Visible(h.Native(IDC_BTN_SET_CLOUD)));
  EXPECT_FALSE(win32_testing::Enabled(h.Native(IDC_BTN_SET_WIEGAND)));
  h.ClearWire();
  h.Click(IDC_BTN_SET_WIEGAND);
  EXPECT_TRUE(h.Wire().empty());
}

// Input through the native controls reaches the model.
struct InputRow {
  const char* name;
  std::function<void(Win32Harness&)> act;
  std::function<void(Win32Harness&)> check;
};

class Win32Input : public ::testing::TestWithParam<InputRow> {};

TEST_P(Win32Input, ReachesTheModel) {
  Win32Harness h(false);
  GetParam().act(h);
  GetParam().check(h);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Win32Input,
    ::testing::Values(
        InputRow{"typing",
                 [](Win32Harness& h) { h.TypeInto(IDC_EDIT_SERVER_ADDR, u"reader.example"); },
                 [](Win32Harness& h) {
                   EXPECT_EQ(h.Model(IDC_EDIT_SERVER_ADDR)->Text(), "reader.example");
                 }},
        InputRow{"typing Chinese is kept in code page 936",
                 [](Win32Harness& h) { h.TypeInto(IDC_EDIT_BAR_PREFIX, u"门禁"); },
                 [](Win32Harness& h) {
                   EXPECT_EQ(h.Model(IDC_EDIT_BAR_PREFIX)->Text(), "\xC3\xC5\xBD\xFB");
                   EXPECT_EQ(h.Host().NativeText(IDC_EDIT_BAR_PREFIX), u"门禁");
                 }},
        InputRow{"choosing in a drop-down list by keys",
                 [](Win32Harness& h) { h.ChooseByKeys(IDC_COMBO_BAUD_RATE, 15); },
                 [](Win32Harness& h) {
                   EXPECT_EQ(h.Model(IDC_COMBO_BAUD_RATE)->Selection(), 15);
                   EXPECT_EQ(h.Host().NativeText(IDC_COMBO_BAUD_RATE), u"115200");
                 }},
        InputRow{"four address fields, the fourth clamped to 255",
                 [](Win32Harness& h) {
                   h.TypeIp(IDC_IP_ADDRESS, {u"10", u"1", u"2", u"300"});
                 },
                 [](Win32Harness& h) {
                   platform::Window::IpFields want{10, 1, 2, 255};
                   EXPECT_EQ(h.Model(IDC_IP_ADDRESS)->Ip(), want);
                 }},
        InputRow{"a blank address field stays blank",
                 [](Win32Harness& h) {
                   h.TypeIp(IDC_IP_GATEWAY, {u"172", u"", u"0", u"9"});
                 },
                 [](Win32Harness& h) {
                   platform::Window::IpFields want{172, std::nullopt, 0, 9};
                   EXPECT_EQ(h.Model(IDC_IP_GATEWAY)->Ip(), want);
                 }},
        InputRow{"letters never enter an address field",
                 [](Win32Harness& h) {
                   h.TypeIp(IDC_IP_DNS1, {u"1a", u"b2", u"3", u"4"});
                 },
                 [](Win32Harness& h) {
                   platform::Window::IpFields want{1, 2, 3, 4};
                   EXPECT_EQ(h.Model(IDC_IP_DNS1)->Ip(), want);
                 }},
        InputRow{"a focus change moves the model's focus",
                 [](Win32Harness& h) { h.FocusControl(IDC_EDIT_QR_NTP); },
                 [](Win32Harness& h) { EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_EDIT_QR_NTP)); }},
        InputRow{"leaving a Wiegand edit with 50 shows 100",
                 [](Win32Harness& h) {
                   h.TypeInto(IDC_EDIT_WG_LOW, u"50");
                   h.FocusControl(IDC_EDIT_SERVER_ADDR);
                 },
                 [](Win32Harness& h) {
                   EXPECT_EQ(h.Model(IDC_EDIT_WG_LOW)->Text(), "100");
                   EXPECT_EQ(h.Host().NativeText(IDC_EDIT_WG_LOW), u"100");
                 }}),
    [](const ::testing::TestParamInfo<InputRow>& info) {
      std::string n;
      for (const char* p = info.param.name; *p; ++p)
        n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return n;
    });

// The model writes every control when a reader's parameters arrive: none of those writes comes
// back as the user's (an edit's EN_CHANGE would move the model's focus to that edit).
TEST(Win32Input, TheHostsOwnWritesAreNoInput) {
  Win32Harness h;
  h.SearchAndRead();
  EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_BTN_GET_PARAMS));
  EXPECT_EQ(h.Host().NativeFocus(), h.Model(IDC_BTN_GET_PARAMS));
  EXPECT_TRUE(win32_testing::Enabled(h.Native(IDC_BTN_SET_WIEGAND)));
  const std::size_t sent = h.Wire().size();
  h.Settle(100);
  EXPECT_EQ(h.Wire().size(), sent);
}

// The IP address control is one tab stop: Tab leaves it for the next control.
TEST(Win32Keys, IpAddressControlIsOneTabStop) {
  Win32Harness h(false);
  h.FocusControl(IDC_IP_ADDRESS);
  const auto fields = win32_testing::Children(h.Native(IDC_IP_ADDRESS));
  ASSERT_EQ(fields.size(), 4u);
  EXPECT_EQ(win32_testing::FocusedWindow(), fields[0]);
  EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_IP_ADDRESS));
  h.Key(kVkTab);
  const win32_testing::Handle now = win32_testing::FocusedWindow();
  EXPECT_EQ(std::count(fields.begin(), fields.end(), now), 0) << "Tab stayed inside the control";
  EXPECT_EQ(h.Host().NativeFocus(), h.Model(IDC_IP_NETMASK));
  EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_IP_NETMASK));
}

TEST(Win32Menu, RightClickOnTheSurfaceOffersBothLanguagesWithTheMark) {
  Win32Harness h(false);
  std::vector<std::u16string> items;
  int checked = -1;
  const bool open = h.RightClick(SurfacePoint(h), [&](const Prompt& p) {
    if (p.kind != Prompt::Kind::Menu) return false;
    items = p.items;
    checked = p.checked;
    win32_testing::CloseMenu(p);
    return true;
  });
  ASSERT_TRUE(open);
  EXPECT_EQ(items, (std::vector<std::u16string>{kChinese, kEnglish}));
  EXPECT_EQ(checked, 0);
  EXPECT_EQ(h.Dlg().TextLanguage(), 1u);
}

TEST(Win32Menu, RightClickOnAControlThatTakesTheMouseOpensNothing) {
  Win32Harness h(false);
  for (int id : {IDC_BTN_SEARCH, IDC_LIST_DEVICES, IDC_EDIT_SERVER_ADDR}) {
    const RECT r = h.Host().NativeRect(h.Model(id));
    const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    EXPECT_FALSE(h.RightClick(at,
                              [](const Prompt& p) {
                                if (p.kind == Prompt::Kind::Menu) win32_testing::CloseMenu(p);
                                return true;
                              }))
        << "control " << id;
  }
  // A disabled Set button lets the press through to the dialog.
  const RECT set = h.Host().NativeRect(h.Model(IDC_BTN_SET_WIEGAND));
  EXPECT_TRUE(h.RightClick(POINT{(set.left + set.right) / 2, (set.top + set.bottom) / 2},
                           [](const Prompt& p) {
                             if (p.kind == Prompt::Kind::Menu) win32_testing::CloseMenu(p);
                             return true;
                           }));
}

// Enter, Esc and the close box.
struct EndRow {
  const char* name;
  std::function<void(Win32Harness&)> act;
  bool ends;
  int result;
};

class Win32End : public ::testing::TestWithParam<EndRow> {};

TEST_P(Win32End, FollowsTheDefaultOkAndCancel) {
  Win32Harness h(false);
  GetParam().act(h);
  EXPECT_EQ(h.Dlg().Ended(), GetParam().ends);
  if (GetParam().ends) {
    EXPECT_EQ(h.Dlg().Result(), GetParam().result);
    EXPECT_FALSE(win32_testing::Visible(h.NativeDialog()));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, Win32End,
                         ::testing::Values(EndRow{"Escape",
                                                  [](Win32Harness& h) {
                                                    h.FocusControl(IDC_EDIT_SERVER_ADDR);
                                                    h.Key(kVkEscape);
                                                  },
                                                  true, IDCANCEL},
                                           EndRow{"CloseBox",
                                                  [](Win32Harness& h) {
                                                    win32_testing::PressCloseBox(h.NativeDialog());
                                                    h.Settle();
                                                  },
                                                  true, IDCANCEL},
                                           EndRow{"EnterInAnEdit",
                                                  [](Win32Harness& h) {
                                                    h.FocusControl(IDC_EDIT_SERVER_ADDR);
                                                    h.Key(kVkReturn);
                                                  },
                                                  true, IDOK},
                                           EndRow{"EnterOnAFocusedButtonClicksIt",
                                                  [](Win32Harness& h) {
                                                    h.Click(IDC_BTN_SEARCH);
                                                    h.Key(kVkReturn);
                                                  },
                                                  false, 0}),
                         [](const ::testing::TestParamInfo<EndRow>& info) {
                           return std::string(info.param.name);
                         });

// The framework's invalid-integer message: a native message box whose own loop runs while the
// handler waits; the model's posted messages wait for the handler's end.
TEST(Win32End, EnterWithALetterInServerPortShowsTheMessageBoxAndStays) {
  Win32Harness h(false);
  h.TypeInto(IDC_EDIT_SERVER_PORT, u"x");
  std::u16string text;
  std::size_t pendingWhileOpen = 0;
  int ticks = 0;
  const bool shown = h.WithPrompt([&] { h.Key(kVkReturn); },
                                  [&](const Prompt& p) {
                                    if (p.kind != Prompt::Kind::Message) return false;
                                    if (ticks++ == 0) {
                                      text = p.text;
                                      h.Loop().Post(h.Window(), WM_NULL, 0, 0);
                                      return false;
                                    }
                                    if (ticks < 10) return false;  // the box's loop runs on
                                    pendingWhileOpen = h.Loop().PendingPosted();
                                    win32_testing::PressButton(p, IDOK);
                                    return true;
                                  });
  EXPECT_TRUE(shown);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(pendingWhileOpen, 1u) << "the message box's loop delivered the model's messages";
  EXPECT_EQ(h.Loop().PendingPosted(), 0u);
  EXPECT_FALSE(h.Dlg().Ended());
  EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_EDIT_SERVER_PORT));
  EXPECT_EQ(h.Host().NativeFocus(), h.Model(IDC_EDIT_SERVER_PORT));
}

// The demo's virtual segment wakes the loop as real sockets do: the socket's event and the
// readers' reply times, no polling; an idle window sleeps for a second at a time.
TEST(Win32Loop, TheDemoSegmentWakesTheLoopWithoutPolling) {
  Win32Harness h;
  h.Click(IDC_BTN_SEARCH);
  h.Settle(50);
  EXPECT_EQ(h.Host().NativeItems(h.Model(IDC_LIST_DEVICES)).size(), 3u);
  EXPECT_FALSE(h.Host().Polling());
  EXPECT_EQ(h.Host().SleepMs(), 1000);
}

// A session with the demo readers: the list, the parameters, a Set, every native text the model's
// in both languages, and a screenshot of each.
TEST(Win32Session, SearchSelectReadAndEveryNativeTextIsTheModelsInBothLanguages) {
  Win32Harness h;
  h.SearchAndRead();
  ASSERT_EQ(h.Host().NativeItems(h.Model(IDC_LIST_DEVICES)).size(), 3u);
  EXPECT_EQ(h.Host().NativeSelection(h.Model(IDC_LIST_DEVICES)), 0);
  EXPECT_TRUE(win32_testing::Enabled(h.Native(IDC_BTN_SET_WIEGAND)));
  h.TypeInto(IDC_EDIT_WG_LOW, u"600");
  h.Click(IDC_BTN_SET_WIEGAND);
  h.Settle(30);
  h.Click(IDC_BTN_GET_PARAMS);
  h.Settle(50);
  EXPECT_EQ(h.Host().NativeText(IDC_EDIT_WG_LOW), u"600");
  ExpectNativeIsModel(h, "Chinese");
  const std::u16string chineseSearch = h.Host().NativeText(IDC_BTN_SEARCH);
  EXPECT_EQ(chineseSearch, u"搜索设备");
  const std::string zh = h.Screenshot("window-windows-zh-" + Locale());
  EXPECT_FALSE(zh.empty());

  ASSERT_TRUE(
      h.RightClick(SurfacePoint(h), [](const Prompt& p) { return ChooseItem(p, kEnglish); }));
  EXPECT_EQ(h.Dlg().TextLanguage(), 2u);
  h.DoubleClickRow(IDC_LIST_DEVICES, 1);
  h.Click(IDC_BTN_GET_PARAMS);
  h.Settle(50);
  EXPECT_EQ(h.Model(IDC_LIST_DEVICES)->Selection(), 1);
  EXPECT_NE(h.Host().NativeText(IDC_BTN_SEARCH), chineseSearch);
  ExpectNativeIsModel(h, "English");
  const std::string en = h.Screenshot("window-windows-en-" + Locale());
  EXPECT_FALSE(en.empty());
}

// Save profile and Load profile through the common file dialog: Gate A's setup saved, then
// loaded while Gate B is read; the native controls show what the profile holds.
TEST(Win32Profiles, SavedAndLoadedThroughTheCommonFileDialog) {
  Win32Harness h;
  const programs::WindowProfiles profiles((h.Folder().Path() / "kestrival").string());
  const ScopedProfileFormat installed(&profiles);
  h.SearchAndRead();  // Gate A
  const std::string path = (h.Folder().Path() / "gate a.json").string();
  const auto throughMenuAndChooser = [&](Text command) {
    const std::u16string item = U16(h.Dlg().InterfaceText(command));
    bool chosen = false, answered = false;
    h.RightClick(SurfacePoint(h), [&](const Prompt& p) {
      if (p.kind == Prompt::Kind::Menu && !chosen) {
        // The languages with the radio mark on the current one; a line, then the commands.
        EXPECT_EQ(p.separators, (std::vector<bool>{false, false, true, false, false}));
        EXPECT_EQ(p.radioMarks, (std::vector<bool>{true, false, false, false, false}));
        chosen = ChooseItem(p, item);
      }
      if (p.kind == Prompt::Kind::Message) answered = win32_testing::AnswerFileDialog(p, U16(path));
      return answered;
    });
    h.Settle(50);
    EXPECT_TRUE(chosen && answered);
  };
  throughMenuAndChooser(Text::SaveProfile);
  EXPECT_EQ(h.Status(0), h.Dlg().InterfaceText(Text::ProfileSaved));
  EXPECT_NE(h.Folder().Read("gate a.json").find("\"label\": \"Gate A\""), std::string::npos);

  h.ClickRow(IDC_LIST_DEVICES, 1);  // Gate B: 115200 bit/s
  h.Click(IDC_BTN_GET_PARAMS);
  h.Settle(50);
  const int gateB = h.Host().NativeSelection(h.Model(IDC_COMBO_BAUD_RATE));
  throughMenuAndChooser(Text::LoadProfile);
  EXPECT_EQ(h.Status(0), h.Dlg().InterfaceText(Text::ProfileLoaded));
  const int loaded = h.Host().NativeSelection(h.Model(IDC_COMBO_BAUD_RATE));
  EXPECT_NE(loaded, gateB);
  EXPECT_EQ(loaded, h.Model(IDC_COMBO_BAUD_RATE)->Selection());
}

// The application object with the Win32 host: the sockets layer's failure as a native message
// box, and the dialog run modally in its native window until the close box ends it.
class Win32App : public ::testing::Test {
 protected:
  Win32App() : tool_(segment_.AddHost(testing_support::kToolAddress)), host_(loop_) {
    folder_.Write("language.csv", testing_support::BuiltLanguageCsv());
    runtime_ = testing_support::ToolRuntime(host_, loop_, tool_, folder_, nullptr);
    scoped_ = std::make_unique<platform::ScopedRuntime>(runtime_);
  }
  ~Win32App() override {
    // InitInstance starts the sockets layer and leaves it to the end of the program.
    while (WSACleanup() == 0) {
    }
    scoped_.reset();
  }

  testing_support::TempFolder folder_;
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost& tool_;
  platform::MessageLoop loop_;
  platform::win32::Win32Host host_;
  platform::Runtime runtime_;
  std::unique_ptr<platform::ScopedRuntime> scoped_;
};

TEST_F(Win32App, WithoutSocketsLayerShowsWindowsInAMessageBoxAndNoDialog) {
  tool_.FailStartup(true);
  std::u16string text;
  BOOL result = TRUE;
  const bool shown = win32_testing::WithPrompt([&] { result = theApp.InitInstance(); },
                                               [&](const Prompt& p) {
                                                 if (p.kind != Prompt::Kind::Message) return false;
                                                 text = p.text;
                                                 win32_testing::PressButton(p, IDOK);
                                                 return true;
                                               });
  EXPECT_TRUE(shown);
  EXPECT_EQ(text, u"Windows");
  EXPECT_FALSE(result);
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
  EXPECT_EQ(host_.DialogHandle(), 0);
}

TEST_F(Win32App, RunsTheDialogModallyInItsWindowUntilTheCloseBox) {
  std::u16string title;
  bool visible = false;
  win32_testing::RunLater(300, [&] {
    const win32_testing::Handle window = host_.DialogHandle();
    visible = window != 0 && win32_testing::Visible(window);
    title = host_.NativeTitle();
    win32_testing::PressCloseBox(window);
  });
  EXPECT_FALSE(theApp.InitInstance());
  EXPECT_TRUE(visible);
  EXPECT_EQ(title, u"参数设置");
  EXPECT_EQ(host_.DialogHandle(), 0);  // the window went with the modal loop
}
