// The project's side of the Windows host: no real Windows header here (their names clash with
// platform/windef.h); the native windows are reached through platform/win32/NativeWindow.h.
#include "platform/win32/Win32Host.h"

#include <algorithm>
#include <chrono>

#include "platform/FileChooser.h"
#include "platform/MessageLoop.h"
#include "platform/UserInput.h"
#include "platform/Window.h"
#include "platform/afxwin.h"

namespace platform::win32 {
namespace {

// The dialog font of the template ("MS Shell Dlg", 9 points), as the Qt host takes it.
constexpr const char* kDialogFace = "MS Shell Dlg";
constexpr int kDialogPoints = 9;

// The loop's sleeps: a poll of sockets without a wait handle, and the idle wake-up.
constexpr int kPollMs = 5;
constexpr int kIdleMs = 1000;

ControlKind KindOf(WindowKind kind) {
  switch (kind) {
    case WindowKind::Button:
      return ControlKind::Button;
    case WindowKind::GroupBox:
      return ControlKind::GroupBox;
    case WindowKind::Edit:
      return ControlKind::Edit;
    case WindowKind::ComboBox:
      return ControlKind::ComboBox;
    case WindowKind::ListBox:
      return ControlKind::ListBox;
    case WindowKind::IpAddress:
      return ControlKind::IpAddress;
    case WindowKind::StatusBar:
      return ControlKind::StatusBar;
    case WindowKind::Static:
    case WindowKind::Dialog:
      break;
  }
  return ControlKind::Label;
}

FontSpec SpecOf(const FontObject& font) {
  FontSpec spec;
  spec.face = font.face;
  spec.height = font.height;
  spec.width = font.width;
  spec.weight = font.weight;
  spec.charset = font.charset;
  spec.pitchAndFamily = font.pitchAndFamily;
  return spec;
}

std::vector<IconPictureSpec> PicturesOf(const IconImage* icon) {
  std::vector<IconPictureSpec> out;
  if (!icon) return out;
  for (const auto& p : icon->pictures) out.push_back(IconPictureSpec{p.size, p.argb});
  return out;
}

Window::IpFields FieldsOf(const std::array<int, 4>& fields) {
  Window::IpFields out{};
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i] >= 0) out[i] = fields[i];
  return out;
}

}  // namespace

// The dialog's native window: one native control per control of the model. It writes the model
// into them and turns what the user does into the model's input.
class Win32Host::View final : public NativeEvents {
 public:
  View(Win32Host& host, HWND dialog) : host_(host), dialog_(dialog) {
    const RECT client = DialogUnitsToPixels(dialog_->Rect(), host_.baseUnits_);
    DialogSpec spec;
    spec.title = dialog_->Text();
    spec.style = dialog_->Style();
    spec.exStyle = WS_EX_APPWINDOW;
    spec.clientWidth = client.right - client.left;
    spec.clientHeight = client.bottom - client.top;
    native_ = CreateNativeDialog(spec, *this);
    Sync(true);
  }

  NativeDialog& Native() { return *native_; }
  const NativeDialog& Native() const { return *native_; }

  // The native control of a model control, or -1.
  int IndexOf(const Window* control) const {
    for (const auto& e : entries_)
      if (e.model == control) return e.native;
    return -1;
  }
  const Window* ModelOf(int index) const {
    for (const auto& e : entries_)
      if (e.native == index) return e.model;
    return nullptr;
  }

  // Brings every native control in line with the model (only what changed since the last call).
  void Sync(bool force = false) {
    if (dialog_->Destroyed() || syncing_) return;
    if (dialog_->Children().size() != entries_.size()) CreateControls();
    const unsigned long long version = dialog_->Version();
    if (!force && version == version_) return;
    version_ = version;
    syncing_ = true;
    native_->SetTitle(dialog_->Text());
    const IconImage* icon = dialog_->Icon(true) ? dialog_->Icon(true) : dialog_->Icon(false);
    if (icon != icon_) {
      icon_ = icon;
      native_->SetIcon(PicturesOf(icon));
    }
    for (auto& e : entries_) {
      if (!force && e.model->Version() == e.version) continue;
      e.version = e.model->Version();
      native_->Apply(e.native, StateOf(*e.model));
    }
    // The focus follows the model when the model moved it (a failed exchange, SetFocus).
    const Window* focus = dialog_->Focus();
    if (focus != lastFocus_) {
      lastFocus_ = focus;
      const int index = IndexOf(focus);
      if (index >= 0 && native_->FocusedControl() != index) native_->FocusControl(index);
    }
    syncing_ = false;
  }

