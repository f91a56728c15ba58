// The desktop host's file chooser for Save and Open, answered through its widgets: what it
// offers, the question before replacing a file, a cancel, and the window's messages held while
// it is open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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

INSTANTIATE_TEST_SUITE_P(Rows, HostFileChooser,
                         ::testing::Values(ChooserRow{"SaveANameWithoutExtension", true, nullptr,
                                                      "reader", false, "reader.json"},
                                           ChooserRow{"SaveOverAnExistingFileAsksFirst", true,
                                                      "old.json", "old.json", true, "old.json"},
                                           ChooserRow{"CancelGivesNothing", false, "p.json",
                                                      nullptr, false, nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
