// POSIX headers and Backend.h only: the Winsock stand-in's names would clash with these.
#include "platform/net/PosixUdp.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Runtime.h"
#include "platform/net/ReceiveQueue.h"
#include "platform/net/ReceiveThread.h"

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

}  // namespace

int SocketsForReceiveBuffer(int asked, int granted) {
  // The kernel reports twice what it keeps for datagrams; half of it is what the request met.
  const long kept = granted / 2;
  if (asked <= 0 || kept <= 0 || kept >= asked) return 1;
  const long needed = (static_cast<long>(asked) + kept - 1) / kept;
  return static_cast<int>(std::min<long>(needed, kMaxSharedSockets));
}

namespace {

// True unless the datagram's header names another destination than the local address it was
// taken on: a broadcast or multicast copy. Without the information, the datagram is kept.
bool AddressedToThisHost(msghdr& msg) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c)) {
    if (c->cmsg_level != IPPROTO_IP || c->cmsg_type != IP_PKTINFO) continue;
    in_pktinfo info{};
    std::memcpy(&info, CMSG_DATA(c), sizeof info);
    return info.ipi_addr.s_addr == info.ipi_spec_dst.s_addr;
  }
  return true;
}

// The network namespace of the calling thread, 0 if it cannot be told.
std::uint64_t CurrentNetworkNamespace() {
  struct stat st {};
  if (::stat("/proc/thread-self/ns/net", &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.st_ino);
}

// Held while sockets of this program share a port, so that two of them never form one group
// (each would get a share of the other's replies): an abstract local socket named after the
// port, which the kernel scopes to the network namespace, as it does the port. -1 when another
// holds it (errno EADDRINUSE) or it cannot be made.
int ClaimSharedPort(const Endpoint& local) {
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_un name{};
  name.sun_family = AF_UNIX;
  const std::string text =
      "kestrival/udp/" + DottedAddress(local.addr) + ":" + std::to_string(local.port);
  std::memcpy(name.sun_path + 1, text.data(), std::min(text.size(), sizeof name.sun_path - 1));
  const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + text.size());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&name), length) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  return fd;
}

// The kernel's net.core.rmem_max, 0 if unknown.
int KernelReceiveBufferMax() {
  std::ifstream in("/proc/sys/net/core/rmem_max");
  long value = 0;
  return in >> value && value > 0 && value < (1L << 31) ? static_cast<int>(value) : 0;
}

class PosixSocket final : public Socket, private ReceiveSource {
 public:
  PosixSocket(int fd, std::shared_ptr<WaitRegistry> registry, const PosixOptions& options)
      : fd_(fd),
        options_(options),
        receiver_(options.queueBytes, options.holdReceiveThread),
        stopFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
        registry_(std::move(registry)) {
    registry_->Add(receiver_.Waitable());
  }
  ~PosixSocket() override {
    receiver_.Stop();
    registry_->Remove(receiver_.Waitable());
    ::close(fd_);
    for (int extra : extras_) ::close(extra);
    if (claim_ >= 0) ::close(claim_);
    if (stopFd_ >= 0) ::close(stopFd_);
  }
  PosixSocket(const PosixSocket&) = delete;
  PosixSocket& operator=(const PosixSocket&) = delete;

