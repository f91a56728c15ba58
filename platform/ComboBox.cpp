#include "platform/ComboBox.h"

#include "platform/MessageParams.h"
#include "platform/Window.h"

namespace platform {
namespace {

// The list's answer to an item message, passed on as its list box message.
LRESULT Forward(Window& window, ComboBoxState& combo, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ListBoxProc(window, combo.list, msg, wParam, lParam);
}

// Unlike the list, an index outside the list clears the selection (the tool relies on it).
LRESULT SetCurSel(Window& window, ComboBoxState& combo, WPARAM wParam) {
  const int index = IndexParam(wParam);
  const bool inside = index >= 0 && static_cast<std::size_t>(index) < combo.list.items.size();
  return Forward(window, combo, LB_SETCURSEL, inside ? wParam : static_cast<WPARAM>(INT_PTR{-1}),
                 0);
}

}  // namespace

LRESULT ComboBoxProc(Window& window, ComboBoxState& combo, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case CB_GETCOUNT:
      return Forward(window, combo, LB_GETCOUNT, wParam, lParam);
    case CB_RESETCONTENT:
      return Forward(window, combo, LB_RESETCONTENT, wParam, lParam);
    case CB_ADDSTRING:
      return Forward(window, combo, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING:
      return Forward(window, combo, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING:
      return Forward(window, combo, LB_DELETESTRING, wParam, lParam);
    case CB_SETCURSEL:
      return SetCurSel(window, combo, wParam);
    case CB_GETCURSEL:
      return Forward(window, combo, LB_GETCURSEL, wParam, lParam);
    case CB_GETLBTEXT:
      return Forward(window, combo, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return Forward(window, combo, LB_GETTEXTLEN, wParam, lParam);
    case CB_FINDSTRING:
      return Forward(window, combo, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
      return Forward(window, combo, LB_FINDSTRINGEXACT, wParam, lParam);
    default:
      return window.DefWindowProc(msg, wParam, lParam);
  }
}

}  // namespace platform
