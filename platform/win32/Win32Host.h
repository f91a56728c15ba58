// The Windows host: draws the window model of a dialog with native controls and reports what the
// user does through platform/UserInput.h, as the Qt host does. The model decides everything;
// after every delivered message the native controls are brought back in line with it. The loop
// sleeps in MsgWaitForMultipleObjectsEx until a native message, a socket's event (a datagram), a
// posted message or the network's next due time (a simulated reader's reply) wakes it, and at
// most a second when idle; only a socket without a wait handle would be polled.
//
//   platform::MessageLoop loop;
//   platform::win32::Win32Host host(loop);   // runtime.host = &host
//
// This file is on the project's side: it never includes the real Windows headers, and speaks to
// the native windows through platform/win32/NativeWindow.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "platform/win32/NativeWindow.h"

namespace platform {

class MessageLoop;
class Window;

namespace win32 {

class Win32Host final : public Host {
 public:
  explicit Win32Host(MessageLoop& loop);
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  // Shows the dialog's window and runs the native loop until the dialog has ended.
  void RunModal(CDialog& dialog) override;
  int MessageBox(const std::string& text, UINT type) override;
  UINT TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND owner) override;
  // The system's Open or Save As dialog; the model's messages wait until it has closed.
  std::optional<std::string> ChooseFile(const FileChoice& choice, HWND owner) override;
  // Measured from the dialog font as Windows does: average width of the Latin letters, height.
  SIZE DialogBaseUnits() const override { return baseUnits_; }
  POINT ClientOrigin(HWND dialog) const override;

  // The window of a dialog that was created without a modal loop (tests). RunModal calls it.
  void Show(CDialog& dialog);
  // Removes the window (the model stays).
  void Hide();
  // Delivers every posted message and due socket notification, then redraws what changed.
  // Does nothing while a message is being handled (a nested menu or message box loop).
  void Deliver();
  // Runs the native loop, delivering, until done() holds or timeoutMs has passed (-1: no limit).
  // Returns done().
  bool RunUntil(const std::function<bool()>& done, int timeoutMs);
  // True when the last sleep was a poll of a socket without a wait handle.
  bool Polling() const { return polling_; }
  // The longest sleep of the loop now: 0 with messages waiting, a few milliseconds while polling,
  // else until the network's next due time, at most one second.
  int SleepMs();
  // True while a message box, popup menu or file chooser of this host is open.
  bool PromptOpen() const { return prompts_ > 0; }

  // What the native controls show, for tests (labels without identifier share the id -1: ask by
  // model control). Texts are UTF-16 as the controls hold them.
  std::intptr_t DialogHandle() const;
  std::intptr_t ControlHandle(const Window* control) const;
  std::intptr_t ControlHandle(int id) const;
  std::u16string NativeTitle() const;
  std::u16string NativeText(const Window* control) const;
  std::u16string NativeText(int id) const;
  std::vector<std::u16string> NativeItems(const Window* control) const;
  int NativeSelection(const Window* control) const;
  std::u16string NativeStatusText(int part) const;
  std::array<int, 4> NativeIp(const Window* control) const;
  // The control's rectangle in the client area, and its font.
  RECT NativeRect(const Window* control) const;
  RECT NativeClientRect() const;
  FontSpec NativeFont(const Window* control) const;
  // The model's control whose native window has the keyboard focus, or nullptr.
  const Window* NativeFocus() const;

 private:
  class View;
  MessageLoop& loop_;
  FontSpec dialogFont_;
  SIZE baseUnits_;
  CDialog* dialog_ = nullptr;
  std::unique_ptr<View> view_;
  bool dispatching_ = false;
  bool polling_ = false;
  int prompts_ = 0;
};

}  // namespace win32
}  // namespace platform
