#include <cstring>
#include <map>
#include <memory>

#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/net/Backend.h"
#include "platform/winsock2.h"

namespace wsa {
namespace {

struct State {
  int startups = 0;
  int lastError = 0;
  SOCKET next = 0x100;
  std::map<SOCKET, std::unique_ptr<platform::net::Socket>> sockets;
};

State& S() {
  static State state;
  return state;
}

int Code(platform::net::Error e) {
  using platform::net::Error;
  switch (e) {
    case Error::None:
      return 0;
    case Error::WouldBlock:
      return WSAEWOULDBLOCK;
    case Error::MessageSize:
      return WSAEMSGSIZE;
    case Error::ConnReset:
      return WSAECONNRESET;
    case Error::AddrInUse:
      return WSAEADDRINUSE;
    case Error::AddrNotAvail:
      return WSAEADDRNOTAVAIL;
    case Error::Access:
      return WSAEACCES;
    case Error::NetUnreach:
      return WSAENETUNREACH;
    case Error::Invalid:
      return WSAEINVAL;
    case Error::NoBuffers:
      return WSAENOBUFS;
    case Error::Other:
      return WSAEINVAL;
  }
  return WSAEINVAL;
}

int Fail(int code) {
  S().lastError = code;
  return SOCKET_ERROR;
}

platform::net::Socket* Find(SOCKET s) {
  auto it = S().sockets.find(s);
  return it == S().sockets.end() ? nullptr : it->second.get();
}

bool ToEndpoint(const sockaddr* a, int len, platform::net::Endpoint* out) {
  if (!a || len < static_cast<int>(sizeof(sockaddr_in))) return false;
  sockaddr_in in;
  std::memcpy(&in, a, sizeof in);
  if (in.sin_family != AF_INET) return false;
  out->addr = ntohl(in.sin_addr.S_un.S_addr);
  out->port = ntohs(in.sin_port);
  return true;
}

}  // namespace

int WSAStartup(WORD, WSADATA* data) {
  platform::net::Backend* net = platform::CurrentRuntime().net;
  if (!net || !net->Startup()) return WSASYSNOTREADY;
  ++S().startups;
  if (data) {
    std::memset(data, 0, sizeof *data);
    data->wVersion = data->wHighVersion = 0x0202;
    std::strcpy(data->szDescription, "WinSock 2.0");
  }
  return 0;
}

int WSACleanup() {
  if (S().startups == 0) return Fail(WSANOTINITIALISED);
  if (--S().startups == 0) {
    S().sockets.clear();
    if (platform::net::Backend* net = platform::CurrentRuntime().net) net->Cleanup();
  }
  return 0;
}

int WSAGetLastError() {
  return S().lastError;
}
void WSASetLastError(int error) {
  S().lastError = error;
}

SOCKET socket(int af, int type, int) {
  platform::net::Backend* net = platform::CurrentRuntime().net;
  if (S().startups == 0 || !net) {
    S().lastError = WSANOTINITIALISED;
    return INVALID_SOCKET;
  }
  if (af != AF_INET || type != SOCK_DGRAM) {
    S().lastError = WSAEAFNOSUPPORT;
    return INVALID_SOCKET;
  }
  platform::net::Error err = platform::net::Error::None;
  auto sock = net->CreateUdp(&err);
  if (!sock) {
    S().lastError = Code(err == platform::net::Error::None ? platform::net::Error::NoBuffers : err);
    return INVALID_SOCKET;
  }
  SOCKET h = S().next++;
  S().sockets[h] = std::move(sock);
  return h;
}

int bind(SOCKET s, const sockaddr* name, int nameLen) {
  platform::net::Socket* sock = Find(s);
  if (!sock) return Fail(WSAENOTSOCK);
  platform::net::Endpoint ep;
  if (!ToEndpoint(name, nameLen, &ep)) return Fail(WSAEFAULT);
  platform::net::Error e = sock->Bind(ep);
  return e == platform::net::Error::None ? 0 : Fail(Code(e));
}

int setsockopt(SOCKET s, int level, int optName, const char* optVal, int optLen) {
  platform::net::Socket* sock = Find(s);
  if (!sock) return Fail(WSAENOTSOCK);
  if (!optVal || optLen < 1) return Fail(WSAEFAULT);
  std::int32_t v = 0;
  std::memcpy(&v, optVal, static_cast<std::size_t>(std::min(optLen, 4)));
  if (level != SOL_SOCKET) return Fail(WSAEINVAL);
  platform::net::Error e = platform::net::Error::Invalid;
  if (optName == SO_BROADCAST)
    e = sock->SetBroadcast(v != 0);
  else if (optName == SO_RCVBUF)
    e = sock->SetReceiveBuffer(v);
  return e == platform::net::Error::None ? 0 : Fail(Code(e));
}

int sendto(SOCKET s, const char* buf, int len, int, const sockaddr* to, int toLen) {
  platform::net::Socket* sock = Find(s);
  if (!sock) return Fail(WSAENOTSOCK);
  platform::net::Endpoint ep;
  if (!ToEndpoint(to, toLen, &ep)) return Fail(WSAEFAULT);
  if (len < 0 || (len > 0 && !buf)) return Fail(WSAEFAULT);
  platform::net::Error e = sock->SendTo(buf, static_cast<std::size_t>(len), ep);
  return e == platform::net::Error::None ? len : Fail(Code(e));
}

int recvfrom(SOCKET s, char* buf, int len, int, sockaddr* from, int* fromLen) {
  platform::net::Socket* sock = Find(s);
  if (!sock) return Fail(WSAENOTSOCK);
  if (len < 0 || !buf) return Fail(WSAEFAULT);
  platform::net::Endpoint ep;
  platform::net::Error e = platform::net::Error::None;
  long n = sock->RecvFrom(buf, static_cast<std::size_t>(len), &ep, &e);
  // The next notification may come once a receive has been tried, whatever its outcome.
  if (platform::MessageLoop* loop = platform::CurrentRuntime().loop) loop->Rearm(s, n >= 0);
  if (n < 0) return Fail(Code(e));
  if (from && fromLen && *fromLen >= static_cast<int>(sizeof(sockaddr_in))) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(ep.port);
    in.sin_addr.S_un.S_addr = htonl(ep.addr);
    std::memcpy(from, &in, sizeof in);
    *fromLen = sizeof in;
  }
  return static_cast<int>(n);
}

