// The real Windows headers and neutral project headers only: the Winsock stand-in's names
// (platform/winsock2.h, platform/windef.h) would clash with these.
#include "platform/net/WinsockUdp.h"

// winsock2.h first: the others need it, and windows.h must not bring the old winsock.h.
#include <winsock2.h>
// Then the rest.
#include <iphlpapi.h>
#include <mswsock.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/Runtime.h"
#include "platform/net/ReceiveQueue.h"
#include "platform/net/ReceiveThread.h"

namespace platform::net {

Error ErrorFromWsa(int wsaError) {
  switch (wsaError) {
    case 0:
      return Error::None;
    case WSAEWOULDBLOCK:
      return Error::WouldBlock;
    case WSAEMSGSIZE:
      return Error::MessageSize;
    case WSAECONNRESET:
    case WSAECONNREFUSED:
      return Error::ConnReset;
    case WSAEADDRINUSE:
      return Error::AddrInUse;
    case WSAEADDRNOTAVAIL:
      return Error::AddrNotAvail;
    case WSAEACCES:
      return Error::Access;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN:
      return Error::NetUnreach;
    case WSAEINVAL:
    case WSAEBADF:
    case WSAENOTSOCK:
    case WSAEFAULT:
    case WSAEAFNOSUPPORT:
    case WSAEDESTADDRREQ:
    case WSAEISCONN:
    case WSANOTINITIALISED:
      return Error::Invalid;
    case WSAENOBUFS:
    case WSAEMFILE:
    case WSA_NOT_ENOUGH_MEMORY:
      return Error::NoBuffers;
    default:
      return Error::Other;
  }
}

namespace {

std::string Utf8(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(size - 1));
  return out;
}

// Ours, where the system has no text.
const char* KnownWsaText(int err) {
  switch (err) {
    case WSAEWOULDBLOCK:
      return "Resource temporarily unavailable";
    case WSAEMSGSIZE:
      return "Message too long";
    case WSAECONNRESET:
      return "Connection reset by peer";
    case WSAECONNREFUSED:
      return "Connection refused";
    case WSAEADDRINUSE:
      return "Address already in use";
    case WSAEADDRNOTAVAIL:
      return "Cannot assign requested address";
    case WSAEACCES:
      return "Permission denied";
    case WSAENETUNREACH:
      return "Network is unreachable";
    case WSAEHOSTUNREACH:
      return "No route to host";
    case WSAENETDOWN:
      return "Network is down";
    case WSAENOBUFS:
      return "No buffer space available";
    case WSAEINVAL:
      return "Invalid argument";
    case WSANOTINITIALISED:
      return "Winsock is not started";
    default:
      return nullptr;
  }
}

}  // namespace

std::string WsaErrorText(int wsaError) {
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  const auto code = static_cast<DWORD>(wsaError);
  DWORD n = ::FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                             reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n == 0) {
    n = ::FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  }
  std::string said = n != 0 ? Utf8(text) : std::string();
  if (text != nullptr) ::LocalFree(text);
  while (!said.empty() &&
         (said.back() == ' ' || said.back() == '.' || said.back() == '\r' || said.back() == '\n'))
    said.pop_back();
  if (said.empty()) {
    if (const char* known = KnownWsaText(wsaError)) said = known;
  }
  const std::string number = "WSA error " + std::to_string(wsaError);
  return said.empty() ? number : said + " (" + number + ")";
}

std::vector<InterfaceAddress> InterfacesOfAdapters(const IP_ADAPTER_ADDRESSES* first) {
  std::vector<InterfaceAddress> out;
  for (const IP_ADAPTER_ADDRESSES* a = first; a != nullptr; a = a->Next) {
    for (const IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u != nullptr; u = u->Next) {
      const sockaddr* address = u->Address.lpSockaddr;
      if (address == nullptr || address->sa_family != AF_INET ||
          u->Address.iSockaddrLength < static_cast<INT>(sizeof(sockaddr_in)))
        continue;
      sockaddr_in in{};
      std::memcpy(&in, address, sizeof in);
      InterfaceAddress i;
      i.name = Utf8(a->FriendlyName);
      i.index = static_cast<int>(a->IfIndex);
      i.address = ntohl(in.sin_addr.s_addr);
      i.up = a->OperStatus == IfOperStatusUp;
      i.loopback = a->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
      i.broadcast = (a->Flags & IP_ADAPTER_RECEIVE_ONLY) == 0;
      out.push_back(std::move(i));
    }
  }
  return out;
}

