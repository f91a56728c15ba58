// The window programs on Windows: the native-controls host (platform/win32) and the runtime around
// the application object. A Windows desktop always has a display; the program's console, for
// --help and --version, is the one it was started from.
#include <cstdio>
#include <string>

#include "app/KestrivalApp.h"
#include "app/KestrivalResources.h"
#include "app/ProfileFormat.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/win32/Console.h"
#include "platform/win32/Win32Host.h"
#include "programs/WindowProfiles.h"
#include "programs/WindowProgram.h"

namespace programs {

void PrepareConsoleOutput() {
  platform::win32::AttachParentConsole();
}

bool DisplayAvailable() {
  return true;
}

void ExplainMissingDisplay(const char*) {}

int RunWindowProgram(int, char**, platform::net::Backend& net) {
  platform::MessageLoop loop;
  platform::win32::Win32Host host(loop);
  platform::Runtime runtime;
  runtime.host = &host;
  runtime.loop = &loop;
  runtime.net = &net;
  runtime.debug = [](const std::string& text) {
    platform::SendToSystemDebugger(text);
    std::fputs(text.c_str(), stderr);
  };
  runtime.modulePath = platform::ExecutablePath();
  runtime.userSettingsName = platform::kUserSettingsName;  // Program Files is not the user's
  runtime.resources = &KestrivalResources();
  platform::ScopedRuntime scoped(runtime);
  // The right-button menu saves and loads profiles in the format of kestrival-cli.
  const WindowProfiles profiles(runtime.modulePath);
  const ScopedProfileFormat profileFormat(&profiles);

  // The application object is a global of the application library; naming it keeps it linked.
  CKestrivalApp* app = &theApp;
  if (app->m_pszAppName.empty()) app->m_pszAppName = "kestrival";
  return AfxWinMain();
}

}  // namespace programs
