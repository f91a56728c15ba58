#include "bench/LoopbackUdp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace loopback {

bool MakePrivate() {
  return ::unshare(CLONE_NEWNET) == 0 && std::system("ip link set lo up") == 0;
}

int OpenReceiver(std::uint16_t port, int receiveBuffer) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return -1;
  ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int OpenSender() {
  return ::socket(AF_INET, SOCK_DGRAM, 0);
}

void SendAll(int fd, const std::vector<std::string>& datagrams, std::uint16_t port) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  for (const auto& d : datagrams)
    ::sendto(fd, d.data(), d.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

long ReceiveOne(int fd, char* buffer, std::size_t size) {
  sockaddr_in from{};
  socklen_t fromLen = sizeof from;
  return static_cast<long>(
      ::recvfrom(fd, buffer, size, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromLen));
}

void Close(int fd) {
  if (fd >= 0) ::close(fd);
}

}  // namespace loopback
