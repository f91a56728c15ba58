// Prints the platform layer's answers to the probe's questions, one a line, in the format of
// wine-ext-output.txt, so that the two can be compared with diff.
#include <cstdio>
#include <string>

#include "tests/platform/fidelity/Probe.h"
#include "tests/support/TempFolder.h"

int main() {
  testing_support::TempFolder folder("kestrival-probe");
  for (const std::string& line : fidelity::RunProbe(folder.Path().string()))
    std::printf("%s\n", line.c_str());
  return 0;
}
