// Real Windows headers only: the project's windef.h would clash with them.
#include "tests/platform/win32/NativeDriver.h"

// <windows.h> must come before the other Windows headers.
// clang-format off
#include <windows.h>
#include <wincodec.h>
// clang-format on

#include <algorithm>
#include <cwchar>
#include <map>
#include <utility>

namespace win32_testing {
namespace {

HWND H(Handle h) {
  return reinterpret_cast<HWND>(h);
}

LPARAM Point(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

std::u16string U16(const std::wstring& s) {
  return std::u16string(s.begin(), s.end());
}

std::wstring TextOf(HWND window) {
  const int n = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(std::max(n, 0)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(window, text.data(), n + 1), 0)));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The prompt the timer looks for, while WithPrompt runs.
struct Watch {
  const std::function<bool(const Prompt&)>* answer = nullptr;
  bool seen = false;
  bool done = false;
  UINT_PTR timer = 0;
};
Watch* watch = nullptr;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  if (IsWindowVisible(window) && ClassOf(window) == L"#32770") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

bool FindPrompt(Prompt* out) {
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (menu && IsWindowVisible(menu)) {
    out->kind = Prompt::Kind::Menu;
    out->window = reinterpret_cast<Handle>(menu);
    auto hmenu = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    const int n = hmenu ? GetMenuItemCount(hmenu) : 0;
    for (int i = 0; i < n; ++i) {
      wchar_t text[256] = {};
      GetMenuStringW(hmenu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
      out->items.push_back(U16(text));
      if (GetMenuState(hmenu, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) out->checked = i;
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE;
      GetMenuItemInfoW(hmenu, static_cast<UINT>(i), TRUE, &info);
      out->separators.push_back((info.fType & MFT_SEPARATOR) != 0);
      out->radioMarks.push_back((info.fType & MFT_RADIOCHECK) != 0);
    }
    return true;
  }
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return false;
  out->kind = Prompt::Kind::Message;
  out->window = reinterpret_cast<Handle>(box);
  if (HWND text = GetDlgItem(box, 0xFFFF)) out->text = U16(TextOf(text));
  return true;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!watch || watch->done) return;
  Prompt prompt;
  if (!FindPrompt(&prompt)) return;
  watch->seen = true;
  if ((*watch->answer)(prompt)) {
    watch->done = true;
    KillTimer(nullptr, watch->timer);
  }
}

std::map<UINT_PTR, std::function<void()>>& Later() {
  static std::map<UINT_PTR, std::function<void()>> later;
  return later;
}

void CALLBACK RunNow(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  auto it = Later().find(timer);
  if (it == Later().end()) return;
  std::function<void()> action = std::move(it->second);
  Later().erase(it);
  action();
}

void PostKey(HWND window, UINT vk) {
  const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageW(window, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
}

template <typename T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

void Click(Handle button) {
  SendMessageW(H(button), BM_CLICK, 0, 0);
}

void ClickAt(Handle window, int x, int y) {
  PostMessageW(H(window), WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
  PostMessageW(H(window), WM_LBUTTONUP, 0, Point(x, y));
}

void DoubleClickAt(Handle window, int x, int y) {
  ClickAt(window, x, y);
  PostMessageW(H(window), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, y));
  PostMessageW(H(window), WM_LBUTTONUP, 0, Point(x, y));
}

void RightClickAt(Handle window, int x, int y) {
  PostMessageW(H(window), WM_RBUTTONDOWN, MK_RBUTTON, Point(x, y));
  PostMessageW(H(window), WM_RBUTTONUP, 0, Point(x, y));
}

void PressCloseBox(Handle window) {
  PostMessageW(H(window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Key(Handle window, unsigned virtualKey) {
  PostKey(H(window), virtualKey);
}

void Type(Handle window, const std::u16string& text) {
  for (char16_t c : text) PostMessageW(H(window), WM_CHAR, static_cast<WPARAM>(c), 1);
}

void SelectAll(Handle edit) {
  SendMessageW(H(edit), EM_SETSEL, 0, -1);
}

void Focus(Handle window) {
  SetFocus(H(window));
}

Handle FocusedWindow() {
  return reinterpret_cast<Handle>(GetFocus());
}

std::vector<Handle> Children(Handle window) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(H(window), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    children.push_back(c);
  std::sort(children.begin(), children.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.left < rb.left;
  });
  std::vector<Handle> out;
  for (HWND c : children) out.push_back(reinterpret_cast<Handle>(c));
  return out;
}

Handle ChildAt(Handle dialog, int x, int y) {
  HWND child = ChildWindowFromPointEx(H(dialog), POINT{x, y}, CWP_SKIPINVISIBLE);
  return reinterpret_cast<Handle>(child ? child : H(dialog));
}

Box ListItemBox(Handle list, int index) {
  RECT r{};
  SendMessageW(H(list), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return Box{r.left, r.top, r.right, r.bottom};
}

Box ClientBox(Handle window) {
  RECT r{};
  GetClientRect(H(window), &r);
  return Box{r.left, r.top, r.right, r.bottom};
}

std::uint32_t Style(Handle window) {
  return static_cast<std::uint32_t>(GetWindowLongW(H(window), GWL_STYLE));
}

bool Visible(Handle window) {
  return IsWindowVisible(H(window)) != FALSE;
}

bool Enabled(Handle window) {
  return IsWindowEnabled(H(window)) != FALSE;
}

bool WithPrompt(const std::function<void()>& action,
                const std::function<bool(const Prompt&)>& answer) {
  Watch w;
  w.answer = &answer;
  Watch* previous = watch;
  watch = &w;
  w.timer = SetTimer(nullptr, 0, 10, Tick);
  action();
  if (!w.done) KillTimer(nullptr, w.timer);
  watch = previous;
  return w.seen;
}

void RunLater(int ms, std::function<void()> action) {
  const UINT_PTR timer = SetTimer(nullptr, 0, static_cast<UINT>(ms), RunNow);
  if (timer) Later()[timer] = std::move(action);
}

void ChooseMenuItem(const Prompt& menu, int index) {
  for (int i = 0; i <= index; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (at >= menu.separators.size() || !menu.separators[at]) PostKey(H(menu.window), VK_DOWN);
  }
  PostKey(H(menu.window), VK_RETURN);
}

void CloseMenu(const Prompt& menu) {
  PostKey(H(menu.window), VK_ESCAPE);
}

void PressButton(const Prompt& box, int id) {
  if (HWND button = GetDlgItem(H(box.window), id)) PostMessageW(button, BM_CLICK, 0, 0);
}

bool AnswerFileDialog(const Prompt& dialog, const std::u16string& path) {
  // The file name is a combo box (cmb13) in the explorer-style dialog, an edit (edt1) in the old.
  HWND name = GetDlgItem(H(dialog.window), 0x47C);
  if (!name) name = GetDlgItem(H(dialog.window), 0x480);
  if (!name) return false;
  const std::wstring wide(path.begin(), path.end());
  SetWindowTextW(name, wide.c_str());
  PostMessageW(H(dialog.window), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

bool SaveScreenshot(Handle window, const std::string& path) {
  RECT r{};
  if (!GetWindowRect(H(window), &r)) return false;
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  SetForegroundWindow(H(window));  // drawn as the active window
  RedrawWindow(H(window), nullptr, nullptr,
               RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != FALSE;
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied || !bits) {
    DeleteObject(bitmap);
    return false;
  }
  // Three bytes a pixel, the format every PNG encoder takes.
  const UINT stride = static_cast<UINT>((w * 3 + 3) & ~3);
  std::vector<BYTE> rgb(static_cast<std::size_t>(stride) * static_cast<std::size_t>(h));
  const auto* src = static_cast<const BYTE*>(bits);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        rgb[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3 +
            static_cast<std::size_t>(c)] =
            src[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(x)) *
                    4 +
                static_cast<std::size_t>(c)];
  DeleteObject(bitmap);

  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapEncoder* encoder = nullptr;
  IWICBitmapFrameEncode* frame = nullptr;
  IPropertyBag2* options = nullptr;
  const int n = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  std::wstring file(static_cast<std::size_t>(std::max(n, 1)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, file.data(), n);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  bool ok =
      SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE)) &&
      SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
      SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
      SUCCEEDED(encoder->CreateNewFrame(&frame, &options)) &&
      SUCCEEDED(frame->Initialize(options)) &&
      SUCCEEDED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))) &&
      SUCCEEDED(frame->SetPixelFormat(&format)) &&
      IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
      SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), stride, static_cast<UINT>(rgb.size()),
                                   rgb.data())) &&
      SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  Release(options);
  Release(frame);
  Release(encoder);
  Release(stream);
  Release(factory);
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

}  // namespace win32_testing
