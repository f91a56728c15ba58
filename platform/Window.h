// The window model: every window and control as an object holding its state, with the Win32
// message semantics the tool relies on. The model is the single source of truth; hosts draw it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ItemList.h"
#include "platform/Resources.h"
#include "platform/windef.h"

namespace platform {

struct FontObject {
  int height;
  int width;
  int weight;
  BYTE charset;
  BYTE pitchAndFamily;
  std::string face;
};

struct MenuObject {
  struct Item {
    UINT id;
    std::string text;
    bool checked = false;
    bool radio = false;
    bool enabled = true;
  };
  std::vector<Item> items;
};

struct PaintContext {
  HWND window;
};

// A record of an icon drawn on a window (the minimised dialog paints its icon).
struct IconDraw {
  int x, y;
  HICON icon;
};

class Window {
 public:
  using Procedure = std::function<LRESULT(UINT, WPARAM, LPARAM)>;

  Window(WindowKind kind, int id, DWORD style, RECT rect, std::string text, Window* parent);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowKind Kind() const { return kind_; }
  int Id() const { return id_; }
  DWORD Style() const { return style_; }
  // Dialog units for template controls and the dialog; pixels for the status bar.
  const RECT& Rect() const { return rect_; }
  void SetRect(const RECT& rect) {
    rect_ = rect;
    Touch();
  }
  bool RectInPixels() const { return rectInPixels_; }
  void SetRectInPixels(bool pixels) { rectInPixels_ = pixels; }
  Window* Parent() const { return parent_; }
  // The dialog (top-level window) this window belongs to.
  Window* TopLevel();

  Window* AddChild(WindowKind kind, int id, DWORD style, RECT rect, std::string text);
  const std::vector<std::unique_ptr<Window>>& Children() const { return children_; }
  // First child with this identifier, or nullptr.
  Window* Child(int id) const;

  // Sends a message: the window procedure when one is attached (dialogs), else the control's
  // own handling of the Win32 control messages.
  LRESULT Send(UINT msg, WPARAM wParam, LPARAM lParam);
  // The control's built-in handling (what DefWindowProc of its class does).
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  void SetProcedure(Procedure proc) { proc_ = std::move(proc); }
  bool HasProcedure() const { return static_cast<bool>(proc_); }

  // Plain state.
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  bool Visible() const { return visible_; }
  void SetVisible(bool on);
  // Visible itself and every parent visible.
  bool ReallyVisible() const;
  HFONT Font() const { return font_; }
  bool Iconic() const { return iconic_; }
  void SetIconic(bool on);
  HICON Icon(bool big) const { return big ? iconBig_ : iconSmall_; }

  // Lists (combo box and list box).
  std::vector<std::string> Items() const { return items_.ToVector(); }
  std::size_t ItemCount() const { return items_.size(); }
  const std::string& Item(std::size_t index) const { return items_[index]; }
  int Selection() const { return selection_; }

  // IP address control: four fields, std::nullopt = blank.
  using IpFields = std::array<std::optional<int>, 4>;
  const IpFields& Ip() const { return ip_; }
  // A user's entry: each field clamped to 0..255 as the control does when the user leaves it.
  void SetIpFieldsByUser(const IpFields& fields);

  // Status bar.
  const std::vector<int>& PartEdges() const { return partEdges_; }
  std::string PartText(int part) const;

  // Edit selection (set when the framework selects an edit's text).
  std::pair<int, int> EditSelection() const { return editSel_; }
  void SetEditSelection(int start, int end) {
    editSel_ = {start, end};
    Touch();
  }

  // Focus, kept by the top-level window. Changing it sends EN_KILLFOCUS / EN_SETFOCUS of edits:
  // the focus is on the target while the old edit's handler runs, and when that handler moves it
  // elsewhere the target is not told.
  Window* Focus() { return TopLevel()->focus_; }
  void SetFocusTo(Window* target);

  // Icons drawn by painting (for tests and hosts).
  const std::vector<IconDraw>& IconDraws() const { return iconDraws_; }
  void RecordIconDraw(IconDraw draw) {
    iconDraws_.push_back(draw);
    Touch();
  }

  // Change counter of this window and its children, for hosts that redraw.
  unsigned long long Version() const;

  // Sends a notification to the parent as WM_COMMAND(MAKEWPARAM(id, code), this).
  void NotifyParent(UINT code);

  // Called by the framework when the window goes away (destroy children first).
  void Destroy();
  bool Destroyed() const { return destroyed_; }

 private:
  void Touch();
  LRESULT ComboMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT ListMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT IpMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT StatusMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  std::string IpText() const;
  // Where a sorted list takes a new text.
  int SortedPosition(const std::string& text) const;

  WindowKind kind_;
  int id_;
  DWORD style_;
  RECT rect_;
  bool rectInPixels_ = false;
  std::string text_;
  Window* parent_;
  std::vector<std::unique_ptr<Window>> children_;
  Procedure proc_;
  bool enabled_;
  bool visible_;
  bool iconic_ = false;
  bool destroyed_ = false;
  HFONT font_ = nullptr;
  HICON iconBig_ = nullptr;
  HICON iconSmall_ = nullptr;
  ItemList items_;
  int selection_ = -1;
  IpFields ip_{};
  std::vector<int> partEdges_;
  std::vector<std::string> partTexts_;
  std::pair<int, int> editSel_{0, 0};
  Window* focus_ = nullptr;
  static constexpr int kMaxFocusNesting = 64;
  int focusDepth_ = 0;  // focus changes in progress, nested through notification handlers
  std::vector<IconDraw> iconDraws_;
  unsigned long long version_ = 0;
};

// Sorted list box order: hyphens and apostrophes dropped; by class (space and punctuation <
// digits < letters), then by lower-case character; a prefix sorts first. <0, 0 or >0.
int CompareListText(const std::string& a, const std::string& b);

// Case-insensitive prefix test of CB_FINDSTRING / LB_FINDSTRING.
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

}  // namespace platform
