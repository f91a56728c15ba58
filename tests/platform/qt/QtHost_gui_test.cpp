// The desktop host's own prompts over the window: a popup menu of radio items, a separator and
// plain commands, and the file chooser for Save and Open, answered through their widgets.
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileChooser.h"
#include "platform/MessageLoop.h"
#include "platform/afxwin.h"
#include "tests/platform/qt/GuiHarness.h"

using gui_testing::GuiHarness;

namespace {

constexpr UINT kChinese = 900, kEnglish = 901, kSave = 910, kLoad = 911;

// What a user sees of one entry of the popup.
struct Entry {
  QString text;
  bool separator = false;
  bool checkable = false;
  bool checked = false;
  bool exclusive = false;  // in an exclusive group: choosing it unchecks the others
  friend bool operator==(const Entry&, const Entry&) = default;
};

void PrintTo(const Entry& e, std::ostream* os) {
  *os << (e.separator ? "----" : e.text.toStdString()) << (e.checkable ? " checkable" : "")
      << (e.checked ? " checked" : "") << (e.exclusive ? " exclusive" : "");
}

struct MenuRow {
  const char* name;
  std::function<void(CMenu&)> build;
  std::vector<Entry> entries;
  QString choose;  // the entry clicked
  UINT command;    // what the host returns for it
};

class HostMenu : public ::testing::TestWithParam<MenuRow> {};

TEST_P(HostMenu, ShowsTheItemsAsWindowsWouldAndReturnsTheOneChosen) {
  const MenuRow& row = GetParam();
  GuiHarness h(false);
  CMenu menu;
  menu.CreatePopupMenu();
  row.build(menu);
  std::vector<Entry> shown;
  UINT chosen = 0;
  ASSERT_TRUE(h.WithPrompt(
      [&] {
        chosen = h.Host().TrackPopupMenu(*menu.m_hMenu, TPM_RIGHTBUTTON, POINT{20, 20}, {});
      },
      [&](QWidget* prompt) {
        auto* popup = qobject_cast<QMenu*>(prompt);
        ASSERT_NE(popup, nullptr);
        QAction* target = nullptr;
        for (QAction* a : popup->actions()) {
          shown.push_back(Entry{a->isSeparator() ? QString() : a->text(), a->isSeparator(),
                                a->isCheckable(), a->isChecked(),
                                a->actionGroup() && a->actionGroup()->isExclusive()});
          if (!a->isSeparator() && a->text() == row.choose) target = a;
        }
        ASSERT_NE(target, nullptr);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(target).center());
      }));
  EXPECT_EQ(shown, row.entries);
  EXPECT_EQ(chosen, row.command);
}

const QString kChineseText = QString::fromUtf8("中文");
const QString kEnglishText = QString::fromUtf8("英文");

void LanguagePair(CMenu& menu, UINT current) {
  menu.AppendMenu(MF_STRING, kChinese, "\xD6\xD0\xCE\xC4");  // 中文
  menu.AppendMenu(MF_STRING, kEnglish, "\xD3\xA2\xCE\xC4");  // 英文
  menu.CheckMenuRadioItem(kChinese, kEnglish, current, MF_BYCOMMAND);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostMenu,
                         ::testing::Values(MenuRow{
                             "PlainCommandsAfterASeparator",
                             [](CMenu& m) {
                               LanguagePair(m, kEnglish);
                               m.AppendMenu(MF_SEPARATOR);
                               m.AppendMenu(MF_STRING, kSave, "Save profile...");
                               m.AppendMenu(MF_STRING, kLoad, "Load profile...");
                             },
                             {{kChineseText, false, true, false, true},
                              {kEnglishText, false, true, true, true},
                              {QString(), true, false, false, false},
                              {"Save profile...", false, false, false, false},
                              {"Load profile...", false, false, false, false}},
                             "Load profile...",
                             kLoad}),
                         [](const auto& info) { return std::string(info.param.name); });

// The file chooser, answered as a user would: a name typed into it and Enter, or Cancel.
struct ChooserRow {
  const char* name;
  bool save;
  const char* existing;  // a file in the folder beforehand, or nullptr
  const char* typed;     // the name typed, or nullptr: Cancel
  bool asksToReplace;    // the chooser asks before replacing (answered Yes)
  const char* chosen;    // the file the chooser returns, or nullptr: nothing
};

class HostFileChooser : public ::testing::TestWithParam<ChooserRow> {};

TEST_P(HostFileChooser, ReturnsThePathChosenOrNothing) {
  const ChooserRow& row = GetParam();
  GuiHarness h(false);
  const testing_support::TempFolder folder;
  if (row.existing) folder.Write(row.existing, "{}");
  const QString dir = QString::fromStdString(folder.Path().string());
  platform::FileChoice choice;
  choice.save = row.save;
  choice.title = "\xB1\xA3\xB4\xE6";                 // 保存
  choice.filterName = "Kestrival \xC5\xE4\xD6\xC3";  // 配置
  choice.pattern = "*.json";
  choice.suggestedName = "reader.json";

  platform::MessageLoop& loop = *platform::CurrentRuntime().loop;
  QFileDialog* seen = nullptr;
  QStringList filters;
  QString title, offered;
  std::size_t pendingWhileOpen = 0;
  bool askedToReplace = false;
  QTimer watcher;
  watcher.setInterval(10);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      askedToReplace = true;
      box->button(QMessageBox::Yes)->click();
      return;
    }
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    if (!chooser || seen) return;
    seen = chooser;
    filters = chooser->nameFilters();
    title = chooser->windowTitle();
    auto* edit = chooser->findChild<QLineEdit*>("fileNameEdit");
    if (edit) offered = edit->text();
    // While it is open, the window's messages wait, even when asked to deliver.
    h.Dlg().PostMessage(WM_USER + 0x300, 0, 0);
    h.Host().Deliver();
    pendingWhileOpen = loop.PendingPosted();
    // Answered from the loop, not from here: a question to replace opens a loop of its own.
    QTimer::singleShot(0, chooser, [chooser, edit, &row, dir] {
      if (!row.typed || !edit) {
        chooser->reject();
        return;
      }
      edit->setText(dir + "/" + row.typed);
      QTest::keyClick(edit, Qt::Key_Return);
    });
  });
  watcher.start();
  const std::optional<std::string> chosen = platform::ChooseFile(choice, h.Window());
  watcher.stop();
  h.Settle();

  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(title, QString::fromUtf8("保存"));
  EXPECT_EQ(filters, (QStringList{QString::fromUtf8("Kestrival 配置 (*.json)"), "All files (*)"}));
  if (row.save) {
    EXPECT_EQ(offered, "reader.json");
  }
  EXPECT_EQ(pendingWhileOpen, 1u);
  EXPECT_EQ(loop.PendingPosted(), 0u) << "delivered once the chooser closed";
  EXPECT_EQ(askedToReplace, row.asksToReplace);
  if (row.chosen) {
    EXPECT_EQ(chosen, (folder.Path() / row.chosen).string());
  } else {
    EXPECT_EQ(chosen, std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HostFileChooser,
    ::testing::Values(
        ChooserRow{"SaveANewFile", true, nullptr, "reader 1.json", false, "reader 1.json"},
        ChooserRow{"SaveANameWithoutExtension", true, nullptr, "reader", false, "reader.json"},
        ChooserRow{"SaveOverAnExistingFileAsksFirst", true, "old.json", "old.json", true,
                   "old.json"},
        ChooserRow{"OpenAnExistingFile", false, "p.json", "p.json", false, "p.json"},
        ChooserRow{"CancelGivesNothing", false, "p.json", nullptr, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