bool ListAdapters(std::vector<InterfaceAddress>* out) {
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
  ULONG size = 16 * 1024;
  std::vector<ULONGLONG> room;  // 8-byte aligned, as the list's nodes need
  for (int attempt = 0; attempt < 4; ++attempt) {
    room.assign(size / sizeof(ULONGLONG) + 1, 0);
    size = static_cast<ULONG>(room.size() * sizeof(ULONGLONG));
    auto* list = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(room.data());
    const ULONG r = ::GetAdaptersAddresses(AF_INET, flags, nullptr, list, &size);
    if (r == ERROR_SUCCESS) {
      *out = InterfacesOfAdapters(list);
      return true;
    }
    if (r == ERROR_NO_DATA) {
      out->clear();
      return true;
    }
    if (r != ERROR_BUFFER_OVERFLOW) return false;
  }
  return false;
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

class WinsockSocket final : public Socket, private ReceiveSource {
 public:
  WinsockSocket(SOCKET s, std::shared_ptr<WaitRegistry> registry, const WinsockOptions& options)
      : socket_(s),
        receiveBufferCap_(options.receiveBufferCap),
        receiver_(options.queueBytes),
        socketEvent_(::WSACreateEvent()),
        stopEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        registry_(std::move(registry)) {
    registry_->Add(receiver_.Waitable());
  }
  ~WinsockSocket() override {
    receiver_.Stop();
    registry_->Remove(receiver_.Waitable());
    ::closesocket(socket_);
    if (socketEvent_ != WSA_INVALID_EVENT) ::WSACloseEvent(socketEvent_);
    if (stopEvent_ != nullptr) ::CloseHandle(stopEvent_);
  }
  WinsockSocket(const WinsockSocket&) = delete;
  WinsockSocket& operator=(const WinsockSocket&) = delete;

  Error Bind(const Endpoint& local) override {
    if (bound_) return Error::Invalid;
    const sockaddr_in sa = ToSockaddr(local);
    if (::bind(socket_, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
      return ErrorFromWsa(::WSAGetLastError());
    }
    MarkBound();
    return Error::None;
  }

  Error SetBroadcast(bool on) override {
    const BOOL value = on ? TRUE : FALSE;
    if (::setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&value),
                     sizeof value) != 0) {
      return ErrorFromWsa(::WSAGetLastError());
    }
    return Error::None;
  }

  // Traces what the system granted, and when it is less than asked, that it was cut.
  Error SetReceiveBuffer(int bytes) override {
    if (bytes < 0) return Error::Invalid;
    const int cap = receiveBufferCap_;
    const int ask = cap > 0 ? std::min(bytes, cap) : bytes;
    if (::setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&ask),
                     sizeof ask) != 0) {
      return ErrorFromWsa(::WSAGetLastError());
    }
    int granted = 0;
    int len = sizeof granted;
    ::getsockopt(socket_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&granted), &len);
    std::string text = "receive buffer: asked " + std::to_string(bytes) + " bytes, granted " +
                       std::to_string(granted);
    if (cap > 0 && cap < bytes) text += "; cut to " + std::to_string(cap) + " (emulated)";
    if (granted < ask) text += "; the system cut it";
    text += "; the receive queue holds " + std::to_string(receiver_.QueueBytes()) + " bytes more\n";
    NetTrace(text);
    return Error::None;
  }

  Error SendTo(const void* data, std::size_t len, const Endpoint& to) override {
    if (data == nullptr && len > 0) return Error::Invalid;
    if (len > static_cast<std::size_t>(INT_MAX)) return Error::MessageSize;
    const sockaddr_in sa = ToSockaddr(to);
    if (to.addr == 0xFFFFFFFFu) return SendLimitedBroadcast(data, len, sa);
    if (SendOnce(data, len, sa) != 0) return ErrorFromWsa(::WSAGetLastError());
    MarkBound();  // Winsock bound it to an ephemeral port if it was not
    return Error::None;
  }

  long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) override {
    if ((buffer == nullptr && len > 0) || !bound_) {
      // WSAEINVAL on an unbound socket
      if (error) *error = Error::Invalid;
      return -1;
    }
    return receiver_.RecvFrom(buffer, len, from, error);
  }

  bool Readable() override { return receiver_.Readable(); }

  WaitHandle Waitable() const override { return receiver_.Waitable(); }
  bool ReceivesAhead() const override { return true; }

  Endpoint LocalEndpoint() const override {
    sockaddr_in sa{};
    int salen = sizeof sa;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&sa), &salen) != 0) return Endpoint{};
    return FromSockaddr(sa);
  }

 private:
  int SendOnce(const void* data, std::size_t len, const sockaddr_in& to) {
    const int n = ::sendto(socket_, static_cast<const char*>(data), static_cast<int>(len), 0,
                           reinterpret_cast<const sockaddr*>(&to), sizeof to);
    return n == SOCKET_ERROR ? -1 : 0;
  }

  // A limited broadcast leaves by every adapter that is up, named one by one with IP_UNICAST_IF
  // (its IPv4 interface index, in network order), so that no route to 255.255.255.255 is needed
  // and the one socket on the port sends them all. WSASendMsg with an IN_PKTINFO control message
  // would name the adapter too, but Wine drops the control data of a send.
  Error SendLimitedBroadcast(const void* data, std::size_t len, const sockaddr_in& to) {
    std::vector<InterfaceAddress> all;
    if (!ListAdapters(&all)) {
      if (SendOnce(data, len, to) != 0) return ErrorFromWsa(::WSAGetLastError());
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
      const DWORD index = htonl(static_cast<u_long>(v.index));
      int err = 0;
      if (::setsockopt(socket_, IPPROTO_IP, IP_UNICAST_IF, reinterpret_cast<const char*>(&index),
                       sizeof index) != 0 ||
          SendOnce(data, len, to) != 0) {
        err = ::WSAGetLastError();
      }
      if (err == 0) {
        sent = true;
        continue;
      }
      if (firstError == 0) firstError = err;
      NetTrace("broadcast to " + target + " failed on " + v.name + " (" + DottedAddress(v.address) +
               "): " + WsaErrorText(err) + "\n");
    }
    // Unicast leaves by the route again.
    const DWORD none = 0;
    ::setsockopt(socket_, IPPROTO_IP, IP_UNICAST_IF, reinterpret_cast<const char*>(&none),
                 sizeof none);
    if (!sent) return ErrorFromWsa(firstError);
    MarkBound();
    return Error::None;
  }

  // Bound, by bind or by the first send: the receive thread starts. WSAEventSelect keeps the
  // socket non-blocking and signals socketEvent_ when a datagram arrives.
  void MarkBound() {
    bound_ = true;
    if (receiver_.Running() || socketEvent_ == WSA_INVALID_EVENT || stopEvent_ == nullptr) return;
    if (::WSAEventSelect(socket_, socketEvent_, FD_READ) != 0) {
      NetTrace("receive thread not started: WSAEventSelect failed: " +
               WsaErrorText(::WSAGetLastError()) + "\n");
      return;
    }
    buffer_.resize(kSlot);
    receiver_.Start(*this);
  }

  // The receive thread's side (ReceiveSource).
  Wake WaitReadable() override {
    const HANDLE events[2] = {stopEvent_, socketEvent_};
    const DWORD r = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (r == WAIT_OBJECT_0 + 1) {
      WSANETWORKEVENTS happened{};
      ::WSAEnumNetworkEvents(socket_, socketEvent_, &happened);  // resets the event
      return Wake::Readable;
    }
    return Wake::End;  // stopped, or the wait failed
  }

  void Pause(std::chrono::milliseconds pause) override {
    ::WaitForSingleObject(stopEvent_, static_cast<DWORD>(pause.count()));
  }

  void Interrupt() override { ::SetEvent(stopEvent_); }

  // Up to kBatch datagrams per call; Done once Winsock has none left (its recvfrom re-arms
  // FD_READ, so a datagram that comes later signals the event again).
  Read ReadSome(std::vector<ReceiveQueue::Datagram>& taken) override {
    for (std::size_t i = 0; i < kBatch; ++i) {
      sockaddr_in sender{};
      int senderLen = sizeof sender;
      const int n = ::recvfrom(socket_, buffer_.data(), static_cast<int>(buffer_.size()), 0,
                               reinterpret_cast<sockaddr*>(&sender), &senderLen);
      if (n == SOCKET_ERROR) {
        const int err = ::WSAGetLastError();
        if (err == WSAEWOULDBLOCK) return Read::Done;
        // The socket is gone under it (WSACleanup while it lives): nothing more will come.
        if (err == WSAENOTSOCK || err == WSANOTINITIALISED) return Read::Done;
        ReceiveQueue::Datagram d;
        d.error = ErrorFromWsa(err);
        taken.push_back(std::move(d));
        // An ICMP report (port unreachable: WSAECONNRESET; time exceeded: WSAENETRESET) is
        // cleared by reading it; another error might not be.
        return err == WSAECONNRESET || err == WSAENETRESET || err == WSAEMSGSIZE ? Read::More
                                                                                 : Read::PauseFirst;
      }
      ReceiveQueue::Datagram d;
      d.from = FromSockaddr(sender);
      d.bytes.assign(buffer_.data(), buffer_.data() + n);
      taken.push_back(std::move(d));
    }
    return Read::More;
  }

  // Larger than any UDP datagram over IPv4.
  static constexpr std::size_t kSlot = 65536;
  static constexpr std::size_t kBatch = 32;

  SOCKET socket_;
  int receiveBufferCap_;
  ReceiveThread receiver_;
  WSAEVENT socketEvent_;
  HANDLE stopEvent_;
  std::vector<char> buffer_;  // the receive thread's
  bool bound_ = false;
  std::shared_ptr<WaitRegistry> registry_;
};

}  // namespace

