// The real network: non-blocking AF_INET UDP sockets, with Windows' receive semantics where the
// system relies on them (a datagram larger than the buffer fails with MessageSize and is lost;
// recvfrom on an unbound socket is Invalid). Linux reports no ICMP errors on unconnected UDP
// sockets, so ConnReset comes only where the kernel returns ECONNREFUSED.
// Run it only inside a network namespace of our own making (tests/support/NetLab.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/Backend.h"

namespace platform::net {

// The Error for an errno value of a socket call (EADDRINUSE is AddrInUse, EAGAIN WouldBlock...).
Error ErrorFromErrno(int err);

// One IPv4 address of a network interface as the kernel lists it.
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

class PosixBackend final : public Backend {
 public:
  PosixBackend();
  ~PosixBackend() override;
  PosixBackend(const PosixBackend&) = delete;
  PosixBackend& operator=(const PosixBackend&) = delete;

  bool Startup() override;
  void Cleanup() override;
  std::unique_ptr<Socket> CreateUdp(Error* error) override;
  // poll() over the fds of this backend's live sockets; returns early when one is readable.
  void Wait(std::chrono::milliseconds max) override;

  struct Registry;

 private:
  std::shared_ptr<Registry> registry_;  // shared with the sockets, which may outlive the backend
};

}  // namespace platform::net
