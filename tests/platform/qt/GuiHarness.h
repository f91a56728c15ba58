// The real main dialog in the desktop window on Qt's offscreen platform, on a virtual segment with
// the three demo readers. Tests act through the widgets (QTest mouse and key events) and read the
// window model, the widgets and the datagrams that went onto the segment.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KestrivalDlg.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/net/VirtualSegment.h"
#include "platform/qt/QtHost.h"
#include "sim/VirtualReader.h"
#include "tests/support/DialogHarness.h"

class QWidget;
class QApplication;

namespace gui_testing {

// The one QApplication of the test program (offscreen unless QT_QPA_PLATFORM says otherwise).
QApplication& App();

// Every datagram the tool sent, as "port: hex" lines.
using WireLog = std::vector<std::string>;

class GuiHarness {
 public:
  explicit GuiHarness(bool withReaders = true);
  ~GuiHarness();

  CKestrivalDlg& Dlg() { return *dialog_; }
  HWND Window() const { return dialog_->m_hWnd; }
  platform::Window* Model(int id) const { return Window()->Child(id); }
  platform::qt::QtHost& Host() { return *host_; }
  QWidget* Widget(int id) const { return host_->ControlWidget(id); }
  QWidget* WidgetOf(const platform::Window* control) const { return host_->WidgetFor(control); }
  QWidget* View() const { return host_->View(); }
  SIZE Base() const { return host_->DialogBaseUnits(); }

  // Lets Qt and the dialog's loop run until nothing is left (and at least `ms` milliseconds).
  void Settle(int ms = 0);

  // User actions through the widgets; each settles afterwards.
  void Click(int id);
  void TypeInto(int id, const QString& text);  // focuses the edit, selects all, types
  void Choose(int id, int index);              // opens the drop-down list and clicks the item
  void ClickRow(int id, int row);
  void DoubleClickRow(int id, int row);
  void TypeIp(int id, const QStringList& fields);
  void FocusWidget(int id);  // a click into the control
  void Key(int qtKey);       // to the focused widget
  // A right-button press at a client point; `answer` runs on the popup menu (or message box)
  // while it is open (nullptr: none expected). Returns whether a popup was open.
  bool RightClick(QPoint client, const std::function<void(QWidget*)>& answer);
  // Runs `answer` on the next prompt (message box or popup) while `action` waits for it.
  bool WithPrompt(const std::function<void()>& action, const std::function<void(QWidget*)>& answer);

  // Search, select the first line, get its parameters.
  void SearchAndRead();

  std::string Status(int part) const { return Model(IDC_STATUS_BAR)->PartText(part); }
  const WireLog& Wire() const { return wire_; }
  void ClearWire() { wire_.clear(); }
  const testing_support::TempFolder& Folder() const { return folder_; }
  std::vector<std::unique_ptr<sim::VirtualReader>>& Readers() { return readers_; }

  // Saves the window as <build>/screenshots/<name>.png; returns the path.
  std::string Screenshot(const std::string& name);

 private:
  testing_support::TempFolder folder_;
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost* toolHost_;
  std::vector<std::unique_ptr<sim::VirtualReader>> readers_;
  platform::MessageLoop loop_;
  std::unique_ptr<platform::qt::QtHost> host_;
  platform::Runtime runtime_;
  std::unique_ptr<platform::ScopedRuntime> scoped_;
  std::vector<std::string> trace_;
  WireLog wire_;
  std::unique_ptr<CKestrivalDlg> dialog_;
};

// The same log from a headless run: the tool's datagrams as "port: hex" lines.
std::string WireLine(const platform::net::WireDatagram& d);

}  // namespace gui_testing
