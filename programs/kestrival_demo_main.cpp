// kestrival-demo: the same window on an in-process virtual segment with three simulated readers.
// Nothing leaves the machine.
#include <cstdio>

#include "platform/net/VirtualSegment.h"
#include "programs/WindowProgram.h"
#include "sim/Demo.h"

int main(int argc, char** argv) {
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
