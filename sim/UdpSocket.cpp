#include "sim/UdpSocket.h"

#include "protocol/IpAddress.h"

namespace sim {

std::string BindFailure(std::uint32_t address, std::uint16_t port, bool addressInUse,
                        const std::string& systemText) {
  if (address == 0) {
    return "port " + std::to_string(port) + (addressInUse ? " is taken (" : " cannot be bound (") +
           systemText + ")";
  }
  return "cannot bind " + FormatDotted(Ip32{address}) + ":" + std::to_string(port) + " (" +
         systemText + ")";
}

}  // namespace sim
