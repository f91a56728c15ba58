// Real Windows headers only: the project's windef.h would clash with them.
#include "platform/win32/NativeWindow.h"

// <windows.h> (through NativeControls.h) must come before <commdlg.h>.
#include "platform/win32/NativeControls.h"
// clang-format off
#include <commdlg.h>
// clang-format on

#include <algorithm>
#include <cstring>

namespace platform::win32 {
namespace {

const wchar_t kDialogClass[] = L"KestrivalDialog";

// File names are UTF-8 on the project's side.
std::wstring WideFromUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8FromWide(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  out.pop_back();  // the NUL
  return out;
}

void RegisterOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    INITCOMMONCONTROLSEX init{
        sizeof(INITCOMMONCONTROLSEX),
        ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_3DFACE + 1));
    wc.lpszClassName = kDialogClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

// An icon of one picture: a 32-bit top-down DIB with straight alpha and a mask from it.
HICON IconOf(const IconPictureSpec& picture) {
  const int s = picture.size;
  if (s <= 0 || picture.argb.size() < static_cast<std::size_t>(s) * static_cast<std::size_t>(s))
    return nullptr;
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = s;
  header.bV5Height = -s;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&header),
                                   DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!color || !bits) return nullptr;
  std::memcpy(bits, picture.argb.data(),
              static_cast<std::size_t>(s) * static_cast<std::size_t>(s) * 4);
  // The AND mask: 1 where the picture is fully transparent; rows padded to 16 bits.
  const int stride = ((s + 15) / 16) * 2;
  std::vector<BYTE> mask(static_cast<std::size_t>(stride) * static_cast<std::size_t>(s), 0);
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x)
      if ((picture.argb[static_cast<std::size_t>(y * s + x)] >> 24) == 0)
        mask[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
  HBITMAP maskBitmap = CreateBitmap(s, s, 1, 1, mask.data());
  ICONINFO info{TRUE, 0, 0, maskBitmap, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(maskBitmap);
  DeleteObject(color);
  return icon;
}

// The picture of the size wanted, or the smallest larger one, or the largest.
const IconPictureSpec* PictureFor(const std::vector<IconPictureSpec>& pictures, int size) {
  const IconPictureSpec* best = nullptr;
  for (const auto& p : pictures) {
    if (p.size <= 0) continue;
    if (!best) {
      best = &p;
      continue;
    }
    const bool fits = p.size >= size;
    const bool bestFits = best->size >= size;
    if ((fits && (!bestFits || p.size < best->size)) || (!fits && !bestFits && p.size > best->size))
      best = &p;
  }
  return best;
}

class DialogWindow final : public NativeDialog {
 public:
  DialogWindow(const DialogSpec& spec, NativeEvents& events)
      : events_(events), context_{events, fonts_, nullptr} {
    RegisterOnce(&DialogWindow::Procedure);
    // Not WS_CLIPCHILDREN: group boxes draw no interior, the dialog's background shows through.
    const DWORD style = spec.style & 0xFFFF0000u & ~static_cast<DWORD>(WS_VISIBLE);
    const DWORD exStyle = spec.exStyle | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, spec.clientWidth, spec.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int w = static_cast<int>(frame.right - frame.left);
    const int h = static_cast<int>(frame.bottom - frame.top);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = static_cast<int>(work.left) +
                  std::max(0, (static_cast<int>(work.right - work.left) - w) / 2);
    const int y = static_cast<int>(work.top) +
                  std::max(0, (static_cast<int>(work.bottom - work.top) - h) / 2);
    const std::wstring title = Wide(spec.title);
    hwnd_ = CreateWindowExW(exStyle, kDialogClass, title.c_str(), style, x, y, w, h, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
    context_.parent = hwnd_;
  }

  ~DialogWindow() override {
    views_.clear();
    if (hwnd_) {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
    if (iconBig_) DestroyIcon(iconBig_);
    if (iconSmall_) DestroyIcon(iconSmall_);
  }

  HWND Hwnd() const { return hwnd_; }

  int AddControl(const ControlSpec& spec) override {
    const int index = static_cast<int>(views_.size());
    views_.push_back(MakeControlView(context_, index, spec));
    // A new child goes beneath its siblings: the group boxes go beneath it again.
    for (const auto& v : views_)
      if (v->SitsBelow())
        SetWindowPos(v->Hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return index;
  }
  int ControlCount() const override { return static_cast<int>(views_.size()); }

  void Apply(int control, const ControlState& state) override {
    if (ControlView* v = View(control)) v->Apply(state);
  }

  void SetTitle(const std::string& title) override {
    const std::wstring want = Wide(title);
    if (WindowText(hwnd_) != want) SetWindowTextW(hwnd_, want.c_str());
  }

  void SetIcon(const std::vector<IconPictureSpec>& pictures) override {
    if (pictures == icon_) return;
    icon_ = pictures;
    HICON big = nullptr;
    HICON small = nullptr;
    if (const IconPictureSpec* p = PictureFor(pictures, GetSystemMetrics(SM_CXICON)))
      big = IconOf(*p);
    if (const IconPictureSpec* p = PictureFor(pictures, GetSystemMetrics(SM_CXSMICON)))
      small = IconOf(*p);
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (iconBig_) DestroyIcon(iconBig_);
    if (iconSmall_) DestroyIcon(iconSmall_);
    iconBig_ = big;
    iconSmall_ = small;
  }

  void Show(bool visible) override {
    if (Visible() == visible) return;
    const SyncScope scope(context_);
    ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
    if (visible) {
      SetForegroundWindow(hwnd_);
      UpdateWindow(hwnd_);
    }
    lastFocus_ = GetFocus();
  }
  bool Visible() const override { return IsWindowVisible(hwnd_) != FALSE; }

  void FocusControl(int control) override {
    ControlView* v = View(control);
    if (!v) return;
    const SyncScope scope(context_);
    if (ViewOf(GetFocus()) != v) SetFocus(v->Hwnd());
    lastFocus_ = GetFocus();
    savedFocus_ = lastFocus_;
  }
  int FocusedControl() const override {
    const ControlView* v = ViewOf(GetFocus());
    return v ? v->Index() : -1;
  }

  std::pair<int, int> ClientOrigin() const override {
    POINT p{0, 0};
    ClientToScreen(hwnd_, &p);
    return {p.x, p.y};
  }
  Rect ClientRect() const override {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return Rect{r.left, r.top, r.right, r.bottom};
  }

  std::intptr_t Handle() const override { return reinterpret_cast<std::intptr_t>(hwnd_); }
  std::intptr_t ControlHandle(int control) const override {
    const ControlView* v = View(control);
    return v ? reinterpret_cast<std::intptr_t>(v->Hwnd()) : 0;
  }
  std::u16string Title() const override { return ToU16(WindowText(hwnd_)); }
  std::u16string Text(int control) const override {
    const ControlView* v = View(control);
    return v ? ToU16(v->Text()) : std::u16string();
  }
  std::vector<std::u16string> Items(int control) const override {
    std::vector<std::u16string> out;
    if (const ControlView* v = View(control))
      for (const auto& item : v->Items()) out.push_back(ToU16(item));
    return out;
  }
  int Selection(int control) const override {
    const ControlView* v = View(control);
    return v ? v->Selection() : -1;
  }
  std::u16string PartText(int control, int part) const override {
    const ControlView* v = View(control);
    return v ? ToU16(v->PartText(part)) : std::u16string();
  }
  std::array<int, 4> IpFields(int control) const override {
    const ControlView* v = View(control);
    return v ? v->IpFields() : std::array<int, 4>{-1, -1, -1, -1};
  }
  Rect ControlRect(int control) const override {
    const ControlView* v = View(control);
    if (!v) return {};
    RECT r{};
    GetWindowRect(v->Hwnd(), &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return Rect{r.left, r.top, r.right, r.bottom};
  }
  FontSpec ControlFont(int control) const override {
    const ControlView* v = View(control);
    if (!v) return {};
    auto font = reinterpret_cast<HFONT>(SendMessageW(v->FontWindow(), WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (!font || GetObjectW(font, sizeof lf, &lf) == 0) return {};
    FontSpec out;
    out.face = Narrow(lf.lfFaceName);
    out.height = static_cast<int>(lf.lfHeight);
    out.width = static_cast<int>(lf.lfWidth);
    out.weight = static_cast<int>(lf.lfWeight);
    out.charset = lf.lfCharSet;
    out.pitchAndFamily = lf.lfPitchAndFamily;
    return out;
  }

  // Keys and the right button of the dialog, before the native controls see them: Enter and Esc
  // go to the model (unless an open drop-down list takes them), as does a right-button press
  // anywhere in the window (the model decides whether a control takes it); then the dialog
  // keyboard handling (Tab in template order). True when the message was taken.
  bool PreTranslate(MSG& msg) {
    if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
    switch (msg.message) {
      case WM_KEYDOWN:
        if (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) {
          if (const ControlView* v = ViewOf(msg.hwnd); v && v->WantsDialogKeys()) break;
          if (msg.wParam == VK_RETURN)
            events_.KeyEnter();
          else
            events_.KeyEscape();
          return true;
        }
        break;
      case WM_CHAR:
        // The character of an Enter or Esc taken above.
        if (msg.wParam == L'\r' || msg.wParam == 0x1B) {
          if (const ControlView* v = ViewOf(msg.hwnd); !v || !v->WantsDialogKeys()) return true;
        }
        break;
      case WM_RBUTTONDOWN: {
        POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        MapWindowPoints(msg.hwnd, hwnd_, &p, 1);
        events_.RightButton(p.x, p.y);
        return true;
      }
      case WM_RBUTTONUP:
      case WM_RBUTTONDBLCLK:
        return true;  // no native context menu: the model had the press
      default:
        break;
    }
    return IsDialogMessageW(hwnd_, &msg) != FALSE;
  }

  // Reports a focus change that the user made (a click, Tab) to the model.
  void CheckFocus() {
    HWND now = GetFocus();
    if (now == lastFocus_) return;
    lastFocus_ = now;
    ControlView* v = ViewOf(now);
    if (!v) return;
    savedFocus_ = now;
    if (!context_.syncing) events_.FocusGained(v->Index());
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == hwnd) return self->Handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND: {
        ControlView* v = lParam ? DirectView(reinterpret_cast<HWND>(lParam)) : nullptr;
        if (context_.syncing) return 0;
        if (v) {
          v->Command(HIWORD(wParam));
        } else if (LOWORD(wParam) == IDOK) {
          events_.KeyEnter();  // the dialog manager's Enter
        } else if (LOWORD(wParam) == IDCANCEL) {
          events_.KeyEscape();
        }
        return 0;
      }
      case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!header || context_.syncing) return 0;
        if (ControlView* v = DirectView(header->hwndFrom)) v->Notify(*header);
        return 0;
      }
      case WM_CLOSE:
        events_.CloseBox();  // the window goes when the model has ended
        return 0;
      case WM_SIZE:
        if (wParam == SIZE_MINIMIZED && !iconic_) {
          iconic_ = true;
          events_.Minimized(true);
        } else if ((wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) && iconic_) {
          iconic_ = false;
          events_.Minimized(false);
        }
        return 0;
      case WM_ACTIVATE:
        // A plain window does not keep its focused control across activation; a dialog does.
        if (LOWORD(wParam) == WA_INACTIVE) {
          if (ViewOf(GetFocus())) savedFocus_ = GetFocus();
        } else if (!HIWORD(wParam)) {
          RestoreFocus();
        }
        return 0;
      case WM_SETFOCUS:
        RestoreFocus();
        return 0;
      case WM_CONTEXTMENU:
        return 0;
      default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
  }

  void RestoreFocus() {
    if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_) &&
        IsWindowEnabled(savedFocus_))
      SetFocus(savedFocus_);
  }

  ControlView* View(int control) const {
    if (control < 0 || control >= static_cast<int>(views_.size())) return nullptr;
    return views_[static_cast<std::size_t>(control)].get();
  }
  ControlView* DirectView(HWND window) const {
    for (const auto& v : views_)
      if (v->Hwnd() == window) return v.get();
    return nullptr;
  }
  // The control whose window is `window` or holds it (the fields of an IP address control).
  ControlView* ViewOf(HWND window) const {
    for (HWND w = window; w && w != hwnd_; w = GetParent(w))
      if (ControlView* v = DirectView(w)) return v;
    return nullptr;
  }

  NativeEvents& events_;
  FontCache fonts_;
  ViewContext context_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<ControlView>> views_;
  HWND lastFocus_ = nullptr;
  HWND savedFocus_ = nullptr;
  std::vector<IconPictureSpec> icon_;
  HICON iconBig_ = nullptr;
  HICON iconSmall_ = nullptr;
  bool iconic_ = false;
};

HWND HwndOf(NativeDialog* dialog) {
  return dialog ? static_cast<DialogWindow*>(dialog)->Hwnd() : nullptr;
}

}  // namespace

FontSpec DialogFontSpec(const std::string& face, int points) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  FontSpec spec;
  spec.face = face;
  spec.height = -MulDiv(points, dpi > 0 ? dpi : 96, 72);
  spec.weight = FW_NORMAL;
  spec.charset = DEFAULT_CHARSET;
  return spec;
}

