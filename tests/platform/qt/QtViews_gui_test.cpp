// The desktop window through real widgets: layout from dialog units, the status bar, fonts,
// hidden controls, input reaching the model, the language menu, Enter/Esc/close, and the same
// wire bytes as the headless path.
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/ProfileFormat.h"
#include "platform/kernel.h"
#include "platform/qt/QtViews.h"
#include "programs/WindowProfiles.h"
#include "sim/Demo.h"
#include "tests/platform/qt/GuiHarness.h"

using gui_testing::GuiHarness;

namespace {

QString Utf8Of(const std::string& acp) {
  return QString::fromStdString(platform::AcpToUtf8(acp));
}

QString WidgetText(QWidget* w) {
  if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  return {};
}

// Clicks the menu item with this text.
void ChooseMenuItem(QWidget* prompt, const QString& text) {
  auto* menu = qobject_cast<QMenu*>(prompt);
  ASSERT_NE(menu, nullptr);
  for (QAction* a : menu->actions()) {
    if (a->text() == text) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
      return;
    }
  }
  ADD_FAILURE() << "no menu item " << text.toStdString();
  menu->close();
}

const QString kChinese = QString::fromUtf8("中文");
const QString kEnglish = QString::fromUtf8("英文");

// An empty point of the dialog surface: right of the Get parameters button, above the list.
QPoint SurfacePoint(const GuiHarness& h) {
  return QPoint(150 * h.Base().cx / 4 + 1, 30 * h.Base().cy / 8);
}

}  // namespace

TEST(WindowLayout, ClientAreaAndBaseUnitsComeFromTheDialogFont) {
  GuiHarness h(false);
  const SIZE base = h.Base();
  // Liberation Sans at 12 pixels: about 6 pixels average width, 14 pixels high.
  EXPECT_GE(base.cx, 5);
  EXPECT_LE(base.cx, 7);
  EXPECT_GE(base.cy, 13);
  EXPECT_LE(base.cy, 16);
  EXPECT_EQ(h.View()->width(), 466 * base.cx / 4);
  EXPECT_EQ(h.View()->height(), 378 * base.cy / 8);
  RECT client;
  h.Dlg().GetClientRect(&client);
  EXPECT_EQ(client.right, h.View()->width());
  EXPECT_EQ(client.bottom, h.View()->height());
}

