// kestrival-headless: the real main dialog without a window, driven line by line from standard
// input (the commands are in programs/HeadlessDriver.h). It starts like kestrival: config.ini and
// language.csv beside the executable, the real network. Run it only inside a network namespace
// made for it, since its search broadcasts to 255.255.255.255.
//
// With --demo (or KESTRIVAL_HEADLESS_DEMO=1) it runs on an in-process virtual segment with the
// three demo readers instead, and nothing leaves the process.
//
// Exit status 0, or 1 when the dialog could not start (the message box text goes to stderr).
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/KestrivalApp.h"
#include "app/KestrivalResources.h"
#include "app/ProfileFormat.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/net/SystemBackend.h"
#include "platform/net/VirtualSegment.h"
#include "programs/HeadlessDriver.h"
#include "programs/Options.h"
#include "programs/WindowProfiles.h"
#include "sim/Demo.h"

namespace {
const char kHelp[] =
    "Usage: kestrival-headless [--demo]\n"
    "The real Kestrival dialog without a window, driven line by line from standard input.\n"
    "On the real network it broadcasts: run it only inside a network namespace made for it.\n"
    "\n"
    "Options:\n"
    "  --demo         a virtual segment with the three demo readers (also\n"
    "                 KESTRIVAL_HEADLESS_DEMO=1); nothing leaves the process\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Input commands, one per line (ID a control identifier):\n"
    "  click ID | focus ID | dblclick ID | notify ID CODE | select ID INDEX | type ID TEXT\n"
    "  ip ID A.B.C.D (a field may be empty: 192..0.1) | rclick X Y | menu CMD | menu none\n"
    "  file PATH | file cancel\n"
    "  key enter | key esc | pump MS | get ID | status | title | trace | msgbox | dump\n"
    "  quit\n"
    "Replies: one JSON object per command on standard output, with \"ok\" true or false (and\n"
    "\"error\" when false); texts as UTF-8 in \"text\" with their code page 936 bytes as hex\n"
    "in \"text_hex\".\n"
    "A popup menu that opens writes its items (\"menu\"; a separator as {\"separator\":true})\n"
    "and a file chooser its request (\"file_chooser\"); the next line answers it: \"menu CMD\"\n"
    "or \"menu none\", \"file PATH\" (the rest of the line, blanks and all) or \"file cancel\".\n"
    "\n"
    "Exit status: 0 at the end of input, 1 when the dialog could not start, 2 for a bad option.\n";
}  // namespace

int main(int argc, char** argv) {
  const char* env = std::getenv("KESTRIVAL_HEADLESS_DEMO");
  bool demo = env && std::strcmp(env, "1") == 0;
  static const char* const kAccepted[] = {"--demo", nullptr};
  if (int status = programs::StandardOptions(argc, argv, "kestrival-headless", kHelp, kAccepted);
      status >= 0) {
    return status;
  }
  for (int i = 1; i < argc; ++i) demo = demo || std::strcmp(argv[i], "--demo") == 0;

  platform::MessageLoop loop;
  headless::DriverHost host(loop);
  headless::Driver driver(loop, host, std::cin, std::cout);

  std::unique_ptr<platform::net::Backend> system;
  std::unique_ptr<platform::net::VirtualSegment> segment;
  std::vector<std::unique_ptr<sim::VirtualReader>> demoReaders;
  platform::Runtime runtime;
  if (demo) {
    segment = std::make_unique<platform::net::VirtualSegment>();
    runtime.net = &segment->AddHost(sim::kDemoToolAddress);
    demoReaders = sim::AddDemoReaders(*segment);
  } else {
    system = platform::net::SystemBackend();
    runtime.net = system.get();
  }
  runtime.host = &host;
  runtime.loop = &loop;
  runtime.debug = [&driver](const std::string& text) { driver.AddTrace(text); };
  runtime.modulePath = platform::ExecutablePath();
  runtime.userSettingsName =
      platform::kUserSettingsName;  // an installed program folder is not the user's
  runtime.resources = &KestrivalResources();
  platform::ScopedRuntime scoped(runtime);
  // The right-button menu saves and loads profiles as the window does.
  const programs::WindowProfiles profiles(runtime.modulePath);
  const ScopedProfileFormat profileFormat(&profiles);

  host.SetDriver([&driver](CDialog& dialog) { return driver.Step(dialog); });
  // The application object that AfxWinMain runs; the reference keeps it in the link.
  CWinApp* volatile application = &theApp;
  static_cast<void>(application);
  AfxWinMain();

  if (!driver.Started()) {
    for (const std::string& box : host.MessageBoxes()) std::cerr << box << "\n";
    std::cerr << "kestrival-headless: the dialog could not start\n";
    return 1;
  }
  return 0;
}
