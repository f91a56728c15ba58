// The native controls of the Win32 host: one small view class per control kind, each making its
// native window, writing the model's state into it (only what differs) and turning its
// notifications into NativeEvents. Real Windows headers only; internal to platform/win32.
#pragma once

// <windows.h> must come before <commctrl.h>.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/NativeWindow.h"

namespace platform::win32 {

// Code page 936 bytes <-> UTF-16, with code page 936 named explicitly (never CP_ACP).
std::wstring Wide(const std::string& cp936);
std::string Narrow(const std::wstring& text);
std::u16string ToU16(const std::wstring& text);
std::wstring WindowText(HWND window);

// The fonts made for the model's font objects, one HFONT per distinct spec, alive as long as the
// dialog.
class FontCache {
 public:
  FontCache() = default;
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  HFONT Get(const FontSpec& spec);

 private:
  std::vector<std::pair<FontSpec, HFONT>> fonts_;
};

HFONT CreateFontFor(const FontSpec& spec);

// What the views share with their dialog.
struct ViewContext {
  NativeEvents& events;
  FontCache& fonts;
  HWND parent;
  // True while the host writes into native controls: their notifications are not the user's.
  bool syncing = false;
};

// Marks the dialog's own writes for the time of a scope.
class SyncScope {
 public:
  explicit SyncScope(ViewContext& context) : context_(context), was_(context.syncing) {
    context_.syncing = true;
  }
  ~SyncScope() { context_.syncing = was_; }
  SyncScope(const SyncScope&) = delete;
  SyncScope& operator=(const SyncScope&) = delete;

 private:
  ViewContext& context_;
  bool was_;
};

class ControlView {
 public:
  ControlView(ViewContext& context, int index, const ControlSpec& spec);
  virtual ~ControlView();
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  HWND Hwnd() const { return hwnd_; }
  int Index() const { return index_; }
  // Writes the state: place, font, the kind's content, enabled, visible.
  void Apply(const ControlState& state);

  // A WM_COMMAND notification or a WM_NOTIFY of this control (never while syncing).
  virtual void Command(UINT) {}
  virtual void Notify(const NMHDR&) {}
  // True while Enter and Esc belong to the control (an open drop-down list).
  virtual bool WantsDialogKeys() const { return false; }
  // Group boxes lie beneath the controls they frame.
  virtual bool SitsBelow() const { return false; }

  virtual std::wstring Text() const { return WindowText(hwnd_); }
  virtual std::vector<std::wstring> Items() const { return {}; }
  virtual int Selection() const { return -1; }
  virtual std::wstring PartText(int) const { return {}; }
  virtual std::array<int, 4> IpFields() const { return {-1, -1, -1, -1}; }
  // The window whose WM_GETFONT tells the font in use.
  virtual HWND FontWindow() const { return hwnd_; }

 protected:
  // Makes the native window (hidden, a child of the dialog, clipped by its siblings).
  void Create(const wchar_t* windowClass, DWORD style, DWORD exStyle);
  virtual void ApplyContent(const ControlState& state) = 0;
  virtual void ApplyFont(HFONT font);
  // Sets the window text when it differs; true when written.
  bool SetTextIfDifferent(const std::string& cp936);

  ViewContext& context_;
  const int index_;
  const ControlSpec spec_;
  HWND hwnd_ = nullptr;

 private:
  Rect rect_{-1, -1, -1, -1};
  FontSpec font_;
  bool fontSet_ = false;
};

// The view for a control kind.
std::unique_ptr<ControlView> MakeControlView(ViewContext& context, int index,
                                             const ControlSpec& spec);

}  // namespace platform::win32