TEST(WindowLayout, EveryControlStandsAtItsTemplateRectangle) {
  GuiHarness h(false);
  int checked = 0;
  for (const auto& c : h.Window()->Children()) {
    if (c->Kind() == platform::WindowKind::StatusBar) continue;
    QWidget* w = h.WidgetOf(c.get());
    ASSERT_NE(w, nullptr) << "control " << c->Id();
    const RECT px = platform::DialogUnitsToPixels(c->Rect(), h.Base());
    EXPECT_EQ(w->x(), px.left) << "control " << c->Id();
    EXPECT_EQ(w->y(), px.top) << "control " << c->Id();
    EXPECT_EQ(w->width(), px.right - px.left) << "control " << c->Id();
    if (c->Kind() != platform::WindowKind::ComboBox) {  // the template height is the dropped list
      EXPECT_EQ(w->height(), px.bottom - px.top) << "control " << c->Id();
    }
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

struct SetButtonRow {
  int id;
  int xDu;
  int yDu;
};

class SetButtonColumn : public ::testing::TestWithParam<SetButtonRow> {};

TEST_P(SetButtonColumn, StandsAtItsDialogUnitPosition) {
  GuiHarness h(false);
  const SetButtonRow row = GetParam();
  QWidget* w = h.Widget(row.id);
  ASSERT_NE(w, nullptr);
  EXPECT_NEAR(w->x(), row.xDu * h.Base().cx / 4.0, 1.0);
  EXPECT_NEAR(w->y(), row.yDu * h.Base().cy / 8.0, 1.0);
  EXPECT_NEAR(w->width(), 41 * h.Base().cx / 4.0, 1.0);
  EXPECT_NEAR(w->height(), 14 * h.Base().cy / 8.0, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Rows, SetButtonColumn,
                         ::testing::Values(SetButtonRow{IDC_BTN_SET_NETWORK, 409, 64},
                                           SetButtonRow{IDC_BTN_SET_OUTPUT_FORMAT, 409, 84},
                                           SetButtonRow{IDC_BTN_SET_CARD_INPUT_FORMAT, 409, 98},
                                           SetButtonRow{IDC_BTN_SET_HID, 409, 113},
                                           SetButtonRow{IDC_BTN_SET_SERIAL, 409, 155},
                                           SetButtonRow{IDC_BTN_SET_WORK_MODE, 409, 179},
                                           SetButtonRow{IDC_BTN_SET_LIGHT, 409, 195},
                                           SetButtonRow{IDC_BTN_SET_BAR_PREFIX, 409, 215},
                                           SetButtonRow{IDC_BTN_SET_BAR_SUFFIX, 409, 230},
                                           SetButtonRow{IDC_BTN_SET_CARD_FIX, 409, 263},
                                           SetButtonRow{IDC_BTN_SET_WIEGAND, 409, 283},
                                           SetButtonRow{IDC_BTN_SET_QR, 409, 318},
                                           SetButtonRow{IDC_BTN_SET_RESTART, 242, 181},
                                           SetButtonRow{IDC_BTN_SET_SPEAKER, 242, 195}));

TEST(WindowStatusBar, PartZeroIs220PixelsAndStaysSoWhenTheWindowGrows) {
  GuiHarness h(false);
  for (int grow : {0, 300}) {
    h.View()->resize(h.View()->width() + grow, h.View()->height() + grow);
    h.Settle();
    QWidget* p0 = h.Host().StatusPart(0);
    QWidget* p1 = h.Host().StatusPart(1);
    ASSERT_NE(p0, nullptr);
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p0->width(), 220) << "grown by " << grow;
    EXPECT_EQ(p1->x(), 220);
    QWidget* bar = h.Widget(IDC_STATUS_BAR);
    EXPECT_EQ(bar->height(), 20);
    // Nothing moves on resize: the bar stays at the bottom of the client area it was made for.
    EXPECT_EQ(bar->y() + bar->height(), 378 * h.Base().cy / 8);
    EXPECT_EQ(p1->x() + p1->width(), bar->width());
    EXPECT_EQ(h.Widget(IDC_BTN_SET_QR)->x(),
              platform::DialogUnitsToPixels(h.Model(IDC_BTN_SET_QR)->Rect(), h.Base()).left);
    for (int part : {0, 1})
      EXPECT_EQ(static_cast<QLabel*>(h.Host().StatusPart(part))->text(), Utf8Of(h.Status(part)));
  }
}

TEST(WindowControls, HiddenControlsAreNeverShownAndTheOthersAre) {
  GuiHarness h(false);
  int hidden = 0;
  for (const auto& c : h.Window()->Children()) {
    QWidget* w = h.WidgetOf(c.get());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->isVisible(), c->ReallyVisible()) << "control " << c->Id();
    if (!c->ReallyVisible()) ++hidden;
  }
  for (int id :
       {IDC_COMBO_HIDDEN_CHOICE, IDC_COMBO_CLOUD_PROVIDER, IDC_EDIT_CLOUD_TEXT1,
        IDC_EDIT_CLOUD_TEXT4, IDC_IP_CLOUD_SERVER, IDC_BTN_SET_HIDDEN_CHOICE, IDC_BTN_SET_CLOUD})
    EXPECT_FALSE(h.Widget(id)->isVisible()) << "control " << id;
  EXPECT_GE(hidden, 19);  // the cloud row: 11 with identifiers and 8 labels
}

TEST(WindowControls, TheButtonFontIsBoldOnItsControlsOnly) {
  GuiHarness h(false);
  for (const auto& c : h.Window()->Children()) {
    QWidget* w = h.WidgetOf(c.get());
    if (c->Font()) {
      EXPECT_EQ(w->font().weight(), QFont::Bold) << "control " << c->Id();
      const int cell = QFontMetrics(w->font()).ascent() + QFontMetrics(w->font()).descent();
      EXPECT_NEAR(cell, 14, 1) << "control " << c->Id();
    } else {
      EXPECT_EQ(w->font().weight(), QFont::Normal) << "control " << c->Id();
    }
  }
  for (int id : {IDC_BTN_SEARCH, IDC_BTN_GET_PARAMS, IDC_LIST_DEVICES, IDC_BTN_SET_QR})
    EXPECT_EQ(h.Widget(id)->font().weight(), QFont::Bold) << "control " << id;
}

TEST(WindowControls, SetButtonsStartDisabledAndClicksOnThemPostNothing) {
  GuiHarness h;
  QWidget* set = h.Widget(IDC_BTN_SET_WIEGAND);
  EXPECT_FALSE(set->isEnabled());
  h.ClearWire();
  h.Click(IDC_BTN_SET_WIEGAND);
  EXPECT_TRUE(h.Wire().empty());
}

// Input through the widgets reaches the model.
struct InputRow {
  const char* name;
  std::function<void(GuiHarness&)> act;
  std::function<void(GuiHarness&)> check;
};

class WindowInput : public ::testing::TestWithParam<InputRow> {};

TEST_P(WindowInput, ReachesTheModel) {
  GuiHarness h(false);
  GetParam().act(h);
  GetParam().check(h);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowInput,
    ::testing::Values(
        InputRow{"typing",
                 [](GuiHarness& h) { h.TypeInto(IDC_EDIT_SERVER_ADDR, "reader.example"); },
                 [](GuiHarness& h) {
                   EXPECT_EQ(h.Model(IDC_EDIT_SERVER_ADDR)->Text(), "reader.example");
                 }},
        InputRow{"typing Chinese is kept in code page 936",
                 [](GuiHarness& h) { h.TypeInto(IDC_EDIT_BAR_PREFIX, QString::fromUtf8("门禁")); },
                 [](GuiHarness& h) {
                   EXPECT_EQ(h.Model(IDC_EDIT_BAR_PREFIX)->Text(), "\xC3\xC5\xBD\xFB");
                 }},
        InputRow{"choosing in a drop-down list keeps the item order",
                 [](GuiHarness& h) { h.Choose(IDC_COMBO_BAUD_RATE, 15); },
                 [](GuiHarness& h) {
                   EXPECT_EQ(h.Model(IDC_COMBO_BAUD_RATE)->Selection(), 15);
                   EXPECT_EQ(h.Model(IDC_COMBO_BAUD_RATE)->Items()[15], "115200");
                   auto* box = qobject_cast<QComboBox*>(h.Widget(IDC_COMBO_BAUD_RATE));
                   EXPECT_EQ(box->currentText(), "115200");
                   EXPECT_EQ(box->itemText(0), "110");
                 }},
        InputRow{
            "choosing the last of 51 digits",
            [](GuiHarness& h) { h.Choose(IDC_COMBO_QR_START_DIGIT, 50); },
            [](GuiHarness& h) { EXPECT_EQ(h.Model(IDC_COMBO_QR_START_DIGIT)->Selection(), 50); }},
        InputRow{"four address fields, the fourth clamped to 255",
                 [](GuiHarness& h) {
                   h.TypeIp(IDC_IP_ADDRESS, {"10", "1", "2", "300"});
                 },
                 [](GuiHarness& h) {
                   platform::Window::IpFields want{10, 1, 2, 255};
                   EXPECT_EQ(h.Model(IDC_IP_ADDRESS)->Ip(), want);
                 }},
        InputRow{"a blank address field stays blank",
                 [](GuiHarness& h) {
                   h.TypeIp(IDC_IP_GATEWAY, {"172", "", "0", "9"});
                 },
                 [](GuiHarness& h) {
                   platform::Window::IpFields want{172, std::nullopt, 0, 9};
                   EXPECT_EQ(h.Model(IDC_IP_GATEWAY)->Ip(), want);
                 }},
        InputRow{"letters never enter an address field",
                 [](GuiHarness& h) {
                   h.TypeIp(IDC_IP_DNS1, {"1a", "b2", "3", "4"});
                 },
                 [](GuiHarness& h) {
                   platform::Window::IpFields want{1, 2, 3, 4};
                   EXPECT_EQ(h.Model(IDC_IP_DNS1)->Ip(), want);
                 }},
        InputRow{"a click moves the model's focus",
                 [](GuiHarness& h) { h.FocusWidget(IDC_EDIT_QR_NTP); },
                 [](GuiHarness& h) { EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_EDIT_QR_NTP)); }},
        InputRow{"leaving a Wiegand edit with 50 shows 100",
                 [](GuiHarness& h) {
                   h.TypeInto(IDC_EDIT_WG_LOW, "50");
                   h.FocusWidget(IDC_EDIT_SERVER_ADDR);
                 },
                 [](GuiHarness& h) {
                   EXPECT_EQ(h.Model(IDC_EDIT_WG_LOW)->Text(), "100");
                   EXPECT_EQ(qobject_cast<QLineEdit*>(h.Widget(IDC_EDIT_WG_LOW))->text(), "100");
                 }}),
    [](const ::testing::TestParamInfo<InputRow>& info) {
      std::string n;
      for (const char* p = info.param.name; *p; ++p)
        n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return n;
    });

