// POSIX headers and neutral headers only.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/UdpSocket.h"

namespace sim {

struct UdpSocket::Native {
  int fd = -1;
  bool reportDestination = false;
};

UdpSocket::UdpSocket(std::unique_ptr<Native> native) : native_(std::move(native)) {}

UdpSocket::~UdpSocket() {
  if (native_->fd >= 0) ::close(native_->fd);
}

std::unique_ptr<UdpSocket> UdpSocket::Open(std::uint32_t address, std::uint16_t port,
                                           std::string* error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("cannot create a UDP socket (") + std::strerror(errno) + ")";
    return nullptr;
  }
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = htonl(address);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const int err = errno;
    *error = BindFailure(address, port, err == EADDRINUSE, std::strerror(err));
    ::close(fd);
    return nullptr;
  }
  auto native = std::make_unique<Native>();
  native->fd = fd;
  return std::unique_ptr<UdpSocket>(new UdpSocket(std::move(native)));
}

void UdpSocket::ReportDestination() {
  int on = 1;
  ::setsockopt(native_->fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
  native_->reportDestination = true;
}

Received UdpSocket::Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t* size,
                            UdpAddress* from, std::uint32_t* to, std::string* error) {
  sockaddr_in sender{};
  iovec io{buffer, capacity};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
  msghdr msg{};
  msg.msg_name = &sender;
  msg.msg_namelen = sizeof sender;
  msg.msg_iov = &io;
  msg.msg_iovlen = 1;
  if (native_->reportDestination) {
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
  }
  const ssize_t n = ::recvmsg(native_->fd, &msg, 0);
  if (n < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return Received::Empty;
    if (errno == EINTR || errno == ECONNREFUSED) return Received::Again;
    *error = std::string("receiving failed (") + std::strerror(errno) + ")";
    return Received::Failed;
  }
  if (to) {
    *to = kLimitedBroadcast;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); native_->reportDestination && c;
         c = CMSG_NXTHDR(&msg, c)) {
      if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(c), sizeof info);
        *to = ntohl(info.ipi_addr.s_addr);
      }
    }
  }
  *size = static_cast<std::size_t>(n);
  *from = UdpAddress{ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port)};
  return Received::Datagram;
}

bool UdpSocket::SendTo(const std::uint8_t* data, std::size_t size, const UdpAddress& to) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(to.port);
  sa.sin_addr.s_addr = htonl(to.address);
  return ::sendto(native_->fd, data, size, 0, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) >=
         0;
}

struct UdpWaitSet::Native {
  std::vector<pollfd> fds;
};

UdpWaitSet::UdpWaitSet(const std::vector<const UdpSocket*>& sockets)
    : native_(std::make_unique<Native>()) {
  for (const UdpSocket* s : sockets) native_->fds.push_back({s->native_->fd, POLLIN, 0});
}

UdpWaitSet::~UdpWaitSet() = default;

bool UdpWaitSet::Wait(std::chrono::milliseconds timeout, std::string* error) {
  for (pollfd& p : native_->fds) p.revents = 0;
  const int r = ::poll(native_->fds.data(), native_->fds.size(), static_cast<int>(timeout.count()));
  if (r < 0) {
    if (errno != EINTR) {
      *error = std::string("poll failed (") + std::strerror(errno) + ")";
      return false;
    }
    for (pollfd& p : native_->fds) p.revents = 0;
  }
  return true;
}

bool UdpWaitSet::Ready(std::size_t i) const {
  return (native_->fds[i].revents & (POLLIN | POLLERR)) != 0;
}

std::vector<std::uint32_t> LocalAddresses() {
  std::vector<std::uint32_t> out;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return out;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    if ((i->ifa_flags & IFF_LOOPBACK) || !(i->ifa_flags & IFF_UP)) continue;
    sockaddr_in a{};
    std::memcpy(&a, i->ifa_addr, sizeof a);
    out.push_back(ntohl(a.sin_addr.s_addr));
  }
  ::freeifaddrs(list);
  return out;
}

bool EnsureSocketRoom(std::size_t sockets, std::string* error) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return true;
  const rlim_t want = static_cast<rlim_t>(sockets + 64);
  if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < want) {
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < want) {
      *error = "a swarm of this size needs " + std::to_string(want) + " open files; the limit is " +
               std::to_string(limit.rlim_max);
      return false;
    }
    limit.rlim_cur = want;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
      *error = std::string("cannot raise the open-file limit (") + std::strerror(errno) + ")";
      return false;
    }
  }
  return true;
}

}  // namespace sim
