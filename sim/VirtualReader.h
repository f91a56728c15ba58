// A simulated reader on the in-process virtual segment: one host of its own with sockets on the
// command port (24680) and the discovery port (24582), answering from the port a request came to.
// Replies without a delay leave at once, inside the sender's SendTo; delayed ones through the
// segment's timers, which run when any host of the segment waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/net/VirtualSegment.h"
#include "sim/ReaderEngine.h"

namespace sim {

class VirtualReader {
 public:
  // Adds a host at `address` (host order) to the segment and binds both ports on it. Throws
  // std::runtime_error when a socket cannot be made or bound, std::invalid_argument when the
  // segment has the address already.
  VirtualReader(platform::net::VirtualSegment& segment, std::uint32_t address,
                const ReaderIdentity& identity);
  // The same on a host that exists already (a reader answering from another of its addresses).
  VirtualReader(platform::net::VirtualSegment& segment, platform::net::VirtualHost& host,
                const ReaderIdentity& identity);
  ~VirtualReader();
  VirtualReader(const VirtualReader&) = delete;
  VirtualReader& operator=(const VirtualReader&) = delete;

  // The engine; lock with Lock() while the segment may deliver from another thread.
  ReaderEngine& Engine() { return engine_; }
  std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }
  platform::net::VirtualHost& Host() { return *host_; }

 private:
  void Drain(platform::net::VirtualSocket& socket, Port port);

  platform::net::VirtualSegment& segment_;
  platform::net::VirtualHost* host_;
  std::mutex mutex_;
  ReaderEngine engine_;
  std::unique_ptr<platform::net::VirtualSocket> command_;
  std::unique_ptr<platform::net::VirtualSocket> discovery_;
  // Lets timers that fire after the reader is gone do nothing.
  std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace sim
