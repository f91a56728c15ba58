// kestrival-cli on N simulated readers of a virtual segment, with a profile read from one more:
//
//   bench_cli apply [READERS]   (default 50) every group but the network: each reader read, set
//                               through the dialog's Set buttons and read back; the time per
//                               reader against the floor that the 10 ms pauses between header
//                               and data set
//   bench_cli audit [READERS]   (default 200) each reader read and compared with the profile
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/SetCommandTable.h"
#include "platform/net/VirtualSegment.h"
#include "programs/Cli.h"
#include "programs/Profile.h"
#include "sim/VirtualReader.h"
#include "tests/support/DialogHarness.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWaitMs = 50;  // the search's wait for answers, once per run

// The floor of an apply: every Set command with a pause between its header and its data.
void PrintApplyFloor(int readers, double totalMs) {
  int pausedMs = 0, sets = 0;
  for (const cli::GroupSpec& g : cli::Groups()) {
    if (g.name == std::string(cli::kNetworkGroup)) continue;
    for (const cli::SetButton& b : g.setButtons) {
      ++sets;
      if (const SetCommand* c = FindSetCommand(b.command)) pausedMs += c->pauseMs;
    }
  }
  const double perReader = (totalMs - kWaitMs) / readers;
  std::printf("readers                 %d (virtual segment), %d Set commands each\n", readers,
              sets);
  std::printf("apply, verified         %.0f ms in all (one search of %d ms included)\n", totalMs,
              kWaitMs);
  std::printf("per reader              %.1f ms (read, %d Sets, read back)\n", perReader, sets);
  std::printf("floor of the pauses     %d ms per reader\n", pausedMs);
  std::printf("above the floor         %.1f ms per reader (%.0f%% of the time is the pauses)\n",
              perReader - pausedMs, 100.0 * pausedMs / perReader);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "apply";
  if (mode != "apply" && mode != "audit") {
    std::fprintf(stderr, "usage: bench_cli apply|audit [READERS]\n");
    return 2;
  }
  const int readers = std::max(1, argc > 2 ? std::atoi(argv[2]) : mode == "apply" ? 50 : 200);

  testing_support::TempFolder folder;
  folder.Write("language.csv", testing_support::BuiltLanguageCsv());
  platform::net::VirtualSegment segment;
  cli::Environment env;
  env.network = &segment.AddHost(testing_support::kToolAddress);
  env.modulePath = (folder.Path() / "kestrival-cli").string();

  std::vector<std::unique_ptr<sim::VirtualReader>> sims;
  std::vector<std::string> args = {mode, (folder.Path() / "p.json").string()};
  const std::uint32_t first = 0x0A0A0001;  // 10.10.0.1
  sims.push_back(std::make_unique<sim::VirtualReader>(segment, first,
                                                      sim::ReaderIdentity{"Source", Ip32{first}}));
  for (int i = 1; i <= readers; ++i) {
    const std::uint32_t address = first + static_cast<std::uint32_t>(i);
    sims.push_back(std::make_unique<sim::VirtualReader>(
        segment, address, sim::ReaderIdentity{"R" + std::to_string(i), Ip32{address}}));
    args.push_back(FormatDotted(Ip32{address}));
  }
  args.insert(args.end(), {"--wait", std::to_string(kWaitMs)});

  std::ostringstream out, err;
  if (cli::RunCli({"get", "Source", "--wait", std::to_string(kWaitMs)}, env, out, err) != 0) {
    std::fprintf(stderr, "bench_cli: get failed: %s\n", err.str().c_str());
    return 1;
  }
  folder.Write("p.json", out.str());
  out.str("");
  err.str("");

  const auto start = Clock::now();
  const int status = cli::RunCli(args, env, out, err);
  const double totalMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (status != 0) {
    std::fprintf(stderr, "bench_cli: %s failed (%d):\n%s%s", mode.c_str(), status,
                 out.str().c_str(), err.str().c_str());
    return 1;
  }
  if (mode == "apply") {
    PrintApplyFloor(readers, totalMs);
    return 0;
  }
  const std::string report = out.str();
  const auto matching = std::count(report.begin(), report.end(), '\n') - 1;  // less the summary
  std::printf("readers                 %d (virtual segment), each named by its address\n", readers);
  std::printf("reported matching       %ld\n", static_cast<long>(matching));
  std::printf("audit, all matching     %.0f ms in all (one search of %d ms included)\n", totalMs,
              kWaitMs);
  std::printf("per reader              %.2f ms (select, read, compare)\n",
              (totalMs - kWaitMs) / readers);
  return 0;
}
