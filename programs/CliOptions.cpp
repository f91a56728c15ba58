#include "programs/CliOptions.h"

#include <ostream>

#include "programs/Cli.h"

namespace cli {

namespace {

std::optional<int> Milliseconds(const std::string& text) {
  if (text.empty() || text.size() > 7) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return std::stoi(text);
}

// The command's targets and the options that belong to another command; a refusal as its text.
std::optional<std::string> CheckCommand(const Options& o) {
  if (o.command.empty()) return "a command is needed: search, get, apply or audit";
  if (o.command == "search") {
    if (!o.positional.empty()) return "search takes no target";
  } else if (o.command == "get") {
    if (o.positional.size() != 1) return "get needs one target (an address or a label)";
  } else if (o.command == "apply") {
    if (o.positional.size() < 2) return "apply needs a profile and at least one target";
  } else if (o.command == "audit") {
    if (o.positional.empty()) return "audit needs a profile (and, if not every reader, targets)";
  } else {
    return "unknown command '" + o.command + "'";
  }
  if ((o.ipFrom || o.dryRun) && o.command != "apply")
    return "--ip-from and --dry-run belong to apply";
  if (o.groups && o.command != "apply" && o.command != "audit")
    return "--groups belongs to apply and audit";
  if (o.output && o.command != "get") return "-o belongs to get";
  if (o.json && o.command == "get") return "get writes a profile, which is JSON already";
  return std::nullopt;
}

}  // namespace

int Usage(std::ostream& err, const std::string& why) {
  err << kProgram << ": " << why << " (try '" << kProgram << " --help')\n";
  return kExitUsage;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err) {
  Options o;
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
  if (const auto refusal = CheckCommand(o)) {
    Usage(err, *refusal);
    return std::nullopt;
  }
  return o;
}

std::string UsageText() {
  return "Usage: kestrival-cli search [--wait MS] [--json]\n"
         "       kestrival-cli get TARGET [-o FILE] [--wait MS]\n"
         "       kestrival-cli apply FILE TARGET... [--groups LIST] [--ip-from A.B.C.D]\n"
         "                     [--dry-run] [--json] [--wait MS]\n"
         "       kestrival-cli audit FILE [TARGET...] [--groups LIST] [--json] [--wait MS]\n"
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
         "  audit         read every reader that answers (or only the targets) and compare the\n"
         "                profile's groups with what each holds; sends no Set command\n"
         "\n"
         "  TARGET        the address a reader answers from, or its label (a label several\n"
         "                readers carry is refused)\n"
         "  --groups LIST groups to apply or audit, comma-separated (default: all but network):\n"
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
         "target was done (and verified) or, for audit, every reader matches; 1 when a target\n"
         "failed, did not answer or differs (or no reader answered an audit); 2 for bad usage\n"
         "or a bad profile (nothing is sent then).\n";
}

}  // namespace cli
