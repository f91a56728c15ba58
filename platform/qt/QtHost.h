// The desktop host: draws the window model of a dialog with Qt 6 Widgets and reports what the user
// does through platform/UserInput.h. The model decides everything; after every delivered message
// the widgets are brought back in line with it. Posted messages and socket notifications run on
// Qt's event loop, one at a time, on the thread of the QApplication.
//
//   QApplication app(argc, argv);
//   platform::MessageLoop loop;
//   platform::qt::QtHost host(loop);   // runtime.host = &host
//
// A QApplication must exist before the host is made.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Host.h"
#include "platform/Resources.h"

class QWidget;
class QIcon;
class QImage;
class QFont;

namespace platform {

class MessageLoop;
struct FontObject;
class Window;

namespace qt {

class DialogView;

// Font families standing in for the Windows faces, with the CJK fallback appended.
QFont FontFor(const FontObject& font);
// The dialog font of the template ("MS Shell Dlg", 9 points at 96 dots per inch).
QFont DialogFont();
// One picture of an icon group as an image, and the whole group as an icon.
QImage IconPictureImage(const IconPicture& picture);
QIcon IconFor(const IconImage* icon);

class QtHost final : public Host {
 public:
  explicit QtHost(MessageLoop& loop);
  ~QtHost() override;
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  // Shows the dialog's window and runs Qt's event loop until the dialog has ended.
  void RunModal(CDialog& dialog) override;
  int MessageBox(const std::string& text, UINT type) override;
  UINT TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND owner) override;
  // Qt's own file dialog, modal; the model's messages wait until it has closed.
  std::optional<std::string> ChooseFile(const FileChoice& choice, HWND owner) override;
  // Measured from the dialog font as Windows does: average width of the Latin letters, height.
  SIZE DialogBaseUnits() const override { return baseUnits_; }
  POINT ClientOrigin(HWND dialog) const override;

  // The window of a dialog that was created without a modal loop (drivers, tests). RunModal
  // calls it itself.
  void Show(CDialog& dialog);
  // Removes the window (the model stays).
  void Hide();
  // Delivers every posted message and due socket notification, then redraws what changed.
  // Does nothing while a message is being handled (a nested menu or message box loop).
  void Deliver();

  // The widgets, for tests: the dialog's client area, a control by identifier (nullptr when the
  // model has none), a status bar part.
  QWidget* View() const;
  QWidget* ControlWidget(int id) const;
  // The widget of one control of the model (labels without identifier share the id -1).
  QWidget* WidgetFor(const Window* control) const;
  QWidget* StatusPart(int part) const;
  // True while the host polls on a timer (only for sockets without a descriptor); otherwise Qt's
  // loop sleeps until a datagram, a posted message or the user wakes it.
  bool Polling() const;
  // The popup menu, message box or file chooser on screen while a handler waits for it, or
  // nullptr.
  QWidget* ActivePrompt() const { return prompt_; }

 private:
  friend class DialogView;
  void Schedule();
  // Brings the socket notifiers and the poll timer in line with the loop's sockets.
  void Watch();
  MessageLoop& loop_;
  SIZE baseUnits_;
  CDialog* dialog_ = nullptr;
  std::unique_ptr<DialogView> view_;
  struct Pump;
  std::unique_ptr<Pump> pump_;
  bool dispatching_ = false;
  QWidget* prompt_ = nullptr;
};

}  // namespace qt
}  // namespace platform
