// What a host of the window model provides: the modal loop of a dialog, message boxes, popup
// menus, and the metrics with which dialog units become pixels.
#pragma once

#include <string>

#include "platform/windef.h"

class CDialog;

namespace platform {

struct MenuObject;

class Host {
 public:
  virtual ~Host() = default;
  // Runs the dialog's modal loop until EndDialog; returns when the dialog has ended.
  virtual void RunModal(CDialog& dialog) = 0;
  // Shows a message box with an 8-bit (code page 936) text; returns the button pressed.
  virtual int MessageBox(const std::string& text, UINT type) = 0;
  // Shows the popup at a screen point and returns the command chosen, or 0 when closed without one.
  virtual UINT TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND owner) = 0;
  // Average character width and character height of the dialog font, in pixels.
  virtual SIZE DialogBaseUnits() const = 0;
  // Screen position of the dialog's client area origin.
  virtual POINT ClientOrigin(HWND dialog) const = 0;
};

// Pixels of a dialog-unit rectangle with the base units of the host in force.
RECT DialogUnitsToPixels(const RECT& du, SIZE baseUnits);

}  // namespace platform
