// The real Windows headers and Backend.h only: the Winsock stand-in's names would clash.
#include <windows.h>

#include "platform/net/WakeEvent.h"

namespace platform::net {

WakeEvent::WakeEvent() {
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event != nullptr) handle_ = reinterpret_cast<WaitHandle>(event);
}

WakeEvent::~WakeEvent() {
  if (handle_ != kNoWaitHandle) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void WakeEvent::Set() {
  if (handle_ != kNoWaitHandle) ::SetEvent(reinterpret_cast<HANDLE>(handle_));
}

void WakeEvent::Reset() {
  if (handle_ != kNoWaitHandle) ::ResetEvent(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform::net