TEST(WindowMenu, RightClickOnTheSurfaceOffersBothLanguagesWithTheMark) {
  GuiHarness h(false);
  QStringList texts;
  QString marked;
  bool open = h.RightClick(SurfacePoint(h), [&](QWidget* prompt) {
    auto* menu = qobject_cast<QMenu*>(prompt);
    for (QAction* a : menu->actions()) {
      texts << a->text();
      if (a->isChecked()) marked = a->text();
    }
    QTest::keyClick(menu, Qt::Key_Escape);
  });
  ASSERT_TRUE(open);
  EXPECT_EQ(texts, (QStringList{kChinese, kEnglish}));
  EXPECT_EQ(marked, kChinese);
  EXPECT_FALSE(h.Folder().Exists("config.ini") &&
               h.Folder().Read("config.ini").find("language=2") != std::string::npos);
  EXPECT_EQ(h.Dlg().TextLanguage(), 1u);
}

TEST(WindowMenu, RightClickOnAControlThatTakesTheMouseOpensNothing) {
  GuiHarness h(false);
  for (int id : {IDC_BTN_SEARCH, IDC_LIST_DEVICES, IDC_EDIT_SERVER_ADDR}) {
    const QPoint at = h.Widget(id)->geometry().center();
    EXPECT_FALSE(h.RightClick(at, [](QWidget* p) { p->close(); })) << "control " << id;
  }
  // A disabled Set button lets the press through to the dialog.
  const QPoint set = h.Widget(IDC_BTN_SET_WIEGAND)->geometry().center();
  EXPECT_TRUE(h.RightClick(set, [](QWidget* p) { QTest::keyClick(p, Qt::Key_Escape); }));
}

