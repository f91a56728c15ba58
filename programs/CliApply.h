// "kestrival-cli apply": the plan checked before the first datagram, then for each target the
// groups put into the dialog's controls and set through its Set buttons, and the read-back.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "programs/CliOptions.h"
#include "programs/CliSession.h"
#include "programs/Profile.h"
#include "programs/TapBackend.h"

namespace cli {

struct ApplyPlan {
  Profile profile;
  std::vector<const GroupSpec*> groups;  // in the order they are set: the network group last
  std::optional<std::uint32_t> ipFrom;   // host order
};

// The profile file (the first positional argument) read and checked whole, and the groups that
// --groups names (by default every group of the profile but the network group). Nothing, with
// the reason on `err`, when it cannot be read, is not sound or names an unknown group.
struct ChosenProfile {
  Profile profile;
  std::vector<const GroupSpec*> groups;
};
std::optional<ChosenProfile> ReadChosenProfile(const Options& o, const TextResolver& english,
                                               std::ostream& err);

// The profile read and checked, the groups chosen, --ip-from checked against them. Nothing, with
// the reason on `err`, for a profile or options that cannot be applied.
std::optional<ApplyPlan> PlanApply(const Options& o, const TextResolver& english,
                                   std::ostream& err);

// Applies the plan to every target in turn: progress on `err`, each result on `out`. Returns
// kExitOk when every target was done (and verified), kExitFailed otherwise.
int Apply(DialogSession& session, const ApplyPlan& plan, const Options& o, TapBackend& tap,
          std::ostream& out, std::ostream& err);

}  // namespace cli
