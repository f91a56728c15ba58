// The widgets of the desktop host: the dialog's client area (DialogView), the view of each control
// (ControlViews.h) and the controls that are not plain Qt widgets (IpAddressWidget.h,
// StatusBarWidget.h). Internal to platform/qt.
#pragma once

#include <QFont>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/Window.h"
#include "platform/qt/ControlViews.h"
#include "platform/qt/IpAddressWidget.h"
#include "platform/qt/StatusBarWidget.h"

namespace platform::qt {

class QtHost;

// The dialog's client area: one widget per control of the model, at its template rectangle.
class DialogView : public QWidget, private InputSink {
 public:
  DialogView(QtHost& host, HWND dialog);
  ~DialogView() override;

  // Brings every widget in line with the model (only what changed since the last call).
  void Sync(bool force = false);
  QWidget* Control(int id) const;
  QWidget* WidgetFor(const Window* control) const;
  QWidget* StatusPart(int part) const;
  HWND Model() const { return dialog_; }
  bool Syncing() const { return syncing_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Report(const std::function<void(HWND dialog)>& input) override;
  void CreateControls();
  void SyncControl(ControlView& view);
  void WatchTree(QWidget* widget);
  QFont FontOf(HFONT font);
  // The control whose widget holds `widget`, or nullptr.
  Window* ControlOf(QWidget* widget) const;
  void OnFocusChanged(QWidget* now);
  void RightPress(QPoint client);
  bool HandleKey(int key);
  void Input();

  QtHost& host_;
  HWND dialog_;
  std::vector<std::unique_ptr<ControlView>> controls_;
  std::map<const FontObject*, QFont> fonts_;
  QFont dialogFont_;
  unsigned long long version_ = ~0ull;
  Window* lastFocus_ = nullptr;
  bool syncing_ = false;
  QMetaObject::Connection focusConnection_;
};

}  // namespace platform::qt
