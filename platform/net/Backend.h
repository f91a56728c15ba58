// The network under the Winsock stand-in: real POSIX UDP or the in-process virtual segment.
// Addresses are host-order IPv4 values (192.168.0.1 is 0xC0A80001); ports are host order.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform::net {

// What a host waits on for a socket instead of polling it: on POSIX a file descriptor, on Windows
// an event handle, signalled while a datagram waits. kNoWaitHandle: the socket has none (a
// virtual socket) and must be asked.
using WaitHandle = std::intptr_t;
inline constexpr WaitHandle kNoWaitHandle = -1;

struct Endpoint {
  std::uint32_t addr = 0;  // host order; 0 = any, 0xFFFFFFFF = limited broadcast
  std::uint16_t port = 0;
  friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

// Error codes of the backend, which the Winsock stand-in maps onto WSAE* values: each onto its
// own, except Other, which reports WSAEINVAL as Invalid does.
enum class Error {
  None = 0,
  WouldBlock,    // nothing to receive
  MessageSize,   // datagram larger than the buffer: it is lost
  ConnReset,     // an earlier send met an unreachable port
  AddrInUse,     // the port is bound already
  AddrNotAvail,  // no such local address
  Access,        // broadcast without SO_BROADCAST
  NetUnreach,    // no host/route for the destination
  Invalid,       // bad argument or state
  NoBuffers,     // out of resources
  Other,
};

class Socket {
 public:
  virtual ~Socket() = default;
  virtual Error Bind(const Endpoint& local) = 0;
  virtual Error SetBroadcast(bool on) = 0;
  // Receive buffer size in bytes (SO_RCVBUF); a backend may ignore it.
  virtual Error SetReceiveBuffer(int bytes) = 0;
  virtual Error SendTo(const void* data, std::size_t len, const Endpoint& to) = 0;
  // One datagram into buffer. Returns the byte count, or -1 with *error set. A datagram larger
  // than len fails with MessageSize and is dropped, as on Windows.
  virtual long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) = 0;
  // True when a RecvFrom would not block (a datagram or a pending error waits).
  virtual bool Readable() = 0;
  // The handle a host may wait on, or kNoWaitHandle when it must be asked.
  virtual WaitHandle Waitable() const { return kNoWaitHandle; }
  // True when a thread takes datagrams ahead of the reader, so that after a receive that got
  // one another is likely: the loop then notifies again without asking first.
  virtual bool ReceivesAhead() const { return false; }
  virtual Endpoint LocalEndpoint() const = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;
  // WSAStartup: false when the sockets layer cannot be started.
  virtual bool Startup() = 0;
  virtual void Cleanup() = 0;
  // A new unbound UDP socket, or nullptr with *error set.
  virtual std::unique_ptr<Socket> CreateUdp(Error* error) = 0;
  // Runs what is due (timers of simulated peers) and waits at most `max` for any socket of this
  // backend to become readable or a timer to fall due.
  virtual void Wait(std::chrono::milliseconds max) = 0;
  // When Wait() has work to run without a socket becoming readable (a simulated peer's timer);
  // nothing for a real network, whose sockets wake the host themselves.
  virtual std::optional<std::chrono::steady_clock::time_point> NextDue() const {
    return std::nullopt;
  }
};

}  // namespace platform::net
