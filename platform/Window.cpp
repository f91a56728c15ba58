#include "platform/Window.h"

#include "platform/Host.h"
#include "platform/MessageLoop.h"
#include "platform/MessageParams.h"
#include "platform/Runtime.h"

namespace platform {
namespace {

Window::GoneHandler goneHandler = nullptr;

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace

const char* WindowKindName(WindowKind kind) {
  switch (kind) {
    case WindowKind::Dialog:
      return "dialog";
    case WindowKind::Button:
      return "button";
    case WindowKind::GroupBox:
      return "group";
    case WindowKind::Static:
      return "static";
    case WindowKind::Edit:
      return "edit";
    case WindowKind::ComboBox:
      return "combo";
    case WindowKind::ListBox:
      return "list";
    case WindowKind::IpAddress:
      return "ip";
    case WindowKind::StatusBar:
      return "status";
  }
  return "?";
}

Window::ControlState Window::StateOf(WindowKind kind, DWORD style) {
  switch (kind) {
    case WindowKind::ListBox:
      return ListBoxState{{}, -1, (style & LBS_SORT) != 0};
    case WindowKind::ComboBox:
      return ComboBoxState{ListBoxState{{}, -1, (style & CBS_SORT) != 0}};
    case WindowKind::IpAddress:
      return IpAddressState{};
    case WindowKind::StatusBar:
      return StatusBarState{};
    default:
      return std::monostate{};
  }
}

Window::Window(WindowKind kind, int id, DWORD style, RECT rect, std::string text, Window* parent)
    : kind_(kind),
      id_(id),
      style_(style),
      rect_(rect),
      text_(std::move(text)),
      parent_(parent),
      enabled_((style & WS_DISABLED) == 0),
      visible_((style & WS_VISIBLE) != 0),
      control_(StateOf(kind, style)) {}

Window::~Window() {
  if (goneHandler) goneHandler(this);
}

void Window::SetGoneHandler(GoneHandler handler) {
  goneHandler = handler;
}

Window* Window::TopLevel() {
  Window* w = this;
  while (w->parent_) w = w->parent_;
  return w;
}

Window* Window::AddChild(WindowKind kind, int id, DWORD style, RECT rect, std::string text) {
  children_.push_back(std::make_unique<Window>(kind, id, style, rect, std::move(text), this));
  Invalidate();
  return children_.back().get();
}

Window* Window::Child(int id) const {
  for (const auto& c : children_)
    if (c->id_ == id && !c->destroyed_) return c.get();
  return nullptr;
}

unsigned long long Window::Version() const {
  unsigned long long v = version_;
  for (const auto& c : children_) v += c->Version();
  return v;
}

void Window::SetText(std::string text) {
  if (std::holds_alternative<IpAddressState>(control_)) {
    DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return;
  }
  text_ = std::move(text);
  Invalidate();
}

void Window::SetEnabled(bool on) {
  enabled_ = on;
  Invalidate();
}

void Window::SetVisible(bool on) {
  visible_ = on;
  Invalidate();
}

bool Window::ReallyVisible() const {
  for (const Window* w = this; w; w = w->parent_)
    if (!w->visible_) return false;
  return true;
}

void Window::SetIconic(bool on) {
  iconic_ = on;
  Invalidate();
}

const ListBoxState* Window::List() const {
  if (const auto* list = std::get_if<ListBoxState>(&control_)) return list;
  if (const auto* combo = std::get_if<ComboBoxState>(&control_)) return &combo->list;
  return nullptr;
}

std::vector<std::string> Window::Items() const {
  const ListBoxState* list = List();
  return list ? list->items.ToVector() : std::vector<std::string>{};
}

std::size_t Window::ItemCount() const {
  const ListBoxState* list = List();
  return list ? list->items.size() : 0;
}

const std::string& Window::Item(std::size_t index) const {
  static const ItemList kNoItems;
  const ListBoxState* list = List();
  return (list ? list->items : kNoItems)[index];
}

int Window::Selection() const {
  const ListBoxState* list = List();
  return list ? list->selection : -1;
}

const Window::IpFields& Window::Ip() const {
  static const IpFields kBlank{};
  const auto* ip = std::get_if<IpAddressState>(&control_);
  return ip ? ip->fields : kBlank;
}

void Window::SetIpFieldsByUser(const IpFields& fields) {
  if (auto* ip = std::get_if<IpAddressState>(&control_)) EnterIpFields(*this, *ip, fields);
}

const std::vector<int>& Window::PartEdges() const {
  static const std::vector<int> kNoParts;
  const auto* bar = std::get_if<StatusBarState>(&control_);
  return bar ? bar->edges : kNoParts;
}

std::string Window::PartText(int part) const {
  const auto* bar = std::get_if<StatusBarState>(&control_);
  return bar ? StatusPartText(*bar, part) : std::string();
}

void Window::NotifyParent(UINT code) {
  // Sent, as the controls of the target platform do: the parent's handler runs before the input
  // or focus change that caused it has finished.
  if (!parent_ || destroyed_) return;
  WPARAM w = MAKEWPARAM(static_cast<WORD>(id_), static_cast<WORD>(code));
  parent_->Send(WM_COMMAND, w, reinterpret_cast<LPARAM>(this));
}

void Window::SetFocusTo(Window* target) {
  Window* top = TopLevel();
  Window* old = top->focus_;
  if (old == target) return;
  // The focus is already on the new window while the old one is told.
  top->focus_ = target;
  top->Invalidate();
  // Handlers that keep moving the focus from their notifications would nest without end: past
  // a depth no real dialog reaches, the focus still moves but nobody is told.
  if (top->focusDepth_ >= kMaxFocusNesting) return;
  ++top->focusDepth_;
  if (old && !old->destroyed_ && old->kind_ == WindowKind::Edit) old->NotifyParent(EN_KILLFOCUS);
  // A kill-focus handler that moved the focus elsewhere has had its own change told in full.
  if (top->focus_ == target && target && target->kind_ == WindowKind::Edit)
    target->NotifyParent(EN_SETFOCUS);
  --top->focusDepth_;
}

void Window::Destroy() {
  for (auto& c : children_) c->Destroy();
  destroyed_ = true;
  proc_ = nullptr;
  if (MessageLoop* loop = CurrentRuntime().loop) loop->Forget(this);
  if (goneHandler) goneHandler(this);
  Invalidate();
}

LRESULT Window::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (destroyed_) return 0;
  if (proc_) return proc_(msg, wParam, lParam);
  return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  return std::visit(
      Overloaded{
          [&](std::monostate) { return DefWindowProc(msg, wParam, lParam); },
          [&](ListBoxState& list) { return ListBoxProc(*this, list, msg, wParam, lParam); },
          [&](ComboBoxState& combo) { return ComboBoxProc(*this, combo, msg, wParam, lParam); },
          [&](IpAddressState& ip) { return IpAddressProc(*this, ip, msg, wParam, lParam); },
          [&](StatusBarState& bar) { return StatusBarProc(*this, bar, msg, wParam, lParam); },
      },
      control_);
}

LRESULT Window::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT:
      text_ = TextParam(lParam);
      Invalidate();
      return TRUE;
    case WM_GETTEXT:
      return CopyText(text_, reinterpret_cast<char*>(lParam), static_cast<std::size_t>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(text_.size());
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETICON: {
      HICON old = wParam == ICON_BIG ? iconBig_ : iconSmall_;
      (wParam == ICON_BIG ? iconBig_ : iconSmall_) = reinterpret_cast<HICON>(lParam);
      Invalidate();
      return reinterpret_cast<LRESULT>(old);
    }
    default:
      return 0;
  }
}

RECT DialogUnitsToPixels(const RECT& du, SIZE base) {
  auto mx = [&](LONG v) { return static_cast<LONG>((v * base.cx) / 4); };
  auto my = [&](LONG v) { return static_cast<LONG>((v * base.cy) / 8); };
  return RECT{mx(du.left), my(du.top), mx(du.right), my(du.bottom)};
}

}  // namespace platform
