// kestrival-cli: batch work for installers on the real main dialog without a window.
//
//   kestrival-cli search [--wait MS] [--json]
//   kestrival-cli get TARGET [-o FILE]
//   kestrival-cli apply FILE TARGET... [--groups LIST] [--ip-from A.B.C.D] [--dry-run] [--json]
//   kestrival-cli audit FILE [TARGET...] [--groups LIST] [--json]
//
// TARGET is an address (A.B.C.D, the one the reader answers from) or a label. Exit status 0 when
// everything was done (and, for apply, verified by reading every target back), 1 when a target
// failed, did not answer or differs (audit: 0 when every reader matches, 1 otherwise), 2 for bad
// usage or a bad profile (nothing is sent then).
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace platform::net {
class Backend;
}

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

struct Environment {
  // The network the dialog's socket reaches (the real one, or a virtual segment).
  platform::net::Backend* network = nullptr;
  // What GetModuleFileNameA reports: config.ini and language.csv are read beside it.
  std::string modulePath;
  // Where the dialog's debug trace goes (dropped when empty).
  std::function<void(const std::string&)> trace;
  // The time written into a profile (ISO 8601, UTC); the clock when empty.
  std::function<std::string()> now;
};

// Runs one command line (without the program name) and returns the exit status. Results go to
// `out`, progress and messages to `err`.
int RunCli(const std::vector<std::string>& args, const Environment& env, std::ostream& out,
           std::ostream& err);

// The usage text that --help prints.
std::string UsageText();

}  // namespace cli
