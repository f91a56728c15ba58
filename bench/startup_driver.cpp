// Start-up of kestrival-headless until its socket is ready: the time from starting the process
// until its answer to a first "status" line arrives, which the driver gives only once the
// dialog's initialisation (the socket bound and registered included) has run. The part 0 text
// of that answer must be interface Text::NetworkReady (the socket is ready). Runs in a network
// namespace of its own (unshare, needs root), so the bound port meets nobody. Each run also
// reports the process's peak resident memory (wait4).
//
//   bench_startup [RUNS] [--csv-mb N]   (default 20 runs)
//
// With --csv-mb the same is measured again with a language.csv of N megabytes beside a copy of
// the program: the built file followed by short lines up to that size.
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// Field 1 and 2 of line 85 of language.csv, as the driver's "_hex" fields show them.
std::vector<std::string> ReadyTexts(const std::string& csv) {
  std::ifstream in(csv, std::ios::binary);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (n != 85) continue;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < line.size()) {
      const std::size_t comma = line.find(',', at);
      const std::string field = line.substr(at, comma == std::string::npos ? comma : comma - at);
      if (!field.empty()) out.push_back(Hex(field));
      if (comma == std::string::npos) break;
      at = comma + 1;
    }
    return out;
  }
  return {};
}

struct Figures {
  std::vector<double> ms;
  std::vector<double> peakMb;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Starts program `runs` times; false when a run did not reach the ready socket.
bool Measure(const std::string& program, const std::vector<std::string>& ready, int runs,
             Figures& figures) {
  for (int run = 0; run < runs; ++run) {
    int toChild[2], fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return false;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(toChild[0], 0);
      ::dup2(fromChild[1], 1);
      ::close(toChild[1]);
      ::close(fromChild[0]);
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    const char status[] = "status\n";
    if (::write(toChild[1], status, sizeof status - 1) < 0) return false;
    std::string reply;
    char c;
    while (::read(fromChild[0], &c, 1) == 1 && c != '\n') reply += c;
    const auto took = std::chrono::steady_clock::now() - start;
    const char quit[] = "quit\n";
    if (::write(toChild[1], quit, sizeof quit - 1) < 0) return false;
    ::close(toChild[1]);
    while (::read(fromChild[0], &c, 1) == 1) {
    }
    ::close(fromChild[0]);
    int exitStatus = 0;
    struct rusage usage {};
    ::wait4(pid, &exitStatus, 0, &usage);
    bool isReady = false;
    for (const auto& text : ready)
      isReady = isReady || reply.find("\"part0_hex\":\"" + text + "\"") != std::string::npos;
    if (!isReady) {
      std::fprintf(stderr, "bench_startup: run %d: the socket was not ready: %s\n", run + 1,
                   reply.c_str());
      return false;
    }
    figures.ms.push_back(std::chrono::duration<double, std::milli>(took).count());
    figures.peakMb.push_back(static_cast<double>(usage.ru_maxrss) / 1024.0);
  }
  return true;
}

void Print(const char* what, int runs, const Figures& f) {
  const auto [lo, hi] = std::minmax_element(f.ms.begin(), f.ms.end());
  std::printf(
      "kestrival-headless start-up until the socket is ready, %s, %d runs: median %.2f ms, "
      "min %.2f ms, max %.2f ms; peak resident memory median %.1f MB\n",
      what, runs, Median(f.ms), *lo, *hi, Median(f.peakMb));
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  long csvMb = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--csv-mb") == 0 && i + 1 < argc) {
      csvMb = std::max(1L, std::atol(argv[++i]));
    } else {
      runs = std::max(1, std::atoi(argv[i]));
    }
  }
  const auto bin = std::filesystem::canonical("/proc/self/exe").parent_path();
  const std::string program = (bin / "kestrival-headless").string();
  const auto ready = ReadyTexts((bin / "language.csv").string());
  if (ready.empty()) {
    std::fprintf(stderr, "bench_startup: no network-ready text in %s\n",
                 (bin / "language.csv").c_str());
    return 1;
  }
  if (::unshare(CLONE_NEWNET) != 0) {
    std::fprintf(stderr, "bench_startup: cannot make a network namespace (%s); run as root\n",
                 std::strerror(errno));
    return 1;
  }
  Figures built;
  if (!Measure(program, ready, runs, built)) return 1;
  Print("built language.csv", runs, built);
  if (csvMb == 0) return 0;

  // A copy of the program beside a large language.csv, in a folder of its own.
  std::string pattern =
      (std::filesystem::temp_directory_path() / "kestrival-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return 1;
  const std::filesystem::path folder = pattern;
  std::filesystem::copy_file(program, folder / "kestrival-headless");
  {
    std::ifstream in(bin / "language.csv", std::ios::binary);
    std::string csv{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::size_t size = static_cast<std::size_t>(csvMb) * 1024 * 1024;
    while (csv.size() + 4 <= size) csv += "a,b\n";
    std::ofstream(folder / "language.csv", std::ios::binary) << csv;
  }
  Figures big;
  const bool ok = Measure((folder / "kestrival-headless").string(), ready, runs, big);
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (!ok) return 1;
  const std::string what = "language.csv of " + std::to_string(csvMb) + " MB of short lines";
  Print(what.c_str(), runs, big);
  return 0;
}
