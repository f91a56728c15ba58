// The window model: every window and control as an object holding its state, with the Win32
// message semantics the tool relies on. The model is the single source of truth; hosts draw it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/ComboBox.h"
#include "platform/IpAddress.h"
#include "platform/ListBox.h"
#include "platform/Resources.h"
#include "platform/StatusBar.h"
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

// A popup menu: command items, separators, and radio groups (the items one CheckMenuRadioItem
// range covers: exclusive, the checked one shown with a radio mark as Windows' MFT_RADIOCHECK).
struct MenuObject {
  struct Item {
    UINT id = 0;
    std::string text;
    bool checked = false;
    bool radio = false;  // the check shows as a radio mark
    bool enabled = true;
    bool separator = false;  // a line between items, never chosen
    int group = 0;           // 0: outside every radio group; else the group's number
  };
  std::vector<Item> items;
  int groups = 0;  // radio groups numbered so far
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
    Invalidate();
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
  // The control's built-in handling: the procedure of its class (ListBox.h, ComboBox.h,
  // IpAddress.h, StatusBar.h), or DefWindowProc for the other kinds.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // What every window does with a message its class leaves alone: text, font and icons; any
  // other message answers 0.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  void SetProcedure(Procedure proc) { proc_ = std::move(proc); }
  bool HasProcedure() const { return static_cast<bool>(proc_); }

  // Plain state.
  const std::string& Text() const { return text_; }
  // As WM_SETTEXT: the IP address control takes "a.b.c.d" into its fields.
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

  // Lists (combo box and list box); no items and no selection for the other kinds.
  std::vector<std::string> Items() const;
  std::size_t ItemCount() const;
  // Throws std::out_of_range for an index outside the list.
  const std::string& Item(std::size_t index) const;
  int Selection() const;

  // IP address control: four fields, std::nullopt = blank (all blank for the other kinds).
  using IpFields = platform::IpFields;
  const IpFields& Ip() const;
  // A user's entry: each field clamped to 0..255 as the control does when the user leaves it.
  void SetIpFieldsByUser(const IpFields& fields);

  // Status bar (no parts for the other kinds).
  const std::vector<int>& PartEdges() const;
  std::string PartText(int part) const;

  // Edit selection (set when the framework selects an edit's text).
  std::pair<int, int> EditSelection() const { return editSel_; }
  void SetEditSelection(int start, int end) {
    editSel_ = {start, end};
    Invalidate();
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
    Invalidate();
  }

  // Change counter of this window and its children, for hosts that redraw.
  unsigned long long Version() const;
  // Marks the window changed, so that hosts redraw it (what InvalidateRect asks of Windows).
  void Invalidate() { ++version_; }

  // Sends a notification to the parent as WM_COMMAND(MAKEWPARAM(id, code), this).
  void NotifyParent(UINT code);

  // Called by the framework when the window goes away (destroy children first).
  void Destroy();
  bool Destroyed() const { return destroyed_; }

  // A function told of each window when it is destroyed and again when it is freed, so that the
  // framework drops what it keeps for the window (afx_wnd.cpp: the wrappers of FromHandle).
  // nullptr: nobody is told.
  using GoneHandler = void (*)(Window* window);
  static void SetGoneHandler(GoneHandler handler);

 private:
  // The state of the control's class; std::monostate for windows that keep only the plain state.
  using ControlState =
      std::variant<std::monostate, ListBoxState, ComboBoxState, IpAddressState, StatusBarState>;
  static ControlState StateOf(WindowKind kind, DWORD style);
  // The list of a list box or combo box, or nullptr.
  const ListBoxState* List() const;

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
  ControlState control_;
  std::pair<int, int> editSel_{0, 0};
  Window* focus_ = nullptr;
  static constexpr int kMaxFocusNesting = 64;
  int focusDepth_ = 0;  // focus changes in progress, nested through notification handlers
  std::vector<IconDraw> iconDraws_;
  unsigned long long version_ = 0;
};

}  // namespace platform
