#include "programs/CliApply.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include "programs/Cli.h"
#include "programs/CliReport.h"
#include "programs/CliTargets.h"
#include "protocol/IpAddress.h"

namespace cli {

namespace {

using std::chrono::milliseconds;

// The next address from *next on that no reader answered from, that no target was given yet and
// that is neither the network's nor the broadcast address of the subnet (mask); nothing once the
// addresses run out.
std::optional<std::string> NextFreeAddress(std::uint64_t* next, std::uint32_t mask,
                                           const std::set<std::uint32_t>& taken) {
  for (; *next < 0xFFFFFFFFu; ++*next) {
    const auto address = static_cast<std::uint32_t>(*next);
    const std::uint32_t host = address & ~mask;
    if (taken.count(address) || (~mask > 1 && (host == 0 || host == ~mask))) continue;
    ++*next;
    return FormatDotted(Ip32{address});
  }
  return std::nullopt;
}

std::uint32_t ProfileMask(const Profile& profile) {
  const auto mask = ParseDotted(profile.groups.at(kNetworkGroup).at("subnet_mask").text);
  return mask ? mask->value : 0xFFFFFFFFu;
}

// Each group's values as they go to this target: the network group's address, with --ip-from,
// the next free one. Nothing, with the reason in result->errors, once the addresses run out.
std::optional<std::map<std::string, GroupValues>> WantedValues(const ApplyPlan& plan,
                                                               std::uint64_t* nextAddress,
                                                               const std::set<std::uint32_t>& taken,
                                                               TargetResult* result) {
  std::map<std::string, GroupValues> wanted;
  for (const GroupSpec* g : plan.groups) {
    GroupValues values = plan.profile.groups.at(g->name);
    if (g->name == std::string(kNetworkGroup)) {
      if (plan.ipFrom) {
        const auto address = NextFreeAddress(nextAddress, ProfileMask(plan.profile), taken);
        if (!address) {
          result->errors.push_back("--ip-from: no address left for it");
          return std::nullopt;
        }
        values["ip_address"].text = *address;
      }
      result->newAddress = values["ip_address"].text;
    }
    wanted[g->name] = values;
  }
  return wanted;
}

// The reader to read back: a reader given a new address answers there once it has restarted.
std::optional<FoundReader> ReadBackReader(DialogSession& s, const FoundReader& reader,
                                          bool networkSet, const Options& o,
                                          std::vector<FoundReader>& found, TargetResult* result) {
  if (!networkSet || result->newAddress == FormatDotted(reader.from)) return reader;
  const auto deadline = std::chrono::steady_clock::now() + milliseconds(o.restartWaitMs);
  std::optional<FoundReader> seen;
  do {
    found = s.Search(milliseconds(o.waitMs));
    for (const FoundReader& r : found)
      if (FormatDotted(r.from) == result->newAddress) seen = r;
  } while (!seen && std::chrono::steady_clock::now() < deadline);
  if (!seen)
    result->errors.push_back("not verified: no reader answered from " + result->newAddress);
  return seen;
}

TargetResult ApplyOne(DialogSession& s, const ApplyPlan& plan, const std::string& target,
                      std::vector<FoundReader>& found, std::uint64_t* nextAddress,
                      const std::set<std::uint32_t>& taken, const Options& o, TapBackend& tap) {
  TargetResult result;
  result.target = target;
  std::string error;
  const auto reader = Resolve(target, found, &error);
  if (!reader) {
    result.errors.push_back(error);
    return result;
  }
  result.reader = reader;
  if (!s.Select(*reader, &error)) {
    result.errors.push_back(error);
    return result;
  }
  if (!s.Read()) {
    result.errors.push_back("no answer to Get current parameters");
    return result;
  }

  auto wanted = WantedValues(plan, nextAddress, taken, &result);
  if (!wanted) return result;
  const std::size_t beforeSets = tap.Count();
  bool networkSet = false;
  for (const GroupSpec* g : plan.groups) {
    if (!s.Put(*g, (*wanted)[g->name], &error) || !s.Press(*g, &error)) {
      result.errors.push_back(error);
      continue;
    }
    ++result.groupsSet;
    networkSet = networkSet || g->name == std::string(kNetworkGroup);
  }
  if (o.dryRun) {
    for (const Captured& c : tap.Since(beforeSets))
      if (c.sent) result.datagrams.push_back(c);
    return result;
  }

  const auto readBack = ReadBackReader(s, *reader, networkSet, o, found, &result);
  if (!readBack) return result;
  if (!s.Select(*readBack, &error)) {
    result.errors.push_back("not verified: " + error);
    return result;
  }
  const auto read = s.Read();
  if (!read) {
    result.errors.push_back("not verified: no answer to the read-back");
    return result;
  }
  for (const GroupSpec* g : plan.groups) {
    const auto diffs = CompareGroup(*g, (*wanted)[g->name], read->groups.at(g->name));
    result.differences.insert(result.differences.end(), diffs.begin(), diffs.end());
  }
  result.verified = result.errors.empty() && result.differences.empty();
  return result;
}

}  // namespace

std::optional<ChosenProfile> ReadChosenProfile(const Options& o, const TextResolver& english,
                                               std::ostream& err) {
  const std::string& file = o.positional[0];
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  if (!in || std::filesystem::is_directory(file, ec)) {
    Usage(err, "cannot read " + file);
    return std::nullopt;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::string error;
  auto profile = ParseProfile(text.str(), english, &error);
  if (!profile) {
    err << kProgram << ": " << file << ": " << error << "\n";
    return std::nullopt;
  }
  auto groups = ChooseGroups(o.groups.value_or(""), *profile, &error);
  if (!groups) {
    Usage(err, error);
    return std::nullopt;
  }
  return ChosenProfile{std::move(*profile), std::move(*groups)};
}

std::optional<ApplyPlan> PlanApply(const Options& o, const TextResolver& english,
                                   std::ostream& err) {
  auto chosen = ReadChosenProfile(o, english, err);
  if (!chosen) return std::nullopt;
  ApplyPlan plan;
  plan.profile = std::move(chosen->profile);
  bool network = false;
  for (const GroupSpec* g : chosen->groups) {
    if (g->name == std::string(kNetworkGroup))
      network = true;
    else
      plan.groups.push_back(g);
  }
  // Last, so that the other groups still reach the reader at the address it answers from.
  if (network) plan.groups.push_back(FindGroup(kNetworkGroup));
  const std::size_t targets = o.positional.size() - 1;
  if (o.ipFrom) {
    const auto first = ParseDotted(*o.ipFrom);
    if (!first) {
      Usage(err, "--ip-from: not a dotted IPv4 address: " + *o.ipFrom);
      return std::nullopt;
    }
    if (!network) {
      Usage(err, "--ip-from gives addresses: it needs --groups network");
      return std::nullopt;
    }
    plan.ipFrom = first->value;
  } else if (network && targets > 1) {
    Usage(err, "the network group for several targets needs --ip-from (one address each)");
    return std::nullopt;
  }
  return plan;
}

int Apply(DialogSession& session, const ApplyPlan& plan, const Options& o, TapBackend& tap,
          std::ostream& out, std::ostream& err) {
  auto found = session.Search(milliseconds(o.waitMs));
  std::set<std::uint32_t> taken;
  for (const FoundReader& r : found) taken.insert(ToIp32(r.from).value);
  std::uint64_t next = plan.ipFrom.value_or(0);
  const std::vector<std::string> targets(o.positional.begin() + 1, o.positional.end());
  bool allGood = true;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const TargetResult r = ApplyOne(session, plan, targets[i], found, &next, taken, o, tap);
    allGood = allGood && Succeeded(r, o);
    err << ProgressLine(i + 1, targets.size(), r, o) << "\n";
    Report(r, o, out);
  }
  return allGood ? kExitOk : kExitFailed;
}

}  // namespace cli
