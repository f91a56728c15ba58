// Many simulated readers in one process on real UDP, one per local address, as a segment full of
// readers looks to the tool: a search broadcast is answered from every address at once. One
// socket on 0.0.0.0 of the discovery port takes the broadcasts (Linux does not hand a limited
// broadcast to a socket bound to one address); one socket per address on the command port
// sends that reader's discovery reply and serves the requests addressed to it. Run it only
// inside a network namespace made for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/ReaderEngine.h"
#include "sim/UdpSocket.h"  // LocalAddresses

namespace sim {

// The addresses a swarm of `count` takes from `all`: from `first` on (0: from the start), in
// order. Fewer than `count` when `all` has not enough of them after `first`.
std::vector<std::uint32_t> SwarmAddresses(const std::vector<std::uint32_t>& all,
                                          std::uint32_t first, std::size_t count);

// The label of the reader at `index`: the prefix and a five-digit number, cut to 15 bytes.
std::string SwarmLabel(const std::string& prefix, std::size_t index);

struct SwarmCounters {
  std::uint64_t searches = 0;    // broadcasts taken on the discovery port
  std::uint64_t replies = 0;     // datagrams sent (discovery replies and command replies)
  std::uint64_t sendErrors = 0;  // sends the kernel refused (its send buffer was full, ...)
  std::uint64_t requests = 0;    // datagrams taken on the command ports
};

class SwarmReader {
 public:
  ~SwarmReader();
  SwarmReader(const SwarmReader&) = delete;
  SwarmReader& operator=(const SwarmReader&) = delete;

  // One reader per address, labelled SwarmLabel(prefix, i). Raises the limit of open files when
  // the sockets need it. nullptr with the reason in *error when a socket cannot be made or bound.
  static std::unique_ptr<SwarmReader> Open(const std::vector<std::uint32_t>& addresses,
                                           const std::string& labelPrefix,
                                           std::uint16_t commandPort, std::uint16_t discoveryPort,
                                           std::string* error);

  // Answers until `stop` holds (looked at every 100 ms at the latest). 0, or 1 with *error.
  int Serve(const std::atomic<bool>& stop, std::string* error);
  std::size_t Size() const;
  const SwarmCounters& Stats() const;

 private:
  struct Impl;
  explicit SwarmReader(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace sim
