// Real Windows headers only: the project's windef.h would clash with them.
#include "platform/win32/Console.h"

#include <windows.h>

#include <cstdio>

namespace platform::win32 {
namespace {

bool Usable(DWORD which) {
  HANDLE h = GetStdHandle(which);
  return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

}  // namespace

bool AttachParentConsole() {
  const bool out = Usable(STD_OUTPUT_HANDLE);
  const bool err = Usable(STD_ERROR_HANDLE);
  if (out && err) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  bool ok = true;
  if (!out) ok = std::freopen("CONOUT$", "w", stdout) != nullptr && ok;
  if (!err) ok = std::freopen("CONOUT$", "w", stderr) != nullptr && ok;
  return ok;
}

}  // namespace platform::win32
