#include "sim/UdpReader.h"

#include <chrono>
#include <deque>
#include <vector>

#include "sim/UdpSocket.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

struct Delayed {
  Clock::time_point due;
  UdpSocket* socket;
  UdpAddress to;
  std::vector<std::uint8_t> bytes;
};

}  // namespace

std::uint32_t FirstInterfaceAddress() {
  const std::vector<std::uint32_t> all = LocalAddresses();
  return all.empty() ? 0 : all.front();
}

struct UdpReader::Impl {
  ReaderEngine* engine;
  std::unique_ptr<UdpSocket> command;
  std::unique_ptr<UdpSocket> discovery;
  std::deque<Delayed> delayed;

  static void Send(UdpSocket& socket, const UdpAddress& to,
                   const std::vector<std::uint8_t>& bytes) {
    socket.SendTo(bytes.data(), bytes.size(), to);
  }

  // Reads every datagram waiting on the socket; false when the socket failed.
  bool Drain(UdpSocket& socket, Port port, std::string* error) {
    std::vector<std::uint8_t> buffer(65536);
    for (;;) {
      std::size_t n = 0;
      UdpAddress from;
      const Received got = socket.Receive(buffer.data(), buffer.size(), &n, &from, nullptr, error);
      if (got == Received::Empty) return true;
      if (got == Received::Again) continue;
      if (got == Received::Failed) return false;
      auto reply = engine->Receive(buffer.data(), n, port);
      if (!reply) continue;
      if (reply->delay.count() == 0) {
        Send(socket, from, reply->bytes);
      } else {
        delayed.push_back(
            Delayed{Clock::now() + reply->delay, &socket, from, std::move(reply->bytes)});
      }
    }
  }

  // Sends the delayed replies that are due; returns the wait until the next one (at most max).
  std::chrono::milliseconds SendDue(std::chrono::milliseconds max) {
    const auto now = Clock::now();
    std::chrono::milliseconds wait = max;
    for (auto it = delayed.begin(); it != delayed.end();) {
      if (it->due <= now) {
        Send(*it->socket, it->to, it->bytes);
        it = delayed.erase(it);
        continue;
      }
      wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(it->due - now));
      ++it;
    }
    return wait;
  }
};

UdpReader::UdpReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
UdpReader::~UdpReader() = default;

std::unique_ptr<UdpReader> UdpReader::Open(ReaderEngine& engine, std::uint16_t commandPort,
                                           std::uint16_t discoveryPort, std::string* error) {
  auto impl = std::make_unique<Impl>();
  impl->engine = &engine;
  impl->command = UdpSocket::Open(0, commandPort, error);
  if (!impl->command) return nullptr;
  impl->discovery = UdpSocket::Open(0, discoveryPort, error);
  if (!impl->discovery) return nullptr;
  return std::unique_ptr<UdpReader>(new UdpReader(std::move(impl)));
}

int UdpReader::Serve(const std::atomic<bool>& stop, std::string* error) {
  UdpWaitSet sockets({impl_->command.get(), impl_->discovery.get()});
  while (!stop.load()) {
    const auto wait = impl_->SendDue(std::chrono::milliseconds(100));
    if (!sockets.Wait(wait, error)) return 1;
    if (sockets.Ready(0) && !impl_->Drain(*impl_->command, Port::Command, error)) return 1;
    if (sockets.Ready(1) && !impl_->Drain(*impl_->discovery, Port::Discovery, error)) return 1;
  }
  return 0;
}

}  // namespace sim
