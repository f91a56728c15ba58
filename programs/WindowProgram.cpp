#include "programs/WindowProgram.h"

#include <QApplication>
#include <QStyleFactory>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/KestrivalApp.h"
#include "app/KestrivalResources.h"
#include "app/ProfileFormat.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/qt/QtHost.h"
#include "programs/WindowProfiles.h"

namespace programs {
namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

}  // namespace

void PrepareConsoleOutput() {}

bool DisplayAvailable() {
  return Set("QT_QPA_PLATFORM") || Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

void ExplainMissingDisplay(const char* program) {
  std::fprintf(stderr,
               "%s: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
               "  Run it in a desktop session, or under a virtual X server:\n"
               "    xvfb-run -a -s \"-screen 0 1280x900x24\" %s\n"
               "  or without any window system (nothing visible, for smoke runs):\n"
               "    QT_QPA_PLATFORM=offscreen %s\n",
               program, program, program);
}

int RunWindowProgram(int argc, char** argv, platform::net::Backend& net) {
  const char* name = argc > 0 && argv[0] ? argv[0] : "kestrival";
  if (!DisplayAvailable()) {
    ExplainMissingDisplay(name);
    return 2;
  }
  QApplication application(argc, argv);
  if (QStyle* style = QStyleFactory::create("Fusion")) QApplication::setStyle(style);
  QApplication::setQuitOnLastWindowClosed(false);  // the dialog's end ends the program

  platform::MessageLoop loop;
  platform::qt::QtHost host(loop);
  platform::Runtime runtime;
  runtime.host = &host;
  runtime.loop = &loop;
  runtime.net = &net;
  runtime.debug = [](const std::string& text) { std::fputs(text.c_str(), stderr); };
  runtime.modulePath = platform::ExecutablePath();
  runtime.userSettingsName =
      platform::kUserSettingsName;  // an installed program folder is not the user's
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
