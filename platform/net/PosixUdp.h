// The real network: non-blocking AF_INET UDP sockets, with Windows' receive semantics where the
// system relies on them (a datagram larger than the buffer fails with MessageSize and is lost;
// recvfrom on an unbound socket is Invalid). Linux reports no ICMP errors on unconnected UDP
// sockets, so ConnReset comes only where the kernel returns ECONNREFUSED. A send to
// 255.255.255.255 leaves by every interface that can broadcast, as on Windows, not by the route.
// Run it only inside a network namespace of our own making (tests/support/NetLab.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/net/Backend.h"
#include "platform/net/Interfaces.h"  // InterfaceAddress, BroadcastInterfaces
#include "platform/net/ReceiveThread.h"

namespace platform::net {

// The Error for an errno value of a socket call (EADDRINUSE is AddrInUse, EAGAIN WouldBlock...).
Error ErrorFromErrno(int err);

struct PosixOptions {
  // Emulates the kernel's net.core.rmem_max: a receive buffer request is cut to it first (0: no
  // cut). The tool's runtime sets it to try the stock limit without writing the machine's sysctl.
  int receiveBufferCap = 0;
  // Room of the receive thread's queue, which holds datagrams until the dialog reads them.
  std::size_t queueBytes = std::size_t{64} << 20;
  // Tests: while it holds true, the receive thread leaves datagrams in the kernel's buffers.
  std::shared_ptr<std::atomic<bool>> holdReceiveThread;
};

// At most this many sockets share a port to make up a receive buffer the kernel cuts.
constexpr int kMaxSharedSockets = 32;

// How many sockets hold `asked` bytes when the kernel grants each one `granted` (as SO_RCVBUF
// reports it: twice what it keeps for datagrams). 1 when one is enough or nothing is known.
int SocketsForReceiveBuffer(int asked, int granted);

// The options a program takes from its environment: KESTRIVAL_RMEM_MAX=<bytes> sets
// receiveBufferCap (unset, empty or not a positive number: no cut).
PosixOptions PosixOptionsFromEnvironment();

// Each bound socket has a receive thread (ReceiveThread.h, shared with the Winsock backend) that
// moves datagrams from the kernel into a bounded queue as soon as they arrive, so a burst is held
// while the dialog's thread is busy; the socket's Waitable() is that queue's wake-up descriptor,
// readable while datagrams wait. A queue that overflows drops the newest datagrams and the next
// receive traces how many were lost. A receive buffer asked for before the bind and cut by
// net.core.rmem_max is made up at the bind by more sockets on the same port
// (SocketsForReceiveBuffer), so that a burst that lands while the receive thread waits for a
// processor is still held by the kernel. Datagrams of one sender keep their order; a broadcast is
// received once; the port stays as taken as a plain bind's.
class PosixBackend final : public Backend {
 public:
  PosixBackend();
  explicit PosixBackend(PosixOptions options);
  ~PosixBackend() override;
  PosixBackend(const PosixBackend&) = delete;
  PosixBackend& operator=(const PosixBackend&) = delete;

  bool Startup() override;
  void Cleanup() override;
  std::unique_ptr<Socket> CreateUdp(Error* error) override;
  // poll() over the queues of this backend's live sockets; returns early when one is readable.
  void Wait(std::chrono::milliseconds max) override;

 private:
  PosixOptions options_;
  std::shared_ptr<WaitRegistry>
      registry_;  // shared with the sockets, which may outlive the backend
};

}  // namespace platform::net
