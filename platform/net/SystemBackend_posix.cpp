#include "platform/net/PosixUdp.h"
#include "platform/net/SystemBackend.h"

namespace platform::net {

std::unique_ptr<Backend> SystemBackend() {
  return std::make_unique<PosixBackend>(PosixOptionsFromEnvironment());
}

}  // namespace platform::net
