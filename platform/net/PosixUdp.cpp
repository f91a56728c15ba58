// POSIX headers and Backend.h only: the Winsock stand-in's names would clash with these.
#include "platform/net/PosixUdp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

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

class PosixSocket final : public Socket {
 public:
  PosixSocket(int fd, std::shared_ptr<PosixBackend::Registry> registry)
      : fd_(fd), registry_(std::move(registry)) {
    registry_->Add(fd_);
  }
  ~PosixSocket() override {
    registry_->Remove(fd_);
    ::close(fd_);
  }
  PosixSocket(const PosixSocket&) = delete;
  PosixSocket& operator=(const PosixSocket&) = delete;

  Error Bind(const Endpoint& local) override {
    sockaddr_in sa = ToSockaddr(local);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
      return ErrorFromErrno(errno);
    }
    bound_ = true;
    return Error::None;
  }

  Error SetBroadcast(bool on) override {
    int value = on ? 1 : 0;
    if (::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &value, sizeof value) != 0) {
      return ErrorFromErrno(errno);
    }
    return Error::None;
  }

  Error SetReceiveBuffer(int bytes) override {
    if (bytes < 0) return Error::Invalid;
    if (::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) != 0) {
      return ErrorFromErrno(errno);
    }
    return Error::None;
  }

  Error SendTo(const void* data, std::size_t len, const Endpoint& to) override {
    if (data == nullptr && len > 0) return Error::Invalid;
    sockaddr_in sa = ToSockaddr(to);
    ssize_t n;
    do {
      n = ::sendto(fd_, data, len, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return ErrorFromErrno(errno);
    bound_ = true;  // the kernel bound it to an ephemeral port if it was not
    return Error::None;
  }

  long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) override {
    auto fail = [&](Error e) {
      if (error) *error = e;
      return -1L;
    };
    if (buffer == nullptr && len > 0) return fail(Error::Invalid);
    if (!bound_) return fail(Error::Invalid);  // Windows: WSAEINVAL on an unbound socket
    sockaddr_in sa{};
    socklen_t salen = sizeof sa;
    ssize_t n;
    do {
      // MSG_TRUNC: the real length comes back, so an oversized datagram can be told apart.
      n = ::recvfrom(fd_, buffer, len, MSG_TRUNC, reinterpret_cast<sockaddr*>(&sa), &salen);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail(ErrorFromErrno(errno));
    if (from) *from = FromSockaddr(sa);
    if (static_cast<std::size_t>(n) > len) return fail(Error::MessageSize);  // consumed: lost
    if (error) *error = Error::None;
    return static_cast<long>(n);
  }

  bool Readable() override {
    pollfd p{fd_, POLLIN, 0};
    int r;
    do {
      r = ::poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & (POLLIN | POLLERR)) != 0;
  }

  int Fd() const override { return fd_; }

  Endpoint LocalEndpoint() const override {
    sockaddr_in sa{};
    socklen_t salen = sizeof sa;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&sa), &salen) != 0) return Endpoint{};
    return FromSockaddr(sa);
  }

 private:
  int fd_;
  bool bound_ = false;
  std::shared_ptr<PosixBackend::Registry> registry_;
};

}  // namespace

PosixBackend::PosixBackend() : registry_(std::make_shared<Registry>()) {}

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
  return std::make_unique<PosixSocket>(fd, registry_);
}

void PosixBackend::Wait(std::chrono::milliseconds max) {
  const int timeout = static_cast<int>(
      std::clamp<std::chrono::milliseconds::rep>(max.count(), 0, 24 * 3600 * 1000));
  std::vector<int> fds = registry_->Snapshot();
  std::vector<pollfd> polls;
  polls.reserve(fds.size());
  for (int fd : fds) polls.push_back(pollfd{fd, POLLIN, 0});
  // An interrupted poll returns early, which Wait allows.
  ::poll(polls.data(), polls.size(), timeout);
}

}  // namespace platform::net
