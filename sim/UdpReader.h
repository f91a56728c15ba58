// A simulated reader on real UDP: the engine behind two sockets bound to the command port and
// the discovery port of every local address. Run it only inside a network namespace made for it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "sim/ReaderEngine.h"

namespace sim {

// The first IPv4 address of an interface that is up and not the loopback (host order), or 0.
std::uint32_t FirstInterfaceAddress();

class UdpReader {
 public:
  ~UdpReader();
  UdpReader(const UdpReader&) = delete;
  UdpReader& operator=(const UdpReader&) = delete;

  // Binds both ports on 0.0.0.0. Returns nullptr with the reason in *error ("port 24680 is
  // taken (Address already in use)") when a socket cannot be made or bound.
  static std::unique_ptr<UdpReader> Open(ReaderEngine& engine, std::uint16_t commandPort,
                                         std::uint16_t discoveryPort, std::string* error);

  // Receives and answers until `stop` holds (looked at every 100 ms at the latest), delayed
  // replies included. Returns 0, or 1 with the reason in *error when a socket fails.
  int Serve(const std::atomic<bool>& stop, std::string* error);

 private:
  struct Impl;
  explicit UdpReader(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace sim