WinsockOptions WinsockOptionsFromEnvironment() {
  WinsockOptions options;
  options.receiveBufferCap = ReceiveBufferCapFromEnvironment();
  return options;
}

WinsockBackend::WinsockBackend() : WinsockBackend(WinsockOptions{}) {}

WinsockBackend::WinsockBackend(WinsockOptions options)
    : options_(options), registry_(std::make_shared<WaitRegistry>()) {}

WinsockBackend::~WinsockBackend() {
  Cleanup();
}

bool WinsockBackend::Startup() {
  if (started_) return true;
  WSADATA data{};
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  if (data.wVersion != MAKEWORD(2, 2)) {
    ::WSACleanup();
    return false;
  }
  started_ = true;
  return true;
}

void WinsockBackend::Cleanup() {
  if (!started_) return;
  started_ = false;
  ::WSACleanup();
}

std::unique_ptr<Socket> WinsockBackend::CreateUdp(Error* error) {
  const SOCKET s =
      ::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) {
    if (error) *error = ErrorFromWsa(::WSAGetLastError());
    return nullptr;
  }
  // The port is this socket's alone: another program's bind fails, and so does ours while
  // another program holds it (WSAEADDRINUSE).
  const BOOL on = TRUE;
  ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  // Non-blocking from the start: a send before the bind never waits.
  u_long nonBlocking = 1;
  ::ioctlsocket(s, FIONBIO, &nonBlocking);
  if (error) *error = Error::None;
  return std::make_unique<WinsockSocket>(s, registry_, options_);
}

