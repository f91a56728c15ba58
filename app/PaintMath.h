// Where the minimised dialog draws its icon: centred, with a signed division that truncates
// towards zero (an empty client area gives negative positions).
#pragma once

#include "platform/windef.h"

constexpr POINT MinimisedIconPosition(int clientWidth, int clientHeight, int iconWidth,
                                      int iconHeight) {
  return POINT{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