  // NativeEvents: the user's input, into the model as the control would report it.
  void Clicked(int control) override {
    if (const Window* w = Input(control)) UserClick(dialog_, w->Id());
  }
  void TextEdited(int control, const std::string& text) override {
    if (const Window* w = Input(control)) UserType(dialog_, w->Id(), text);
  }
  void Selected(int control, int index) override {
    if (const Window* w = Input(control)) UserSelect(dialog_, w->Id(), index);
  }
  void DoubleClicked(int control) override {
    if (const Window* w = Input(control)) UserDoubleClick(dialog_, w->Id());
  }
  void IpEdited(int control, const std::array<int, 4>& fields) override {
    if (const Window* w = Input(control)) UserSetIp(dialog_, w->Id(), FieldsOf(fields));
  }
  void FocusGained(int control) override {
    const Window* w = Input(control);
    if (!w) return;
    lastFocus_ = w;
    if (dialog_->Focus() != w) UserFocus(dialog_, w->Id());
  }
  void RightButton(int x, int y) override {
    if (!syncing_) UserRightClick(dialog_, POINT{x, y}, host_.baseUnits_);
  }
  void KeyEnter() override {
    if (!syncing_) UserKeyEnter(dialog_);
  }
  void KeyEscape() override {
    if (!syncing_) UserKeyEscape(dialog_);
  }
  void CloseBox() override {
    if (!syncing_) UserClose(dialog_);
  }
  void Minimized(bool iconic) override {
    if (!syncing_ && iconic != dialog_->Iconic()) UserSetIconic(dialog_, iconic);
  }

 private:
  struct Entry {
    Window* model;
    int native;
    unsigned long long version;
  };

  void CreateControls() {
    for (const auto& child : dialog_->Children()) {
      if (IndexOf(child.get()) >= 0) continue;
      const RECT r = PixelsOf(*child);
      const int index = native_->AddControl(ControlSpec{KindOf(child->Kind()), child->Id(),
                                                        static_cast<std::uint32_t>(child->Style()),
                                                        Rect{r.left, r.top, r.right, r.bottom}});
      entries_.push_back(Entry{child.get(), index, ~0ull});
    }
  }

  ControlState StateOf(const Window& m) const {
    ControlState s;
    const RECT r = PixelsOf(m);
    s.rect = Rect{r.left, r.top, r.right, r.bottom};
    s.enabled = m.Enabled();
    s.visible = m.ReallyVisible() && !m.Destroyed();
    s.font = m.Font() ? SpecOf(*m.Font()) : host_.dialogFont_;
    s.text = m.Text();
    s.items = m.Items();
    s.selection = m.Selection();
    for (std::size_t i = 0; i < s.ip.size(); ++i) s.ip[i] = m.Ip()[i].value_or(-1);
    s.partEdges = m.PartEdges();
    for (std::size_t i = 0; i < std::max<std::size_t>(s.partEdges.size(), 1); ++i)
      s.partTexts.push_back(m.PartText(static_cast<int>(i)));
    s.editSelection = m.EditSelection();
    return s;
  }

  RECT PixelsOf(const Window& m) const {
    return m.RectInPixels() ? m.Rect() : DialogUnitsToPixels(m.Rect(), host_.baseUnits_);
  }

  // The model control of a native one, unless the report is an echo of the host's own writes.
  const Window* Input(int control) const { return syncing_ ? nullptr : ModelOf(control); }

  Win32Host& host_;
  HWND dialog_;
  std::unique_ptr<NativeDialog> native_;
  std::vector<Entry> entries_;
  unsigned long long version_ = ~0ull;
  const IconImage* icon_ = nullptr;
  const Window* lastFocus_ = nullptr;
  bool syncing_ = false;
};

Win32Host::Win32Host(MessageLoop& loop)
    : loop_(loop), dialogFont_(DialogFontSpec(kDialogFace, kDialogPoints)) {
  const auto [cx, cy] = MeasureBaseUnits(dialogFont_);
  baseUnits_ = SIZE{cx, cy};
}

Win32Host::~Win32Host() {
  Hide();
}

void Win32Host::Show(CDialog& dialog) {
  Hide();
  dialog_ = &dialog;
  view_ = std::make_unique<View>(*this, dialog.m_hWnd);
  if (dialog.m_hWnd->ReallyVisible()) view_->Native().Show(true);
}

void Win32Host::Hide() {
  view_.reset();
  dialog_ = nullptr;
}

void Win32Host::Deliver() {
  // A handler waits in a menu or message box: it runs to its end first.
  if (dispatching_) return;
  dispatching_ = true;
  std::size_t n = 0;
  // A bounded batch keeps the window responsive under a flood of datagrams.
  while (n < 256 && loop_.DispatchOne()) ++n;
  dispatching_ = false;
  if (!dialog_ || !view_) return;
  if (dialog_->Ended() || !dialog_->m_hWnd) {
    view_->Native().Show(false);
    return;
  }
  view_->Sync();
  if (dialog_->m_hWnd->ReallyVisible() && !view_->Native().Visible()) view_->Native().Show(true);
}

int Win32Host::SleepMs() {
  if (loop_.PendingPosted() > 0) return 0;
  polling_ = loop_.NeedsPolling();
  int ms = polling_ ? kPollMs : kIdleMs;
  // A simulated reader's reply falls due without a socket waking the loop.
  if (const auto due = loop_.NextDue()) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*due - std::chrono::steady_clock::now());
    ms = static_cast<int>(std::clamp<long long>(left.count(), 0, ms));
  }
  return ms;
}

