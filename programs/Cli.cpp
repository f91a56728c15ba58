#include "programs/Cli.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>

#include "app/KestrivalApp.h"
#include "app/KestrivalDlg.h"
#include "app/KestrivalResources.h"
#include "i18n/TranslationTable.h"
#include "params/CodePage.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/headless/HeadlessHost.h"
#include "programs/CliApply.h"
#include "programs/CliAudit.h"
#include "programs/CliDryRun.h"
#include "programs/CliOptions.h"
#include "programs/CliSession.h"
#include "programs/CliTargets.h"
#include "programs/Profile.h"
#include "programs/TapBackend.h"

#ifndef KESTRIVAL_VERSION
#define KESTRIVAL_VERSION "unknown"
#endif

namespace cli {

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

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
      for (const std::string& box : host_.MessageBoxes()) err << AnsiToUtf8String(box) << "\n";
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

// get: the target's whole configuration as a profile, on `out` or into the file of -o.
int Get(DialogSession& s, const Options& o, const Environment& env, const TextResolver& english,
        std::ostream& out, std::ostream& err) {
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
  p.label = AnsiToUtf8String(reader->label);
  p.address = FormatDotted(reader->from);
  p.time = env.now ? env.now() : ProfileTimeNow();
  p.groups = read->groups;
  p.recordHex = read->recordHex;
  // The profile keeps what the reader holds, even a value the window would not send.
  for (const std::string& why : Refusals(p, english))
    err << kProgram << ": " << Describe(*reader) << ": " << why
        << "; apply will refuse the profile until this value is changed\n";
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

}  // namespace

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
  const auto options = ParseOptions(args, err);
  if (!options) return kExitUsage;
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
          return o.command == "search" ? Search(s, o, out, err) : Get(s, o, env, english, out, err);
        },
        err);
  }

  // Everything about the profile is checked before the first datagram.
  if (o.command == "audit") {
    const auto audit = ReadChosenProfile(o, english, err);
    if (!audit) return kExitUsage;
    DialogRun run(env, *env.network, english, timeout);
    return run.Run([&](DialogSession& s) { return Audit(s, *audit, o, out, err); }, err);
  }
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
