#include "programs/Cli.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>

#include "app/KestrivalApp.h"
#include "app/KestrivalDlg.h"
#include "app/KestrivalResources.h"
#include "i18n/TranslationTable.h"
#include "params/DevParam.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/net/VirtualSegment.h"
#include "programs/CliSession.h"
#include "programs/Profile.h"
#include "programs/TapBackend.h"
#include "sim/FactoryRecord.h"
#include "sim/VirtualReader.h"

#ifndef KESTRIVAL_VERSION
#define KESTRIVAL_VERSION "unknown"
#endif

namespace cli {

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using std::chrono::milliseconds;

constexpr const char* kProgram = "kestrival-cli";

struct Options {
  std::string command;
  std::vector<std::string> positional;
  int waitMs = 1500;
  int timeoutMs = 1000;
  int restartWaitMs = 15000;
  bool json = false;
  bool dryRun = false;
  std::optional<std::string> output;
  std::optional<std::string> groups;
  std::optional<std::string> ipFrom;
};

// A usage error: the message, a pointer to --help, exit status 2.
int Usage(std::ostream& err, const std::string& why) {
  err << kProgram << ": " << why << " (try '" << kProgram << " --help')\n";
  return kExitUsage;
}

std::optional<int> Milliseconds(const std::string& text) {
  if (text.empty() || text.size() > 7) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stoi(text);
}

// The calendar of the system clock, which counts UTC: no C library time zone call, so the same
// on every platform.
std::string NowUtc() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

std::string Describe(const FoundReader& r) {
  return FormatDotted(r.from) + " " + Utf8FromCp936(r.label);
}

std::string GroupCount(int n) {
  return std::to_string(n) + (n == 1 ? " group" : " groups");
}

std::string Show(const Value& v) {
  return v.null ? "null" : "\"" + v.text + "\"";
}

// The reader a target names among the answers to a search, or the reason there is none.
std::optional<FoundReader> Resolve(const std::string& target, const std::vector<FoundReader>& found,
                                   std::string* error) {
  if (auto octets = ParseDottedIpv4(target)) {
    const NetAddr addr = MakeNetAddr(
        static_cast<std::uint8_t>((*octets)[0]), static_cast<std::uint8_t>((*octets)[1]),
        static_cast<std::uint8_t>((*octets)[2]), static_cast<std::uint8_t>((*octets)[3]));
    for (const FoundReader& r : found)
      if (r.from == addr) return r;
    *error = "no reader answered from " + target;
    return std::nullopt;
  }
  const std::string label = Cp936FromUtf8(target);
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

// The dialog started as kestrival starts (config.ini and language.csv beside the program), on
// `network`, with `job` run once its modal loop waits for the user.
class DialogRun {
 public:
  DialogRun(const Environment& env, platform::net::Backend& network, const TextResolver& english,
            milliseconds replyTimeout)
      : env_(env), tap_(network), english_(english), replyTimeout_(replyTimeout), host_(loop_) {}

  int Run(const std::function<int(DialogSession&)>& job, std::ostream& err) {
    platform::Runtime runtime;
    runtime.host = &host_;
    runtime.loop = &loop_;
    runtime.net = &tap_;
    runtime.debug = env_.trace ? env_.trace : [](const std::string&) {};
    runtime.modulePath = env_.modulePath;
    runtime.resources = &KestrivalResources();
    int status = kExitFailed;
    bool started = false;
    {
      platform::ScopedRuntime scoped(runtime);
      host_.SetDriver([&](CDialog& dialog) {
        started = true;
        DialogSession session(static_cast<CKestrivalDlg&>(dialog), loop_, tap_, english_,
                              replyTimeout_);
        if (!session.NetworkReady()) {
          err << kProgram << ": the network is not ready: " << session.StatusText() << "\n";
          status = kExitFailed;
        } else {
          status = job(session);
        }
        return false;
      });
      // The application object that AfxWinMain runs; the reference keeps it in the link.
      CWinApp* volatile application = &theApp;
      static_cast<void>(application);
      AfxWinMain();
      // The dialog leaves the sockets layer started; a later run in this process starts afresh.
      while (WSACleanup() == 0) {
      }
    }
    if (!started) {
      for (const std::string& box : host_.MessageBoxes()) err << Utf8FromCp936(box) << "\n";
      err << kProgram << ": the dialog could not start\n";
      return kExitFailed;
    }
    return status;
  }

  TapBackend& Tap() { return tap_; }

 private:
  const Environment& env_;
  TapBackend tap_;
  TextResolver english_;
  milliseconds replyTimeout_;
  platform::MessageLoop loop_;
  platform::HeadlessHost host_;
};

int Search(DialogSession& s, const Options& o, std::ostream& out, std::ostream& err) {
  const auto found = s.Search(milliseconds(o.waitMs));
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
    const std::string label = Utf8FromCp936(r.label);
    if (o.json) {
      Json j;
      j["label"] = label;
      j["from"] = FormatDotted(r.from);
      j["address"] = FormatDotted(r.address);
      j["mask"] = FormatDotted(r.mask);
      j["gateway"] = FormatDotted(r.gateway);
      j["same_label"] = dupLabel;
      j["same_address"] = dupAddress;
      j["reports_other_address"] = moved;
      out << j.dump() << "\n";
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

int Get(DialogSession& s, const Options& o, const Environment& env, std::ostream& out,
        std::ostream& err) {
  const auto found = s.Search(milliseconds(o.waitMs));
  std::string error;
  const auto reader = Resolve(o.positional[0], found, &error);
  if (!reader) {
    err << kProgram << ": " << error << "\n";
    return kExitFailed;
  }
  if (!s.Select(*reader, &error)) {
    err << kProgram << ": " << Describe(*reader) << ": " << error << "\n";
    return kExitFailed;
  }
  const auto read = s.Read();
  if (!read) {
    err << kProgram << ": " << Describe(*reader) << ": no answer to Get current parameters\n";
    return kExitFailed;
  }
  Profile p;
  p.label = Utf8FromCp936(reader->label);
  p.address = FormatDotted(reader->from);
  p.time = env.now ? env.now() : NowUtc();
  p.groups = read->groups;
  p.recordHex = read->recordHex;
  const std::string json = ProfileToJson(p);
  if (!o.output) {
    out << json;
  } else {
    std::ofstream file(*o.output, std::ios::binary | std::ios::trunc);
    file << json;
    file.close();
    if (!file) {
      err << kProgram << ": cannot write " << *o.output << "\n";
      return kExitFailed;
    }
    err << "read " << Describe(*reader) << " into " << *o.output << "\n";
  }
  return kExitOk;
}

struct ApplyPlan {
  Profile profile;
  std::vector<const GroupSpec*> groups;  // in the order they are set: the network group last
  std::optional<std::uint32_t> ipFrom;   // host order
};

struct TargetResult {
  std::string target;
  std::optional<FoundReader> reader;
  std::string newAddress;
  int groupsSet = 0;
  std::vector<std::string> errors;
  std::vector<Difference> differences;
  bool verified = false;
  std::vector<Captured> datagrams;  // dry run: what would have been sent
};

// The target as the results name it. A dry run knows no label for a target given by address (its
// stand-in carries the profile's), so it names the address alone.
std::string Who(const TargetResult& r, const Options& o) {
  if (!r.reader || (o.dryRun && ParseDottedIpv4(r.target))) return r.target;
  return Describe(*r.reader);
}

void Report(const TargetResult& r, const Options& o, std::ostream& out) {
  const std::string who = Who(r, o);
  if (o.json) {
    Json j;
    j["target"] = r.target;
    if (r.reader) {
      j["address"] = FormatDotted(r.reader->from);
      if (who != r.target || !ParseDottedIpv4(r.target))
        j["label"] = Utf8FromCp936(r.reader->label);
    }
    if (!r.newAddress.empty()) j["new_address"] = r.newAddress;
    j["status"] =
        o.dryRun ? (r.errors.empty() ? "dry-run" : "failed") : (r.verified ? "verified" : "failed");
    j["groups_set"] = r.groupsSet;
    j["errors"] = r.errors;
    Json diffs = Json::array();
    for (const Difference& d : r.differences) {
      Json one;
      one["field"] = d.field;
      one["profile"] = d.wanted.null ? Json(nullptr) : Json(d.wanted.text);
      one["reader"] = d.found.null ? Json(nullptr) : Json(d.found.text);
      diffs.push_back(one);
    }
    j["differences"] = diffs;
    if (o.dryRun) {
      Json datagrams = Json::array();
      for (const Captured& c : r.datagrams) {
        Json one;
        one["to"] = FormatDotted(Ip32{c.peer.addr}) + ":" + std::to_string(c.peer.port);
        std::string hex;
        static constexpr char kDigits[] = "0123456789abcdef";
        for (std::uint8_t b : c.bytes) (hex += kDigits[b >> 4]) += kDigits[b & 15];
        one["hex"] = hex;
        datagrams.push_back(one);
      }
      j["datagrams"] = datagrams;
    }
    out << j.dump() << "\n";
    return;
  }
  std::string line = who;
  if (!r.newAddress.empty()) line += " -> " + r.newAddress;
  if (o.dryRun && r.errors.empty()) {
    line += ": dry run, would set " + GroupCount(r.groupsSet) + " in " +
            std::to_string(r.datagrams.size()) + " datagrams";
    out << line << "\n";
    for (const Captured& c : r.datagrams) {
      std::string hex;
      static constexpr char kDigits[] = "0123456789abcdef";
      for (std::uint8_t b : c.bytes) (hex += kDigits[b >> 4]) += kDigits[b & 15];
      out << "  " << FormatDotted(Ip32{c.peer.addr}) << ":" << c.peer.port << " " << hex << "\n";
    }
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
  const auto octets = ParseDottedIpv4(profile.groups.at(kNetworkGroup).at("subnet_mask").text);
  return octets
             ? MakeIp32(
                   static_cast<std::uint8_t>((*octets)[0]), static_cast<std::uint8_t>((*octets)[1]),
                   static_cast<std::uint8_t>((*octets)[2]), static_cast<std::uint8_t>((*octets)[3]))
                   .value
             : 0xFFFFFFFFu;
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

  std::map<std::string, GroupValues> wanted;
  bool network = false;
  for (const GroupSpec* g : plan.groups) {
    GroupValues values = plan.profile.groups.at(g->name);
    if (g->name == std::string(kNetworkGroup)) {
      network = true;
      if (plan.ipFrom) {
        const auto address = NextFreeAddress(nextAddress, ProfileMask(plan.profile), taken);
        if (!address) {
          result.errors.push_back("--ip-from: no address left for it");
          return result;
        }
        values["ip_address"].text = *address;
      }
      result.newAddress = values["ip_address"].text;
    }
    wanted[g->name] = values;
  }
  const std::size_t beforeSets = tap.Count();
  bool networkSet = false;
  for (const GroupSpec* g : plan.groups) {
    if (!s.Put(*g, wanted[g->name], &error) || !s.Press(*g, &error)) {
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

  // The read-back: a reader given a new address answers there once it has restarted.
  FoundReader readBack = *reader;
  if (networkSet && result.newAddress != FormatDotted(reader->from)) {
    const auto deadline = std::chrono::steady_clock::now() + milliseconds(o.restartWaitMs);
    bool seen = false;
    do {
      found = s.Search(milliseconds(o.waitMs));
      for (const FoundReader& r : found) {
        if (FormatDotted(r.from) == result.newAddress) {
          readBack = r;
          seen = true;
        }
      }
    } while (!seen && std::chrono::steady_clock::now() < deadline);
    if (!seen) {
      result.errors.push_back("not verified: no reader answered from " + result.newAddress);
      return result;
    }
  }
  if (!s.Select(readBack, &error)) {
    result.errors.push_back("not verified: " + error);
    return result;
  }
  const auto read = s.Read();
  if (!read) {
    result.errors.push_back("not verified: no answer to the read-back");
    return result;
  }
  for (const GroupSpec* g : plan.groups) {
    const auto diffs = CompareGroup(*g, wanted[g->name], read->groups.at(g->name));
    result.differences.insert(result.differences.end(), diffs.begin(), diffs.end());
  }
  result.verified = result.errors.empty() && result.differences.empty();
  static_cast<void>(network);
  return result;
}

int Apply(DialogSession& s, const ApplyPlan& plan, const Options& o, TapBackend& tap,
          std::ostream& out, std::ostream& err) {
  auto found = s.Search(milliseconds(o.waitMs));
  std::set<std::uint32_t> taken;
  for (const FoundReader& r : found) taken.insert(ToIp32(r.from).value);
  std::uint64_t next = plan.ipFrom.value_or(0);
  const std::vector<std::string> targets(o.positional.begin() + 1, o.positional.end());
  bool allGood = true;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const TargetResult r = ApplyOne(s, plan, targets[i], found, &next, taken, o, tap);
    const bool good = o.dryRun ? r.errors.empty() : r.verified;
    allGood = allGood && good;
    std::string progress = "[" + std::to_string(i + 1) + "/" + std::to_string(targets.size()) +
                           "] " + Who(r, o) + ": ";
    if (good) {
      progress += (o.dryRun ? "would set " : "set ") + GroupCount(r.groupsSet) +
                  (o.dryRun ? ", nothing sent" : ", verified");
    } else {
      progress += "failed";
      for (const std::string& e : r.errors) progress += "; " + e;
      if (!r.differences.empty())
        progress += "; " + std::to_string(r.differences.size()) + " fields differ";
    }
    err << progress << "\n";
    Report(r, o, out);
  }
  return allGood ? kExitOk : kExitFailed;
}

// Stand-ins for the targets of a dry run on a segment of its own: each holds the profile's record,
// so the dialog reads the profile back and sends for each group exactly what it would send to a
// real reader (the network settings carry the stand-in's label). A target given by label stands
// at a documentation address (192.0.2.0/24).
struct DryRunSegment {
  platform::net::VirtualSegment segment;
  std::vector<std::unique_ptr<sim::VirtualReader>> readers;
  platform::net::VirtualHost* tool = nullptr;
};

std::unique_ptr<DryRunSegment> MakeDryRunSegment(const Profile& profile,
                                                 const std::vector<std::string>& targets) {
  auto dry = std::make_unique<DryRunSegment>();
  DEV_PARAM_T record{};
  std::vector<std::uint8_t> raw;
  for (std::size_t i = 0; i + 1 < profile.recordHex.size(); i += 2)
    raw.push_back(
        static_cast<std::uint8_t>(std::stoi(profile.recordHex.substr(i, 2), nullptr, 16)));
  std::uint32_t spare = 0xC0000201;  // 192.0.2.1
  std::set<std::uint32_t> used;
  for (const std::string& t : targets) {
    std::uint32_t address;
    // A target given by address has no known label: its address stands in for it (at most 15
    // characters, and one stand-in's differs from every other's, as the dialog needs).
    std::string label = t;
    if (auto octets = ParseDottedIpv4(t)) {
      address =
          MakeIp32(static_cast<std::uint8_t>((*octets)[0]), static_cast<std::uint8_t>((*octets)[1]),
                   static_cast<std::uint8_t>((*octets)[2]), static_cast<std::uint8_t>((*octets)[3]))
              .value;
    } else {
      while (used.count(spare)) ++spare;
      address = spare;
      label = Cp936FromUtf8(t);
    }
    if (!used.insert(address).second || address == 0 || address == 0xFFFFFFFF) continue;
    record = raw.size() == DEV_PARAM_LEN ? DecodeDevParam(raw.data(), raw.size())
                                         : sim::FactoryRecord(Ip32{address});
    auto reader = std::make_unique<sim::VirtualReader>(
        dry->segment, address, sim::ReaderIdentity{label, Ip32{address}, sim::kClientVersion});
    reader->Engine().SetRecord(record);
    dry->readers.push_back(std::move(reader));
  }
  std::uint32_t toolAddress = 0xC6336401;  // 198.51.100.1
  while (used.count(toolAddress)) ++toolAddress;
  dry->tool = &dry->segment.AddHost(toolAddress);
  return dry;
}

std::optional<ApplyPlan> PlanApply(const Options& o, const TextResolver& english,
                                   std::ostream& err) {
  const std::string& file = o.positional[0];
  std::ifstream in(file, std::ios::binary);
  std::error_code ec;
  if (!in || fs::is_directory(file, ec)) {
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
  ApplyPlan plan;
  plan.profile = std::move(*profile);
  bool network = false;
  for (const GroupSpec* g : *groups) {
    if (g->name == std::string(kNetworkGroup))
      network = true;
    else
      plan.groups.push_back(g);
  }
  // Last, so that the other groups still reach the reader at the address it answers from.
  if (network) plan.groups.push_back(FindGroup(kNetworkGroup));
  const std::size_t targets = o.positional.size() - 1;
  if (o.ipFrom) {
    const auto octets = ParseDottedIpv4(*o.ipFrom);
    if (!octets) {
      Usage(err, "--ip-from: not a dotted IPv4 address: " + *o.ipFrom);
      return std::nullopt;
    }
    if (!network) {
      Usage(err, "--ip-from gives addresses: it needs --groups network");
      return std::nullopt;
    }
    plan.ipFrom =
        MakeIp32(static_cast<std::uint8_t>((*octets)[0]), static_cast<std::uint8_t>((*octets)[1]),
                 static_cast<std::uint8_t>((*octets)[2]), static_cast<std::uint8_t>((*octets)[3]))
            .value;
  } else if (network && targets > 1) {
    Usage(err, "the network group for several targets needs --ip-from (one address each)");
    return std::nullopt;
  }
  return plan;
}

std::optional<Options> Parse(const std::vector<std::string>& args, std::ostream& err, int* status) {
  Options o;
  *status = kExitUsage;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const char* what) -> std::optional<std::string> {
      if (i + 1 >= args.size()) {
        Usage(err, a + " needs " + what);
        return std::nullopt;
      }
      return args[++i];
    };
    auto number = [&](int* into) {
      auto v = value("a number of milliseconds");
      if (!v) return false;
      auto ms = Milliseconds(*v);
      if (!ms) {
        Usage(err, a + ": not a number of milliseconds: " + *v);
        return false;
      }
      *into = *ms;
      return true;
    };
    if (a == "--json") {
      o.json = true;
    } else if (a == "--dry-run") {
      o.dryRun = true;
    } else if (a == "--wait") {
      if (!number(&o.waitMs)) return std::nullopt;
    } else if (a == "--timeout") {
      if (!number(&o.timeoutMs)) return std::nullopt;
    } else if (a == "--restart-wait") {
      if (!number(&o.restartWaitMs)) return std::nullopt;
    } else if (a == "-o" || a == "--groups" || a == "--ip-from") {
      auto v = value(a == "-o" ? "a file" : a == "--groups" ? "a list of groups" : "an address");
      if (!v) return std::nullopt;
      (a == "-o" ? o.output : a == "--groups" ? o.groups : o.ipFrom) = *v;
    } else if (a.size() > 1 && a[0] == '-') {
      Usage(err, "unknown option '" + a + "'");
      return std::nullopt;
    } else if (o.command.empty()) {
      o.command = a;
    } else {
      o.positional.push_back(a);
    }
  }
  auto refuse = [&](const std::string& why) {
    Usage(err, why);
    return std::nullopt;
  };
  if (o.command.empty()) return refuse("a command is needed: search, get or apply");
  if (o.command == "search") {
    if (!o.positional.empty()) return refuse("search takes no target");
  } else if (o.command == "get") {
    if (o.positional.size() != 1) return refuse("get needs one target (an address or a label)");
  } else if (o.command == "apply") {
    if (o.positional.size() < 2) return refuse("apply needs a profile and at least one target");
  } else {
    return refuse("unknown option '" + o.command + "'");
  }
  const bool applyOnly = o.groups || o.ipFrom || o.dryRun;
  if (applyOnly && o.command != "apply")
    return refuse("--groups, --ip-from and --dry-run belong to apply");
  if (o.output && o.command != "get") return refuse("-o belongs to get");
  if (o.json && o.command == "get") return refuse("get writes a profile, which is JSON already");
  *status = kExitOk;
  return o;
}

}  // namespace

std::string UsageText() {
  return "Usage: kestrival-cli search [--wait MS] [--json]\n"
         "       kestrival-cli get TARGET [-o FILE] [--wait MS]\n"
         "       kestrival-cli apply FILE TARGET... [--groups LIST] [--ip-from A.B.C.D]\n"
         "                     [--dry-run] [--json] [--wait MS]\n"
         "       kestrival-cli --help | --version\n"
         "\n"
         "Batch work on the configuration dialog without a window, on the real network (it\n"
         "broadcasts to 255.255.255.255: use it only on a segment of readers).\n"
         "\n"
         "  search        list every reader that answers: label, the address it answered from,\n"
         "                the address, mask and gateway its record reports; lines that share a\n"
         "                label or an address, and records that report another address, are "
         "marked\n"
         "  get           read a reader's whole configuration into a profile (standard output\n"
         "                without -o)\n"
         "  apply         for each target: read it, set the profile's groups through the dialog's\n"
         "                Set buttons, read it again and compare every field of those groups\n"
         "\n"
         "  TARGET        the address a reader answers from, or its label (a label several\n"
         "                readers carry is refused)\n"
         "  --groups LIST groups to apply, comma-separated (default: all but network):\n"
         "                network, output_format, card_input_format, hid_format, serial, restart,\n"
         "                work_mode, speaker, light, barcode, card_prefix_suffix, wiegand, "
         "qr_code\n"
         "  --ip-from A   with --groups network: consecutive addresses from A on, skipping\n"
         "                addresses that answer the search; needed for more than one target\n"
         "  --dry-run     send nothing; print each datagram that would be sent, in hex\n"
         "  --json        results as JSON lines\n"
         "  --wait MS     how long a search waits for answers (default 1500)\n"
         "  --timeout MS  how long to wait for each reply (default 1000)\n"
         "  --restart-wait MS  how long a reader given a new address may take to answer\n"
         "                there (default 15000)\n"
         "  --demo        three simulated readers on a virtual segment; nothing leaves the "
         "process\n"
         "\n"
         "Progress goes to standard error, results to standard output. Exit status: 0 when every\n"
         "target was done (and verified), 1 when a target failed, did not answer or differs,\n"
         "2 for bad usage or a bad profile (nothing is sent then).\n";
}

int RunCli(const std::vector<std::string>& args, const Environment& env, std::ostream& out,
           std::ostream& err) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      out << UsageText();
      return kExitOk;
    }
    if (a == "--version") {
      out << kProgram << " " << KESTRIVAL_VERSION << "\n";
      return kExitOk;
    }
  }
  int status = kExitUsage;
  const auto options = Parse(args, err, &status);
  if (!options) return status;
  const Options& o = *options;

  // List items are named by their English texts, from the language.csv the dialog reads too.
  TranslationTable table;
  const fs::path csv = fs::path(env.modulePath).parent_path() / "language.csv";
  if (!table.Load(csv.string().c_str())) {
    err << kProgram << ": cannot read " << csv.string()
        << " (list items are named by its English texts)\n";
    return kExitFailed;
  }
  const TextResolver english = EnglishTexts(table);
  const milliseconds timeout(o.timeoutMs);

  if (o.command == "search" || o.command == "get") {
    DialogRun run(env, *env.network, english, timeout);
    return run.Run(
        [&](DialogSession& s) {
          return o.command == "search" ? Search(s, o, out, err) : Get(s, o, env, out, err);
        },
        err);
  }

  // Everything about the profile is checked before the first datagram.
  const auto plan = PlanApply(o, english, err);
  if (!plan) return kExitUsage;
  std::unique_ptr<DryRunSegment> dry;
  if (o.dryRun) {
    dry = MakeDryRunSegment(plan->profile,
                            std::vector<std::string>(o.positional.begin() + 1, o.positional.end()));
    err << "dry run: nothing is sent; simulated readers that hold the profile's record stand in "
           "for the targets (one given by address carries its address as its label)\n";
  }
  DialogRun run(env, dry ? static_cast<platform::net::Backend&>(*dry->tool) : *env.network, english,
                timeout);
  return run.Run([&](DialogSession& s) { return Apply(s, *plan, o, run.Tap(), out, err); }, err);
}

}  // namespace cli
