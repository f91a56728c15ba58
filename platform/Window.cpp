#include "platform/Window.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/Host.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"

namespace platform {
namespace {

// Copies text into a caller's buffer of `size` bytes, keeping at most size - 1 bytes and a NUL.
LRESULT CopyOut(const std::string& text, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 0;
  std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

const char* AsText(LPARAM l) {
  const char* s = reinterpret_cast<const char*>(l);
  return s ? s : "";
}

int CharClass(unsigned char c) {
  if (c >= '0' && c <= '9') return 1;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80) return 2;
  return 0;  // space, underscore and other punctuation
}

// Order among punctuation: the word sort puts the plus, less-than, equals and greater-than
// signs after the other punctuation (after the tilde, before the digits); the rest in byte order.
int PunctuationRank(unsigned char c) {
  switch (c) {
    case '+':
      return 0x80;
    case '<':
      return 0x81;
    case '=':
      return 0x82;
    case '>':
      return 0x83;
    default:
      return c;
  }
}

// Lower case of ASCII letters only: list texts are 8-bit code page 936 bytes, whose lead and trail
// bytes must never be changed by a locale's idea of case.
int AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

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

int CompareListText(const std::string& a, const std::string& b) {
  auto skip = [](const std::string& s, std::size_t i) {
    while (i < s.size() && (s[i] == '-' || s[i] == '\'')) ++i;
    return i;
  };
  std::size_t i = skip(a, 0), j = skip(b, 0);
  while (i < a.size() && j < b.size()) {
    unsigned char p = static_cast<unsigned char>(a[i]), q = static_cast<unsigned char>(b[j]);
    int cp = CharClass(p), cq = CharClass(q);
    if (cp != cq) return cp < cq ? -1 : 1;
    int lp = cp == 0 ? PunctuationRank(p) : AsciiLower(p);
    int lq = cq == 0 ? PunctuationRank(q) : AsciiLower(q);
    if (lp != lq) return lp < lq ? -1 : 1;
    i = skip(a, i + 1);
    j = skip(b, j + 1);
  }
  if (i >= a.size() && j >= b.size()) return 0;
  return i >= a.size() ? -1 : 1;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(static_cast<unsigned char>(text[i])) !=
        AsciiLower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

Window::Window(WindowKind kind, int id, DWORD style, RECT rect, std::string text, Window* parent)
    : kind_(kind),
      id_(id),
      style_(style),
      rect_(rect),
      text_(std::move(text)),
      parent_(parent),
      enabled_((style & WS_DISABLED) == 0),
      visible_((style & WS_VISIBLE) != 0) {}

Window::~Window() = default;

Window* Window::TopLevel() {
  Window* w = this;
  while (w->parent_) w = w->parent_;
  return w;
}

Window* Window::AddChild(WindowKind kind, int id, DWORD style, RECT rect, std::string text) {
  children_.push_back(std::make_unique<Window>(kind, id, style, rect, std::move(text), this));
  Touch();
  return children_.back().get();
}

Window* Window::Child(int id) const {
  for (const auto& c : children_)
    if (c->id_ == id && !c->destroyed_) return c.get();
  return nullptr;
}

void Window::Touch() {
  ++version_;
}

unsigned long long Window::Version() const {
  unsigned long long v = version_;
  for (const auto& c : children_) v += c->Version();
  return v;
}

void Window::SetText(std::string text) {
  if (kind_ == WindowKind::IpAddress) {
    // "a.b.c.d" with empty parts for blank fields.
    IpFields f{};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
      std::size_t dot = text.find('.', start);
      std::string part =
          text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
      if (!part.empty() && part.size() <= 3 &&
          std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
        f[i] = std::min(255, std::stoi(part));
      if (dot == std::string::npos) break;
      start = dot + 1;
    }
    ip_ = f;
  } else {
    text_ = std::move(text);
  }
  Touch();
}

void Window::SetEnabled(bool on) {
  enabled_ = on;
  Touch();
}

void Window::SetVisible(bool on) {
  visible_ = on;
  Touch();
}

bool Window::ReallyVisible() const {
  for (const Window* w = this; w; w = w->parent_)
    if (!w->visible_) return false;
  return true;
}

void Window::SetIconic(bool on) {
  iconic_ = on;
  Touch();
}

void Window::SetIpFieldsByUser(const IpFields& fields) {
  for (int i = 0; i < 4; ++i) {
    ip_[i] = fields[i];
    if (ip_[i]) ip_[i] = std::clamp(*ip_[i], 0, 255);
  }
  Touch();
}

std::string Window::PartText(int part) const {
  if (part < 0 || static_cast<std::size_t>(part) >= partTexts_.size()) return {};
  return partTexts_[static_cast<std::size_t>(part)];
}

std::string Window::IpText() const {
  // A blank field reads as 0, as the control's text does.
  std::string s;
  for (int i = 0; i < 4; ++i) {
    if (i) s += '.';
    s += std::to_string(ip_[i].value_or(0));
  }
  return s;
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
  top->Touch();
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
  Touch();
}

LRESULT Window::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (destroyed_) return 0;
  if (proc_) return proc_(msg, wParam, lParam);
  return DefaultProc(msg, wParam, lParam);
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SETTEXT:
      SetText(AsText(lParam));
      return TRUE;
    case WM_GETTEXT:
      return CopyOut(kind_ == WindowKind::IpAddress ? IpText() : text_,
                     reinterpret_cast<char*>(lParam), static_cast<std::size_t>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>((kind_ == WindowKind::IpAddress ? IpText() : text_).size());
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      Touch();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETICON: {
      HICON old = wParam == ICON_BIG ? iconBig_ : iconSmall_;
      (wParam == ICON_BIG ? iconBig_ : iconSmall_) = reinterpret_cast<HICON>(lParam);
      Touch();
      return reinterpret_cast<LRESULT>(old);
    }
    default:
      break;
  }
  switch (kind_) {
    case WindowKind::ComboBox:
      return ComboMessage(msg, wParam, lParam);
    case WindowKind::ListBox:
      return ListMessage(msg, wParam, lParam);
    case WindowKind::IpAddress:
      return IpMessage(msg, wParam, lParam);
    case WindowKind::StatusBar:
      return StatusMessage(msg, wParam, lParam);
    default:
      return 0;
  }
}

LRESULT Window::ComboMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int count = static_cast<int>(items_.size());
  const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  switch (msg) {
    case CB_GETCOUNT:
      return count;
    case CB_RESETCONTENT:
      items_.clear();
      selection_ = -1;
      Touch();
      return 0;
    case CB_INSERTSTRING: {
      // Never sorts, whatever the style: the position is the caller's.
      int at = index == -1 ? count : index;
      if (at < 0 || at > count) return CB_ERR;
      items_.insert(static_cast<std::size_t>(at), AsText(lParam));
      if (selection_ >= at) ++selection_;
      Touch();
      return at;
    }
    case CB_ADDSTRING: {
      std::string s = AsText(lParam);
      int at = (style_ & CBS_SORT) ? SortedPosition(s) : count;
      items_.insert(static_cast<std::size_t>(at), std::move(s));
      if (selection_ >= at) ++selection_;
      Touch();
      return at;
    }
    case CB_DELETESTRING:
      if (index < 0 || index >= count) return CB_ERR;
      items_.erase(static_cast<std::size_t>(index));
      if (selection_ == index)
        selection_ = -1;
      else if (selection_ > index)
        --selection_;
      Touch();
      return count - 1;
    case CB_SETCURSEL:
      // An index outside the list clears the selection (the tool relies on it).
      Touch();
      if (index < 0 || index >= count) {
        selection_ = -1;
        return CB_ERR;
      }
      selection_ = index;
      return index;
    case CB_GETCURSEL:
      return selection_;
    case CB_GETLBTEXT:
      if (index < 0 || index >= count) return CB_ERR;
      return CopyOut(items_[static_cast<std::size_t>(index)], reinterpret_cast<char*>(lParam),
                     items_[static_cast<std::size_t>(index)].size() + 1);
    case CB_GETLBTEXTLEN:
      if (index < 0 || index >= count) return CB_ERR;
      return static_cast<LRESULT>(items_[static_cast<std::size_t>(index)].size());
    case CB_FINDSTRING: {
      std::string prefix = AsText(lParam);
      if (prefix.empty() || count == 0) return CB_ERR;
      int start = (index < 0 || index >= count) ? -1 : index;
      // Begins after start, wraps around and checks the start item last.
      for (int k = 1; k <= count; ++k) {
        int i = (start + k) % count;
        if (StartsWithNoCase(items_[static_cast<std::size_t>(i)], prefix)) return i;
      }
      return CB_ERR;
    }
    case CB_FINDSTRINGEXACT: {
      // The whole text, case ignored; same start and wrap-around as CB_FINDSTRING.
      std::string text = AsText(lParam);
      if (count == 0) return CB_ERR;
      int start = (index < 0 || index >= count) ? -1 : index;
      for (int k = 1; k <= count; ++k) {
        int i = (start + k) % count;
        const std::string& item = items_[static_cast<std::size_t>(i)];
        if (item.size() == text.size() && StartsWithNoCase(item, text)) return i;
      }
      return CB_ERR;
    }
    default:
      return 0;
  }
}

int Window::SortedPosition(const std::string& text) const {
  // Binary search over [lo, hi] with the midpoint rounded down; an equal text goes before the
  // equal item it lands on (which of several equal items that is depends on this midpoint).
  int lo = 0, hi = static_cast<int>(items_.size()) - 1;
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    int c = CompareListText(items_[static_cast<std::size_t>(mid)], text);
    if (c == 0) return mid;
    if (c > 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return lo;
}

LRESULT Window::ListMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const int count = static_cast<int>(items_.size());
  const int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  switch (msg) {
    case LB_GETCOUNT:
      return count;
    case LB_RESETCONTENT:
      items_.clear();
      selection_ = -1;
      Touch();
      return 0;
    case LB_ADDSTRING: {
      std::string s = AsText(lParam);
      int at = (style_ & LBS_SORT) ? SortedPosition(s) : count;
      items_.insert(static_cast<std::size_t>(at), std::move(s));
      if (selection_ >= at) ++selection_;
      Touch();
      return at;
    }
    case LB_SETCURSEL:
      // -1 clears; another index outside the list keeps the selection. Both answer LB_ERR.
      if (index == -1) {
        selection_ = -1;
        Touch();
        return LB_ERR;
      }
      if (index < 0 || index >= count) return LB_ERR;
      selection_ = index;
      Touch();
      return index;
    case LB_GETCURSEL:
      return selection_ < 0 ? LB_ERR : selection_;
    case LB_GETTEXT:
      if (index < 0 || index >= count) return LB_ERR;
      return CopyOut(items_[static_cast<std::size_t>(index)], reinterpret_cast<char*>(lParam),
                     items_[static_cast<std::size_t>(index)].size() + 1);
    case LB_GETTEXTLEN:
      if (index < 0 || index >= count) return LB_ERR;
      return static_cast<LRESULT>(items_[static_cast<std::size_t>(index)].size());
    case LB_SETITEMDATA:
      // The value stays with its item when sorted inserts move it; -1 sets every item.
      if (index == -1) {
        for (std::size_t i = 0; i < items_.size(); ++i) items_.set_data(i, lParam);
        return TRUE;
      }
      if (index < 0 || index >= count) return LB_ERR;
      items_.set_data(static_cast<std::size_t>(index), lParam);
      return TRUE;
    case LB_GETITEMDATA:
      if (index < 0 || index >= count) return LB_ERR;
      return items_.data(static_cast<std::size_t>(index));
    default:
      return 0;
  }
}

LRESULT Window::IpMessage(UINT msg, WPARAM, LPARAM lParam) {
  switch (msg) {
    case IPM_SETADDRESS: {
      DWORD v = static_cast<DWORD>(lParam);
      ip_ = {FIRST_IPADDRESS(v), SECOND_IPADDRESS(v), THIRD_IPADDRESS(v), FOURTH_IPADDRESS(v)};
      Touch();
      return TRUE;
    }
    case IPM_GETADDRESS: {
      DWORD v = 0;
      int filled = 0;
      for (int i = 0; i < 4; ++i) {
        v = (v << 8) | static_cast<DWORD>(ip_[i].value_or(0) & 0xFF);
        if (ip_[i]) ++filled;
      }
      if (DWORD* out = reinterpret_cast<DWORD*>(lParam)) *out = v;
      return filled;
    }
    case IPM_CLEARADDRESS:
      ip_ = {};
      Touch();
      return 0;
    case IPM_ISBLANK:
      return std::none_of(ip_.begin(), ip_.end(), [](const auto& f) { return f.has_value(); });
    default:
      return 0;
  }
}

LRESULT Window::StatusMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case SB_SETPARTS: {
      int n = static_cast<int>(wParam);
      if (n <= 0 || n > 256) return FALSE;
      const int* edges = reinterpret_cast<const int*>(lParam);
      partEdges_.assign(edges, edges + n);
      partTexts_.resize(static_cast<std::size_t>(n));
      Touch();
      return TRUE;
    }
    case SB_GETPARTS: {
      int n = static_cast<int>(wParam);
      int* edges = reinterpret_cast<int*>(lParam);
      for (int i = 0; edges && i < n && i < static_cast<int>(partEdges_.size()); ++i)
        edges[i] = partEdges_[static_cast<std::size_t>(i)];
      return static_cast<LRESULT>(partEdges_.size());
    }
    case SB_SETTEXTA: {
      int part = LOBYTE(wParam);
      if (part == 255) part = 0;  // SB_SIMPLEID: the simple part, kept as part 0 here
      if (static_cast<std::size_t>(part) >= partTexts_.size())
        partTexts_.resize(static_cast<std::size_t>(part) + 1);
      partTexts_[static_cast<std::size_t>(part)].assign(AsText(lParam));  // keeps its capacity
      Touch();
      return TRUE;
    }
    case SB_GETTEXTA: {
      std::string t = PartText(LOBYTE(wParam));
      if (char* out = reinterpret_cast<char*>(lParam)) CopyOut(t, out, t.size() + 1);
      return static_cast<LRESULT>(t.size());
    }
    case SB_GETTEXTLENGTHA:
      return static_cast<LRESULT>(PartText(LOBYTE(wParam)).size());
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
