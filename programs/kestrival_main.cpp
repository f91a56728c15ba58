// kestrival: the configuration tool on the real network. It broadcasts to 255.255.255.255 on
// the machine's segment: run it only where readers are meant to hear it.
#include "platform/net/PosixUdp.h"
#include "programs/WindowProgram.h"

int main(int argc, char** argv) {
  // KESTRIVAL_RMEM_MAX emulates a kernel receive-buffer limit (see PosixOptionsFromEnvironment).
  platform::net::PosixBackend net(platform::net::PosixOptionsFromEnvironment());
  return programs::RunWindowProgram(argc, argv, net);
}