// The IP address control is one tab stop: Tab leaves it for the next control, "." and the arrow
// keys move between its four fields.
TEST(WindowControls, IpAddressControlIsOneTabStop) {
  GuiHarness h(false);
  QWidget* ip = h.Widget(IDC_IP_ADDRESS);
  auto field = [ip](int i) { return ip->findChild<QLineEdit*>(QString("field%1").arg(i)); };
  h.FocusWidget(IDC_IP_ADDRESS);
  ASSERT_EQ(QApplication::focusWidget(), field(0));
  QTest::keyClicks(field(0), "10.");
  EXPECT_EQ(QApplication::focusWidget(), field(1));
  QTest::keyClicks(field(1), "1.");
  EXPECT_EQ(QApplication::focusWidget(), field(2));
  QTest::keyClick(field(2), Qt::Key_Home);
  QTest::keyClick(field(2), Qt::Key_Left);  // at the start of a field: on to the one before
  EXPECT_EQ(QApplication::focusWidget(), field(1));
  QTest::keyClick(field(1), Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), field(2));
  QTest::keyClick(field(2), Qt::Key_Tab);
  QWidget* now = QApplication::focusWidget();
  ASSERT_NE(now, nullptr);
  EXPECT_FALSE(ip->isAncestorOf(now)) << "Tab stayed inside the control";
  EXPECT_TRUE(now == h.Widget(IDC_IP_NETMASK) || h.Widget(IDC_IP_NETMASK)->isAncestorOf(now));
}

// In English some captions are wider than their template size: those, and only those, carry
// their whole text as a tooltip.
TEST(WindowControls, ClippedCaptionsShowTheirWholeTextAsTooltip) {
  GuiHarness h(false);
  ASSERT_TRUE(h.RightClick(SurfacePoint(h), [](QWidget* p) { ChooseMenuItem(p, kEnglish); }));
  int clipped = 0;
  for (const auto& c : h.Window()->Children()) {
    using K = platform::WindowKind;
    if (c->Kind() != K::Button && c->Kind() != K::Static) continue;
    QWidget* w = h.WidgetOf(c.get());
    const QString text = Utf8Of(c->Text());
    const int margin = c->Kind() == K::Button ? 8 : 0;
    const bool wider = QFontMetrics(w->font()).horizontalAdvance(text) + margin > w->width();
    EXPECT_EQ(w->toolTip(), wider ? text : QString()) << "control " << c->Id();
    clipped += wider;
  }
  EXPECT_GT(clipped, 0);
  const QString full = QString::fromUtf8("Get current parameters");
  EXPECT_EQ(h.Widget(IDC_BTN_GET_PARAMS)->toolTip(), full);
}

