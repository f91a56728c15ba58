// The real network on Windows: Winsock UDP sockets with the behaviour of the POSIX backend
// (PosixUdp.h), which the dialog relies on: a datagram larger than the buffer fails with
// MessageSize and is lost; recvfrom on an unbound socket is Invalid; WSAECONNRESET (an earlier send
// met an unreachable port) is ConnReset and the socket stays usable. A send to 255.255.255.255
// leaves by every adapter that is up and has an IPv4 address (the loopback aside), each named in
// turn with IP_UNICAST_IF, with or without a route. A port another program holds fails to bind
// with AddrInUse (SO_EXCLUSIVEADDRUSE).
//
// This header is neutral (Backend.h and standard types): a program's file that holds the Winsock
// stand-in's names may include it. Only WinsockUdp.cpp includes the real Windows headers.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/Backend.h"
#include "platform/net/Interfaces.h"
#include "platform/net/ReceiveThread.h"

// The node of a GetAdaptersAddresses list (IP_ADAPTER_ADDRESSES in <iphlpapi.h>).
struct _IP_ADAPTER_ADDRESSES_LH;

namespace platform::net {

// The Error for a WSAE* value of a socket call (WSAEADDRINUSE is AddrInUse, WSAEWOULDBLOCK
// WouldBlock, WSAECONNRESET ConnReset...).
Error ErrorFromWsa(int wsaError);

// What the system says of a WSAE* value, in English where it can, with the number: "An existing
// connection was forcibly closed by the remote host (WSA error 10054)". Where the system has no
// text (Wine), a short one of ours for the errors a UDP socket meets.
std::string WsaErrorText(int wsaError);

// The IPv4 addresses of a GetAdaptersAddresses list, in its order: the adapter's friendly name
// (UTF-8), its IPv4 interface index, up when its operational status is up, loopback by its
// interface type. Windows sends a limited broadcast out of every other adapter, so each one
// counts as able to broadcast (BroadcastInterfaces then keeps one address per adapter that is up).
std::vector<InterfaceAddress> InterfacesOfAdapters(const _IP_ADAPTER_ADDRESSES_LH* first);

// The IPv4 addresses of this machine's adapters (GetAdaptersAddresses, then InterfacesOfAdapters),
// listed afresh for every call: adapters come and go while the tool runs. False if the system
// refused.
bool ListAdapters(std::vector<InterfaceAddress>* out);

struct WinsockOptions {
  // Room of the receive thread's queue, which holds datagrams until the dialog reads them.
  std::size_t queueBytes = std::size_t{64} << 20;
  // A receive buffer request is cut to it first (0: no cut). Under Wine the Linux kernel's
  // net.core.rmem_max cuts the request; the lab sets this to try a stock kernel's limit.
  int receiveBufferCap = 0;
};

// The options a program takes from its environment: KESTRIVAL_RMEM_MAX=<bytes> sets
// receiveBufferCap, as for the POSIX backend.
WinsockOptions WinsockOptionsFromEnvironment();

// Each bound socket has a receive thread (ReceiveThread.h) that moves datagrams from Winsock into
// a bounded queue as soon as they arrive, so a burst is held while the dialog's thread is busy; the
// socket's Waitable() is that queue's event, signalled while datagrams wait. A queue that
// overflows drops the newest datagrams and the next receive traces how many were lost.
class WinsockBackend final : public Backend {
 public:
  WinsockBackend();
  explicit WinsockBackend(WinsockOptions options);
  ~WinsockBackend() override;
  WinsockBackend(const WinsockBackend&) = delete;
  WinsockBackend& operator=(const WinsockBackend&) = delete;

  // WSAStartup(2.2) once; false when Winsock cannot be started. Cleanup: its WSACleanup.
  bool Startup() override;
  void Cleanup() override;
  std::unique_ptr<Socket> CreateUdp(Error* error) override;
  // Waits on the queues' events of this backend's live sockets (64 at a time, as
  // WaitForMultipleObjects takes them); returns early when one is signalled.
  void Wait(std::chrono::milliseconds max) override;

 private:
  WinsockOptions options_;
  std::shared_ptr<WaitRegistry>
      registry_;          // shared with the sockets, which may outlive the backend
  bool started_ = false;  // WSAStartup succeeded and WSACleanup is still due
};

}  // namespace platform::net
