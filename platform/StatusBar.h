// The status bar of the window model: parts with right edges in client pixels, each with a text.
#pragma once

#include <string>
#include <vector>

#include "platform/windef.h"

namespace platform {

class Window;

struct StatusBarState {
  std::vector<int> edges;  // right edges in client pixels; -1: the right end of the bar
  std::vector<std::string> texts;
};

// The status bar's window procedure: the SB_ messages, any other message to the window's default
// handling. A change marks `window` for the hosts to redraw.
LRESULT StatusBarProc(Window& window, StatusBarState& bar, UINT msg, WPARAM wParam, LPARAM lParam);

// The text of a part; "" for a part the bar does not have.
std::string StatusPartText(const StatusBarState& bar, int part);

}  // namespace platform
