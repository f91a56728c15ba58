// Get current parameters on real UDP in the network-namespace lab: the real dialog in the tool's
// namespace (the POSIX sockets backend, a headless host) and kestrival-sim in the reader's. Each
// run clicks Get current parameters and times it until part 0 of the status bar shows interface
// Text::ParametersRead (the record is shown); then prints the median. Needs root.
//
//   bench_get_params [RUNS]      (default 50)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/KestrivalDlg.h"
#include "app/KestrivalResources.h"
#include "app/resource.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/UserInput.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/net/PosixUdp.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::NetLab;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  std::string why;
  if (!NetLab::Available(&why)) {
    std::fprintf(stderr, "bench_get_params: no network-namespace lab here: %s\n", why.c_str());
    return 1;
  }
  const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
  NetLab lab;
  const auto tool = lab.AddHost("tool");
  const auto reader = lab.AddHost("reader");
  lab.Up();
  const std::string log = "/tmp/bench-get-params-" + std::to_string(getpid()) + ".log";
  NetLab::SpawnOptions spawn;
  spawn.logPath = log;
  const pid_t sim =
      lab.Spawn(reader, {(bin / "kestrival-sim").string(), "--label", "Door 1"}, spawn);
  const auto readyBy = Clock::now() + std::chrono::seconds(20);
  while (ReadFile(log).find("ready") == std::string::npos && Clock::now() < readyBy)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

  std::vector<double> ms;
  const int status = lab.Within(tool, [&]() -> int {
    platform::net::PosixBackend posix;
    testing_support::DialogHarness::Options options;
    options.network = &posix;
    options.collectTrace = false;
    testing_support::DialogHarness h(options);
    CKestrivalDlg& dialog = h.Dlg();
    platform::MessageLoop& loop = h.Loop();
    if (!dialog.SocketReady()) return 2;
    HWND hwnd = dialog.m_hWnd;
    platform::Window* bar = hwnd->Child(IDC_STATUS_BAR);
    const std::string shown = dialog.InterfaceText(Text::ParametersRead);

    platform::UserClick(hwnd, IDC_BTN_SEARCH);
    if (!loop.RunUntil([&] { return dialog.Devices().size() == 1; }, std::chrono::seconds(5)))
      return 3;
    platform::UserSelect(hwnd, IDC_LIST_DEVICES, 0);
    loop.RunUntilIdle();
    for (int run = 0; run < runs; ++run) {
      bar->Send(SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
      const auto start = Clock::now();
      platform::UserClick(hwnd, IDC_BTN_GET_PARAMS);
      if (!loop.RunUntil([&] { return bar->PartText(0) == shown; }, std::chrono::seconds(5)))
        return 4;
      ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      loop.RunFor(std::chrono::milliseconds(5));  // any late datagram of this run
    }
    return 0;
  });
  lab.Stop(sim);
  if (status != 0) {
    std::fprintf(stderr, "bench_get_params: the run failed (step %d)\n%s\n", status,
                 ReadFile(log).c_str());
    return 1;
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "Get current parameters until the parameters-read text on real UDP (lab), %d runs: median "
      "%.3f ms, "
      "min %.3f ms, max %.3f ms\n",
      runs, ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}
