// "kestrival-cli audit": is the site still as the profile says? Every reader that answers the
// search (or only the targets) is read, and the profile's groups are compared with what it holds.
// Only the search and the reads go out (requests 2, 0 and 30), never a Set command.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "programs/CliApply.h"
#include "programs/CliOptions.h"
#include "programs/CliSession.h"
#include "programs/Profile.h"

namespace cli {

// The profile and its groups to compare (ReadChosenProfile, CliApply.h).
using AuditPlan = ChosenProfile;

// What became of one reader, or of a target that no reader answered for.
struct AuditResult {
  std::string target;                 // as the command line names it; empty for "every reader"
  std::optional<FoundReader> reader;  // nothing when the target names no reader that answered
  std::string error;                  // why it was not compared
  std::vector<Difference> differences;
  std::vector<std::string> notCompared;  // "group.field" the dialog does not show for it
};

// Audits the readers: each result on `out` (a line, or with --json one JSON object), the summary
// line after them (on `err` with --json). kExitOk when every reader audited matches.
int Audit(DialogSession& session, const AuditPlan& plan, const Options& o, std::ostream& out,
          std::ostream& err);

}  // namespace cli
