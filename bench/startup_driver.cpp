// Start-up of kestrival-headless until its socket is ready: the time from starting the process
// until its answer to a first "status" line arrives, which the driver gives only once the
// dialog's initialisation (the socket bound and registered included) has run. The part 0 text
// of that answer must be interface Text::NetworkReady (the socket is ready). Runs in a network
// namespace of its own (unshare, needs root), so the bound port meets nobody.
//
//   bench_startup [RUNS]        (default 20)
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
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

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
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
  std::vector<double> ms;
  for (int run = 0; run < runs; ++run) {
    int toChild[2], fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) return 1;
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
    if (::write(toChild[1], status, sizeof status - 1) < 0) return 1;
    std::string reply;
    char c;
    while (::read(fromChild[0], &c, 1) == 1 && c != '\n') reply += c;
    const auto took = std::chrono::steady_clock::now() - start;
    const char quit[] = "quit\n";
    if (::write(toChild[1], quit, sizeof quit - 1) < 0) return 1;
    ::close(toChild[1]);
    while (::read(fromChild[0], &c, 1) == 1) {
    }
    ::close(fromChild[0]);
    int exitStatus = 0;
    ::waitpid(pid, &exitStatus, 0);
    bool isReady = false;
    for (const auto& text : ready)
      isReady = isReady || reply.find("\"part0_hex\":\"" + text + "\"") != std::string::npos;
    if (!isReady) {
      std::fprintf(stderr, "bench_startup: run %d: the socket was not ready: %s\n", run + 1,
                   reply.c_str());
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(took).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf(
      "kestrival-headless start-up until the socket is ready, %d runs: median %.2f ms, "
      "min %.2f ms, max %.2f ms\n",
      runs, ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}
