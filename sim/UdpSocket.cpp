#include "sim/UdpSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "protocol/IpAddress.h"

namespace sim {

int OpenBoundUdp(std::uint32_t address, std::uint16_t port, std::string* error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = std::string("cannot create a UDP socket (") + std::strerror(errno) + ")";
    return -1;
  }
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  local.sin_addr.s_addr = htonl(address);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    const int err = errno;
    if (address == 0) {
      *error = "port " + std::to_string(port) +
               (err == EADDRINUSE ? " is taken (" : " cannot be bound (") + std::strerror(err) +
               ")";
    } else {
      *error = "cannot bind " + FormatDotted(Ip32{address}) + ":" + std::to_string(port) + " (" +
               std::strerror(err) + ")";
    }
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace sim
