// The real network of the platform the program runs on: POSIX UDP (with the options of the
// environment, PosixOptionsFromEnvironment) or Winsock. It broadcasts on the machine's segments:
// programs make it only to reach real readers.
#pragma once

#include <memory>

#include "platform/net/Backend.h"

namespace platform::net {

std::unique_ptr<Backend> SystemBackend();

}  // namespace platform::net
