// The widgets of the desktop host: the dialog's client area and the controls that are not plain
// Qt widgets (the IP address control, the status bar). Internal to platform/qt.
#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "platform/Window.h"

namespace platform::qt {

class QtHost;

// Four number fields with dots between, digits only, each 0 to 255 or blank.
class IpAddressWidget : public QFrame {
 public:
  explicit IpAddressWidget(QWidget* parent);
  void SetFields(const Window::IpFields& fields);
  Window::IpFields Fields() const;
  QLineEdit* Field(int i) const { return fields_[static_cast<std::size_t>(i)]; }
  // Called after the user changed a field.
  std::function<void()> onEdited;
  void setFont(const QFont& font);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  std::array<QLineEdit*, 4> fields_{};
  std::array<QLabel*, 3> dots_{};
};

// The two-part status bar: each part a sunken panel from the previous edge to its right edge
// (-1: the right end of the bar).
class StatusBarWidget : public QWidget {
 public:
  explicit StatusBarWidget(QWidget* parent);
  void SetParts(const std::vector<int>& edges, const std::vector<QString>& texts);
  QLabel* Part(int i) const;
  void setFont(const QFont& font);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();
  std::vector<int> edges_;
  std::vector<QLabel*> parts_;
};

// The dialog's client area: one widget per control of the model, at its template rectangle.
class DialogView : public QWidget {
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
  struct Entry {
    Window* model;
    QWidget* widget;
    unsigned long long version;
    std::pair<int, int> editSel;
  };
  void CreateControls();
  QWidget* CreateWidget(Window& w);
  void SyncControl(Entry& c);
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
  std::vector<Entry> controls_;
  std::map<const FontObject*, QFont> fonts_;
  QFont dialogFont_;
  unsigned long long version_ = ~0ull;
  Window* lastFocus_ = nullptr;
  bool syncing_ = false;
  QMetaObject::Connection focusConnection_;
};

}  // namespace platform::qt
