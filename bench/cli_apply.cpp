// kestrival-cli apply of a full profile (every group but the network) to N simulated readers on
// a virtual segment, each read before, set through the dialog's Set buttons and read back. Prints
// the time per reader against the floor that the 10 ms pauses between header and data set.
//
//   bench_cli_apply [READERS]      (default 50)
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

int main(int argc, char** argv) {
  using Clock = std::chrono::steady_clock;
  const int readers = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  constexpr int kWaitMs = 50;  // the search's wait for answers, once per run

  testing_support::TempFolder folder;
  folder.Write("language.csv", testing_support::BuiltLanguageCsv());
  platform::net::VirtualSegment segment;
  cli::Environment env;
  env.network = &segment.AddHost(testing_support::kToolAddress);
  env.modulePath = (folder.Path() / "kestrival-cli").string();

  std::vector<std::unique_ptr<sim::VirtualReader>> sims;
  std::vector<std::string> args = {"apply", (folder.Path() / "p.json").string()};
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
    std::fprintf(stderr, "bench_cli_apply: get failed: %s\n", err.str().c_str());
    return 1;
  }
  folder.Write("p.json", out.str());
  out.str("");
  err.str("");

  const auto start = Clock::now();
  const int status = cli::RunCli(args, env, out, err);
  const double totalMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (status != 0) {
    std::fprintf(stderr, "bench_cli_apply: apply failed (%d):\n%s", status, err.str().c_str());
    return 1;
  }

  // The floor: every Set command with a pause between its header and its data.
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
  return 0;
}
