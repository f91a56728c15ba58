// The console of a windows-subsystem program: Windows gives it none, so --help and --version would
// print nowhere. Plain standard types only; the real headers stay in Console.cpp.
#pragma once

namespace platform::win32 {

// Points standard output and standard error that lead nowhere at the console of the process that
// started this one (a command prompt), if it has one; redirected streams stay as they are.
// Returns true when both streams lead somewhere.
bool AttachParentConsole();

}  // namespace platform::win32
