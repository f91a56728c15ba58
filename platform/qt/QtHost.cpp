#include "platform/qt/QtHost.h"

#include <QActionGroup>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <limits>
#include <map>
#include <set>

#include "platform/FileChooser.h"
#include "platform/MessageLoop.h"
#include "platform/afxwin.h"
#include "platform/kernel.h"
#include "platform/qt/QtViews.h"

namespace platform::qt {
namespace {

// The Windows faces the tool names, and the metric-compatible families Debian ships.
const char* FamilyFor(const std::string& face) {
  std::string f;
  for (char c : face) f += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (f == "times new roman") return "Liberation Serif";
  if (f == "courier new" || f == "courier") return "Liberation Mono";
  // Arial, MS Shell Dlg (2), Microsoft Sans Serif, Tahoma and anything unknown.
  return "Liberation Sans";
}

// Chinese text falls back to this family.
const char* const kCjkFamily = "WenQuanYi Micro Hei";

QFont FamilyFont(const std::string& face) {
  QFont font(FamilyFor(face));
  font.setFamilies({FamilyFor(face), kCjkFamily});
  font.setStyleHint(QFont::SansSerif);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// Dialog templates give points; the tool's pixel sizes assume 96 dots per inch.
constexpr int kDpi = 96;

// The buttons of a MessageBox type (the low four bits).
QMessageBox::StandardButtons ButtonsFor(UINT type) {
  switch (type & 0xF) {
    case 1:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case 2:
      return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4:
      return QMessageBox::Yes | QMessageBox::No;
    case 5:
      return QMessageBox::Retry | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

int ResultFor(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return IDOK;
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Abort:
      return 3;
    case QMessageBox::Retry:
      return 4;
    case QMessageBox::Ignore:
      return 5;
    case QMessageBox::Yes:
      return 6;
    case QMessageBox::No:
      return 7;
    default:
      return IDCANCEL;
  }
}

QMessageBox::Icon IconOfType(UINT type) {
  switch (type & 0xF0) {
    case 0x10:
      return QMessageBox::Critical;
    case 0x20:
      return QMessageBox::Question;
    case 0x30:
      return QMessageBox::Warning;
    case 0x40:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

QFont FontFor(const FontObject& object) {
  QFont font = FamilyFont(object.face);
  int height = object.height;
  if (height < 0) {
    font.setPixelSize(-height);  // character height: the em square
  } else if (height > 0) {
    // Cell height (ascent + descent): scale the em so that the cell has that height.
    QFont probe = font;
    probe.setPixelSize(100);
    const qreal cell100 = QFontMetricsF(probe).ascent() + QFontMetricsF(probe).descent();
    font.setPixelSize(std::max(1, qRound(height * 100.0 / std::max<qreal>(cell100, 1.0))));
  } else {
    font.setPixelSize(12);
  }
  const int weight = object.weight <= 0 ? 400 : std::clamp(object.weight, 1, 1000);
  font.setWeight(static_cast<QFont::Weight>(weight));
  return font;
}

QFont DialogFont() {
  QFont font = FamilyFont("MS Shell Dlg");
  font.setPixelSize((9 * kDpi + 36) / 72);  // 9 points: 12 pixels
  return font;
}

QImage IconPictureImage(const IconPicture& picture) {
  QImage image(picture.size, picture.size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  const std::size_t n =
      static_cast<std::size_t>(picture.size) * static_cast<std::size_t>(picture.size);
  if (picture.size <= 0 || picture.argb.size() < n) return image;
  for (int y = 0; y < picture.size; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < picture.size; ++x)
      row[x] = picture.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.size) +
                            static_cast<std::size_t>(x)];
  }
  return image;
}

QIcon IconFor(const IconImage* icon) {
  QIcon out;
  if (!icon) return out;
  for (const auto& p : icon->pictures)
    if (p.size > 0) out.addPixmap(QPixmap::fromImage(IconPictureImage(p)));
  return out;
}

// Qt's loop sleeps until something is due: a posted message (the one-shot timer), a datagram
// (a notifier on the socket's wait handle, enabled only while the socket may notify), the time
// a simulated reader replies (the due timer, the demo's virtual segment), or, for a socket
// without a wait handle, the periodic poll.
struct QtHost::Pump {
  QTimer now;   // one shot, as soon as Qt's loop is free: messages wait
  QTimer due;   // one shot, at the network's next due time
  QTimer poll;  // periodic, only for sockets without a wait handle
  std::map<int, std::unique_ptr<QSocketNotifier>> notifiers;
  QEventLoop* modal = nullptr;
};

QtHost::QtHost(MessageLoop& loop) : loop_(loop), pump_(std::make_unique<Pump>()) {
  // Base units as Windows computes them: the average width of the 52 Latin letters, rounded,
  // and the character cell height.
  const QFontMetrics fm(DialogFont());
  const int letters = fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  baseUnits_ = SIZE{(letters / 26 + 1) / 2, fm.height()};
  pump_->now.setSingleShot(true);
  pump_->now.setInterval(0);
  QObject::connect(&pump_->now, &QTimer::timeout, [this] { Deliver(); });
  pump_->due.setSingleShot(true);
  QObject::connect(&pump_->due, &QTimer::timeout, [this] { Deliver(); });
  pump_->poll.setInterval(5);
  QObject::connect(&pump_->poll, &QTimer::timeout, [this] { Deliver(); });
}

QtHost::~QtHost() {
  Hide();
}

void QtHost::Show(CDialog& dialog) {
  Hide();
  dialog_ = &dialog;
  view_ = std::make_unique<DialogView>(*this, dialog.m_hWnd);
  if (dialog.m_hWnd->ReallyVisible()) view_->show();
  Watch();
  Schedule();
}

void QtHost::Hide() {
  pump_->poll.stop();
  pump_->due.stop();
  pump_->now.stop();
  for (auto& [fd, notifier] : pump_->notifiers) notifier->setEnabled(false);
  view_.reset();
  dialog_ = nullptr;
}

void QtHost::Watch() {
  if (!dialog_) return;
  std::set<int> wanted;
  for (net::WaitHandle handle : loop_.WatchedHandles()) wanted.insert(static_cast<int>(handle));
  for (auto& [fd, notifier] : pump_->notifiers) notifier->setEnabled(wanted.count(fd) > 0);
  for (int fd : wanted) {
    auto& notifier = pump_->notifiers[fd];
    if (notifier) continue;
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { Deliver(); });
    notifier->setEnabled(true);
  }
  if (loop_.NeedsPolling()) {
    if (!pump_->poll.isActive()) pump_->poll.start();
  } else {
    pump_->poll.stop();
  }
  if (const auto due = loop_.NextDue()) {
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(*due - std::chrono::steady_clock::now());
    pump_->due.start(static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
        wait.count(), 0, std::numeric_limits<int>::max())));
  } else {
    pump_->due.stop();
  }
}

void QtHost::Schedule() {
  if (!pump_->now.isActive()) pump_->now.start();
}

void QtHost::Deliver() {
  if (dispatching_) {
    // A handler waits in a menu or message box: it runs to its end first. Until then a waiting
    // datagram must not wake the nested loop again and again.
    for (auto& [fd, notifier] : pump_->notifiers) notifier->setEnabled(false);
    return;
  }
  dispatching_ = true;
  std::size_t n = 0;
  // A bounded batch keeps the window responsive under a flood of datagrams.
  while (n < 256 && loop_.DispatchOne()) ++n;
  dispatching_ = false;
  if (loop_.PendingPosted() > 0) Schedule();
  if (!dialog_) return;
  Watch();
  if (dialog_->Ended()) {
    if (view_) view_->hide();
    if (pump_->modal) pump_->modal->quit();
    return;
  }
  if (view_) {
    view_->Sync();
    if (dialog_->m_hWnd && dialog_->m_hWnd->ReallyVisible() && !view_->isVisible()) view_->show();
  }
}

void QtHost::RunModal(CDialog& dialog) {
  Show(dialog);
  QEventLoop loop;
  pump_->modal = &loop;
  Deliver();
  if (!dialog.Ended()) loop.exec();
  pump_->modal = nullptr;
  Hide();
}

int QtHost::MessageBox(const std::string& text, UINT type) {
  QMessageBox box(view_ ? view_.get() : nullptr);
  std::string title = AfxGetApp() ? AfxGetApp()->m_pszAppName : std::string();
  box.setWindowTitle(QString::fromStdString(AcpToUtf8(title)));
  box.setText(QString::fromStdString(AcpToUtf8(text)));
  box.setIcon(IconOfType(type));
  box.setStandardButtons(ButtonsFor(type));
  box.setFont(DialogFont());
  QWidget* previous = prompt_;
  prompt_ = &box;
  box.exec();
  prompt_ = previous;
  auto* clicked = box.clickedButton();
  QMessageBox::StandardButton b = clicked ? box.standardButton(clicked) : QMessageBox::Cancel;
  if (b == QMessageBox::NoButton) b = QMessageBox::Cancel;
  if ((type & 0xF) == 0) return IDOK;
  return ResultFor(b);
}

UINT QtHost::TrackPopupMenu(const MenuObject& menu, UINT, POINT screen, HWND) {
  QMenu popup(view_ ? view_.get() : nullptr);
  popup.setFont(DialogFont());
  // Each radio group is exclusive; the items outside every group are plain commands.
  std::map<int, QActionGroup*> groups;
  for (const auto& item : menu.items) {
    if (item.separator) {
      popup.addSeparator();
      continue;
    }
    QAction* a = popup.addAction(QString::fromStdString(AcpToUtf8(item.text)));
    a->setData(item.id);
    a->setEnabled(item.enabled);
    a->setCheckable(item.checked || item.group != 0);
    a->setChecked(item.checked);
    if (item.group != 0) {
      QActionGroup*& group = groups[item.group];
      if (!group) {
        group = new QActionGroup(&popup);
        group->setExclusive(true);
      }
      group->addAction(a);
    }
  }
  QWidget* previous = prompt_;
  prompt_ = &popup;
  QAction* chosen = popup.exec(QPoint(screen.x, screen.y));
  prompt_ = previous;
  return chosen ? chosen->data().toUInt() : 0;
}

std::optional<std::string> QtHost::ChooseFile(const FileChoice& choice, HWND) {
  QFileDialog chooser(view_ ? view_.get() : nullptr,
                      QString::fromStdString(AcpToUtf8(choice.title)));
  // Qt's own dialog in every desktop: the same look and the same handling everywhere.
  chooser.setOption(QFileDialog::DontUseNativeDialog, true);
  chooser.setWindowModality(Qt::ApplicationModal);
  chooser.setFont(DialogFont());
  chooser.setAcceptMode(choice.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  chooser.setFileMode(choice.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QStringList filters;
  // Several patterns may be given as Windows does ("*.a;*.b"); Qt separates them by blanks.
  const QString pattern = QString::fromStdString(choice.pattern).replace(';', ' ').trimmed();
  if (!pattern.isEmpty()) {
    const QString name =
        choice.filterName.empty() ? pattern : QString::fromStdString(AcpToUtf8(choice.filterName));
    filters << name + " (" + pattern + ")";
    // "*.json": a name typed without an extension gets it.
    if (pattern.startsWith("*.") && !pattern.contains(' ') && pattern.indexOf('*', 1) < 0)
      chooser.setDefaultSuffix(pattern.mid(2));
  }
  filters << QString::fromStdString(AcpToUtf8(AllFilesName(choice))) + " (*)";
  chooser.setNameFilters(filters);
  if (choice.save && !choice.suggestedName.empty())
    chooser.selectFile(QString::fromStdString(choice.suggestedName));

  // The chooser's loop must not deliver the model's messages: the handler that asked runs to
  // its end first, as in a menu or message box.
  const bool wasDispatching = dispatching_;
  dispatching_ = true;
  QWidget* previous = prompt_;
  prompt_ = &chooser;
  const int result = chooser.exec();
  prompt_ = previous;
  dispatching_ = wasDispatching;
  if (!dispatching_) Schedule();  // what came in meanwhile
  const QStringList chosen = chooser.selectedFiles();
  if (result != QDialog::Accepted || chosen.isEmpty() || chosen.front().isEmpty())
    return std::nullopt;
  return chosen.front().toStdString();
}

POINT QtHost::ClientOrigin(HWND) const {
  if (!view_) return POINT{0, 0};
  QPoint p = view_->mapToGlobal(QPoint(0, 0));
  return POINT{p.x(), p.y()};
}

bool QtHost::Polling() const {
  return pump_->poll.isActive();
}

QWidget* QtHost::View() const {
  return view_.get();
}

QWidget* QtHost::ControlWidget(int id) const {
  return view_ ? view_->Control(id) : nullptr;
}

QWidget* QtHost::WidgetFor(const Window* control) const {
  return view_ ? view_->WidgetFor(control) : nullptr;
}

QWidget* QtHost::StatusPart(int part) const {
  return view_ ? view_->StatusPart(part) : nullptr;
}

}  // namespace platform::qt
