// Discovery bursts on real UDP in the network-namespace lab: a swarm of N simulated readers
// (kestrival-sim --swarm N, one namespace holding N addresses) answers one search at the same
// moment, and kestrival-headless counts the lines of its device list. Prints, per N, how many
// of the N replies were listed in each run, the receive buffer the tool's socket got, and the
// namespace's limits. Needs root.
//
//   bench_discovery [--runs R] [--pump MS] [--rmem-max B] [--stall MS] N...
//     (default: --runs 5 --pump 3000 --rmem-max 0 --stall 100, N = 100 1000 5000)
// --rmem-max B emulates a kernel that caps the receive buffer at B (KESTRIVAL_RMEM_MAX of the
// tool; 0: the namespace's own limit). --stall MS: the driver's thread reads nothing for that
// long right after the search, while the burst lands.
//
// --windows BIN runs the Windows build's BIN/kestrival-headless.exe under Wine instead
// (scripts/wine-run, a Wine prefix for the tool's namespace); the readers stay Linux programs.
//
// With --soak S, one kestrival-headless instead searches S times (each search followed by a pump
// of MS, default 100 with --soak) and the program prints the tool's resident memory after the
// first search and after the last, and the size of the trace answer at the end.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/NetLab.h"
#include "tests/support/SwarmLab.h"

