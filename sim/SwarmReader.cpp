#include "sim/SwarmReader.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "protocol/IpAddress.h"
#include "sim/UdpSocket.h"

namespace sim {

namespace {

// Room for `needed` more descriptors: the soft limit of open files raised towards the hard one.
bool EnsureDescriptors(std::size_t needed, std::string* error) {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return true;
  const rlim_t want = static_cast<rlim_t>(needed + 64);
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

}  // namespace

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
    int fd;
    std::unique_ptr<ReaderEngine> engine;
  };
  int listenFd = -1;
  std::vector<Member> members;
  SwarmCounters counters;
  std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(65536);

  ~Impl() {
    if (listenFd >= 0) ::close(listenFd);
    for (Member& m : members) {
      if (m.fd >= 0) ::close(m.fd);
    }
  }

  void Send(int fd, const sockaddr_in& to, const std::vector<std::uint8_t>& bytes) {
    const ssize_t n = ::sendto(fd, bytes.data(), bytes.size(), 0,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (n < 0) {
      ++counters.sendErrors;
    } else {
      ++counters.replies;
    }
  }

  // A datagram on the discovery port: a broadcast (the search) is answered by every member at
  // once, each from its own address; one sent to a member's address (the network settings) is
  // that member's alone. The destination comes from IP_PKTINFO.
  bool DrainListener(std::string* error) {
    for (;;) {
      sockaddr_in from{};
      iovec io{buffer.data(), buffer.size()};
      alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))];
      msghdr msg{};
      msg.msg_name = &from;
      msg.msg_namelen = sizeof from;
      msg.msg_iov = &io;
      msg.msg_iovlen = 1;
      msg.msg_control = control;
      msg.msg_controllen = sizeof control;
      const ssize_t n = ::recvmsg(listenFd, &msg, 0);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
        if (errno == EINTR || errno == ECONNREFUSED) continue;
        *error = std::string("receiving failed (") + std::strerror(errno) + ")";
        return false;
      }
      std::uint32_t to = INADDR_BROADCAST;
      for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
          in_pktinfo info{};
          std::memcpy(&info, CMSG_DATA(c), sizeof info);
          to = ntohl(info.ipi_addr.s_addr);
        }
      }
      const auto len = static_cast<std::size_t>(n);
      bool mine = false;
      for (Member& m : members) {
        if (m.address != to) continue;
        mine = true;
        if (auto reply = m.engine->Receive(buffer.data(), len, Port::Discovery))
          Send(m.fd, from, reply->bytes);
      }
      if (mine) continue;
      ++counters.searches;
      for (Member& m : members) {
        if (auto reply = m.engine->Receive(buffer.data(), len, Port::Discovery))
          Send(m.fd, from, reply->bytes);
      }
    }
  }

  bool DrainMember(Member& m, std::string* error) {
    for (;;) {
      sockaddr_in from{};
      socklen_t fromLen = sizeof from;
      const ssize_t n = ::recvfrom(m.fd, buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLen);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
        if (errno == EINTR || errno == ECONNREFUSED) continue;
        *error = std::string("receiving failed (") + std::strerror(errno) + ")";
        return false;
      }
      ++counters.requests;
      auto reply = m.engine->Receive(buffer.data(), static_cast<std::size_t>(n), Port::Command);
      if (reply) Send(m.fd, from, reply->bytes);
    }
  }
};

SwarmReader::SwarmReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SwarmReader::~SwarmReader() = default;

std::unique_ptr<SwarmReader> SwarmReader::Open(const std::vector<std::uint32_t>& addresses,
                                               const std::string& labelPrefix,
                                               std::uint16_t commandPort,
                                               std::uint16_t discoveryPort, std::string* error) {
  if (!EnsureDescriptors(addresses.size() + 1, error)) return nullptr;
  auto impl = std::make_unique<Impl>();
  impl->listenFd = OpenBoundUdp(0, discoveryPort, error);
  if (impl->listenFd < 0) return nullptr;
  int on = 1;
  ::setsockopt(impl->listenFd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
  impl->members.reserve(addresses.size());
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    Impl::Member m;
    m.address = addresses[i];
    m.fd = OpenBoundUdp(addresses[i], commandPort, error);
    if (m.fd < 0) return nullptr;
    m.engine = std::make_unique<ReaderEngine>(
        ReaderIdentity{SwarmLabel(labelPrefix, i), Ip32{addresses[i]}, kClientVersion});
    impl->members.push_back(std::move(m));
  }
  return std::unique_ptr<SwarmReader>(new SwarmReader(std::move(impl)));
}

int SwarmReader::Serve(const std::atomic<bool>& stop, std::string* error) {
  std::vector<pollfd> fds;
  fds.push_back({impl_->listenFd, POLLIN, 0});
  for (const Impl::Member& m : impl_->members) fds.push_back({m.fd, POLLIN, 0});
  while (!stop.load()) {
    for (pollfd& p : fds) p.revents = 0;
    const int r = ::poll(fds.data(), fds.size(), 100);
    if (r < 0) {
      if (errno == EINTR) continue;
      *error = std::string("poll failed (") + std::strerror(errno) + ")";
      return 1;
    }
    if (r == 0) continue;
    if ((fds[0].revents & (POLLIN | POLLERR)) && !impl_->DrainListener(error)) return 1;
    for (std::size_t i = 1; i < fds.size(); ++i) {
      if ((fds[i].revents & (POLLIN | POLLERR)) &&
          !impl_->DrainMember(impl_->members[i - 1], error))
        return 1;
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
