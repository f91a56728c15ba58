// What the two window programs share: the check for a display, the desktop host (Qt on Linux,
// WindowProgram.cpp; native controls on Windows, WindowProgram_win32.cpp) and the runtime around
// the application object.
#pragma once

namespace platform::net {
class Backend;
}

namespace programs {

// Lets --help and --version reach the console the program was started from: a Windows program of
// the windows subsystem has none of its own. Nothing on Linux.
void PrepareConsoleOutput();

// True when Qt can open a window: a display (X11 or Wayland) or an explicit QT_QPA_PLATFORM.
// Always true on Windows.
bool DisplayAvailable();
// Prints what to do without a display (Xvfb, the offscreen platform) to standard error.
void ExplainMissingDisplay(const char* program);

// Runs the tool's application object with a desktop window on the given network; returns the
// process exit code. Returns 2 without a display (Linux).
int RunWindowProgram(int argc, char** argv, platform::net::Backend& net);

}  // namespace programs
