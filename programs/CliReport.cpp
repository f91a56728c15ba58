#include "programs/CliReport.h"

#include <ostream>

#include "params/CodePage.h"
#include "programs/CliTargets.h"
#include "programs/JsonLine.h"
#include "protocol/HexDump.h"
#include "protocol/IpAddress.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

std::string GroupCount(int n) {
  return std::to_string(n) + (n == 1 ? " group" : " groups");
}

std::string Show(const Value& v) {
  return v.null ? "null" : "\"" + v.text + "\"";
}

// The target as the results name it. A dry run knows no label for a target given by address (its
// stand-in carries the profile's), so it names the address alone.
std::string Who(const TargetResult& r, const Options& o) {
  if (!r.reader || (o.dryRun && ParseDotted(r.target))) return r.target;
  return Describe(*r.reader);
}

std::string Destination(const Captured& c) {
  return FormatDotted(Ip32{c.peer.addr}) + ":" + std::to_string(c.peer.port);
}

std::string Hex(const Captured& c) {
  return LowerHex(c.bytes.data(), c.bytes.size());
}

void ReportJson(const TargetResult& r, const Options& o, std::ostream& out) {
  Json j;
  j["target"] = r.target;
  if (r.reader) {
    j["address"] = FormatDotted(r.reader->from);
    if (Who(r, o) != r.target || !ParseDotted(r.target))
      j["label"] = AnsiToUtf8String(r.reader->label);
  }
  if (!r.newAddress.empty()) j["new_address"] = r.newAddress;
  j["status"] =
      o.dryRun ? (r.errors.empty() ? "dry-run" : "failed") : (r.verified ? "verified" : "failed");
  j["groups_set"] = r.groupsSet;
  j["errors"] = r.errors;
  j["differences"] = DifferencesJson(r.differences);
  if (o.dryRun) {
    Json datagrams = Json::array();
    for (const Captured& c : r.datagrams) {
      Json one;
      one["to"] = Destination(c);
      one["hex"] = Hex(c);
      datagrams.push_back(one);
    }
    j["datagrams"] = datagrams;
  }
  out << programs::JsonLine(j) << "\n";
}

}  // namespace

nlohmann::ordered_json DifferencesJson(const std::vector<Difference>& differences) {
  Json all = Json::array();
  for (const Difference& d : differences) {
    Json one;
    one["field"] = d.field;
    one["profile"] = d.wanted.null ? Json(nullptr) : Json(d.wanted.text);
    one["reader"] = d.found.null ? Json(nullptr) : Json(d.found.text);
    all.push_back(one);
  }
  return all;
}

bool Succeeded(const TargetResult& r, const Options& o) {
  return o.dryRun ? r.errors.empty() : r.verified;
}

std::string ProgressLine(std::size_t index, std::size_t count, const TargetResult& r,
                         const Options& o) {
  std::string line =
      "[" + std::to_string(index) + "/" + std::to_string(count) + "] " + Who(r, o) + ": ";
  if (Succeeded(r, o)) {
    line += (o.dryRun ? "would set " : "set ") + GroupCount(r.groupsSet) +
            (o.dryRun ? ", nothing sent" : ", verified");
    return line;
  }
  line += "failed";
  for (const std::string& e : r.errors) line += "; " + e;
  if (!r.differences.empty())
    line += "; " + std::to_string(r.differences.size()) + " fields differ";
  return line;
}

void Report(const TargetResult& r, const Options& o, std::ostream& out) {
  if (o.json) {
    ReportJson(r, o, out);
    return;
  }
  std::string line = Who(r, o);
  if (!r.newAddress.empty()) line += " -> " + r.newAddress;
  if (o.dryRun && r.errors.empty()) {
    line += ": dry run, would set " + GroupCount(r.groupsSet) + " in " +
            std::to_string(r.datagrams.size()) + " datagrams";
    out << line << "\n";
    for (const Captured& c : r.datagrams) out << "  " << Destination(c) << " " << Hex(c) << "\n";
    return;
  }
  if (r.verified) {
    out << line << ": verified, " << GroupCount(r.groupsSet) << " set\n";
    return;
  }
  line += ": FAILED";
  for (const std::string& e : r.errors) line += "; " + e;
  if (!r.differences.empty()) {
    line += "; differs:";
    for (const Difference& d : r.differences)
      line += " " + d.field + " (profile " + Show(d.wanted) + ", reader " + Show(d.found) + ")";
  }
  out << line << "\n";
}

}  // namespace cli
