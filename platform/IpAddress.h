// The IP address control of the window model (SysIPAddress32): four fields, each blank or 0..255.
#pragma once

#include <array>
#include <optional>

#include "platform/windef.h"

namespace platform {

class Window;

// The four fields, field 0 the most significant byte; std::nullopt = blank.
using IpFields = std::array<std::optional<int>, 4>;

struct IpAddressState {
  IpFields fields{};
};

// The IP address control's window procedure: the IPM_ messages and its text ("a.b.c.d"), any
// other message to the window's default handling. A change marks `window` for the hosts.
LRESULT IpAddressProc(Window& window, IpAddressState& ip, UINT msg, WPARAM wParam, LPARAM lParam);

// A user's entry: each field clamped to 0..255 as the control does when the user leaves it.
void EnterIpFields(Window& window, IpAddressState& ip, const IpFields& fields);

}  // namespace platform