bool Win32Host::RunUntil(const std::function<bool()>& done, int timeoutMs) {
  LoopHooks hooks;
  hooks.deliver = [this] { Deliver(); };
  hooks.done = done;
  hooks.waits = [this] { return loop_.WatchedHandles(); };
  hooks.timeoutMs = [this] { return SleepMs(); };
  RunLoop(view_ ? &view_->Native() : nullptr, hooks, timeoutMs);
  return done();
}

void Win32Host::RunModal(CDialog& dialog) {
  Show(dialog);
  RunUntil([&dialog] { return dialog.Ended(); }, -1);
  Hide();
}

int Win32Host::MessageBox(const std::string& text, UINT type) {
  if (view_) view_->Sync();  // the window as the model stands when the box opens
  const std::string title = AfxGetApp() ? AfxGetApp()->m_pszAppName : std::string();
  ++prompts_;
  const int result = ShowMessageBox(view_ ? &view_->Native() : nullptr, text, title, type);
  --prompts_;
  return result;
}

UINT Win32Host::TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND) {
  std::vector<MenuItemSpec> items;
  for (const auto& item : menu.items)
    items.push_back(
        MenuItemSpec{item.id, item.text, item.checked, item.radio, item.enabled, item.separator});
  if (view_) view_->Sync();
  ++prompts_;
  const unsigned chosen =
      ShowPopupMenu(view_ ? &view_->Native() : nullptr, items, screen.x, screen.y, flags);
  --prompts_;
  return chosen;
}

std::optional<std::string> Win32Host::ChooseFile(const FileChoice& choice, HWND) {
  FileDialogSpec spec;
  spec.save = choice.save;
  spec.title = choice.title;
  spec.filterName = choice.filterName;
  spec.pattern = choice.pattern;
  spec.allFilesName = AllFilesName(choice);
  spec.suggestedName = choice.suggestedName;
  if (view_) view_->Sync();  // the window as the model stands when the chooser opens
  // The chooser's loop must not deliver the model's messages: the handler that asked runs to its
  // end first, as with a message box.
  const bool wasDispatching = dispatching_;
  dispatching_ = true;
  ++prompts_;
  std::optional<std::string> path = ShowFileDialog(view_ ? &view_->Native() : nullptr, spec);
  --prompts_;
  dispatching_ = wasDispatching;
  return path;
}

POINT Win32Host::ClientOrigin(HWND) const {
  if (!view_) return POINT{0, 0};
  const auto [x, y] = view_->Native().ClientOrigin();
  return POINT{x, y};
}

std::intptr_t Win32Host::DialogHandle() const {
  return view_ ? view_->Native().Handle() : 0;
}

std::intptr_t Win32Host::ControlHandle(const Window* control) const {
  return view_ ? view_->Native().ControlHandle(view_->IndexOf(control)) : 0;
}

std::intptr_t Win32Host::ControlHandle(int id) const {
  return dialog_ && dialog_->m_hWnd ? ControlHandle(dialog_->m_hWnd->Child(id)) : 0;
}

std::u16string Win32Host::NativeTitle() const {
  return view_ ? view_->Native().Title() : std::u16string();
}

std::u16string Win32Host::NativeText(const Window* control) const {
  return view_ ? view_->Native().Text(view_->IndexOf(control)) : std::u16string();
}

std::u16string Win32Host::NativeText(int id) const {
  return dialog_ && dialog_->m_hWnd ? NativeText(dialog_->m_hWnd->Child(id)) : std::u16string();
}

std::vector<std::u16string> Win32Host::NativeItems(const Window* control) const {
  return view_ ? view_->Native().Items(view_->IndexOf(control)) : std::vector<std::u16string>();
}

int Win32Host::NativeSelection(const Window* control) const {
  return view_ ? view_->Native().Selection(view_->IndexOf(control)) : -1;
}

std::u16string Win32Host::NativeStatusText(int part) const {
  if (!view_ || !dialog_ || !dialog_->m_hWnd) return {};
  for (const auto& c : dialog_->m_hWnd->Children())
    if (c->Kind() == WindowKind::StatusBar)
      return view_->Native().PartText(view_->IndexOf(c.get()), part);
  return {};
}

std::array<int, 4> Win32Host::NativeIp(const Window* control) const {
  return view_ ? view_->Native().IpFields(view_->IndexOf(control))
               : std::array<int, 4>{-1, -1, -1, -1};
}

RECT Win32Host::NativeRect(const Window* control) const {
  if (!view_) return RECT{0, 0, 0, 0};
  const Rect r = view_->Native().ControlRect(view_->IndexOf(control));
  return RECT{r.left, r.top, r.right, r.bottom};
}

RECT Win32Host::NativeClientRect() const {
  if (!view_) return RECT{0, 0, 0, 0};
  const Rect r = view_->Native().ClientRect();
  return RECT{r.left, r.top, r.right, r.bottom};
}

FontSpec Win32Host::NativeFont(const Window* control) const {
  return view_ ? view_->Native().ControlFont(view_->IndexOf(control)) : FontSpec{};
}

const Window* Win32Host::NativeFocus() const {
  return view_ ? view_->ModelOf(view_->Native().FocusedControl()) : nullptr;
}

}  // namespace platform::win32
