// What "kestrival-cli apply" tells of each target: the progress line on standard error and the
// result on standard output, as text or as one JSON line.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "programs/CliOptions.h"
#include "programs/CliSession.h"
#include "programs/Profile.h"
#include "programs/TapBackend.h"

namespace cli {

// What became of one target.
struct TargetResult {
  std::string target;                 // as the command line names it
  std::optional<FoundReader> reader;  // once resolved
  std::string newAddress;             // the network group's address, when it is set
  int groupsSet = 0;
  std::vector<std::string> errors;
  std::vector<Difference> differences;  // of the read-back
  bool verified = false;
  std::vector<Captured> datagrams;  // dry run: what would have been sent
};

// The differences as a JSON list of {"field", "profile", "reader"}; null for a list without
// selection.
nlohmann::ordered_json DifferencesJson(const std::vector<Difference>& differences);

// Done: verified, or for a dry run every group put and pressed.
bool Succeeded(const TargetResult& r, const Options& o);

// "[2/5] 192.168.0.102 Gate 1: set 12 groups, verified", or "failed" with every reason.
std::string ProgressLine(std::size_t index, std::size_t count, const TargetResult& r,
                         const Options& o);

// The target's result on `out`: a line (a dry run: with each datagram in hex below it), or with
// --json one JSON line.
void Report(const TargetResult& r, const Options& o, std::ostream& out);

}  // namespace cli
