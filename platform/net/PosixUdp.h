// The real network: non-blocking AF_INET UDP sockets, with Windows' receive semantics where the
// system relies on them (a datagram larger than the buffer fails with MessageSize and is lost;
// recvfrom on an unbound socket is Invalid). Linux reports no ICMP errors on unconnected UDP
// sockets, so ConnReset comes only where the kernel returns ECONNREFUSED.
// Run it only inside a network namespace of our own making (tests/support/NetLab.h).
#pragma once

#include <memory>

#include "platform/net/Backend.h"

namespace platform::net {

// The Error for an errno value of a socket call (EADDRINUSE is AddrInUse, EAGAIN WouldBlock...).
Error ErrorFromErrno(int err);

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
