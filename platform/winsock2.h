// The Windows Sockets 2 calls the tool uses, over the runtime's network backend. The names live
// in namespace wsa and are brought into the global namespace, as <winsock2.h> has them there; never
// include this header together with the POSIX socket headers.
#pragma once

#include <cstdint>

#include "platform/windef.h"

namespace wsa {

using SOCKET = UINT_PTR;
using u_short = std::uint16_t;
using u_long = std::uint32_t;

constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_UDP = 17;
constexpr int SOL_SOCKET = 0xFFFF;
constexpr int SO_BROADCAST = 0x0020;
constexpr int SO_RCVBUF = 0x1002;
constexpr u_long INADDR_ANY = 0x00000000;
constexpr u_long INADDR_BROADCAST = 0xFFFFFFFF;
constexpr u_long INADDR_NONE = 0xFFFFFFFF;
constexpr long FD_READ = 0x01;
constexpr long FD_WRITE = 0x02;

constexpr int WSAEINTR = 10004;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSANOTINITIALISED = 10093;

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[257];
  char szSystemStatus[129];
};

struct in_addr {
  union {
    struct {
      BYTE s_b1, s_b2, s_b3, s_b4;
    } S_un_b;
    u_long S_addr;
  } S_un;
};

struct sockaddr {
  u_short sa_family;
  char sa_data[14];
};

struct sockaddr_in {
  short sin_family;
  u_short sin_port;  // network byte order
  in_addr sin_addr;  // network byte order
  char sin_zero[8];
};
static_assert(sizeof(sockaddr_in) == 16);
static_assert(sizeof(sockaddr) == 16);

using SOCKADDR = sockaddr;
using SOCKADDR_IN = sockaddr_in;

int WSAStartup(WORD versionRequested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

SOCKET socket(int af, int type, int protocol);
int bind(SOCKET s, const sockaddr* name, int nameLen);
int setsockopt(SOCKET s, int level, int optName, const char* optVal, int optLen);
int sendto(SOCKET s, const char* buf, int len, int flags, const sockaddr* to, int toLen);
int recvfrom(SOCKET s, char* buf, int len, int flags, sockaddr* from, int* fromLen);
int closesocket(SOCKET s);
// Read events of the socket arrive as `message` at the window; the socket becomes non-blocking.
int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events);

u_long inet_addr(const char* text);
u_short htons(u_short v);
u_short ntohs(u_short v);
u_long htonl(u_long v);
u_long ntohl(u_long v);

constexpr WORD WSAGETSELECTEVENT(LPARAM l) {
  return LOWORD(static_cast<std::uintptr_t>(l));
}
constexpr WORD WSAGETSELECTERROR(LPARAM l) {
  return HIWORD(static_cast<std::uintptr_t>(l));
}

}  // namespace wsa

using namespace wsa;  // NOLINT: the Winsock names are global on Windows
