// kestrival: the configuration tool on the real network. It broadcasts to 255.255.255.255 on
// the machine's segment: run it only where readers are meant to hear it.
#include "platform/net/SystemBackend.h"
#include "programs/Options.h"
#include "programs/WindowProgram.h"

namespace {
const char kHelp[] =
    "Usage: kestrival [OPTION]\n"
    "The configuration tool for networked QR-code and proximity-card readers: it searches the\n"
    "readers of the local network segment (a UDP broadcast to port 24582, replies on port\n"
    "24680), reads a reader's parameters and writes each group back.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "The language is chosen with a right click on the window and kept in config.ini (per user\n"
    "under $XDG_CONFIG_HOME/kestrival when the program folder cannot be written).\n"
    "\n"
    "Exit status: 0 when the window is closed, 1 when the network cannot be opened,\n"
    "2 for a bad option or without a display.\n";
}  // namespace

int main(int argc, char** argv) {
  programs::PrepareConsoleOutput();
  if (int status = programs::StandardOptions(argc, argv, "kestrival", kHelp); status >= 0) {
    return status;
  }
  const auto net = platform::net::SystemBackend();
  return programs::RunWindowProgram(argc, argv, *net);
}
