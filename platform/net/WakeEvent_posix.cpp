// POSIX headers and Backend.h only: the Winsock stand-in's names would clash with these.
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include "platform/net/WakeEvent.h"

namespace platform::net {

WakeEvent::WakeEvent() : handle_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent() {
  if (handle_ != kNoWaitHandle) ::close(static_cast<int>(handle_));
}

void WakeEvent::Set() {
  if (handle_ == kNoWaitHandle) return;
  const std::uint64_t one = 1;
  ssize_t ignored = ::write(static_cast<int>(handle_), &one, sizeof one);
  static_cast<void>(ignored);
}

void WakeEvent::Reset() {
  if (handle_ == kNoWaitHandle) return;
  std::uint64_t count = 0;
  ssize_t ignored = ::read(static_cast<int>(handle_), &count, sizeof count);
  static_cast<void>(ignored);
}

}  // namespace platform::net
