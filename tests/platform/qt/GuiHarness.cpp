#include "tests/platform/qt/GuiHarness.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/KestrivalResources.h"
#include "platform/qt/QtViews.h"
#include "sim/Demo.h"

namespace gui_testing {

QApplication& App() {
  static QApplication* app = [] {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    auto* a = new QApplication(argc, argv);  // lives until the process ends
    if (QStyle* style = QStyleFactory::create("Fusion")) QApplication::setStyle(style);
    QApplication::setQuitOnLastWindowClosed(false);
    return a;
  }();
  return *app;
}

std::string WireLine(const platform::net::WireDatagram& d) {
  std::string bytes(d.payload.begin(), d.payload.end());
  return std::to_string(d.to.port) + ": " + testing_support::Hex(bytes);
}

GuiHarness::GuiHarness(bool withReaders) : toolHost_(&segment_.AddHost(sim::kDemoToolAddress)) {
  App();
  folder_.Write("language.csv", testing_support::BuiltLanguageCsv());
  if (withReaders) readers_ = sim::AddDemoReaders(segment_);
  segment_.SetObserver([this](const platform::net::WireDatagram& d) {
    if (d.from.addr == sim::kDemoToolAddress || d.from.addr == 0) wire_.push_back(WireLine(d));
  });
  host_ = std::make_unique<platform::qt::QtHost>(loop_);
  runtime_ = testing_support::ToolRuntime(*host_, loop_, *toolHost_, folder_, &trace_);
  scoped_ = std::make_unique<platform::ScopedRuntime>(runtime_);
  dialog_ = std::make_unique<CKestrivalDlg>();
  dialog_->Create(IDD_KESTRIVAL_DIALOG);
  host_->Show(*dialog_);
  Settle();
}

GuiHarness::~GuiHarness() {
  host_->Hide();
  dialog_.reset();
  WSACleanup();
  segment_.SetObserver({});
  scoped_.reset();
}

void GuiHarness::Settle(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int quiet = 0;
  while (quiet < 3 || std::chrono::steady_clock::now() < end) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    host_->Deliver();
    if (loop_.PendingPosted() == 0 && !loop_.PollSockets())
      ++quiet;
    else
      quiet = 0;
    if (quiet >= 3 && std::chrono::steady_clock::now() < end) QTest::qWait(2);
  }
}

void GuiHarness::Click(int id) {
  QWidget* w = Widget(id);
  if (!w) return;
  QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
  Settle();
}

void GuiHarness::FocusWidget(int id) {
  QWidget* w = Widget(id);
  if (!w) return;
  if (auto* ip = dynamic_cast<platform::qt::IpAddressWidget*>(w)) w = ip->Field(0);
  QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, w->height() / 2));
  Settle();
}

void GuiHarness::TypeInto(int id, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(Widget(id));
  if (!e) return;
  QTest::mouseClick(e, Qt::LeftButton, {}, QPoint(3, e->height() / 2));
  QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Delete);
  bool ascii = true;
  for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
  if (ascii) {
    QTest::keyClicks(e, text);
  } else {
    // Chinese arrives as an input method's commit, as a Pinyin input method delivers it.
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(e, &commit);
  }
  Settle();
}

void GuiHarness::TypeIp(int id, const QStringList& fields) {
  auto* ip = dynamic_cast<platform::qt::IpAddressWidget*>(Widget(id));
  if (!ip) return;
  for (int i = 0; i < 4 && i < fields.size(); ++i) {
    QLineEdit* f = ip->Field(i);
    QTest::mouseClick(f, Qt::LeftButton, {}, f->rect().center());
    QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(f, Qt::Key_Delete);
    QTest::keyClicks(f, fields[i]);
  }
  Settle();
}

void GuiHarness::Choose(int id, int index) {
  auto* box = qobject_cast<QComboBox*>(Widget(id));
  if (!box) return;
  // A click gives the drop-down list the focus and opens it; Escape closes it again, then the
  // arrow keys walk the closed list from its first item, as a keyboard user would.
  QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
  QApplication::processEvents();
  if (QWidget* popup = QApplication::activePopupWidget()) QTest::keyClick(popup, Qt::Key_Escape);
  QApplication::processEvents();
  QTest::keyClick(box, Qt::Key_Home);
  for (int i = 0; i < index; ++i) QTest::keyClick(box, Qt::Key_Down);
  Settle();
}

void GuiHarness::ClickRow(int id, int row) {
  auto* list = qobject_cast<QListWidget*>(Widget(id));
  if (!list || row >= list->count()) return;
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(row)).center());
  Settle();
}

void GuiHarness::DoubleClickRow(int id, int row) {
  auto* list = qobject_cast<QListWidget*>(Widget(id));
  if (!list || row >= list->count()) return;
  const QPoint at = list->visualItemRect(list->item(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  Settle();
}

void GuiHarness::Key(int qtKey) {
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : View();
  QTest::keyClick(target, static_cast<Qt::Key>(qtKey));
  Settle();
}

bool GuiHarness::WithPrompt(const std::function<void()>& action,
                            const std::function<void(QWidget*)>& answer) {
  bool seen = false;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (QWidget* prompt = host_->ActivePrompt(); prompt && prompt->isVisible() && !seen) {
      seen = true;
      timer.stop();
      if (answer) answer(prompt);
    }
  });
  timer.start();
  action();
  Settle(30);
  timer.stop();
  return seen;
}

bool GuiHarness::RightClick(QPoint client, const std::function<void(QWidget*)>& answer) {
  return WithPrompt(
      [&] {
        QWidget* target = View()->childAt(client);
        if (!target) target = View();
        QTest::mousePress(target, Qt::RightButton, {}, target->mapFrom(View(), client));
        QTest::mouseRelease(target, Qt::RightButton, {}, target->mapFrom(View(), client));
        Settle();
      },
      answer);
}

void GuiHarness::SearchAndRead() {
  Click(IDC_BTN_SEARCH);
  Settle(50);
  ClickRow(IDC_LIST_DEVICES, 0);
  Click(IDC_BTN_GET_PARAMS);
  Settle(50);
}

std::string GuiHarness::Screenshot(const std::string& name) {
  const char* bin = std::getenv("KESTRIVAL_BINARY_DIR");
  std::filesystem::path dir = std::filesystem::path(bin ? bin : ".") / "screenshots";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / (name + ".png")).string();
  View()->grab().save(QString::fromStdString(path), "PNG");
  return path;
}

}  // namespace gui_testing
