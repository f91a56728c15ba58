// A user at the native controls of the Win32 host, for the window tests under Wine: clicks,
// keys and characters as the controls receive them (posted or sent window messages, which reach
// the host's loop and the controls' own handling), the popup menus and message boxes that a
// handler opens, and screenshots. Plain standard types only (window handles as std::intptr_t):
// NativeDriver.cpp alone includes the real Windows headers, the tests include the project's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace win32_testing {

using Handle = std::intptr_t;

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// Sent at once: the button's own click (focus, then BN_CLICKED to the dialog).
void Click(Handle button);
// Posted: the messages a mouse gives a window at a point of its client area.
void ClickAt(Handle window, int x, int y);
void DoubleClickAt(Handle window, int x, int y);
void RightClickAt(Handle window, int x, int y);
// Posted: the close box of a window's caption (WM_SYSCOMMAND SC_CLOSE).
void PressCloseBox(Handle window);
// Posted to the window: a key pressed and released; characters typed (UTF-16 units, as an input
// method delivers Chinese).
void Key(Handle window, unsigned virtualKey);
void Type(Handle window, const std::u16string& text);
// The text of an edit selected, as a user's Ctrl+A leaves it.
void SelectAll(Handle edit);
void Focus(Handle window);
Handle FocusedWindow();

// Direct children from left to right (the fields of an IP address control).
std::vector<Handle> Children(Handle window);
// The visible child of a dialog at a point of its client area (the dialog when none).
Handle ChildAt(Handle dialog, int x, int y);
Box ListItemBox(Handle list, int index);
Box ClientBox(Handle window);
std::uint32_t Style(Handle window);
bool Visible(Handle window);
bool Enabled(Handle window);

// A popup menu or a message box of this thread, open while a handler waits for it.
struct Prompt {
  enum class Kind { Menu, Message } kind = Kind::Menu;  // Message: a message box
  Handle window = 0;
  std::u16string text;                // a message box's text
  std::vector<std::u16string> items;  // a menu's items (a separator's text is empty)
  int checked = -1;                   // the checked item of a menu
  std::vector<bool> separators;       // per item: a separator
  std::vector<bool> radioMarks;       // per item: its check shows as a radio mark
};

// Calls `answer` every few milliseconds for the first prompt that opens while `action` runs (the
// action runs the host's loop, the prompt its own), until the answer returns true (it has closed
// the prompt). Returns whether a prompt was seen.
bool WithPrompt(const std::function<void()>& action,
                const std::function<bool(const Prompt&)>& answer);
// Keys to an open menu: down to item `index` (the separators are passed over), then Enter; or
// Esc.
void ChooseMenuItem(const Prompt& menu, int index);
void CloseMenu(const Prompt& menu);
// A click on the button `id` of a message box (IDOK is 1).
void PressButton(const Prompt& box, int id);
// The common file dialog's file name typed and its OK button pressed (a file dialog is found as
// a Message prompt: a dialog box of this thread). False when the dialog has no file name field.
bool AnswerFileDialog(const Prompt& dialog, const std::u16string& path);

// Runs `action` once, `ms` milliseconds from now, from whatever message loop runs then (a
// thread timer): a user acting while a modal loop runs.
void RunLater(int ms, std::function<void()> action);

// Saves the window with its frame, as on screen, as a PNG file (Windows Imaging Component).
bool SaveScreenshot(Handle window, const std::string& path);

}  // namespace win32_testing