int closesocket(SOCKET s) {
  if (!Find(s)) return Fail(WSAENOTSOCK);
  if (platform::MessageLoop* loop = platform::CurrentRuntime().loop) loop->Unselect(s);
  S().sockets.erase(s);
  return 0;
}

int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events) {
  platform::net::Socket* sock = Find(s);
  if (!sock) return Fail(WSAENOTSOCK);
  platform::MessageLoop* loop = platform::CurrentRuntime().loop;
  if (!loop) return Fail(WSAEINVAL);
  loop->Select(s, sock, window, message, events);
  return 0;
}

u_long inet_addr(const char* text) {
  if (!text) return INADDR_NONE;
  u_long parts[4] = {0, 0, 0, 0};
  int n = 0;
  const char* p = text;
  while (n < 4) {
    if (*p < '0' || *p > '9') return INADDR_NONE;
    unsigned long v = 0;
    while (*p >= '0' && *p <= '9') {
      v = v * 10 + static_cast<unsigned long>(*p++ - '0');
      if (v > 255) return INADDR_NONE;
    }
    parts[n++] = static_cast<u_long>(v);
    if (*p == '.' && n < 4) {
      ++p;
      continue;
    }
    break;
  }
  if (n != 4 || (*p != '\0' && *p != ' ')) return INADDR_NONE;
  return htonl((parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3]);
}

u_short htons(u_short v) {
  return static_cast<u_short>((v >> 8) | (v << 8));
}
u_short ntohs(u_short v) {
  return htons(v);
}
u_long htonl(u_long v) {
  return ((v & 0xFF) << 24) | ((v & 0xFF00) << 8) | ((v >> 8) & 0xFF00) | (v >> 24);
}
u_long ntohl(u_long v) {
  return htonl(v);
}

}  // namespace wsa
