#include "programs/CliAudit.h"

#include <algorithm>
#include <chrono>
#include <ostream>

#include "params/CodePage.h"
#include "programs/Cli.h"
#include "programs/CliReport.h"
#include "programs/CliTargets.h"
#include "programs/JsonLine.h"
#include "protocol/IpAddress.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

bool SameReader(const FoundReader& a, const FoundReader& b) {
  return a.from == b.from;
}

void AddOnce(std::vector<AuditResult>& results, AuditResult r) {
  const bool again = r.reader && std::any_of(results.begin(), results.end(), [&](const auto& x) {
                       return x.reader && SameReader(*x.reader, *r.reader);
                     });
  if (!again) results.push_back(std::move(r));
}

// The readers to audit, in the order of the answers (every reader) or of the targets. A label
// that several readers carry names each of them: they are told apart by address.
std::vector<AuditResult> Chosen(const std::vector<std::string>& targets,
                                const std::vector<FoundReader>& found) {
  std::vector<AuditResult> results;
  if (targets.empty()) {
    for (const FoundReader& r : found) AddOnce(results, AuditResult{"", r, "", {}, {}});
    return results;
  }
  for (const std::string& target : targets) {
    std::vector<FoundReader> named;
    if (const auto address = ParseDotted(target)) {
      for (const FoundReader& r : found)
        if (r.from == ToNetAddr(*address)) named.push_back(r);
    } else {
      const std::string label = Utf8ToAnsiString(target);
      for (const FoundReader& r : found)
        if (r.label == label) named.push_back(r);
    }
    if (named.empty()) {
      AuditResult missing{target, std::nullopt, "", {}, {}};
      missing.error = ParseDotted(target) ? "no reader answered from " + target
                                          : "no reader carries the label \"" + target + "\"";
      results.push_back(missing);
    }
    for (const FoundReader& r : named) AddOnce(results, AuditResult{target, r, "", {}, {}});
  }
  return results;
}

void Compare(DialogSession& s, const AuditPlan& plan, AuditResult& r) {
  std::string error;
  if (!s.Select(*r.reader, &error)) {
    r.error = error;
    return;
  }
  const auto read = s.Read();
  if (!read) {
    r.error = "no answer to Get current parameters";
    return;
  }
  for (const GroupSpec* g : plan.groups) {
    GroupValues wanted = plan.profile.groups.at(g->name);
    for (const FieldSpec& f : g->fields) {
      const std::string name = std::string(g->name) + "." + f.name;
      if (read->notShown.count(name) == 0) continue;
      wanted.erase(f.name);
      r.notCompared.push_back(name);
    }
    const auto diffs = CompareGroup(*g, wanted, read->groups.at(g->name));
    r.differences.insert(r.differences.end(), diffs.begin(), diffs.end());
  }
}

const char* Status(const AuditResult& r) {
  if (!r.reader) return "not found";
  if (!r.error.empty()) return "no answer";
  return r.differences.empty() ? "matches" : "differs";
}

std::string Show(const Value& v) {
  return v.null ? "null" : "\"" + v.text + "\"";
}

void ReportJson(const AuditResult& r, std::ostream& out) {
  Json j;
  if (!r.target.empty()) j["target"] = r.target;
  if (r.reader) {
    j["address"] = FormatDotted(r.reader->from);
    j["label"] = AnsiToUtf8String(r.reader->label);
  }
  j["status"] = Status(r);
  if (!r.error.empty()) j["error"] = r.error;
  j["differences"] = DifferencesJson(r.differences);
  j["not_compared"] = r.notCompared;
  out << programs::JsonLine(j) << "\n";
}

void Report(const AuditResult& r, std::ostream& out) {
  std::string line = (r.reader ? Describe(*r.reader) : r.target) + ": ";
  if (!r.error.empty()) {
    line += r.error;
  } else if (r.differences.empty()) {
    line += "matches";
  } else {
    line += "differs:";
    for (const Difference& d : r.differences)
      line += " " + d.field + " (profile " + Show(d.wanted) + ", reader " + Show(d.found) + ")";
  }
  if (!r.notCompared.empty()) {
    line += "; not compared (the dialog does not show them for this reader):";
    for (const std::string& f : r.notCompared) line += " " + f;
  }
  out << line << "\n";
}

std::string Summary(const std::vector<AuditResult>& results) {
  std::size_t matches = 0, differs = 0, silent = 0, missing = 0;
  for (const AuditResult& r : results) {
    const std::string status = Status(r);
    matches += status == "matches";
    differs += status == "differs";
    silent += status == "no answer";
    missing += status == "not found";
  }
  const std::size_t readers = results.size() - missing;
  std::string line = "audit: " + std::to_string(readers) + (readers == 1 ? " reader" : " readers");
  line += ", " + std::to_string(matches) + " match, " + std::to_string(differs) + " differ, " +
          std::to_string(silent) + " did not answer";
  if (missing) line += "; " + std::to_string(missing) + " targets not found";
  if (results.empty()) line = "audit: no reader answered the search";
  return line;
}

}  // namespace

int Audit(DialogSession& session, const AuditPlan& plan, const Options& o, std::ostream& out,
          std::ostream& err) {
  const auto found = session.Search(std::chrono::milliseconds(o.waitMs));
  const std::vector<std::string> targets(o.positional.begin() + 1, o.positional.end());
  std::vector<AuditResult> results = Chosen(targets, found);
  bool allMatch = !results.empty();
  for (AuditResult& r : results) {
    if (r.reader) Compare(session, plan, r);
    allMatch = allMatch && std::string(Status(r)) == "matches";
    if (o.json)
      ReportJson(r, out);
    else
      Report(r, out);
  }
  (o.json ? err : out) << Summary(results) << "\n";
  return allMatch ? kExitOk : kExitFailed;
}

}  // namespace cli