TEST(WindowMenu, ChoosingEnglishRepaintsEveryCaptionAndTheTitle) {
  GuiHarness h(false);
  const QString titleBefore = h.View()->windowTitle();
  const QString searchBefore = WidgetText(h.Widget(IDC_BTN_SEARCH));
  ASSERT_TRUE(h.RightClick(SurfacePoint(h), [](QWidget* p) { ChooseMenuItem(p, kEnglish); }));
  EXPECT_EQ(h.Dlg().TextLanguage(), 2u);
  EXPECT_NE(h.View()->windowTitle(), titleBefore);
  EXPECT_NE(WidgetText(h.Widget(IDC_BTN_SEARCH)), searchBefore);
  EXPECT_EQ(h.View()->windowTitle(), Utf8Of(h.Window()->Text()));
  for (const auto& c : h.Window()->Children()) {
    using K = platform::WindowKind;
    if (c->Kind() != K::Button && c->Kind() != K::Static && c->Kind() != K::GroupBox) continue;
    EXPECT_EQ(WidgetText(h.WidgetOf(c.get())), Utf8Of(c->Text())) << "control " << c->Id();
  }
  auto* out = qobject_cast<QComboBox*>(h.Widget(IDC_COMBO_OUTPUT_FORMAT));
  EXPECT_EQ(out->itemText(0), Utf8Of(h.Model(IDC_COMBO_OUTPUT_FORMAT)->Items()[0]));
  // And back: the mark now sits on English.
  QString marked;
  ASSERT_TRUE(h.RightClick(SurfacePoint(h), [&](QWidget* p) {
    for (QAction* a : qobject_cast<QMenu*>(p)->actions())
      if (a->isChecked()) marked = a->text();
    ChooseMenuItem(p, kChinese);
  }));
  EXPECT_EQ(marked, kEnglish);
  EXPECT_EQ(h.Dlg().TextLanguage(), 1u);
  EXPECT_EQ(h.View()->windowTitle(), titleBefore);
}

// Save profile and Load profile through the menu and Qt's file dialog: Gate A's setup saved,
// then loaded while Gate B is read; the widgets show what the profile holds.
TEST(WindowProfiles, SavedAndLoadedThroughTheFileDialog) {
  GuiHarness h;
  const programs::WindowProfiles profiles((h.Folder().Path() / "kestrival").string());
  const ScopedProfileFormat installed(&profiles);
  h.SearchAndRead();  // Gate A
  const QString path = QString::fromStdString((h.Folder().Path() / "gate a.json").string());
  const auto throughMenuAndChooser = [&](Text command) {
    bool answered = false;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      auto* edit = chooser ? chooser->findChild<QLineEdit*>("fileNameEdit") : nullptr;
      if (!edit || answered) return;
      answered = true;
      QTimer::singleShot(0, chooser, [edit, path] {
        edit->setText(path);
        QTest::keyClick(edit, Qt::Key_Return);
      });
    });
    watcher.start();
    const QString item = Utf8Of(h.Dlg().InterfaceText(command));
    ASSERT_TRUE(h.RightClick(SurfacePoint(h), [&](QWidget* p) {
      // The languages stay a radio pair; a line, then the profile commands, plain.
      const QList<QAction*> actions = qobject_cast<QMenu*>(p)->actions();
      ASSERT_EQ(actions.size(), 5);
      EXPECT_TRUE(actions[0]->isCheckable() && actions[0]->actionGroup() &&
                  actions[0]->actionGroup()->isExclusive());
      EXPECT_EQ(actions[0]->actionGroup(), actions[1]->actionGroup());
      EXPECT_TRUE(actions[2]->isSeparator());
      EXPECT_FALSE(actions[3]->isCheckable() || actions[4]->isCheckable());
      ChooseMenuItem(p, item);
    }));
    h.Settle(50);
    EXPECT_TRUE(answered);
  };
  throughMenuAndChooser(Text::SaveProfile);
  EXPECT_EQ(h.Status(0), h.Dlg().InterfaceText(Text::ProfileSaved));
  EXPECT_NE(h.Folder().Read("gate a.json").find("\"label\": \"Gate A\""), std::string::npos);

  h.ClickRow(IDC_LIST_DEVICES, 1);  // Gate B: 115200 bit/s
  h.Click(IDC_BTN_GET_PARAMS);
  h.Settle(50);
  auto* baud = qobject_cast<QComboBox*>(h.Widget(IDC_COMBO_BAUD_RATE));
  const int gateB = baud->currentIndex();
  throughMenuAndChooser(Text::LoadProfile);
  EXPECT_EQ(h.Status(0), h.Dlg().InterfaceText(Text::ProfileLoaded));
  EXPECT_NE(baud->currentIndex(), gateB);
  EXPECT_EQ(baud->currentIndex(), h.Model(IDC_COMBO_BAUD_RATE)->Selection());
}

