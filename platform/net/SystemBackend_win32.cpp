#include "platform/net/SystemBackend.h"
#include "platform/net/WinsockUdp.h"

namespace platform::net {

std::unique_ptr<Backend> SystemBackend() {
  return std::make_unique<WinsockBackend>(WinsockOptionsFromEnvironment());
}

}  // namespace platform::net
