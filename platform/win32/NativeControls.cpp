// Real Windows headers only: the project's windef.h would clash with them.
#include "platform/win32/NativeControls.h"

#include <algorithm>
#include <cwchar>

namespace platform::win32 {
namespace {

constexpr UINT kGbk = 936;

// Window styles the model's bits carry over (the values are Windows' own).
DWORD TabStop(const ControlSpec& spec) {
  return spec.style & WS_TABSTOP;
}

// A framed edit or list box of a dialog template draws a sunken edge (DS_3DLOOK).
DWORD ClientEdge(const ControlSpec& spec) {
  return (spec.style & WS_BORDER) ? WS_EX_CLIENTEDGE : 0;
}

std::vector<std::wstring> WideAll(const std::vector<std::string>& items) {
  std::vector<std::wstring> out;
  out.reserve(items.size());
  for (const auto& item : items) out.push_back(Wide(item));
  return out;
}

// Push buttons: BN_CLICKED is the user's click.
class ButtonView final : public ControlView {
 public:
  ButtonView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(L"BUTTON", (spec.style & BS_DEFPUSHBUTTON) | TabStop(spec), 0);
  }
  void Command(UINT code) override {
    if (code == BN_CLICKED) context_.events.Clicked(index_);
  }

 private:
  void ApplyContent(const ControlState& state) override { SetTextIfDifferent(state.text); }
};

class GroupBoxView final : public ControlView {
 public:
  GroupBoxView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(L"BUTTON", BS_GROUPBOX, 0);
  }
  bool SitsBelow() const override { return true; }

 private:
  void ApplyContent(const ControlState& state) override { SetTextIfDifferent(state.text); }
};

class LabelView final : public ControlView {
 public:
  LabelView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(L"STATIC", spec.style & (SS_CENTER | SS_RIGHT), 0);
  }

 private:
  void ApplyContent(const ControlState& state) override { SetTextIfDifferent(state.text); }
};

// Edits: every change of the text is the user's typing (EN_CHANGE); leaving the edit is a focus
// change, which the dialog reports.
class EditView final : public ControlView {
 public:
  EditView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(L"EDIT", ES_LEFT | (spec.style & ES_AUTOHSCROLL) | TabStop(spec), ClientEdge(spec));
  }
  void Command(UINT code) override {
    if (code == EN_CHANGE) context_.events.TextEdited(index_, Narrow(WindowText(hwnd_)));
  }

 private:
  void ApplyContent(const ControlState& state) override {
    if (SetTextIfDifferent(state.text) && GetFocus() != hwnd_) {
      SendMessageW(hwnd_, EM_SETSEL, 0, 0);  // a long text shows its beginning
    }
    if (state.editSelection != selection_) {
      selection_ = state.editSelection;
      SendMessageW(hwnd_, EM_SETSEL, static_cast<WPARAM>(selection_.first),
                   static_cast<LPARAM>(selection_.second));
    }
  }
  std::pair<int, int> selection_{0, 0};
};

// Drop-down lists, unsorted: the model keeps the order.
class ComboBoxView final : public ControlView {
 public:
  ComboBoxView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | TabStop(spec), 0);
  }
  void Command(UINT code) override {
    if (code == CBN_SELCHANGE) context_.events.Selected(index_, Selection());
  }
  bool WantsDialogKeys() const override {
    return SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0;
  }
  std::wstring Text() const override {
    const int i = Selection();
    return i < 0 ? std::wstring() : Item(i);
  }
  std::vector<std::wstring> Items() const override {
    std::vector<std::wstring> out;
    const LRESULT n = SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) out.push_back(Item(static_cast<int>(i)));
    return out;
  }
  int Selection() const override {
    return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
  }

 private:
  std::wstring Item(int i) const {
    const LRESULT len = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len <= 0) return {};
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(i),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    return text;
  }
  void ApplyContent(const ControlState& state) override {
    const std::vector<std::wstring> items = WideAll(state.items);
    if (items != Items()) {
      SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
      for (const auto& item : items)
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    if (Selection() != state.selection)
      SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(state.selection), 0);
  }
};

// The device list: unsorted, notifying selection changes and double clicks.
class ListBoxView final : public ControlView {
 public:
  ListBoxView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | TabStop(spec),
           ClientEdge(spec));
  }
  void Command(UINT code) override {
    if (code == LBN_SELCHANGE) context_.events.Selected(index_, Selection());
    if (code == LBN_DBLCLK) context_.events.DoubleClicked(index_);
  }
  std::vector<std::wstring> Items() const override {
    std::vector<std::wstring> out;
    const LRESULT n = SendMessageW(hwnd_, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      const LRESULT len = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(len, 0)) + 1, L'\0');
      SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(text.data()));
      text.resize(std::wcslen(text.c_str()));
      out.push_back(text);
    }
    return out;
  }
  int Selection() const override {
    return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
  }

 private:
  void ApplyContent(const ControlState& state) override {
    const std::vector<std::wstring> items = WideAll(state.items);
    if (items != Items()) {
      SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
      for (const auto& item : items)
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    if (Selection() != state.selection)
      SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(state.selection), 0);
  }
};