namespace {

using testsupport::NetLab;

std::string BinDir() {
  return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string Trim(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// The number of entries of "items":[...] in the headless driver's reply to "get 1004".
long CountItems(const std::string& json) {
  const std::string key = "\"items\":[";
  const auto at = json.find(key);
  if (at == std::string::npos) return -1;
  const auto end = json.find(']', at);
  if (end == std::string::npos) return -1;
  const std::string inner = json.substr(at + key.size(), end - at - key.size());
  if (inner.empty()) return 0;
  return static_cast<long>(std::count(inner.begin(), inner.end(), ',')) + 1;
}

// "rb425984" of the tool's socket in `ss -uamn` output, or an empty text.
std::string ReceiveBufferOf(const std::string& ss) {
  const auto at = ss.find(",rb");
  if (at == std::string::npos) return "";
  auto end = ss.find(',', at + 1);
  return ss.substr(at + 3, end - at - 3);
}

// How many sockets `ss -uamn` lists with their memory (one "skmem:(" each).
long SocketsOf(const std::string& ss) {
  long n = 0;
  for (auto at = ss.find("skmem:("); at != std::string::npos; at = ss.find("skmem:(", at + 1)) ++n;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  int pumpMs = -1;
  int soak = 0;
  long rmemMax = 0;
  int stallMs = 100;
  std::string windowsBin;
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (a == "--pump" && i + 1 < argc) {
      pumpMs = std::atoi(argv[++i]);
    } else if (a == "--soak" && i + 1 < argc) {
      soak = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--rmem-max" && i + 1 < argc) {
      rmemMax = std::atol(argv[++i]);
    } else if (a == "--stall" && i + 1 < argc) {
      stallMs = std::atoi(argv[++i]);
    } else if (a == "--windows" && i + 1 < argc) {
      windowsBin = std::filesystem::absolute(argv[++i]).lexically_normal().string();
    } else {
      sizes.push_back(static_cast<std::size_t>(std::strtoul(a.c_str(), nullptr, 10)));
    }
  }
  if (sizes.empty())
    sizes = soak > 0 ? std::vector<std::size_t>{200} : std::vector<std::size_t>{100, 1000, 5000};
  if (pumpMs < 0) pumpMs = soak > 0 ? 100 : 3000;
  std::string why;
  if (!NetLab::Available(&why)) {
    std::fprintf(stderr, "bench_discovery: no network-namespace lab here: %s\n", why.c_str());
    return 1;
  }
  const std::string bin = BinDir();
  // The tool: the Linux build's, or the Windows build's under Wine (its folder's ../../scripts).
  const std::string toolCommand =
      windowsBin.empty() ? bin + "/kestrival-headless"
                         : std::filesystem::path(windowsBin).parent_path().parent_path().string() +
                               "/scripts/wine-run " + windowsBin + "/kestrival-headless.exe";
  std::printf("host namespace: net.core.rmem_default=%s net.core.rmem_max=%s\n",
              Trim(testsupport::ReadText("/proc/sys/net/core/rmem_default")).c_str(),
              Trim(testsupport::ReadText("/proc/sys/net/core/rmem_max")).c_str());

  for (std::size_t n : sizes) {
    NetLab lab;
    const auto tool = lab.AddHost("tool");
    const auto swarmHost = lab.AddHost("swarm");
    lab.Up();
    std::string limits;
    lab.Exec(tool, "cat /proc/sys/net/core/rmem_default /proc/sys/net/core/rmem_max", &limits);
    std::replace(limits.begin(), limits.end(), '\n', ' ');
    const std::string log = "/tmp/bench-discovery-" + std::to_string(getpid()) + ".log";
    std::filesystem::remove(log);
    std::string error;
    const pid_t sim =
        testsupport::StartSwarm(lab, swarmHost, n, bin + "/kestrival-sim", log, {}, &error);
    if (sim < 0) {
      std::fprintf(stderr, "bench_discovery: %s\n", error.c_str());
      return 1;
    }
    std::printf("N=%zu (tool namespace rmem_default rmem_max: %s; emulated cap %ld; stall %d ms)\n",
                n, limits.c_str(), rmemMax, stallMs);
    if (soak > 0) {
      // One tool process fed through a pipe: its memory is read between the commands, once
      // the answers to all commands sent so far have arrived.
      const std::string pump = std::to_string(pumpMs);
      const std::string script =
          "d=$(mktemp -d); mkfifo $d/in; " + toolCommand +
          " < $d/in > $d/out 2>/dev/null & pid=$!; exec 3>$d/in; "
          "upto() { while [ $(wc -l < $d/out) -lt $1 ]; do sleep 0.2; done; }; "
          "rss() { awk '/VmRSS/{print $2}' /proc/$pid/status; }; "
          "printf 'click 1000\\npump " +
          pump +
          "\\n' >&3; upto 2; echo rss_first_kb $(rss); "
          "i=1; while [ $i -lt " +
          std::to_string(soak) + " ]; do printf 'click 1000\\npump " + pump +
          "\\n' >&3; i=$((i+1)); done; printf 'get 1004\\n' >&3; upto " +
          std::to_string(2 * soak + 1) +
          "; echo rss_last_kb $(rss); tail -1 $d/out | "
          "head -c 300; echo; printf 'trace\\nquit\\n' >&3; exec 3>&-; wait $pid; "
          "echo trace_reply_bytes $(tail -2 $d/out | head -1 | wc -c); "
          "tail -2 $d/out | head -1 | grep -o '\"dropped\":[0-9]*'; rm -rf $d";
      std::string out;
      const auto began = std::chrono::steady_clock::now();
      lab.Exec(tool, script, &out, std::chrono::seconds(1800));
      const double took =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
      std::printf("  soak of %d searches, pump %d ms, %.0f s:\n%s\n", soak, pumpMs, took,
                  out.c_str());
      lab.Stop(sim);
      continue;
    }
    std::vector<long> listed;
    for (int run = 0; run < runs; ++run) {
      // The search, the replies taken for pumpMs, the socket's memory looked at meanwhile, then
      // the list.
      char stall[32];
      std::snprintf(stall, sizeof stall, "%d.%03d", stallMs / 1000, stallMs % 1000);
      const std::string env =
          rmemMax > 0 ? "KESTRIVAL_RMEM_MAX=" + std::to_string(rmemMax) + " " : std::string();
      const std::string script =
          "{ printf 'click 1000\\n'; sleep " + std::string(stall) + "; printf 'pump " +
          std::to_string(pumpMs) + "\\n'; sleep " + std::to_string(pumpMs / 1000 + 2) +
          "; printf 'get 1004\\nquit\\n'; } | " + env + toolCommand +
          " > /tmp/bench-discovery-out.$$ & sleep 1; ss -uamn 'sport = :24680'; "
          "wait; cat /tmp/bench-discovery-out.$$; rm -f /tmp/bench-discovery-out.$$";
      std::string out;
      lab.Exec(tool, script, &out, std::chrono::seconds(120));
      const long count = CountItems(out);
      listed.push_back(count);
      std::printf(
          "  run %d: listed %ld of %zu (port 24680: %ld sockets, receive buffer rb=%s each)\n",
          run + 1, count, n, SocketsOf(out), ReceiveBufferOf(out).c_str());
      std::fflush(stdout);
    }
    std::vector<long> sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    std::printf("  N=%zu: median %ld, min %ld, max %ld listed over %d runs\n", n,
                sorted[sorted.size() / 2], sorted.front(), sorted.back(), runs);
    lab.Stop(sim);
    std::printf(
        "  swarm: %s",
        testsupport::ReadText(log).substr(testsupport::ReadText(log).find("stopped")).c_str());
  }
  return 0;
}
