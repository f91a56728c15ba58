// A network that passes everything through to another one and keeps a copy of every datagram
// the dialog's sockets send and receive, as a packet capture would: the batch program reads the
// readers' replies from it (the device records as they came, the parameter record) and a dry
// run prints from it what would have been sent. It never changes a datagram.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/net/Backend.h"

namespace cli {

struct Captured {
  bool sent;                     // false: received
  platform::net::Endpoint peer;  // destination of a send, sender of a receive
  std::vector<std::uint8_t> bytes;
};

class TapBackend final : public platform::net::Backend {
 public:
  explicit TapBackend(platform::net::Backend& inner);

  bool Startup() override { return inner_.Startup(); }
  void Cleanup() override { inner_.Cleanup(); }
  std::unique_ptr<platform::net::Socket> CreateUdp(platform::net::Error* error) override;
  void Wait(std::chrono::milliseconds max) override { inner_.Wait(max); }

  // Every datagram so far, in order; a copy.
  std::vector<Captured> Datagrams() const;
  std::size_t Count() const;
  // The datagrams from position `from` on.
  std::vector<Captured> Since(std::size_t from) const;

  struct Log {
    mutable std::mutex mutex;
    std::vector<Captured> datagrams;
  };

 private:
  platform::net::Backend& inner_;
  std::shared_ptr<Log> log_ = std::make_shared<Log>();
};

}  // namespace cli