// The IP address control (one tab stop): its four fields are edits of its own, written one by
// one so that a blank field stays blank.
class IpAddressView final : public ControlView {
 public:
  IpAddressView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    // Clipping its fields: the control's own painting (Wine's) would cover them.
    Create(WC_IPADDRESSW, WS_CLIPCHILDREN | TabStop(spec), 0);
    std::vector<HWND> fields;
    for (HWND f = GetWindow(hwnd_, GW_CHILD); f; f = GetWindow(f, GW_HWNDNEXT)) fields.push_back(f);
    std::sort(fields.begin(), fields.end(), [](HWND a, HWND b) {
      RECT ra, rb;
      GetWindowRect(a, &ra);
      GetWindowRect(b, &rb);
      return ra.left < rb.left;
    });
    for (std::size_t i = 0; i < fields_.size() && i < fields.size(); ++i) fields_[i] = fields[i];
  }
  void Command(UINT code) override {
    if (code == EN_CHANGE) Report();
  }
  void Notify(const NMHDR& header) override {
    if (header.code == IPN_FIELDCHANGED) Report();
  }
  std::wstring Text() const override {
    std::wstring s;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (i) s += L'.';
      if (fields_[i]) s += WindowText(fields_[i]);
    }
    return s;
  }
  std::array<int, 4> IpFields() const override {
    std::array<int, 4> out{-1, -1, -1, -1};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      const std::wstring text = fields_[i] ? WindowText(fields_[i]) : std::wstring();
      if (!text.empty()) out[i] = static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
    }
    return out;
  }
  HWND FontWindow() const override { return fields_[0] ? fields_[0] : hwnd_; }

 private:
  void Report() {
    const std::array<int, 4> now = IpFields();
    if (now == reported_) return;
    reported_ = now;
    context_.events.IpEdited(index_, now);
  }
  void ApplyContent(const ControlState& state) override {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      if (!fields_[i]) continue;
      const std::wstring want = state.ip[i] < 0 ? std::wstring() : std::to_wstring(state.ip[i]);
      if (WindowText(fields_[i]) != want) SetWindowTextW(fields_[i], want.c_str());
    }
    reported_ = state.ip;
  }
  // Wine's control keeps the font for itself only and lays its fields out once, when it is made:
  // the fields are told the font, and widened when three digits of it would not fit (a field that
  // does not scroll refuses the third). Windows lays them out for the font itself.
  void ApplyFont(HFONT font) override {
    ControlView::ApplyFont(font);
    for (HWND f : fields_)
      if (f) SendMessageW(f, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    FitFields(font);
  }
  void FitFields(HFONT font) {
    if (!fields_[0]) return;
    HDC dc = GetDC(fields_[0]);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE digits{};
    GetTextExtentPoint32W(dc, L"888", 3, &digits);
    SelectObject(dc, old);
    ReleaseDC(fields_[0], dc);
    const auto margins = static_cast<DWORD>(SendMessageW(fields_[0], EM_GETMARGINS, 0, 0));
    const int need = static_cast<int>(digits.cx) + LOWORD(margins) + HIWORD(margins) + 2;
    RECT field{};
    GetClientRect(fields_[0], &field);
    if (field.right - field.left >= need) return;
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int width = static_cast<int>(client.right - client.left);
    const int gap = std::clamp((width - 4 * need) / 4, 2, 8);
    const int left = std::max(0, (width - 4 * need - 3 * gap) / 2);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      RECT r{};
      GetWindowRect(fields_[i], &r);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
      SetWindowPos(fields_[i], nullptr, left + static_cast<int>(i) * (need + gap), r.top, need,
                   r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  std::array<HWND, 4> fields_{};
  std::array<int, 4> reported_{-1, -1, -1, -1};
};

// The two-part status bar at the rectangle the model gives (it does not place itself).
class StatusBarView final : public ControlView {
 public:
  StatusBarView(ViewContext& context, int index, const ControlSpec& spec)
      : ControlView(context, index, spec) {
    Create(STATUSCLASSNAMEW, CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0);
  }
  std::wstring Text() const override { return PartText(0); }
  std::wstring PartText(int part) const override {
    const LRESULT info = SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0);
    std::wstring text(static_cast<std::size_t>(LOWORD(info)) + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(part),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    return text;
  }

 private:
  void ApplyContent(const ControlState& state) override {
    std::vector<int> edges = state.partEdges;
    if (edges.empty()) edges.push_back(-1);
    if (edges != edges_) {
      edges_ = edges;
      SendMessageW(hwnd_, SB_SETPARTS, edges_.size(), reinterpret_cast<LPARAM>(edges_.data()));
    }
    for (std::size_t i = 0; i < edges_.size(); ++i) {
      const std::wstring want = Wide(i < state.partTexts.size() ? state.partTexts[i] : "");
      if (PartText(static_cast<int>(i)) != want)
        SendMessageW(hwnd_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(want.c_str()));
    }
  }
  std::vector<int> edges_;
};

}  // namespace

std::wstring Wide(const std::string& cp936) {
  if (cp936.empty()) return {};
  const int n =
      MultiByteToWideChar(kGbk, 0, cp936.data(), static_cast<int>(cp936.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
  if (n > 0)
    MultiByteToWideChar(kGbk, 0, cp936.data(), static_cast<int>(cp936.size()), out.data(), n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(kGbk, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
  return out;
}

std::u16string ToU16(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

std::wstring WindowText(HWND window) {
  const int len = GetWindowTextLengthW(window);
  if (len <= 0) return {};
  std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), len + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

HFONT CreateFontFor(const FontSpec& spec) {
  const std::wstring face = Wide(spec.face);
  return CreateFontW(spec.height, spec.width, 0, 0, spec.weight, FALSE, FALSE, FALSE,
                     static_cast<DWORD>(spec.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, static_cast<DWORD>(spec.pitchAndFamily), face.c_str());
}

FontCache::~FontCache() {
  for (auto& [spec, font] : fonts_)
    if (font) DeleteObject(font);
}

HFONT FontCache::Get(const FontSpec& spec) {
  for (const auto& [s, font] : fonts_)
    if (s == spec) return font;
  fonts_.emplace_back(spec, CreateFontFor(spec));
  return fonts_.back().second;
}

ControlView::ControlView(ViewContext& context, int index, const ControlSpec& spec)
    : context_(context), index_(index), spec_(spec) {}

ControlView::~ControlView() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void ControlView::Create(const wchar_t* windowClass, DWORD style, DWORD exStyle) {
  const SyncScope scope(context_);
  const auto id = static_cast<INT_PTR>(spec_.id);
  const Rect& r = spec_.rect;
  hwnd_ = CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_CLIPSIBLINGS | style, r.left,
                          r.top, r.right - r.left, r.bottom - r.top, context_.parent,
                          reinterpret_cast<HMENU>(id), GetModuleHandleW(nullptr), nullptr);
  rect_ = r;
}

void ControlView::ApplyFont(HFONT font) {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool ControlView::SetTextIfDifferent(const std::string& cp936) {
  const std::wstring want = Wide(cp936);
  if (WindowText(hwnd_) == want) return false;
  SetWindowTextW(hwnd_, want.c_str());
  return true;
}

void ControlView::Apply(const ControlState& state) {
  if (!hwnd_) return;
  const SyncScope scope(context_);
  if (!(state.rect == rect_)) {
    rect_ = state.rect;
    SetWindowPos(hwnd_, nullptr, rect_.left, rect_.top, rect_.right - rect_.left,
                 rect_.bottom - rect_.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!fontSet_ || !(state.font == font_)) {
    font_ = state.font;
    fontSet_ = true;
    ApplyFont(context_.fonts.Get(font_));
  }
  ApplyContent(state);
  if ((IsWindowEnabled(hwnd_) != FALSE) != state.enabled) EnableWindow(hwnd_, state.enabled);
  const bool shown = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
  if (shown != state.visible) ShowWindow(hwnd_, state.visible ? SW_SHOWNA : SW_HIDE);
}

std::unique_ptr<ControlView> MakeControlView(ViewContext& context, int index,
                                             const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::Button:
      return std::make_unique<ButtonView>(context, index, spec);
    case ControlKind::GroupBox:
      return std::make_unique<GroupBoxView>(context, index, spec);
    case ControlKind::Label:
      return std::make_unique<LabelView>(context, index, spec);
    case ControlKind::Edit:
      return std::make_unique<EditView>(context, index, spec);
    case ControlKind::ComboBox:
      return std::make_unique<ComboBoxView>(context, index, spec);
    case ControlKind::ListBox:
      return std::make_unique<ListBoxView>(context, index, spec);
    case ControlKind::IpAddress:
      return std::make_unique<IpAddressView>(context, index, spec);
    case ControlKind::StatusBar:
      return std::make_unique<StatusBarView>(context, index, spec);
  }
  return std::make_unique<LabelView>(context, index, spec);
}

}  // namespace platform::win32
