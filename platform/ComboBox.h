// The drop-down list combo box of the window model. Its items live in a list box, to which it
// forwards its item messages as the Windows combo box does; CBS_SORT sorts that list.
#pragma once

#include "platform/ListBox.h"
#include "platform/windef.h"

namespace platform {

class Window;

struct ComboBoxState {
  ListBoxState list;
};

// The combo box's window procedure: the CB_ messages, any other message to the window's default
// handling. A change marks `window` for the hosts to redraw.
LRESULT ComboBoxProc(Window& window, ComboBoxState& combo, UINT msg, WPARAM wParam, LPARAM lParam);

}  // namespace platform