void WinsockBackend::Wait(std::chrono::milliseconds max) {
  using Clock = std::chrono::steady_clock;
  const auto total = std::clamp<std::chrono::milliseconds::rep>(
      max.count(), 0, std::chrono::milliseconds::rep{24} * 3600 * 1000);
  const std::vector<WaitHandle> events = registry_->Snapshot();
  std::vector<HANDLE> handles;
  handles.reserve(events.size());
  for (WaitHandle e : events) handles.push_back(reinterpret_cast<HANDLE>(e));
  if (handles.empty()) {
    ::Sleep(static_cast<DWORD>(total));
    return;
  }
  if (handles.size() <= MAXIMUM_WAIT_OBJECTS) {
    ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                             static_cast<DWORD>(total));
    return;
  }
  // More events than one wait takes: each group is looked at in turn, then a short sleep.
  const auto deadline = Clock::now() + std::chrono::milliseconds(total);
  for (;;) {
    for (std::size_t from = 0; from < handles.size(); from += MAXIMUM_WAIT_OBJECTS) {
      const auto count =
          static_cast<DWORD>(std::min<std::size_t>(MAXIMUM_WAIT_OBJECTS, handles.size() - from));
      const DWORD r = ::WaitForMultipleObjects(count, handles.data() + from, FALSE, 0);
      if (r < WAIT_OBJECT_0 + count) return;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    ::Sleep(static_cast<DWORD>(std::min<long long>(left, 5)));
  }
}

}  // namespace platform::net
