// The desktop window (Qt, offscreen platform) on real UDP in the network-namespace lab: a swarm of
// N simulated readers (kestrival-sim --swarm N) answers one search at the same moment while the
// user-interface thread is blocked for a while; prints how many of the N replies the window
// listed in each run. Then the window idles and the program prints its user-interface thread's
// wake-ups (context switches) per second. Needs root; nothing leaves the lab's namespaces.
//
//   bench_window [--runs R] [--rmem-max B] [--stall MS] [--idle S] N...
//     (default: --runs 5 --rmem-max 212992 --stall 100 --idle 10, N = 1000 5000)
//   bench_window --demo [--idle S]
// --demo: the demo's window instead, on the virtual segment of the three demo readers (no lab, no
// root): one search, then the idle wake-ups.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/KestrivalDlg.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/UserInput.h"
#include "platform/net/VirtualSegment.h"
#include "platform/qt/QtHost.h"
#include "sim/Demo.h"
#include "tests/platform/qt/LabWindow.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"
#include "tests/support/SwarmLab.h"

namespace {

using testsupport::NetLab;

long Switches() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_nvcsw + usage.ru_nivcsw;
}

// Runs Qt's loop for `ms` milliseconds.
void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The demo's window, left to Qt's loop: a search, then `idleSeconds` of nothing.
int DemoIdle(int idleSeconds) {
  platform::net::VirtualSegment segment;
  platform::net::VirtualHost& tool = segment.AddHost(sim::kDemoToolAddress);
  const auto readers = sim::AddDemoReaders(segment);
  testing_support::TempFolder folder;
  folder.Write("language.csv", testing_support::BuiltLanguageCsv());
  platform::MessageLoop loop;
  platform::qt::QtHost host(loop);
  std::vector<std::string> trace;
  platform::Runtime runtime = testing_support::ToolRuntime(host, loop, tool, folder, &trace);
  platform::ScopedRuntime scoped(runtime);
  CKestrivalDlg dlg;
  dlg.Create(IDD_KESTRIVAL_DIALOG);
  host.Show(dlg);
  Spin(300);
  platform::UserClick(dlg.m_hWnd, IDC_BTN_SEARCH);
  Spin(1000);
  std::printf("demo window: listed %zu of %zu readers after one search\n", dlg.Devices().size(),
              readers.size());
  const long before = Switches();
  Spin(idleSeconds * 1000);
  const long after = Switches();
  std::printf(
      "  idle demo window: %ld wake-ups of the user-interface thread in %d s (%.2f per s; "
      "host polling: %s)\n",
      after - before, idleSeconds, double(after - before) / idleSeconds,
      host.Polling() ? "yes" : "no");
  host.Hide();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int rmemMax = 212992;
  int stallMs = 100;
  int idleSeconds = 10;
  bool demo = false;
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (a == "--rmem-max" && i + 1 < argc) {
      rmemMax = std::atoi(argv[++i]);
    } else if (a == "--stall" && i + 1 < argc) {
      stallMs = std::atoi(argv[++i]);
    } else if (a == "--idle" && i + 1 < argc) {
      idleSeconds = std::atoi(argv[++i]);
    } else if (a == "--demo") {
      demo = true;
    } else {
      sizes.push_back(static_cast<std::size_t>(std::strtoul(a.c_str(), nullptr, 10)));
    }
  }
  if (sizes.empty()) sizes = {1000, 5000};
  std::string why;
  if (!demo && !NetLab::Available(&why)) {
    std::fprintf(stderr, "bench_window: no network-namespace lab here: %s\n", why.c_str());
    return 1;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  char name[] = "bench_window";
  char* qtArgv[] = {name, nullptr};
  QApplication app(qtArgc, qtArgv);
  if (demo) return DemoIdle(idleSeconds);
  const std::string bin = std::filesystem::canonical("/proc/self/exe").parent_path().string();

  for (std::size_t n : sizes) {
    NetLab lab;
    const auto tool = lab.AddHost("tool");
    const auto swarmHost = lab.AddHost("swarm");
    lab.Up();
    const std::string log = "/tmp/bench-window-" + std::to_string(getpid()) + ".log";
    std::filesystem::remove(log);
    std::string error;
    const pid_t sim =
        testsupport::StartSwarm(lab, swarmHost, n, bin + "/kestrival-sim", log, {}, &error);
    if (sim < 0) {
      std::fprintf(stderr, "bench_window: %s\n", error.c_str());
      return 1;
    }

    platform::net::PosixOptions options;
    options.receiveBufferCap = rmemMax;
    gui_testing::LabWindow window(lab, tool, options);
    platform::qt::QtHost& host = window.host;
    CKestrivalDlg* dlg = window.dlg.get();
    const std::vector<std::string>& trace = window.trace;
    Spin(200);
    for (const std::string& t : trace)
      if (t.find("receive buffer") != std::string::npos)
        std::printf("  start-up trace: %s", t.c_str());
    std::printf("N=%zu (emulated cap %d, user-interface thread blocked %d ms after the search)\n",
                n, rmemMax, stallMs);
    std::vector<std::size_t> listed;
    for (int run = 0; run < runs; ++run) {
      platform::UserClick(dlg->m_hWnd, IDC_BTN_SEARCH);
      host.Deliver();  // the search goes out here
      std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
      Spin(3000);
      listed.push_back(dlg->Devices().size());
      std::string toolUdp, swarmUdp;
      lab.Exec(tool, "nstat -az UdpRcvbufErrors UdpInErrors UdpInDatagrams | tail -n +2", &toolUdp);
      lab.Exec(swarmHost, "nstat -az UdpSndbufErrors UdpOutDatagrams | tail -n +2", &swarmUdp);
      std::replace(toolUdp.begin(), toolUdp.end(), '\n', ' ');
      std::replace(swarmUdp.begin(), swarmUdp.end(), '\n', ' ');
      std::printf("  run %d: listed %zu of %zu (tool: %s; swarm: %s)\n", run + 1, listed.back(), n,
                  toolUdp.c_str(), swarmUdp.c_str());
      std::fflush(stdout);
    }
    std::sort(listed.begin(), listed.end());
    std::printf("  N=%zu: median %zu, min %zu, max %zu listed over %d runs\n", n,
                listed[listed.size() / 2], listed.front(), listed.back(), runs);
    for (const std::string& t : trace)
      if (t.find("dropped") != std::string::npos) std::printf("  trace: %s", t.c_str());

    const long before = Switches();
    Spin(idleSeconds * 1000);
    const long after = Switches();
    std::printf(
        "  idle window: %ld wake-ups of the user-interface thread in %d s (%.2f per s; "
        "host polling: %s)\n",
        after - before, idleSeconds, double(after - before) / idleSeconds,
        host.Polling() ? "yes" : "no");
    lab.Stop(sim);
  }
  return 0;
}
