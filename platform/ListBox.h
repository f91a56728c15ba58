// The list box of the window model, with the Win32 semantics the tool relies on. A combo box keeps
// its items in one of these too (platform/ComboBox.h).
#pragma once

#include <string>

#include "platform/ItemList.h"
#include "platform/windef.h"

namespace platform {

class Window;

struct ListBoxState {
  ItemList items;
  int selection = -1;   // -1: nothing selected
  bool sorted = false;  // LB_ADDSTRING keeps the items in order (LBS_SORT)
};

// The list box's window procedure: the LB_ messages, any other message to the window's default
// handling. A change marks `window` for the hosts to redraw.
LRESULT ListBoxProc(Window& window, ListBoxState& list, UINT msg, WPARAM wParam, LPARAM lParam);

// Sorted list box order: hyphens and apostrophes dropped; by class (space and punctuation <
// digits < letters), then by lower-case character; a prefix sorts first. <0, 0 or >0.
int CompareListText(const std::string& a, const std::string& b);

// Case-insensitive prefix test of CB_FINDSTRING / LB_FINDSTRING.
bool StartsWithNoCase(const std::string& text, const std::string& prefix);

}  // namespace platform
