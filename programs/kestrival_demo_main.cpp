// kestrival-demo: the same window on an in-process virtual segment with three simulated readers.
// Nothing leaves the machine.
#include <cstdio>

#include "platform/net/VirtualSegment.h"
#include "programs/Options.h"
#include "programs/WindowProgram.h"
#include "sim/Demo.h"

namespace {
const char kHelp[] =
    "Usage: kestrival-demo [OPTION]\n"
    "The Kestrival window on an in-process virtual network of three simulated readers:\n"
    "nothing leaves the machine.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Exit status: 0 when the window is closed, 2 for a bad option or without a display.\n";
}  // namespace

int main(int argc, char** argv) {
  programs::PrepareConsoleOutput();
  if (int status = programs::StandardOptions(argc, argv, "kestrival-demo", kHelp); status >= 0) {
    return status;
  }
  if (!programs::DisplayAvailable()) {
    programs::ExplainMissingDisplay(argc > 0 && argv[0] ? argv[0] : "kestrival-demo");
    return 2;
  }
  platform::net::VirtualSegment segment;
  platform::net::VirtualHost& tool = segment.AddHost(sim::kDemoToolAddress);
  auto readers = sim::AddDemoReaders(segment);
  std::fprintf(
      stderr,
      "kestrival-demo: %zu simulated readers on a virtual segment, the tool at 192.168.0.10\n",
      readers.size());
  return programs::RunWindowProgram(argc, argv, tool);
}
