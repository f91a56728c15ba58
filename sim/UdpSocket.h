// A non-blocking UDP socket of a simulated reader on real UDP, bound and allowed to broadcast.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

// Bound to address:port (host order; 0 = every local address), or -1 with *error telling why:
// "port P is taken (...)" when an any-address port is in use, "cannot bind A:P (...)" otherwise.
int OpenBoundUdp(std::uint32_t address, std::uint16_t port, std::string* error);

}  // namespace sim