std::pair<int, int> MeasureBaseUnits(const FontSpec& spec) {
  HFONT font = CreateFontFor(spec);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  static const wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE extent{};
  GetTextExtentPoint32W(dc, kLetters, 52, &extent);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  const int cx = static_cast<int>((extent.cx / 26 + 1) / 2);
  const int cy = static_cast<int>(metrics.tmHeight);
  return {cx > 0 ? cx : 6, cy > 0 ? cy : 13};
}

std::unique_ptr<NativeDialog> CreateNativeDialog(const DialogSpec& spec, NativeEvents& events) {
  return std::make_unique<DialogWindow>(spec, events);
}

int ShowMessageBox(NativeDialog* owner, const std::string& text, const std::string& caption,
                   unsigned type) {
  const std::wstring t = Wide(text);
  const std::wstring c = Wide(caption);
  return MessageBoxW(HwndOf(owner), t.c_str(), c.c_str(), type);
}

unsigned ShowPopupMenu(NativeDialog* owner, const std::vector<MenuItemSpec>& items, int x, int y,
                       unsigned flags) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  for (const auto& item : items) {
    const std::wstring text = Wide(item.text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    if (item.separator) {
      info.fMask = MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_SEPARATOR;
      info.wID = item.id;
      InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
      continue;
    }
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
    info.fType = MFT_STRING | (item.radio ? MFT_RADIOCHECK : 0);
    info.fState = (item.checked ? MFS_CHECKED : MFS_UNCHECKED) | (item.enabled ? 0 : MFS_GRAYED);
    info.wID = item.id;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
  }
  HWND window = HwndOf(owner);
  if (window) SetForegroundWindow(window);
  const BOOL chosen = TrackPopupMenuEx(menu, flags | TPM_RETURNCMD | TPM_NONOTIFY, x, y,
                                       window ? window : GetDesktopWindow(), nullptr);
  if (window) PostMessageW(window, WM_NULL, 0, 0);  // the menu closes cleanly (KB135788)
  DestroyMenu(menu);
  return static_cast<unsigned>(chosen);
}

