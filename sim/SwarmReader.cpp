#include "sim/SwarmReader.h"

#include <cstdio>

#include "protocol/IpAddress.h"
#include "sim/UdpSocket.h"

namespace sim {

std::vector<std::uint32_t> SwarmAddresses(const std::vector<std::uint32_t>& all,
                                          std::uint32_t first, std::size_t count) {
  std::size_t from = 0;
  if (first != 0) {
    while (from < all.size() && all[from] != first) ++from;
  }
  std::vector<std::uint32_t> out;
  for (std::size_t i = from; i < all.size() && out.size() < count; ++i) out.push_back(all[i]);
  return out;
}

std::string SwarmLabel(const std::string& prefix, std::size_t index) {
  char number[24];
  std::snprintf(number, sizeof number, "%05zu", index);
  std::string label = prefix + number;
  if (label.size() > kMaxLabelLen) label.resize(kMaxLabelLen);
  return label;
}

struct SwarmReader::Impl {
  struct Member {
    std::uint32_t address;
    std::unique_ptr<UdpSocket> socket;
    std::unique_ptr<ReaderEngine> engine;
  };
  std::unique_ptr<UdpSocket> listener;
  std::vector<Member> members;
  SwarmCounters counters;
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(65536);

  void Send(UdpSocket& socket, const UdpAddress& to, const std::vector<std::uint8_t>& bytes) {
    if (socket.SendTo(bytes.data(), bytes.size(), to)) {
      ++counters.replies;
    } else {
      ++counters.sendErrors;
    }
  }

  // A datagram on the discovery port: a broadcast (the search) is answered by every member at
  // once, each from its own address; one sent to a member's address (the network settings) is
  // that member's alone. The destination comes from IP_PKTINFO.
  bool DrainListener(std::string* error) {
    for (;;) {
      std::size_t len = 0;
      UdpAddress from;
      std::uint32_t to = kLimitedBroadcast;
      const Received got = listener->Receive(buffer.data(), buffer.size(), &len, &from, &to, error);
      if (got == Received::Empty) return true;
      if (got == Received::Again) continue;
      if (got == Received::Failed) return false;
      bool mine = false;
      for (Member& m : members) {
        if (m.address != to) continue;
        mine = true;
        if (auto reply = m.engine->Receive(buffer.data(), len, Port::Discovery))
          Send(*m.socket, from, reply->bytes);
      }
      if (mine) continue;
      ++counters.searches;
      for (Member& m : members) {
        if (auto reply = m.engine->Receive(buffer.data(), len, Port::Discovery))
          Send(*m.socket, from, reply->bytes);
      }
    }
  }

  bool DrainMember(Member& m, std::string* error) {
    for (;;) {
      std::size_t n = 0;
      UdpAddress from;
      const Received got =
          m.socket->Receive(buffer.data(), buffer.size(), &n, &from, nullptr, error);
      if (got == Received::Empty) return true;
      if (got == Received::Again) continue;
      if (got == Received::Failed) return false;
      ++counters.requests;
      auto reply = m.engine->Receive(buffer.data(), n, Port::Command);
      if (reply) Send(*m.socket, from, reply->bytes);
    }
  }
};

SwarmReader::SwarmReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SwarmReader::~SwarmReader() = default;

std::unique_ptr<SwarmReader> SwarmReader::Open(const std::vector<std::uint32_t>& addresses,
                                               const std::string& labelPrefix,
                                               std::uint16_t commandPort,
                                               std::uint16_t discoveryPort, std::string* error) {
  if (!EnsureSocketRoom(addresses.size() + 1, error)) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->listener = UdpSocket::Open(0, discoveryPort, error);
  if (!impl->listener) return nullptr;
  impl->listener->ReportDestination();
  impl->members.reserve(addresses.size());
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    Impl::Member m;
    m.address = addresses[i];
    m.socket = UdpSocket::Open(addresses[i], commandPort, error);
    if (!m.socket) return nullptr;
    m.engine = std::make_unique<ReaderEngine>(
        ReaderIdentity{SwarmLabel(labelPrefix, i), Ip32{addresses[i]}, kClientVersion});
    impl->members.push_back(std::move(m));
  }
  return std::unique_ptr<SwarmReader>(new SwarmReader(std::move(impl)));
}

int SwarmReader::Serve(const std::atomic<bool>& stop, std::string* error) {
  std::vector<const UdpSocket*> all;
  all.push_back(impl_->listener.get());
  for (const Impl::Member& m : impl_->members) all.push_back(m.socket.get());
  UdpWaitSet sockets(all);
  while (!stop.load()) {
    if (!sockets.Wait(std::chrono::milliseconds(100), error)) return 1;
    if (sockets.Ready(0) && !impl_->DrainListener(error)) return 1;
    for (std::size_t i = 1; i < all.size(); ++i) {
      if (sockets.Ready(i) && !impl_->DrainMember(impl_->members[i - 1], error)) return 1;
    }
  }
  return 0;
}

std::size_t SwarmReader::Size() const {
  return impl_->members.size();
}

const SwarmCounters& SwarmReader::Stats() const {
  return impl_->counters;
}

}  // namespace sim
