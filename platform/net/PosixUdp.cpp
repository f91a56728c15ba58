// POSIX headers and Backend.h only: the Winsock stand-in's names would clash with these.
#include "platform/net/PosixUdp.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Runtime.h"
#include "platform/net/ReceiveQueue.h"

namespace platform::net {

Error ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return Error::None;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return Error::WouldBlock;
    case EMSGSIZE:
      return Error::MessageSize;
    case ECONNREFUSED:
    case ECONNRESET:
      return Error::ConnReset;
    case EADDRINUSE:
      return Error::AddrInUse;
    case EADDRNOTAVAIL:
      return Error::AddrNotAvail;
    case EACCES:
    case EPERM:
      return Error::Access;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
      return Error::NetUnreach;
    case EINVAL:
    case EBADF:
    case ENOTSOCK:
    case EFAULT:
    case EAFNOSUPPORT:
    case EDESTADDRREQ:
    case EISCONN:
      return Error::Invalid;
    case ENOBUFS:
    case ENOMEM:
    case EMFILE:
    case ENFILE:
      return Error::NoBuffers;
    default:
      return Error::Other;
  }
}

std::vector<InterfaceAddress> BroadcastInterfaces(const std::vector<InterfaceAddress>& all) {
  std::vector<InterfaceAddress> chosen;
  for (const InterfaceAddress& a : all) {
    if (!a.up || !a.broadcast || a.loopback || a.index <= 0) continue;
    const bool seen = std::any_of(chosen.begin(), chosen.end(),
                                  [&](const InterfaceAddress& c) { return c.index == a.index; });
    if (!seen) chosen.push_back(a);
  }
  return chosen;
}

struct PosixBackend::Registry {
  std::mutex mutex;
  std::vector<int> fds;

  void Add(int fd) {
    std::lock_guard lock(mutex);
    fds.push_back(fd);
  }
  void Remove(int fd) {
    std::lock_guard lock(mutex);
    fds.erase(std::remove(fds.begin(), fds.end(), fd), fds.end());
  }
  std::vector<int> Snapshot() {
    std::lock_guard lock(mutex);
    return fds;
  }
};

namespace {

sockaddr_in ToSockaddr(const Endpoint& e) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = htonl(e.addr);
  sa.sin_port = htons(e.port);
  return sa;
}

Endpoint FromSockaddr(const sockaddr_in& sa) {
  return Endpoint{ntohl(sa.sin_addr.s_addr), ntohs(sa.sin_port)};
}

void Trace(const std::string& text) {
  const Runtime& runtime = CurrentRuntime();
  if (runtime.debug) runtime.debug(text);
}

std::string Dotted(std::uint32_t addr) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", addr >> 24, (addr >> 16) & 0xFF,
                (addr >> 8) & 0xFF, addr & 0xFF);
  return text;
}

// The IPv4 addresses of the interfaces of the socket's own network namespace (asked through the
// socket, so a socket made in another namespace than the calling thread's sees its own). Listed
// afresh for every call: interfaces come and go while the tool runs. False if the kernel refused.
bool ListInterfaces(int fd, std::vector<InterfaceAddress>* out) {
  std::vector<ifreq> entries(64);
  ifconf conf{};
  for (;;) {
    conf.ifc_len = static_cast<int>(entries.size() * sizeof(ifreq));
    conf.ifc_req = entries.data();
    if (::ioctl(fd, SIOCGIFCONF, &conf) != 0) return false;
    // A full answer may have been cut: ask again with more room.
    if (static_cast<std::size_t>(conf.ifc_len) + sizeof(ifreq) <= entries.size() * sizeof(ifreq))
      break;
    if (entries.size() >= 65536) break;
    entries.resize(entries.size() * 4);
  }
  const std::size_t count = static_cast<std::size_t>(conf.ifc_len) / sizeof(ifreq);
  out->clear();
  for (std::size_t i = 0; i < count; ++i) {
    const ifreq& entry = entries[i];
    if (entry.ifr_addr.sa_family != AF_INET) continue;
    InterfaceAddress a;
    a.name.assign(entry.ifr_name, strnlen(entry.ifr_name, IFNAMSIZ));
    sockaddr_in in{};
    std::memcpy(&in, &entry.ifr_addr, sizeof in);
    a.address = ntohl(in.sin_addr.s_addr);
    ifreq query{};
    std::memcpy(query.ifr_name, entry.ifr_name, IFNAMSIZ);
    if (::ioctl(fd, SIOCGIFFLAGS, &query) != 0) continue;  // gone meanwhile
    const unsigned flags = static_cast<unsigned short>(query.ifr_flags);
    a.up = (flags & IFF_UP) != 0;
    a.broadcast = (flags & IFF_BROADCAST) != 0;
    a.loopback = (flags & IFF_LOOPBACK) != 0;
    std::memcpy(query.ifr_name, entry.ifr_name, IFNAMSIZ);
    if (::ioctl(fd, SIOCGIFINDEX, &query) != 0) continue;
    a.index = query.ifr_ifindex;
    out->push_back(std::move(a));
  }
  return true;
}

