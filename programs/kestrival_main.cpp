// kestrival: the configuration tool on the real network. It broadcasts to 255.255.255.255 on
// the machine's segment: run it only where readers are meant to hear it.
#include "platform/net/PosixUdp.h"
#include "programs/WindowProgram.h"

int main(int argc, char** argv) {
  platform::net::PosixBackend net;
  return programs::RunWindowProgram(argc, argv, net);
}
