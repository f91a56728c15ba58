#include "sim/UdpReader.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <vector>

#include "sim/UdpSocket.h"

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

struct Delayed {
  Clock::time_point due;
  int fd;
  sockaddr_in to;
  std::vector<std::uint8_t> bytes;
};

}  // namespace

std::uint32_t FirstInterfaceAddress() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return 0;
  std::uint32_t found = 0;
  for (ifaddrs* i = list; i && !found; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if ((i->ifa_flags & IFF_LOOPBACK) || !(i->ifa_flags & IFF_UP)) continue;
    sockaddr_in a{};
    std::memcpy(&a, i->ifa_addr, sizeof a);
    found = ntohl(a.sin_addr.s_addr);
  }
  ::freeifaddrs(list);
  return found;
}

struct UdpReader::Impl {
  ReaderEngine* engine;
  int commandFd = -1;
  int discoveryFd = -1;
  std::deque<Delayed> delayed;

  ~Impl() {
    if (commandFd >= 0) ::close(commandFd);
    if (discoveryFd >= 0) ::close(discoveryFd);
  }

  void Send(int fd, const sockaddr_in& to, const std::vector<std::uint8_t>& bytes) {
    ::sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }

  // Reads every datagram waiting on fd; false when the socket failed.
  bool Drain(int fd, Port port, std::string* error) {
    std::vector<std::uint8_t> buffer(65536);
    for (;;) {
      sockaddr_in from{};
      socklen_t fromLen = sizeof from;
      const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLen);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
        if (errno == EINTR || errno == ECONNREFUSED) continue;
        *error = std::string("receiving failed (") + std::strerror(errno) + ")";
        return false;
      }
      auto reply = engine->Receive(buffer.data(), static_cast<std::size_t>(n), port);
      if (!reply) continue;
      if (reply->delay.count() == 0) {
        Send(fd, from, reply->bytes);
      } else {
        delayed.push_back(Delayed{Clock::now() + reply->delay, fd, from, std::move(reply->bytes)});
      }
    }
  }

  // Sends the delayed replies that are due; returns the wait until the next one (at most max).
  std::chrono::milliseconds SendDue(std::chrono::milliseconds max) {
    const auto now = Clock::now();
    std::chrono::milliseconds wait = max;
    for (auto it = delayed.begin(); it != delayed.end();) {
      if (it->due <= now) {
        Send(it->fd, it->to, it->bytes);
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
  impl->commandFd = OpenBoundUdp(0, commandPort, error);
  if (impl->commandFd < 0) return nullptr;
  impl->discoveryFd = OpenBoundUdp(0, discoveryPort, error);
  if (impl->discoveryFd < 0) return nullptr;
  return std::unique_ptr<UdpReader>(new UdpReader(std::move(impl)));
}

int UdpReader::Serve(const std::atomic<bool>& stop, std::string* error) {
  while (!stop.load()) {
    const auto wait = impl_->SendDue(std::chrono::milliseconds(100));
    pollfd fds[2] = {{impl_->commandFd, POLLIN, 0}, {impl_->discoveryFd, POLLIN, 0}};
    const int r = ::poll(fds, 2, static_cast<int>(wait.count()));
    if (r < 0) {
      if (errno == EINTR) continue;
      *error = std::string("poll failed (") + std::strerror(errno) + ")";
      return 1;
    }
    if ((fds[0].revents & (POLLIN | POLLERR)) &&
        !impl_->Drain(impl_->commandFd, Port::Command, error))
      return 1;
    if ((fds[1].revents & (POLLIN | POLLERR)) &&
        !impl_->Drain(impl_->discoveryFd, Port::Discovery, error))
      return 1;
  }
  return 0;
}

}  // namespace sim
