// What a user can do to the window model, as hosts (Qt widgets, the headless driver, tests) report
// it: each action changes the model as the control would and sends the notifications it causes,
// so the dialog's handlers have run when the call returns. Messages the handlers post (and the
// keys below, which arrive as input) wait for the message loop.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/Window.h"
#include "platform/windef.h"

namespace platform {

enum class InputResult { Ok, NoSuchControl, Disabled, Hidden, WrongKind };

const char* InputResultName(InputResult result);

// A click on a push button: the focus moves to it (the edit that had it is told), then BN_CLICKED.
InputResult UserClick(HWND dialog, int id);
// The user replaces the text of an edit (focus moves to it first).
InputResult UserType(HWND dialog, int id, const std::string& text);
// The user chooses position `index` of a combo box or list box (-1 clears).
InputResult UserSelect(HWND dialog, int id, int index);
// The user fills the four fields of an IP address control (nullopt = blank).
InputResult UserSetIp(HWND dialog, int id, const Window::IpFields& fields);
InputResult UserFocus(HWND dialog, int id);
// A double click on the selected line of a list box (LBS_NOTIFY).
InputResult UserDoubleClick(HWND dialog, int id);
// A right-button press at a client point; reaches the dialog when no control that takes mouse
// input is there (labels and group boxes let it through, as do hidden and disabled controls).
InputResult UserRightClick(HWND dialog, POINT client, SIZE baseUnits);
// Enter: clicks a focused push button, otherwise the dialog's OK command.
void UserKeyEnter(HWND dialog);
// Esc and the close box: the dialog's Cancel command.
void UserKeyEscape(HWND dialog);
void UserClose(HWND dialog);
// Minimise or restore (the model's iconic state), then a repaint.
void UserSetIconic(HWND dialog, bool iconic);

// The control under a client point, or nullptr (child rectangles mapped with the base units).
Window* ControlAt(HWND dialog, POINT client, SIZE baseUnits);

}  // namespace platform
