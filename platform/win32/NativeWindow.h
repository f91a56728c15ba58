// The native half of the Win32 host, in plain standard types. The project's windef.h and the real
// <windows.h> never meet in one translation unit: Win32Host.cpp reads the window model and speaks
// to this interface; NativeWindow.cpp and NativeControls.cpp include the real headers and make
// the native windows. Texts cross as code page 936 bytes, the tool's own encoding, and are
// converted with code page 936 named explicitly (never CP_ACP), so that Chinese shows on a
// Windows whose ANSI code page is 1252; tests read the native texts back as UTF-16.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::win32 {

enum class ControlKind { Button, GroupBox, Label, Edit, ComboBox, ListBox, IpAddress, StatusBar };

// Pixels of the dialog's client area.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// What CreateFontW needs of a font; height < 0 is the character height, > 0 the cell height.
struct FontSpec {
  std::string face;  // code page 936
  int height = 0;
  int width = 0;
  int weight = 0;
  int charset = 1;  // DEFAULT_CHARSET
  int pitchAndFamily = 0;
  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The font of a dialog template: `points` at the screen's dots per inch.
FontSpec DialogFontSpec(const std::string& face, int points);

// Dialog base units of a font measured as Windows does: the average width of "A..Za..z" (the
// extent / 26, plus one, halved) and the character height.
std::pair<int, int> MeasureBaseUnits(const FontSpec& font);

// One control of the dialog: its kind, identifier, the model's Win32 style bits (the values are
// Windows' own; each native view takes the bits that concern it) and its first rectangle (an IP
// address control lays out its fields when it is made).
struct ControlSpec {
  ControlKind kind = ControlKind::Label;
  int id = 0;
  std::uint32_t style = 0;
  Rect rect;
};

// Everything a control shows, as the model holds it. Texts are code page 936 bytes.
struct ControlState {
  Rect rect;
  bool enabled = true;
  bool visible = true;
  FontSpec font;
  std::string text;
  std::vector<std::string> items;  // combo and list boxes, in the model's order
  int selection = -1;
  std::array<int, 4> ip{-1, -1, -1, -1};  // IP address fields, -1 blank
  std::vector<int> partEdges;             // status bar
  std::vector<std::string> partTexts;
  std::pair<int, int> editSelection{0, 0};  // edits: the selection the model last made
};

// What the user did, as the native controls report it; `control` is the index the control got
// from NativeDialog::AddControl. None of these is reported for the host's own writes.
class NativeEvents {
 public:
  virtual ~NativeEvents() = default;
  virtual void Clicked(int control) = 0;
  virtual void TextEdited(int control, const std::string& text) = 0;  // code page 936
  virtual void Selected(int control, int index) = 0;
  virtual void DoubleClicked(int control) = 0;
  virtual void IpEdited(int control, const std::array<int, 4>& fields) = 0;
  virtual void FocusGained(int control) = 0;
  virtual void RightButton(int x, int y) = 0;  // a point of the dialog's client area
  virtual void KeyEnter() = 0;
  virtual void KeyEscape() = 0;
  virtual void CloseBox() = 0;
  virtual void Minimized(bool iconic) = 0;
};

// One picture of an icon: size x size straight-alpha ARGB values, rows top to bottom.
struct IconPictureSpec {
  int size = 0;
  std::vector<std::uint32_t> argb;
  friend bool operator==(const IconPictureSpec&, const IconPictureSpec&) = default;
};

struct MenuItemSpec {
  unsigned id = 0;
  std::string text;  // code page 936
  bool checked = false;
  bool radio = false;  // MFT_RADIOCHECK: the check shows as a radio mark
  bool enabled = true;
  bool separator = false;
};

// The system's Open or Save As dialog. Texts are code page 936 bytes; the file name is UTF-8.
struct FileDialogSpec {
  bool save = false;
  std::string title;
  std::string filterName;  // the pattern's files
  std::string pattern;     // "*.json"; several as "*.a;*.b"
  std::string allFilesName;
  std::string suggestedName;  // UTF-8
};

// The top-level window of a dialog and its controls.
class NativeDialog {
 public:
  virtual ~NativeDialog() = default;

  // Adds a native control (created hidden); returns its index.
  virtual int AddControl(const ControlSpec& spec) = 0;
  virtual int ControlCount() const = 0;
  // Brings a control in line with the model's state; only what differs is written.
  virtual void Apply(int control, const ControlState& state) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetIcon(const std::vector<IconPictureSpec>& pictures) = 0;
  virtual void Show(bool visible) = 0;
  virtual bool Visible() const = 0;
  // Moves the keyboard focus to a control (no FocusGained for it).
  virtual void FocusControl(int control) = 0;
  // The control holding the keyboard focus, or -1.
  virtual int FocusedControl() const = 0;
  // Screen position of the client area's origin.
  virtual std::pair<int, int> ClientOrigin() const = 0;
  virtual Rect ClientRect() const = 0;

  // What the native controls show, for tests.
  virtual std::intptr_t Handle() const = 0;
  virtual std::intptr_t ControlHandle(int control) const = 0;
  virtual std::u16string Title() const = 0;
  // The window text (a drop-down list: its selected item; an IP address control: "a.b.c.d" with
  // blank fields empty; a status bar: part 0).
  virtual std::u16string Text(int control) const = 0;
  virtual std::vector<std::u16string> Items(int control) const = 0;
  virtual int Selection(int control) const = 0;
  virtual std::u16string PartText(int control, int part) const = 0;
  virtual std::array<int, 4> IpFields(int control) const = 0;
  virtual Rect ControlRect(int control) const = 0;
  // The font the native control uses: face (UTF-16), cell height, weight.
  virtual FontSpec ControlFont(int control) const = 0;
};

struct DialogSpec {
  std::string title;  // code page 936
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  int clientWidth = 0;
  int clientHeight = 0;
};

// Registers the window classes and the common controls once; then makes the window (hidden).
std::unique_ptr<NativeDialog> CreateNativeDialog(const DialogSpec& spec, NativeEvents& events);

// A message box over the dialog (owner may be null): MessageBoxW with the model's type bits.
int ShowMessageBox(NativeDialog* owner, const std::string& text, const std::string& caption,
                   unsigned type);
// The popup menu at a screen point; the command chosen, or 0.
unsigned ShowPopupMenu(NativeDialog* owner, const std::vector<MenuItemSpec>& items, int x, int y,
                       unsigned flags);
// GetSaveFileNameW or GetOpenFileNameW over the dialog (owner may be null): Save asks before
// replacing a file, Open takes only an existing one. The chosen path as UTF-8, or nothing when
// cancelled.
std::optional<std::string> ShowFileDialog(NativeDialog* owner, const FileDialogSpec& spec);

// The host's side of the native loop.
struct LoopHooks {
  std::function<void()> deliver;                      // the model's messages, then a redraw
  std::function<bool()> done;                         // checked after every wake-up
  std::function<std::vector<std::intptr_t>()> waits;  // event handles that mean "datagram"
  std::function<int()> timeoutMs;                     // the longest sleep, 0 = none
};

// Runs the native message loop: delivers, then sleeps in MsgWaitForMultipleObjectsEx until a
// native message, a handle or the timeout wakes it, and dispatches the native messages (keys of
// the dialog through its own handling). Returns when done() holds or after maxMs (-1: no limit).
void RunLoop(NativeDialog* dialog, const LoopHooks& hooks, int maxMs = -1);

}  // namespace platform::win32