  Error Bind(const Endpoint& local) override {
    if (bound_) return Error::Invalid;
    const int sockets = SocketsForReceiveBuffer(askedBytes_, Granted());
    if (sockets > 1 && local.port != 0) {
      // The sockets of a group are made by this thread: in the socket's own namespace only.
      if (namespace_ == CurrentNetworkNamespace()) return BindShared(local, sockets);
      NetTrace(
          "receive buffer: the port is not shared: bound from another network namespace than "
          "the socket's own\n");
    }
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
  // Asked before the bind, a size the kernel cuts is made up at the bind by more sockets.
  Error SetReceiveBuffer(int bytes) override {
    if (bytes < 0) return Error::Invalid;
    const int cap = options_.receiveBufferCap;
    const int ask = CappedAsk(bytes);
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &ask, sizeof ask) != 0) {
      return ErrorFromErrno(errno);
    }
    for (int extra : extras_) ::setsockopt(extra, SOL_SOCKET, SO_RCVBUF, &ask, sizeof ask);
    const int granted = Granted();
    askedBytes_ = bytes;
    std::string text = "receive buffer: asked " + std::to_string(bytes) + " bytes, granted " +
                       std::to_string(granted);
    if (granted / 2 < bytes) {
      const int limit = cap > 0 ? cap : KernelReceiveBufferMax();
      text += "; net.core.rmem_max (" + (limit > 0 ? std::to_string(limit) : std::string("?")) +
              ") caps it" + (cap > 0 ? " (emulated)" : "");
      if (!bound_) {
        text += "; " + std::to_string(SocketsForReceiveBuffer(bytes, granted)) +
                " sockets will share the port to hold it";
      }
    }
    text += "; the receive queue holds " + std::to_string(receiver_.QueueBytes()) + " bytes more\n";
    NetTrace(text);
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
    if ((buffer == nullptr && len > 0) || !bound_) {
      // Windows: WSAEINVAL on an unbound socket
      if (error) *error = Error::Invalid;
      return -1;
    }
    return receiver_.RecvFrom(buffer, len, from, error);
  }

  bool Readable() override { return receiver_.Readable(); }

  WaitHandle Waitable() const override { return receiver_.Waitable(); }
  bool ReceivesAhead() const override { return true; }

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
      NetTrace("broadcast to " + target +
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
      NetTrace("broadcast to " + target + " failed on " + v.name + " (" + DottedAddress(v.address) +
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
  // The kernel grants each socket at most net.core.rmem_max, so the receive buffer asked for is
  // made of several sockets on one port (SO_REUSEPORT): the kernel spreads the senders over them,
  // each sender always to the same socket, so one reader's datagrams keep their order. A
  // broadcast reaches every socket of the group, and only this one keeps it.
  //
  // A plain bind tried first keeps "the port is taken" true: it fails while any program holds
  // the port, including another of ours, whose sockets would otherwise join this group. The
  // claim, held for the group's life, keeps two of ours that bind at the same moment apart.
  Error BindShared(const Endpoint& local, int sockets) {
    const sockaddr_in sa = ToSockaddr(local);
    claim_ = ClaimSharedPort(local);
    if (claim_ < 0) return ErrorFromErrno(errno);
    const int on = 1;
    const int off = 0;
    auto fail = [&](int err) {
      ::setsockopt(fd_, SOL_SOCKET, SO_REUSEPORT, &off, sizeof off);
      ::close(claim_);
      claim_ = -1;
      return ErrorFromErrno(err);
    };
    const int probe = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (probe < 0) return fail(errno);
    const int probed = ::bind(probe, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    const int probeError = errno;
    ::close(probe);
    if (probed != 0) return fail(probeError);
    if (::setsockopt(fd_, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) != 0) {
      NetTrace("receive buffer: the port cannot be shared (" + std::string(std::strerror(errno)) +
               "); one socket holds what the kernel granted\n");
      sockets = 1;
    }
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) return fail(errno);
    const int ask = CappedAsk(askedBytes_);
    std::string failure;
    while (static_cast<int>(extras_.size()) + 1 < sockets) {
      const int extra = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      if (extra < 0) {
        failure = std::strerror(errno);
        break;
      }
      if (::setsockopt(extra, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) != 0 ||
          ::setsockopt(extra, SOL_SOCKET, SO_RCVBUF, &ask, sizeof ask) != 0 ||
          ::setsockopt(extra, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
          ::bind(extra, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        failure = std::strerror(errno);
        ::close(extra);
        break;
      }
      extras_.push_back(extra);
    }
    const std::size_t count = extras_.size() + 1;
    if (count > 1 || !failure.empty()) {
      NetTrace("receive buffer: " + std::to_string(count) + " sockets share port " +
               std::to_string(local.port) + ", " + std::to_string(count) + " x " +
               std::to_string(Granted()) + " bytes" +
               (failure.empty() ? std::string() : " (no more: " + failure + ")") + "\n");
    }
    MarkBound();
    return Error::None;
  }

  // What a receive buffer request becomes under the emulated limit.
  int CappedAsk(int bytes) const {
    const int cap = options_.receiveBufferCap;
    return cap > 0 ? std::min(bytes, cap) : bytes;
  }

  // SO_RCVBUF as the kernel reports it: twice what it keeps for datagrams.
  int Granted() const {
    int granted = 0;
    socklen_t len = sizeof granted;
    ::getsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &granted, &len);
    return granted;
  }

  // Bound, by bind or by the first send: the receive thread starts, with the group complete.
  void MarkBound() {
    bound_ = true;
    if (receiver_.Running() || stopFd_ < 0) return;
    polls_.clear();
    polls_.push_back({fd_, POLLIN, 0});
    for (int extra : extras_) polls_.push_back({extra, POLLIN, 0});
    polls_.push_back({stopFd_, POLLIN, 0});
    batch_ = std::make_unique<Batch>();
    receiver_.Start(*this);
  }

  // The receive thread's side (ReceiveSource): poll() over the sockets of the group and the stop
  // descriptor; the ready sockets are read one after the other.
  Wake WaitReadable() override {
    const std::size_t stop = polls_.size() - 1;
    const int r = ::poll(polls_.data(), polls_.size(), -1);
    if (r < 0 && errno != EINTR) return Wake::End;
    if (r <= 0) return Wake::Again;
    if (polls_[stop].revents != 0) return Wake::End;
    next_ = 0;
    return Wake::Readable;
  }

  void Pause(std::chrono::milliseconds pause) override {
    pollfd wait{stopFd_, POLLIN, 0};
    ::poll(&wait, 1, static_cast<int>(pause.count()));
  }

  void Interrupt() override {
    const std::uint64_t one = 1;
    ssize_t ignored = ::write(stopFd_, &one, sizeof one);
    static_cast<void>(ignored);
  }

  // One recvmmsg on the next ready socket of the group. A datagram that is not addressed to this
  // host is a copy of a broadcast that the first socket keeps; the others drop theirs.
  Read ReadSome(std::vector<ReceiveQueue::Datagram>& taken) override {
    const std::size_t stop = polls_.size() - 1;
    while (next_ < stop && polls_[next_].revents == 0) ++next_;
    if (next_ >= stop) return Read::Done;
    const int fd = polls_[next_].fd;
    const bool unicastOnly = next_ > 0;
    Batch& b = *batch_;
    for (std::size_t i = 0; i < Batch::kSize; ++i) {
      b.iovs[i] = iovec{b.buffers.data() + i * Batch::kSlot, Batch::kSlot};
      b.msgs[i] = mmsghdr{};
      b.msgs[i].msg_hdr.msg_name = &b.senders[i];
      b.msgs[i].msg_hdr.msg_namelen = sizeof b.senders[i];
      b.msgs[i].msg_hdr.msg_iov = &b.iovs[i];
      b.msgs[i].msg_hdr.msg_iovlen = 1;
      if (unicastOnly) {
        b.msgs[i].msg_hdr.msg_control = b.controls.data() + i * Batch::kControl;
        b.msgs[i].msg_hdr.msg_controllen = Batch::kControl;
      }
    }
    const int n = ::recvmmsg(fd, b.msgs.data(), Batch::kSize, MSG_DONTWAIT, nullptr);
    if (n < 0) {
      const int err = errno;
      if (err == EINTR) return Read::More;
      ++next_;  // this socket is done with
      if (err == EAGAIN || err == EWOULDBLOCK) return Read::More;
      ReceiveQueue::Datagram d;
      d.error = ErrorFromErrno(err);
      taken.push_back(std::move(d));
      return err == ECONNREFUSED || err == ECONNRESET ? Read::More : Read::PauseFirst;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
      if (unicastOnly && !AddressedToThisHost(b.msgs[i].msg_hdr)) continue;
      ReceiveQueue::Datagram d;
      d.from = FromSockaddr(b.senders[i]);
      const char* data = b.buffers.data() + i * Batch::kSlot;
      d.bytes.assign(data, data + std::min<std::size_t>(b.msgs[i].msg_len, Batch::kSlot));
      taken.push_back(std::move(d));
    }
    if (static_cast<std::size_t>(n) < Batch::kSize) ++next_;  // drained
    return Read::More;
  }

  // Room for up to kSize datagrams per system call, each slot larger than any UDP datagram over
  // IPv4, with the address each was sent to.
  struct Batch {
    static constexpr std::size_t kSize = 32;
    static constexpr std::size_t kSlot = 65536;
    static constexpr std::size_t kControl = CMSG_SPACE(sizeof(in_pktinfo));
    std::vector<char> buffers = std::vector<char>(kSize * kSlot);
    std::vector<char> controls = std::vector<char>(kSize * kControl);
    std::vector<iovec> iovs = std::vector<iovec>(kSize);
    std::vector<sockaddr_in> senders = std::vector<sockaddr_in>(kSize);
    std::vector<mmsghdr> msgs = std::vector<mmsghdr>(kSize);
  };

  int fd_;
  PosixOptions options_;
  ReceiveThread receiver_;
  int stopFd_;
  std::vector<pollfd> polls_;     // the receive thread's: the group's sockets, then stopFd_
  std::size_t next_ = 0;          // the receive thread's: the socket ReadSome reads next
  std::unique_ptr<Batch> batch_;  // the receive thread's room
  std::uint64_t namespace_ = CurrentNetworkNamespace();  // where the socket was made
  std::vector<int> extras_;  // the other sockets of a shared port, fixed once bound
  int claim_ = -1;           // held while the port is shared
  int askedBytes_ = 0;       // the last receive buffer asked for
  bool bound_ = false;
  std::shared_ptr<WaitRegistry> registry_;
};

}  // namespace

PosixOptions PosixOptionsFromEnvironment() {
  PosixOptions options;
  options.receiveBufferCap = ReceiveBufferCapFromEnvironment();
  return options;
}

PosixBackend::PosixBackend() : PosixBackend(PosixOptions{}) {}

PosixBackend::PosixBackend(PosixOptions options)
    : options_(std::move(options)), registry_(std::make_shared<WaitRegistry>()) {}

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
  const std::vector<WaitHandle> handles = registry_->Snapshot();
  std::vector<pollfd> polls;
  polls.reserve(handles.size());
  for (WaitHandle h : handles) polls.push_back(pollfd{static_cast<int>(h), POLLIN, 0});
  // An interrupted poll returns early, which Wait allows.
  ::poll(polls.data(), polls.size(), timeout);
}

}  // namespace platform::net
