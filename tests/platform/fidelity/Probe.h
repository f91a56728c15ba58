// The platform layer asked the questions of the Win32 probe whose answers under Wine are kept in
// wine-ext-output.txt beside this file: the same calls, in the same order, printed in the same
// format, one answer a line.
#pragma once

#include <string>
#include <vector>

namespace fidelity {

// Runs every question, using `folder` for the files it writes; returns the printed lines.
std::vector<std::string> RunProbe(const std::string& folder);

}  // namespace fidelity
