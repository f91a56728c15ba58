// The real Windows headers and neutral project headers only. winsock2.h first: the others need
// it, and windows.h must not bring the old winsock.h.
#include <winsock2.h>
// Then the rest.
#include <mswsock.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/net/WinsockUdp.h"  // WsaErrorText, ListAdapters
#include "sim/UdpSocket.h"

namespace sim {

namespace {

// Winsock started once for the process; it stays until the process ends.
bool WinsockReady() {
  static const bool ready = [] {
    WSADATA data{};
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return ready;
}

}  // namespace

struct UdpSocket::Native {
  SOCKET socket = INVALID_SOCKET;
  LPFN_WSARECVMSG recvMsg = nullptr;  // with ReportDestination
};

UdpSocket::UdpSocket(std::unique_ptr<Native> native) : native_(std::move(native)) {}

UdpSocket::~UdpSocket() {
  if (native_->socket != INVALID_SOCKET) ::closesocket(native_->socket);
}

std::unique_ptr<UdpSocket> UdpSocket::Open(std::uint32_t address, std::uint16_t port,
                                           std::string* error) {
  if (!WinsockReady()) {
    *error = "cannot create a UDP socket (Winsock cannot be started)";
    return nullptr;
  }
  const SOCKET s =
      ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) {
    *error =
        "cannot create a UDP socket (" + platform::net::WsaErrorText(::WSAGetLastError()) + ")";
    return nullptr;
  }
  // The port is this socket's alone, as a plain bind's is on Linux.
  const BOOL on = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
  u_long nonBlocking = 1;
  ::ioctlsocket(s, FIONBIO, &nonBlocking);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = htonl(address);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const int err = ::WSAGetLastError();
    *error = BindFailure(address, port, err == WSAEADDRINUSE, platform::net::WsaErrorText(err));
    ::closesocket(s);
    return nullptr;
  }
  auto native = std::make_unique<Native>();
  native->socket = s;
  return std::unique_ptr<UdpSocket>(new UdpSocket(std::move(native)));
}

void UdpSocket::ReportDestination() {
  const DWORD on = 1;
  if (::setsockopt(native_->socket, IPPROTO_IP, IP_PKTINFO, reinterpret_cast<const char*>(&on),
                   sizeof on) != 0)
    return;
  GUID id = WSAID_WSARECVMSG;
  LPFN_WSARECVMSG recvMsg = nullptr;
  DWORD bytes = 0;
  if (::WSAIoctl(native_->socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &recvMsg,
                 sizeof recvMsg, &bytes, nullptr, nullptr) == 0)
    native_->recvMsg = recvMsg;
}

Received UdpSocket::Receive(std::uint8_t* buffer, std::size_t capacity, std::size_t* size,
                            UdpAddress* from, std::uint32_t* to, std::string* error) {
  sockaddr_in sender{};
  int senderLen = sizeof sender;
  const auto room = static_cast<ULONG>(std::min<std::size_t>(capacity, 0x7FFFFFFF));
  int n = 0;
  if (to) *to = kLimitedBroadcast;
  if (native_->recvMsg != nullptr) {
    WSABUF data{room, reinterpret_cast<char*>(buffer)};
    alignas(WSACMSGHDR) char control[WSA_CMSG_SPACE(sizeof(IN_PKTINFO))] = {};
    WSAMSG msg{};
    msg.name = reinterpret_cast<sockaddr*>(&sender);
    msg.namelen = senderLen;
    msg.lpBuffers = &data;
    msg.dwBufferCount = 1;
    msg.Control.buf = control;
    msg.Control.len = sizeof control;
    DWORD received = 0;
    if (native_->recvMsg(native_->socket, &msg, &received, nullptr, nullptr) != 0) {
      n = SOCKET_ERROR;
    } else {
      n = static_cast<int>(received);
      for (WSACMSGHDR* c = WSA_CMSG_FIRSTHDR(&msg); to && c; c = WSA_CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
          IN_PKTINFO info{};
          std::memcpy(&info, WSA_CMSG_DATA(c), sizeof info);
          *to = ntohl(info.ipi_addr.s_addr);
        }
      }
    }
  } else {
    n = ::recvfrom(native_->socket, reinterpret_cast<char*>(buffer), static_cast<int>(room), 0,
                   reinterpret_cast<sockaddr*>(&sender), &senderLen);
  }
  if (n == SOCKET_ERROR) {
    const int err = ::WSAGetLastError();
    if (err == WSAEWOULDBLOCK) return Received::Empty;
    // An earlier send's unreachable port (WSAECONNRESET) or expired TTL (WSAENETRESET).
    if (err == WSAEINTR || err == WSAECONNRESET || err == WSAENETRESET) return Received::Again;
    *error = "receiving failed (" + platform::net::WsaErrorText(err) + ")";
    return Received::Failed;
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
  return ::sendto(native_->socket, reinterpret_cast<const char*>(data), static_cast<int>(size), 0,
                  reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != SOCKET_ERROR;
}

struct UdpWaitSet::Native {
  std::vector<WSAPOLLFD> fds;
};

UdpWaitSet::UdpWaitSet(const std::vector<const UdpSocket*>& sockets)
    : native_(std::make_unique<Native>()) {
  for (const UdpSocket* s : sockets) {
    WSAPOLLFD p{};
    p.fd = s->native_->socket;
    p.events = POLLRDNORM;
    native_->fds.push_back(p);
  }
}

UdpWaitSet::~UdpWaitSet() = default;

bool UdpWaitSet::Wait(std::chrono::milliseconds timeout, std::string* error) {
  for (WSAPOLLFD& p : native_->fds) p.revents = 0;
  if (::WSAPoll(native_->fds.data(), static_cast<ULONG>(native_->fds.size()),
                static_cast<INT>(timeout.count())) == SOCKET_ERROR) {
    const int err = ::WSAGetLastError();
    if (err != WSAEINTR) {
      *error = "poll failed (" + platform::net::WsaErrorText(err) + ")";
      return false;
    }
    for (WSAPOLLFD& p : native_->fds) p.revents = 0;
  }
  return true;
}

bool UdpWaitSet::Ready(std::size_t i) const {
  return (native_->fds[i].revents & (POLLRDNORM | POLLERR)) != 0;
}

std::vector<std::uint32_t> LocalAddresses() {
  std::vector<platform::net::InterfaceAddress> all;
  std::vector<std::uint32_t> out;
  if (!platform::net::ListAdapters(&all)) return out;
  for (const auto& i : all)
    if (i.up && !i.loopback) out.push_back(i.address);
  return out;
}

// Windows limits sockets by memory only.
bool EnsureSocketRoom(std::size_t, std::string*) {
  return true;
}

}  // namespace sim