std::optional<std::string> ShowFileDialog(NativeDialog* owner, const FileDialogSpec& spec) {
  // Pairs of a name and its patterns, each ended by a NUL, the list by one more.
  std::wstring patterns = WideFromUtf8(spec.pattern);
  std::replace(patterns.begin(), patterns.end(), L' ', L';');
  std::wstring filter;
  const auto add = [&filter](const std::wstring& name, const std::wstring& pattern) {
    filter += name + L" (" + pattern + L")";
    filter.push_back(L'\0');
    filter += pattern;
    filter.push_back(L'\0');
  };
  if (!patterns.empty()) add(spec.filterName.empty() ? patterns : Wide(spec.filterName), patterns);
  add(Wide(spec.allFilesName), L"*.*");
  filter.push_back(L'\0');
  // "*.json": a name typed without an extension gets it.
  std::wstring extension;
  if (patterns.size() > 2 && patterns.compare(0, 2, L"*.") == 0 &&
      patterns.find_first_of(L";*", 2) == std::wstring::npos)
    extension = patterns.substr(2);

  std::wstring file(32768, L'\0');
  if (spec.save) {
    const std::wstring suggested = WideFromUtf8(spec.suggestedName);
    std::copy_n(suggested.begin(), std::min(suggested.size(), file.size() - 1), file.begin());
  }
  const std::wstring title = Wide(spec.title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = HwndOf(owner);
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (spec.save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
  const BOOL chosen = spec.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen || file[0] == L'\0') return std::nullopt;  // cancelled, or the dialog failed
  return Utf8FromWide(file.c_str());
}

void RunLoop(NativeDialog* dialog, const LoopHooks& hooks, int maxMs) {
  auto* window = static_cast<DialogWindow*>(dialog);
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    if (window) window->CheckFocus();  // a focus moved outside this loop (SetFocus, a prompt)
    hooks.deliver();
    if (hooks.done()) return;
    int timeout = hooks.timeoutMs();
    if (maxMs >= 0) {
      const auto passed = static_cast<long long>(GetTickCount64() - start);
      if (passed >= maxMs) return;
      timeout = static_cast<int>(std::min<long long>(timeout, maxMs - passed));
    }
    std::vector<HANDLE> handles;
    for (std::intptr_t h : hooks.waits()) {
      if (handles.size() + 1 >= MAXIMUM_WAIT_OBJECTS) break;
      handles.push_back(reinterpret_cast<HANDLE>(h));
    }
    MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                static_cast<DWORD>(std::max(timeout, 0)), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    MSG msg;
    // A bounded batch: the model's messages wait no longer than 64 native ones.
    for (int n = 0; n < 64 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++n) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      if (!window || !window->PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      if (window) window->CheckFocus();
    }
  }
}

}  // namespace platform::win32