// One datagram out of one interface, from that interface's address; the kernel needs no route
// for a limited broadcast that names its interface.
int SendVia(int fd, const void* data, std::size_t len, const sockaddr_in& to,
            const InterfaceAddress& via) {
  iovec iov{const_cast<void*>(data), len};
  alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
  msghdr msg{};
  msg.msg_name = const_cast<sockaddr_in*>(&to);
  msg.msg_namelen = sizeof to;
  msg.msg_iov = &iov;
  msg.msg_iovlen = 1;
  msg.msg_control = control;
  msg.msg_controllen = sizeof control;
  cmsghdr* c = CMSG_FIRSTHDR(&msg);
  c->cmsg_level = IPPROTO_IP;
  c->cmsg_type = IP_PKTINFO;
  c->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
  in_pktinfo info{};
  info.ipi_ifindex = via.index;
  info.ipi_spec_dst.s_addr = htonl(via.address);
  std::memcpy(CMSG_DATA(c), &info, sizeof info);
  ssize_t n;
  do {
    n = ::sendmsg(fd, &msg, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n < 0 ? errno : 0;
}

// The kernel's net.core.rmem_max, 0 if unknown.
int KernelReceiveBufferMax() {
  std::ifstream in("/proc/sys/net/core/rmem_max");
  long value = 0;
  return in >> value && value > 0 && value < (1L << 31) ? static_cast<int>(value) : 0;
}

class PosixSocket final : public Socket {
 public:
  PosixSocket(int fd, std::shared_ptr<PosixBackend::Registry> registry, const PosixOptions& options)
      : fd_(fd),
        options_(options),
        queue_(options.queueBytes),
        stopFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
        registry_(std::move(registry)) {
    registry_->Add(queue_.WakeFd());
  }
  ~PosixSocket() override {
    if (receiver_.joinable()) {
      stopping_ = true;
      const std::uint64_t one = 1;
      ssize_t ignored = ::write(stopFd_, &one, sizeof one);
      static_cast<void>(ignored);
      receiver_.join();
    }
    registry_->Remove(queue_.WakeFd());
    ::close(fd_);
    if (stopFd_ >= 0) ::close(stopFd_);
  }
  PosixSocket(const PosixSocket&) = delete;
  PosixSocket& operator=(const PosixSocket&) = delete;

  Error Bind(const Endpoint& local) override {
    sockaddr_in sa = ToSockaddr(local);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
      return ErrorFromErrno(errno);
    }
    MarkBound();
    return Error::None;
  }

  Error SetBroadcast(bool on) override {
    int value = on ? 1 : 0;
    if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) != 0) {
      return ErrorFromErrno(errno);
    }
    return Error::None;
  }

  // Traces what the kernel granted, and when it is less than asked, the limit that cut it.
  Error SetReceiveBuffer(int bytes) override {
    if (bytes < 0) return Error::Invalid;
    const int cap = options_.receiveBufferCap;
    const int ask = cap > 0 ? std::min(bytes, cap) : bytes;
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &ask, sizeof ask) != 0) {
      return ErrorFromErrno(errno);
    }
    int granted = 0;
    socklen_t len = sizeof granted;
    ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &granted, &len);
    std::string text = "receive buffer: asked " + std::to_string(bytes) + " bytes, granted " +
                       std::to_string(granted);
    // The kernel doubles what it grants for its own bookkeeping: half of it is what was kept.
    if (granted / 2 < bytes) {
      const int limit = cap > 0 ? cap : KernelReceiveBufferMax();
      text += "; net.core.rmem_max (" + (limit > 0 ? std::to_string(limit) : std::string("?")) +
              ") caps it" + (cap > 0 ? " (emulated)" : "");
    }
    text += "; the receive queue holds " + std::to_string(options_.queueBytes) + " bytes more\n";
    Trace(text);
    return Error::None;
  }

  Error SendTo(const void* data, std::size_t len, const Endpoint& to) override {
    if (data == nullptr && len > 0) return Error::Invalid;
    sockaddr_in sa = ToSockaddr(to);
    if (to.addr == 0xFFFFFFFFu) return SendLimitedBroadcast(data, len, sa);
    ssize_t n;
    do {
      n = ::sendto(fd_, data, len, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return ErrorFromErrno(errno);
    MarkBound();  // the kernel bound it to an ephemeral port if it was not
    return Error::None;
  }

  long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) override {
    auto fail = [&](Error e) {
      if (error) *error = e;
      return -1L;
    };
    if (buffer == nullptr && len > 0) return fail(Error::Invalid);
    if (!bound_) return fail(Error::Invalid);  // Windows: WSAEINVAL on an unbound socket
    const std::uint64_t dropped = queue_.Dropped();
    if (dropped > reportedDrops_) {
      Trace("receive queue full (" + std::to_string(options_.queueBytes) +
            " bytes): " + std::to_string(dropped - reportedDrops_) + " datagrams dropped (" +
            std::to_string(dropped) + " in all)\n");
      reportedDrops_ = dropped;
    }
    ReceiveQueue::Datagram d;
    if (!queue_.Pop(&d)) return fail(Error::WouldBlock);
    if (from) *from = d.from;
    if (d.error != Error::None) return fail(d.error);
    if (d.bytes.size() > len) return fail(Error::MessageSize);  // taken: it is lost
    if (!d.bytes.empty()) std::memcpy(buffer, d.bytes.data(), d.bytes.size());
    if (error) *error = Error::None;
    return static_cast<long>(d.bytes.size());
  }

  bool Readable() override { return !queue_.Empty(); }

  int Fd() const override { return queue_.WakeFd(); }

  // Windows sends a limited broadcast out of every interface, with or without a route; Linux
  // sends it by the route to 255.255.255.255 only, and refuses it without one. So the datagram
  // goes out of each interface that can carry it, named one by one.
  Error SendLimitedBroadcast(const void* data, std::size_t len, const sockaddr_in& to) {
    std::vector<InterfaceAddress> all;
    if (!ListInterfaces(fd_, &all)) {
      ssize_t n;
      do {
        n = ::sendto(fd_, data, len, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                     sizeof to);
      } while (n < 0 && errno == EINTR);
      if (n < 0) return ErrorFromErrno(errno);
      MarkBound();
      return Error::None;
    }
    const std::string target = "255.255.255.255:" + std::to_string(ntohs(to.sin_port));
    const std::vector<InterfaceAddress> via = BroadcastInterfaces(all);
    if (via.empty()) {
      Trace("broadcast to " + target +
            " not sent: no IPv4 interface is up and able to broadcast (loopback aside)\n");
      return Error::NetUnreach;
    }
    int firstError = 0;
    bool sent = false;
    for (const InterfaceAddress& v : via) {
      const int err = SendVia(fd_, data, len, to, v);
      if (err == 0) {
        sent = true;
        continue;
      }
      if (firstError == 0) firstError = err;
      Trace("broadcast to " + target + " failed on " + v.name + " (" + Dotted(v.address) +
            "): " + std::strerror(err) + "\n");
    }
    if (!sent) return ErrorFromErrno(firstError);
    MarkBound();
    return Error::None;
  }

  Endpoint LocalEndpoint() const override {
    sockaddr_in sa{};
    socklen_t salen = sizeof sa;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &salen) != 0) return Endpoint{};
    return FromSockaddr(sa);
  }

 private:
  void MarkBound() {
    bound_ = true;
    if (!receiver_.joinable() && stopFd_ >= 0) receiver_ = std::thread([this] { ReceiveLoop(); });
  }

  // The receive thread: waits for the kernel's socket and moves every datagram into the queue,
  // touching nothing else of the socket.
  void ReceiveLoop() {
    // Up to kBatch datagrams per system call, each slot larger than any UDP datagram over IPv4.
    constexpr std::size_t kBatch = 32;
    constexpr std::size_t kSlot = 65536;
    std::vector<char> buffers(kBatch * kSlot);
    std::vector<iovec> iovs(kBatch);
    std::vector<sockaddr_in> senders(kBatch);
    std::vector<mmsghdr> msgs(kBatch);
    std::vector<ReceiveQueue::Datagram> batch;
    batch.reserve(kBatch);
    pollfd polls[2] = {{fd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    while (!stopping_) {
      const int r = ::poll(polls, 2, -1);
      if (r < 0 && errno != EINTR) return;
      if (r <= 0) continue;
      if (polls[1].revents != 0) return;
      while (!stopping_) {
        for (std::size_t i = 0; i < kBatch; ++i) {
          iovs[i] = iovec{buffers.data() + i * kSlot, kSlot};
          msgs[i] = mmsghdr{};
          msgs[i].msg_hdr.msg_name = &senders[i];
          msgs[i].msg_hdr.msg_namelen = sizeof senders[i];
          msgs[i].msg_hdr.msg_iov = &iovs[i];
          msgs[i].msg_hdr.msg_iovlen = 1;
        }
        const int n = ::recvmmsg(fd_, msgs.data(), kBatch, MSG_DONTWAIT, nullptr);
        if (n < 0) {
          const int err = errno;
          if (err == EINTR) continue;
          if (err == EAGAIN || err == EWOULDBLOCK) break;
          ReceiveQueue::Datagram d;
          d.error = ErrorFromErrno(err);
          queue_.Push(std::move(d));
          // An error that reading does not clear must not spin this thread.
          if (err != ECONNREFUSED && err != ECONNRESET) {
            pollfd stop{stopFd_, POLLIN, 0};
            ::poll(&stop, 1, 10);
          }
          break;
        }
        batch.clear();
        for (int i = 0; i < n; ++i) {
          ReceiveQueue::Datagram d;
          d.from = FromSockaddr(senders[static_cast<std::size_t>(i)]);
          const char* data = buffers.data() + static_cast<std::size_t>(i) * kSlot;
          d.bytes.assign(
              data, data + std::min<std::size_t>(msgs[static_cast<std::size_t>(i)].msg_len, kSlot));
          batch.push_back(std::move(d));
        }
        queue_.PushAll(batch);
        if (static_cast<std::size_t>(n) < kBatch) break;  // drained: wait again
      }
    }
  }

  int fd_;
  PosixOptions options_;
  ReceiveQueue queue_;
  int stopFd_;
  std::atomic<bool> stopping_{false};
  std::thread receiver_;
  bool bound_ = false;
  std::uint64_t reportedDrops_ = 0;
  std::shared_ptr<PosixBackend::Registry> registry_;
};

}  // namespace

