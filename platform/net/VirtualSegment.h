// The virtual segment: an in-process IPv4 network of hosts that exchange UDP datagrams, so tests
// and the demo talk to simulated readers without touching any real network.
//
//   VirtualSegment segment;
//   VirtualHost& tool = segment.AddHost(0x0AC90001);    // 10.201.0.1, a Backend
//   VirtualHost& reader = segment.AddHost(0x0AC90002);
//   auto socket = reader.CreateVirtualUdp(&error);      // extra calls for simulated peers
//   socket->SetReceiveCallback([&] { ... RecvFrom ... SendTo ... });
//
// Semantics (see tests/platform/virtual_segment_test.cpp for the rows):
// - A bound (address, port) is taken on its host: a second bind of the port fails with AddrInUse,
//   and 0.0.0.0 conflicts with every address of the host. An address that is not the host's fails
//   with AddrNotAvail. A socket that sends unbound gets 0.0.0.0 and an ephemeral port.
// - Unicast reaches the socket bound to the destination address and port, or to 0.0.0.0 on that
//   port, of the host that owns the address (the sender's own host included).
// - 255.255.255.255 needs SetBroadcast(true) (else Access) and reaches every socket bound to the
//   port on every host except the sender's own.
// - Nobody there, no such port, or a full receive queue: the datagram is dropped silently and
//   counted. With SegmentOptions::reportPortUnreachable, a unicast to a port nobody binds leaves
//   a pending ConnReset on the sender, returned by its next RecvFrom (Windows' WSAECONNRESET).
// - RecvFrom is FIFO; a pending error comes first; a datagram larger than the buffer fails with
//   MessageSize (the buffer holds its first bytes) and is lost; nothing waiting: WouldBlock.
// - Timers (After) run on whichever thread calls Wait() of any host or RunDueTimers(), on the
//   real steady clock; NextDue() tells a host's loop when to wake for the next one. Receive
//   callbacks run on the sending thread, inside SendTo, after the segment's lock is released: they
//   may send and receive themselves.
// Every object is safe to use from several threads; sockets may outlive their segment (what they
// send then reaches nobody).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/net/Backend.h"

namespace platform::net {

namespace detail {
struct SegmentCore;
struct HostState;
struct SocketState;
}  // namespace detail

struct SegmentOptions {
  // Leave a pending ConnReset on a sender whose unicast met a port that nobody binds.
  bool reportPortUnreachable = false;
  // Default receive-queue limits of every new socket; beyond either, arrivals are dropped.
  std::size_t queueBytes = 1 << 20;
  std::size_t queueDatagrams = 100000;
};

// Counters of the whole segment since it was made.
struct SegmentStats {
  std::uint64_t sent = 0;              // datagrams accepted by SendTo (a broadcast counts once)
  std::uint64_t delivered = 0;         // copies queued at a receiving socket
  std::uint64_t droppedNoHost = 0;     // unicast to an address no host has
  std::uint64_t droppedNoPort = 0;     // unicast to a host with nobody on the port
  std::uint64_t droppedQueueFull = 0;  // copies lost to a full receive queue
};

// One datagram as it went onto the segment (for observers that check bytes on the wire).
struct WireDatagram {
  Endpoint from;
  Endpoint to;
  std::vector<std::uint8_t> payload;
};

class VirtualSocket final : public Socket {
 public:
  ~VirtualSocket() override;
  VirtualSocket(const VirtualSocket&) = delete;
  VirtualSocket& operator=(const VirtualSocket&) = delete;

  Error Bind(const Endpoint& local) override;
  Error SetBroadcast(bool on) override;
  // Checked (negative: Invalid) only: the queue limits are what bound the queue.
  Error SetReceiveBuffer(int bytes) override;
  Error SendTo(const void* data, std::size_t len, const Endpoint& to) override;
  long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) override;
  bool Readable() override;
  // Signalled while Readable() holds, so that a host sleeps until a datagram arrives (made on
  // the first call; simulated peers, which take their datagrams by callback, never ask).
  WaitHandle Waitable() const override;
  Endpoint LocalEndpoint() const override;

