// What a host of the window model provides: the modal loop of a dialog, message boxes, popup
// menus, the file chooser, and the metrics with which dialog units become pixels.
#pragma once

#include <optional>
#include <string>

#include "platform/windef.h"

class CDialog;

namespace platform {

struct MenuObject;

// What the file chooser asks for. A chooser offers the pattern's files and all files; Save asks
// before replacing an existing file, Open takes only an existing one.
struct FileChoice {
  bool save = false;
  std::string title;          // 8-bit (code page 936), as every dialog text
  std::string filterName;     // 8-bit, the name of the pattern's files ("Kestrival profile")
  std::string pattern;        // "*.json"
  std::string suggestedName;  // UTF-8 file name offered for Save
  std::string allFilesName;   // 8-bit name of the "all files" choice; empty: "All files"
};

class Host {
 public:
  virtual ~Host() = default;
  // Runs the dialog's modal loop until EndDialog; returns when the dialog has ended.
  virtual void RunModal(CDialog& dialog) = 0;
  // Shows a message box with an 8-bit (code page 936) text; returns the button pressed.
  virtual int MessageBox(const std::string& text, UINT type) = 0;
  // Shows the popup at a screen point and returns the command chosen, or 0 when closed without one.
  virtual UINT TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND owner) = 0;
  // Shows the file chooser over the dialog; the chosen path (UTF-8), or nothing when cancelled.
  virtual std::optional<std::string> ChooseFile(const FileChoice& choice, HWND owner) = 0;
  // Average character width and character height of the dialog font, in pixels.
  virtual SIZE DialogBaseUnits() const = 0;
  // Screen position of the dialog's client area origin.
  virtual POINT ClientOrigin(HWND dialog) const = 0;
};

// Pixels of a dialog-unit rectangle with the base units of the host in force.
RECT DialogUnitsToPixels(const RECT& du, SIZE baseUnits);

}  // namespace platform
