// The small kernel stand-ins: module path, Sleep, debug output, system metrics, common controls.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/Runtime.h"
#include "platform/kernel.h"

DWORD GetModuleFileNameA(HINSTANCE /*module*/, LPSTR filename, DWORD size) {
  if (filename == nullptr || size == 0) return 0;
  const std::string& path = platform::CurrentRuntime().modulePath;
  // As Windows does: a path that does not fit is cut to size - 1 characters and the result is
  // size, so that the caller can tell it was cut and try a larger buffer.
  const bool fits = path.size() < size;
  std::size_t n = fits ? path.size() : size - 1;
  std::memcpy(filename, path.data(), n);
  filename[n] = '\0';
  return fits ? static_cast<DWORD>(n) : size;
}

void Sleep(DWORD milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void OutputDebugStringA(LPCSTR text) {
  if (text == nullptr) return;
  const platform::DebugSink& sink = platform::CurrentRuntime().debug;
  if (sink) {
    sink(text);
  } else {
    std::fputs(text, stderr);
  }
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXICON:
    case SM_CYICON:
      return 32;
    default:
      return 0;
  }
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* /*init*/) {
  return TRUE;
}
