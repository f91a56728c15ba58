#include "platform/net/Interfaces.h"

#include <algorithm>

namespace platform::net {

std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& all) {
  std::vector<InterfaceAddress> chosen;
  for (const InterfaceAddress& a : all) {
    if (!a.up || !a.broadcast || a.loopback || a.index <= 0) continue;
    const bool seen = std::any_of(chosen.begin(), chosen.end(),
                                  [&](const InterfaceAddress& c) { return c.index == a.index; });
    if (!seen) chosen.push_back(a);
  }
  return chosen;
}

}  // namespace platform::net
