// The command line of kestrival-cli: the command, its targets and options, and the one-line
// messages for bad usage.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace cli {

inline constexpr const char* kProgram = "kestrival-cli";

struct Options {
  std::string command;                  // search, get, apply or audit
  std::vector<std::string> positional;  // get: the target; apply, audit: the profile, targets
  int waitMs = 1500;
  int timeoutMs = 1000;
  int restartWaitMs = 15000;
  bool json = false;
  bool dryRun = false;
  std::optional<std::string> output;
  std::optional<std::string> groups;
  std::optional<std::string> ipFrom;
};

// A usage error: the message and a pointer to --help on `err`. Returns kExitUsage.
int Usage(std::ostream& err, const std::string& why);

// The command line (without --help and --version), checked: the command, the number of targets,
// every option's value and which command it belongs to. Nothing for bad usage, whose message is
// written to `err`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err);

}  // namespace cli
