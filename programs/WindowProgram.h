// What the two window programs share: the check for a display, the Qt application, the desktop
// host and the runtime around the application object.
#pragma once

namespace platform::net {
class Backend;
}

namespace programs {

// True when Qt can open a window: a display (X11 or Wayland) or an explicit QT_QPA_PLATFORM.
bool DisplayAvailable();
// Prints what to do without a display (Xvfb, the offscreen platform) to standard error.
void ExplainMissingDisplay(const char* program);

// Runs the tool's application object with a desktop window on the given network; returns the
// process exit code. Returns 2 without a display.
int RunWindowProgram(int argc, char** argv, platform::net::Backend& net);

}  // namespace programs
