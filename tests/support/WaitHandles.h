// Whether a socket's or a queue's wait handle is signalled: a readable descriptor on POSIX, a
// signalled event on Windows. Header only.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#endif

#include "platform/net/Backend.h"

namespace testing_support {

// Waits at most the time; true when the handle is signalled.
inline bool Signalled(platform::net::WaitHandle handle, int milliseconds = 0) {
#ifdef _WIN32
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle),
                               static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0;
#else
  pollfd p{static_cast<int>(handle), POLLIN, 0};
  return ::poll(&p, 1, milliseconds) == 1 && (p.revents & POLLIN) != 0;
#endif
}

}  // namespace testing_support
