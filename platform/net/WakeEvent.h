// A manual-reset signal that another thread may wait on: set while there is something to take,
// reset when it has been taken. On POSIX an eventfd (readable while set), on Windows an event
// object; Handle() is what a host waits on (Backend.h's WaitHandle).
#pragma once

#include "platform/net/Backend.h"

namespace platform::net {

class WakeEvent {
 public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  void Set();
  void Reset();
  // kNoWaitHandle if the system gave none.
  WaitHandle Handle() const { return handle_; }

 private:
  WaitHandle handle_ = kNoWaitHandle;
};

}  // namespace platform::net