  // Called after each arrival that gives RecvFrom something to return (a datagram, or a pending
  // error); runs on the sending thread. An empty function removes it.
  void SetReceiveCallback(std::function<void()> callback);
  // Receive-queue limits of this socket (payload bytes, datagram count).
  void SetQueueLimits(std::size_t bytes, std::size_t datagrams);
  std::size_t QueuedDatagrams() const;
  // Arrivals this socket lost to a full queue.
  std::uint64_t DroppedDatagrams() const;

 private:
  friend class VirtualHost;
  VirtualSocket(std::shared_ptr<detail::SegmentCore> core, detail::HostState* host);

  std::shared_ptr<detail::SegmentCore> core_;
  std::unique_ptr<detail::SocketState> state_;
};

class VirtualHost final : public Backend {
 public:
  ~VirtualHost() override;
  VirtualHost(const VirtualHost&) = delete;
  VirtualHost& operator=(const VirtualHost&) = delete;

  // False while FailStartup(true) is in force; otherwise counts one start.
  bool Startup() override;
  void Cleanup() override;
  std::unique_ptr<Socket> CreateUdp(Error* error) override;
  void Wait(std::chrono::milliseconds max) override;
  // The time of the segment's next timer (a simulated peer's reply), if one is set.
  std::optional<std::chrono::steady_clock::time_point> NextDue() const override;

  // CreateUdp with the simulated-peer extras; nullptr with *error set while FailCreateUdp holds.
  std::unique_ptr<VirtualSocket> CreateVirtualUdp(Error* error);

  // The first address is the one a socket bound to 0.0.0.0 sends from.
  std::uint32_t Address() const;
  std::vector<std::uint32_t> Addresses() const;
  // One more address of this host; throws std::invalid_argument if the segment has it already.
  void AddAddress(std::uint32_t addr);

  // Failure injection: Startup() returns false ("the sockets layer cannot start").
  void FailStartup(bool fail);
  // Failure injection: CreateUdp fails with this error; Error::None makes it succeed again.
  void FailCreateUdp(Error error);
  // Successful Startup() calls not yet matched by Cleanup().
  int StartupCount() const;

 private:
  friend class VirtualSegment;
  VirtualHost(std::shared_ptr<detail::SegmentCore> core, detail::HostState* host);

  std::shared_ptr<detail::SegmentCore> core_;
  detail::HostState* host_;
};

class VirtualSegment {
 public:
  using TimerId = std::uint64_t;

  explicit VirtualSegment(SegmentOptions options = {});
  ~VirtualSegment();
  VirtualSegment(const VirtualSegment&) = delete;
  VirtualSegment& operator=(const VirtualSegment&) = delete;

  // A new host with this address, owned by the segment. Throws std::invalid_argument for 0,
  // 255.255.255.255 or an address the segment has already.
  VirtualHost& AddHost(std::uint32_t addr);
  // The host that owns the address, or nullptr.
  VirtualHost* FindHost(std::uint32_t addr);

  // Runs fn once, `delay` from now, from the next Wait() of any host or RunDueTimers() after it
  // falls due. Timers due at the same time run in the order they were set.
  TimerId After(std::chrono::milliseconds delay, std::function<void()> fn);
  // False if the timer ran already or never existed.
  bool Cancel(TimerId id);
  // Runs the timers that are due now; returns how many ran.
  std::size_t RunDueTimers();
  std::size_t PendingTimers() const;

  // Sees every datagram that SendTo puts onto the segment, on the sending thread, before it is
  // delivered. An empty function removes it.
  void SetObserver(std::function<void(const WireDatagram&)> observer);
  SegmentStats Stats() const;
  SegmentOptions Options() const;
  // Applies to what is sent from now on; queue limits to sockets created from now on.
  void SetOptions(const SegmentOptions& options);

 private:
  std::shared_ptr<detail::SegmentCore> core_;
  std::vector<std::unique_ptr<VirtualHost>> hosts_;
};

}  // namespace platform::net
