// The network interfaces a limited broadcast (255.255.255.255) leaves by, chosen the same way on
// every system from what the system lists: Windows sends it out of every interface, with or
// without a route, and the backends do the same interface by interface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform::net {

// One IPv4 address of a network interface as the system lists it.
struct InterfaceAddress {
  std::string name;  // "eth0"; an alias label ("eth0:1") names its interface before the colon
  int index = 0;     // interface index
  std::uint32_t address = 0;  // host order
  bool up = false;
  bool broadcast = false;  // the interface can broadcast
  bool loopback = false;
};

// The interfaces a limited broadcast (255.255.255.255) leaves by: every interface that is up, can
// broadcast and is not the loopback, once each (its first address), in the order given.
std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& all);

}  // namespace platform::net