PosixOptions PosixOptionsFromEnvironment() {
  PosixOptions options;
  if (const char* cap = std::getenv("KESTRIVAL_RMEM_MAX")) {
    char* end = nullptr;
    const long value = std::strtol(cap, &end, 10);
    if (end != cap && *end == '\0' && value > 0 && value < (1L << 30))
      options.receiveBufferCap = static_cast<int>(value);
  }
  return options;
}

PosixBackend::PosixBackend() : PosixBackend(PosixOptions{}) {}

PosixBackend::PosixBackend(PosixOptions options)
    : options_(options), registry_(std::make_shared<Registry>()) {}

PosixBackend::~PosixBackend() = default;

bool PosixBackend::Startup() {
  return true;
}

void PosixBackend::Cleanup() {}

std::unique_ptr<Socket> PosixBackend::CreateUdp(Error* error) {
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = ErrorFromErrno(errno);
    return nullptr;
  }
  if (error) *error = Error::None;
  return std::make_unique<PosixSocket>(fd, registry_, options_);
}

void PosixBackend::Wait(std::chrono::milliseconds max) {
  const int timeout = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
      max.count(), 0, std::chrono::milliseconds::rep{24} * 3600 * 1000));
  std::vector<int> fds = registry_->Snapshot();
  std::vector<pollfd> polls;
  polls.reserve(fds.size());
  for (int fd : fds) polls.push_back(pollfd{fd, POLLIN, 0});
  // An interrupted poll returns early, which Wait allows.
  ::poll(polls.data(), polls.size(), timeout);
}

}  // namespace platform::net