// Enter, Esc and the close box.
struct EndRow {
  const char* name;
  std::function<void(GuiHarness&)> act;
  bool ends;
  int result;
};

class WindowEnd : public ::testing::TestWithParam<EndRow> {};

TEST_P(WindowEnd, FollowsTheDefaultOkAndCancel) {
  GuiHarness h(false);
  GetParam().act(h);
  EXPECT_EQ(h.Dlg().Ended(), GetParam().ends);
  if (GetParam().ends) {
    EXPECT_EQ(h.Dlg().Result(), GetParam().result);
    EXPECT_FALSE(h.View()->isVisible());
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowEnd,
                         ::testing::Values(EndRow{"Escape",
                                                  [](GuiHarness& h) {
                                                    h.FocusWidget(IDC_EDIT_SERVER_ADDR);
                                                    h.Key(Qt::Key_Escape);
                                                  },
                                                  true, IDCANCEL},
                                           EndRow{"CloseBox",
                                                  [](GuiHarness& h) {
                                                    h.View()->close();
                                                    h.Settle();
                                                  },
                                                  true, IDCANCEL},
                                           EndRow{"EnterInAnEdit",
                                                  [](GuiHarness& h) {
                                                    h.FocusWidget(IDC_EDIT_SERVER_ADDR);
                                                    h.Key(Qt::Key_Return);
                                                  },
                                                  true, IDOK},
                                           EndRow{"EnterOnAFocusedButtonClicksIt",
                                                  [](GuiHarness& h) {
                                                    h.Click(IDC_BTN_SEARCH);
                                                    h.Key(Qt::Key_Return);
                                                  },
                                                  false, 0}),
                         [](const ::testing::TestParamInfo<EndRow>& info) {
                           return std::string(info.param.name);
                         });

TEST(WindowEnd, EnterWithALetterInServerPortShowsTheMessageBoxAndStays) {
  GuiHarness h(false);
  h.TypeInto(IDC_EDIT_SERVER_PORT, "8a");
  h.TypeInto(IDC_EDIT_SERVER_PORT, "x");
  QString text;
  const bool shown = h.WithPrompt([&] { h.Key(Qt::Key_Return); },
                                  [&](QWidget* prompt) {
                                    auto* box = qobject_cast<QMessageBox*>(prompt);
                                    ASSERT_NE(box, nullptr);
                                    text = box->text();
                                    QTest::keyClick(box, Qt::Key_Return);
                                  });
  EXPECT_TRUE(shown);
  EXPECT_FALSE(text.isEmpty());
  EXPECT_FALSE(h.Dlg().Ended());
  EXPECT_EQ(h.Window()->Focus(), h.Model(IDC_EDIT_SERVER_PORT));
  EXPECT_EQ(h.View()->focusWidget(), h.Widget(IDC_EDIT_SERVER_PORT));
}

// A session with the demo readers: the list, the parameters, a Set, and the same datagrams as the
// headless host produces for the same actions.
TEST(WindowSession, SearchSelectReadAndSetSendTheSameBytesAsTheHeadlessPath) {
  GuiHarness h;
  h.SearchAndRead();
  auto* list = qobject_cast<QListWidget*>(h.Widget(IDC_LIST_DEVICES));
  ASSERT_EQ(list->count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(list->item(i)->text(),
              Utf8Of(h.Model(IDC_LIST_DEVICES)->Items()[static_cast<std::size_t>(i)]));
  EXPECT_TRUE(h.Widget(IDC_BTN_SET_WIEGAND)->isEnabled());
  h.TypeInto(IDC_EDIT_WG_LOW, "600");
  h.Click(IDC_BTN_SET_WIEGAND);
  h.Choose(IDC_COMBO_OUTPUT_FORMAT, 3);
  h.Click(IDC_BTN_SET_OUTPUT_FORMAT);
  h.Settle(30);
  // Read back: the reader holds the new value.
  h.Click(IDC_BTN_GET_PARAMS);
  h.Settle(30);
  EXPECT_EQ(qobject_cast<QComboBox*>(h.Widget(IDC_COMBO_OUTPUT_FORMAT))->currentIndex(), 3);
  EXPECT_EQ(qobject_cast<QLineEdit*>(h.Widget(IDC_EDIT_WG_LOW))->text(), "600");

  testing_support::DialogHarness headless;
  auto readers = sim::AddDemoReaders(headless.Segment());
  gui_testing::WireLog wire;
  headless.Segment().SetObserver([&](const platform::net::WireDatagram& d) {
    if (d.from.addr == sim::kDemoToolAddress || d.from.addr == 0)
      wire.push_back(gui_testing::WireLine(d));
  });
  headless.Click(IDC_BTN_SEARCH);
  headless.Pump(50);
  headless.Select(IDC_LIST_DEVICES, 0);
  headless.Click(IDC_BTN_GET_PARAMS);
  headless.Pump(50);
  headless.Type(IDC_EDIT_WG_LOW, "600");
  headless.Click(IDC_BTN_SET_WIEGAND);
  headless.Select(IDC_COMBO_OUTPUT_FORMAT, 3);
  headless.Click(IDC_BTN_SET_OUTPUT_FORMAT);
  headless.Pump(30);
  headless.Click(IDC_BTN_GET_PARAMS);
  headless.Pump(30);
  headless.Segment().SetObserver({});
  EXPECT_GT(wire.size(), 8u);
  EXPECT_EQ(h.Wire(), wire);
  EXPECT_EQ(h.Status(0), headless.Status(0));
  EXPECT_EQ(h.Status(1), headless.Status(1));
}

TEST(WindowSession, DoubleClickShowsTheChosenReaderInTheTitle) {
  GuiHarness h;
  h.Click(IDC_BTN_SEARCH);
  h.Settle(50);
  const QString before = h.View()->windowTitle();
  h.DoubleClickRow(IDC_LIST_DEVICES, 1);
  EXPECT_EQ(h.Model(IDC_LIST_DEVICES)->Selection(), 1);
  EXPECT_EQ(h.View()->windowTitle(), Utf8Of(h.Window()->Text()));
  EXPECT_NE(h.View()->windowTitle(), before);
}

// Screenshots in both languages, at start-up and with a reader's parameters on display.
TEST(WindowScreenshots, BothLanguagesAtStartUpAndWithParameters) {
  GuiHarness h;
  std::vector<std::string> files;
  files.push_back(h.Screenshot("zh-startup"));
  h.SearchAndRead();
  files.push_back(h.Screenshot("zh-parameters"));
  ASSERT_TRUE(h.RightClick(SurfacePoint(h), [](QWidget* p) { ChooseMenuItem(p, kEnglish); }));
  files.push_back(h.Screenshot("en-startup"));
  h.ClickRow(IDC_LIST_DEVICES, 1);
  h.Click(IDC_BTN_GET_PARAMS);
  h.Settle(50);
  files.push_back(h.Screenshot("en-parameters"));
  for (const auto& f : files) {
    QImage image(QString::fromStdString(f));
    ASSERT_FALSE(image.isNull()) << f;
    EXPECT_EQ(image.width(), h.View()->width() * image.devicePixelRatio());
    // Something is drawn: the pixels are not all of one colour.
    const QRgb first = image.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; y += 7)
      for (int x = 0; x < image.width() && !varied; x += 7) varied = image.pixel(x, y) != first;
    EXPECT_TRUE(varied) << f;
  }
}

// The demo's window sleeps as the real one does: nothing polls the virtual segment; Qt's own loop,
// left to itself, wakes when a simulated reader's reply falls due and lists every reader.
TEST(WindowSession, TheDemoWindowSleepsUntilAReaderReplies) {
  GuiHarness h;
  EXPECT_FALSE(h.Host().Polling());
  QTest::mouseClick(h.Widget(IDC_BTN_SEARCH), Qt::LeftButton);
  EXPECT_TRUE(QTest::qWaitFor([&] { return h.Dlg().Devices().size() == 3; }, 5000));
  EXPECT_FALSE(h.Host().Polling());
}
