// The small kernel stand-ins: module path, Sleep, debug output, system metrics, common controls,
// and the C library's integer scan.
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

namespace platform {
namespace {

int DigitValue(unsigned char c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9') d = c - '0';
  if (c >= 'a' && c <= 'z') d = c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') d = c - 'A' + 10;
  return d < base ? d : -1;
}

bool IsCrtSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

int CrtScanInteger(const char* text, int base, int width, unsigned* value) {
  if (text == nullptr || (base != 10 && base != 16)) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (IsCrtSpace(*p)) ++p;
  if (*p == 0) return -1;
  // Each character taken uses up one of the width; a width of -1 never runs out.
  auto take = [&width, &p] {
    ++p;
    if (width > 0) --width;
  };
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    take();
  }
  bool digits = false;
  if (width != 0 && *p == '0') {
    take();
    digits = true;
    if (base == 16 && width != 0 && (*p == 'x' || *p == 'X')) {
      take();
      digits = false;  // the prefix alone is not a number
    }
  }
  unsigned long long v = 0;
  while (width != 0 && *p != 0 && DigitValue(*p, base) >= 0) {
    v = v * static_cast<unsigned>(base) + static_cast<unsigned>(DigitValue(*p, base));
    take();
    digits = true;
  }
  if (!digits) return 0;
  if (value != nullptr) *value = static_cast<unsigned>(negative ? 0ull - v : v);
  return 1;
}

}  // namespace platform
