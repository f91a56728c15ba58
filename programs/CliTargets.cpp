#include "programs/CliTargets.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "params/CodePage.h"
#include "programs/Cli.h"
#include "programs/JsonLine.h"
#include "protocol/IpAddress.h"

namespace cli {

using std::chrono::milliseconds;

std::string Describe(const FoundReader& reader) {
  return FormatDotted(reader.from) + " " + AnsiToUtf8String(reader.label);
}

std::optional<FoundReader> Resolve(const std::string& target, const std::vector<FoundReader>& found,
                                   std::string* error) {
  if (const auto address = ParseDotted(target)) {
    const NetAddr addr = ToNetAddr(*address);
    for (const FoundReader& r : found)
      if (r.from == addr) return r;
    *error = "no reader answered from " + target;
    return std::nullopt;
  }
  const std::string label = Utf8ToAnsiString(target);
  std::vector<FoundReader> carriers;
  for (const FoundReader& r : found) {
    if (r.label != label) continue;
    const bool again = std::any_of(carriers.begin(), carriers.end(),
                                   [&](const FoundReader& c) { return c.from == r.from; });
    if (!again) carriers.push_back(r);
  }
  if (carriers.empty()) {
    *error = "no reader carries the label \"" + target + "\"";
    return std::nullopt;
  }
  if (carriers.size() > 1) {
    std::string addresses;
    for (const FoundReader& c : carriers)
      addresses += (addresses.empty() ? "" : ", ") + FormatDotted(c.from);
    *error = std::to_string(carriers.size()) + " readers carry the label \"" + target + "\" (" +
             addresses + "): name one by its address";
    return std::nullopt;
  }
  return carriers.front();
}

int Search(DialogSession& session, const Options& o, std::ostream& out, std::ostream& err) {
  const auto found = session.Search(milliseconds(o.waitMs));
  auto count = [&](auto same) {
    return [&, same](const FoundReader& r) {
      return std::count_if(found.begin(), found.end(),
                           [&](const FoundReader& x) { return same(r, x); });
    };
  };
  const auto sameLabel =
      count([](const FoundReader& a, const FoundReader& b) { return a.label == b.label; });
  const auto sameAddress = count([](const FoundReader& a, const FoundReader& b) {
    return a.from == b.from || a.address == b.address;
  });
  if (!o.json) {
    char line[200];
    std::snprintf(line, sizeof line, "%-16s %-15s %-15s %-15s %-15s %s", "LABEL", "FROM", "ADDRESS",
                  "MASK", "GATEWAY", "NOTES");
    out << line << "\n";
  }
  for (const FoundReader& r : found) {
    const bool dupLabel = sameLabel(r) > 1;
    const bool dupAddress = sameAddress(r) > 1;
    const bool moved = !(ToIp32(r.from) == r.address);
    const std::string label = AnsiToUtf8String(r.label);
    if (o.json) {
      nlohmann::ordered_json j;
      j["label"] = label;
      j["from"] = FormatDotted(r.from);
      j["address"] = FormatDotted(r.address);
      j["mask"] = FormatDotted(r.mask);
      j["gateway"] = FormatDotted(r.gateway);
      j["same_label"] = dupLabel;
      j["same_address"] = dupAddress;
      j["reports_other_address"] = moved;
      out << programs::JsonLine(j) << "\n";
      continue;
    }
    std::string notes;
    if (dupLabel) notes += "same-label ";
    if (dupAddress) notes += "same-address ";
    if (moved) notes += "reports-other-address(unreachable-after-restart) ";
    if (!notes.empty()) notes.pop_back();
    char line[400];
    std::snprintf(line, sizeof line, "%-16s %-15s %-15s %-15s %-15s %s", label.c_str(),
                  FormatDotted(r.from).c_str(), FormatDotted(r.address).c_str(),
                  FormatDotted(r.mask).c_str(), FormatDotted(r.gateway).c_str(), notes.c_str());
    std::string text = line;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << "\n";
  }
  err << found.size() << (found.size() == 1 ? " reader answered\n" : " readers answered\n");
  return kExitOk;
}

}  // namespace cli
