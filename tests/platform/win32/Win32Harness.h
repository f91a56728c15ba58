// The real main dialog in its native window (the Win32 host) under Wine, on a virtual segment
// with the three demo readers. Tests act through the native controls (NativeDriver.h: the
// messages a mouse and a keyboard give them) and read the window model, the native controls and
// the datagrams that went onto the segment.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KestrivalDlg.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/net/VirtualSegment.h"
#include "platform/win32/Win32Host.h"
#include "sim/VirtualReader.h"
#include "tests/platform/win32/NativeDriver.h"
#include "tests/support/DialogHarness.h"

namespace win32_testing {

// A model text (code page 936) as UTF-16, converted by the project's own code page table.
std::u16string U16(const std::string& acp);

class Win32Harness {
 public:
  explicit Win32Harness(bool withReaders = true);
  ~Win32Harness();

  CKestrivalDlg& Dlg() { return *dialog_; }
  HWND Window() const { return dialog_->m_hWnd; }
  platform::Window* Model(int id) const { return Window()->Child(id); }
  platform::win32::Win32Host& Host() { return *host_; }
  platform::MessageLoop& Loop() { return loop_; }
  SIZE Base() const { return host_->DialogBaseUnits(); }
  Handle Native(int id) const { return host_->ControlHandle(id); }
  Handle NativeOf(const platform::Window* control) const { return host_->ControlHandle(control); }
  Handle NativeDialog() const { return host_->DialogHandle(); }

  // Runs the host's loop until nothing is left (and at least `ms` milliseconds).
  void Settle(int ms = 0);

  // User actions through the native controls; each settles afterwards.
  void Click(int id);
  void TypeInto(int id, const std::u16string& text);  // a click into the edit, all selected, typed
  void ChooseByKeys(int id, int index);               // focus, Home, then Down index times
  void ClickRow(int id, int row);
  void DoubleClickRow(int id, int row);
  void TypeIp(int id, const std::array<std::u16string, 4>& fields);
  void FocusControl(int id);
  void Key(unsigned virtualKey);  // to the focused window
  // A right-button press at a client point; `answer` runs on the popup menu (or message box)
  // while it is open. Returns whether a prompt was open.
  bool RightClick(POINT client, const std::function<bool(const Prompt&)>& answer);
  bool WithPrompt(const std::function<void()>& action,
                  const std::function<bool(const Prompt&)>& answer);

  // Search, select the first line, get its parameters.
  void SearchAndRead();

  std::string Status(int part) const;
  const std::vector<std::string>& Wire() const { return wire_; }
  void ClearWire() { wire_.clear(); }
  const testing_support::TempFolder& Folder() const { return folder_; }

  // Saves the window, frame included, as <dir>/<name>.png, the folder being
  // $KESTRIVAL_SCREENSHOT_DIR or else <build>/screenshots; returns the path ("" on failure).
  std::string Screenshot(const std::string& name);

 private:
  testing_support::TempFolder folder_;
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost* toolHost_;
  std::vector<std::unique_ptr<sim::VirtualReader>> readers_;
  platform::MessageLoop loop_;
  std::unique_ptr<platform::win32::Win32Host> host_;
  platform::Runtime runtime_;
  std::unique_ptr<platform::ScopedRuntime> scoped_;
  std::vector<std::string> trace_;
  std::vector<std::string> wire_;
  std::unique_ptr<CKestrivalDlg> dialog_;
};

}  // namespace win32_testing
