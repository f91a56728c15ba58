// The sockets of the simulated readers on real UDP: a small neutral interface over the system's
// sockets (UdpSocket_posix.cpp, UdpSocket_win32.cpp), so that the readers (UdpReader.cpp,
// SwarmReader.cpp) are the same code on every system. Run them only inside a network namespace
// made for them.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// An IPv4 address and port, host order.
struct UdpAddress {
  std::uint32_t address = 0;
  std::uint16_t port = 0;
};

inline constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

// What a receive found.
enum class Received {
  Datagram,  // one datagram
  Empty,     // nothing waits
  Again,     // nothing for now (an interrupted call, an earlier send's unreachable report): retry
  Failed,    // the socket failed; *error says why
};

// A non-blocking UDP socket, bound and allowed to broadcast.
class UdpSocket {
 public:
  ~UdpSocket();
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;

  // Bound to address:port (0 = every local address), or nullptr with *error telling why: "port P
  // is taken (...)" when an any-address port is in use, "cannot bind A:P (...)" otherwise.
  static std::unique_ptr<UdpSocket> Open(std::uint32_t address, std::uint16_t port,
                                         std::string* error);

  // From now on Receive tells each datagram's destination address (IP_PKTINFO).
  void ReportDestination();
  // One datagram into buffer: its size, its sender and, with ReportDestination, the address it
  // was sent to (kLimitedBroadcast when the system did not tell). Failed: *error is "receiving
  // failed (...)".
  Received Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t* size, UdpAddress* from,
                   std::uint32_t* to, std::string* error);
  // False when the system refused the datagram (its send buffer was full, ...).
  bool SendTo(const std::uint8_t* data, std::size_t size, const UdpAddress& to);

 private:
  friend class UdpWaitSet;
  struct Native;
  explicit UdpSocket(std::unique_ptr<Native> native);
  std::unique_ptr<Native> native_;
};

// Waits for any of a fixed set of sockets.
class UdpWaitSet {
 public:
  // The sockets outlive the set.
  explicit UdpWaitSet(const std::vector<const UdpSocket*>& sockets);
  ~UdpWaitSet();
  UdpWaitSet(const UdpWaitSet&) = delete;
  UdpWaitSet& operator=(const UdpWaitSet&) = delete;

  // Waits at most `timeout` until a datagram or an error waits on one of the sockets. An
  // interrupted wait finds none ready; false with *error ("poll failed (...)") when waiting
  // failed.
  bool Wait(std::chrono::milliseconds timeout, std::string* error);
  // After Wait: whether socket i (in the order given) has something to receive.
  bool Ready(std::size_t i) const;

 private:
  struct Native;
  std::unique_ptr<Native> native_;
};

// Every IPv4 address of an interface that is up and not the loopback, host order, in the order
// the system lists them.
std::vector<std::uint32_t> LocalAddresses();

// Room for `sockets` more open sockets (POSIX: the soft limit of open files raised towards the
// hard one); false with *error when there cannot be.
bool EnsureSocketRoom(std::size_t sockets, std::string* error);

// The reason a bind failed, as Open reports it, from the system's text of the error.
std::string BindFailure(std::uint32_t address, std::uint16_t port, bool addressInUse,
                        const std::string& systemText);

}  // namespace sim
