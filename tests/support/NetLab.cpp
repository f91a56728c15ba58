#include "tests/support/NetLab.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr const char* kNetnsDir = "/run/netns";
constexpr const char* kPrefixRoot = "klab-";
constexpr const char* kInterfacePrefix = "lab";
constexpr const char* kBridgePrefix = "br";

std::atomic<int> labCounter{0};

std::string FindIp() {
  for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  if (const char* env = std::getenv("PATH")) {
    std::string paths = env;
    std::size_t start = 0;
    while (start <= paths.size()) {
      std::size_t end = paths.find(':', start);
      if (end == std::string::npos) end = paths.size();
      std::string candidate = paths.substr(start, end - start) + "/ip";
      if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
  }
  return {};
}

const std::string& IpPath() {
  static const std::string path = FindIp();
  return path;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return NetLab::kTimedOut;
}

// The exit status of a child once it ended, or nothing at the deadline. Sleeps in small steps.
std::optional<int> WaitChild(pid_t pid, Clock::time_point deadline) {
  milliseconds step(1);
  for (;;) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return DecodeStatus(status);
    if (r < 0 && errno != EINTR) return NetLab::kTimedOut;  // not our child (any more)
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(step);
    step = std::min(step * 2, milliseconds(20));
  }
}

int KillAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return NetLab::kTimedOut;
}

// Forks; the child runs `child` (its result is the exit code; it may exec instead). With
// `output`, the child's stdout and stderr are captured. Returns the decoded exit status.
int ForkAndWait(const std::function<int()>& child, std::string* output, milliseconds timeout) {
  int fds[2] = {-1, -1};
  if (output && ::pipe2(fds, O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("NetLab: pipe: ") + std::strerror(errno));
  }
  std::fflush(nullptr);  // or buffered text would be written twice
  pid_t pid = ::fork();
  if (pid < 0) {
    int err = errno;
    if (output) {
      ::close(fds[0]);
      ::close(fds[1]);
    }
    throw std::runtime_error(std::string("NetLab: fork: ") + std::strerror(err));
  }
  if (pid == 0) {
    if (output) {
      ::dup2(fds[1], STDOUT_FILENO);
      ::dup2(fds[1], STDERR_FILENO);
    }
    int code = 125;
    try {
      code = child();
    } catch (const std::exception& e) {
      std::fprintf(stderr, "NetLab child: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "NetLab child: unknown exception\n");
    }
    std::fflush(nullptr);
    ::_exit(code);
  }
  const Clock::time_point deadline = Clock::now() + timeout;
  if (output) {
    ::close(fds[1]);
    output->clear();
    char buffer[4096];
    for (;;) {
      auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd p{fds[0], POLLIN, 0};
      int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) continue;
      ssize_t n = ::read(fds[0], buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      output->append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
  }
  std::optional<int> status = WaitChild(pid, deadline);
  return status ? *status : KillAndReap(pid);
}

std::vector<char*> Argv(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

struct CommandResult {
  int status = 0;
  std::string output;
};

// Runs a program of the root namespace (here always `ip`, which acts on the lab's namespaces).
CommandResult Command(const std::vector<std::string>& args,
                      milliseconds timeout = milliseconds(30000)) {
  CommandResult result;
  result.status = ForkAndWait(
      [&] {
        std::vector<char*> argv = Argv(args);
        ::execv(argv[0], argv.data());
        std::fprintf(stderr, "cannot run %s: %s\n", argv[0], std::strerror(errno));
        return 127;
      },
      &result.output, timeout);
  return result;
}

std::string Joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
  return text;
}

void Ip(std::vector<std::string> args) {
  args.insert(args.begin(), IpPath());
  CommandResult r = Command(args);
  if (r.status != 0) {
    throw std::runtime_error("NetLab: `" + Joined(args) + "` failed (" + std::to_string(r.status) +
                             "): " + r.output);
  }
}

// `ip -n NETNS -batch FILE` for many commands in one process.
void IpBatch(const std::string& netns, const std::vector<std::string>& lines) {
  char path[] = "/tmp/klab-batch-XXXXXX";
  int fd = ::mkstemp(path);
  if (fd < 0) throw std::runtime_error(std::string("NetLab: mkstemp: ") + std::strerror(errno));
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(fd);
  std::vector<std::string> args = {IpPath(), "-n", netns, "-batch", path};
  CommandResult r = written ? Command(args) : CommandResult{1, "cannot write the batch file"};
  ::unlink(path);
  if (r.status != 0) {
    throw std::runtime_error("NetLab: `" + Joined(args) + "` failed (" + std::to_string(r.status) +
                             ") for:\n" + text + r.output);
  }
}

std::vector<std::string> ListNetns() {
  std::vector<std::string> names;
  DIR* dir = ::opendir(kNetnsDir);
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

// Kills whatever still runs inside a namespace of a lab, then deletes it.
void RemoveNetns(const std::string& netns) {
  CommandResult pids = Command({IpPath(), "netns", "pids", netns});
  if (pids.status == 0) {
    std::size_t pos = 0;
    while (pos < pids.output.size()) {
      std::size_t end = pids.output.find('\n', pos);
      if (end == std::string::npos) end = pids.output.size();
      long pid = std::strtol(pids.output.c_str() + pos, nullptr, 10);
      if (pid > 1 && pid != ::getpid()) ::kill(static_cast<pid_t>(pid), SIGKILL);
      pos = end + 1;
    }
  }
  Command({IpPath(), "netns", "del", netns});
}

int FailedParts() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return 0;
  const ::testing::TestResult* result = info->result();
  int failed = 0;
  for (int i = 0; i < result->total_part_count(); ++i) {
    if (result->GetTestPartResult(i).failed()) ++failed;
  }
  return failed;
}

std::string CheckAvailable() {
  if (::geteuid() != 0)
    return "the network lab needs root (euid " + std::to_string(::geteuid()) + ")";
  if (IpPath().empty()) return "the network lab needs the `ip` command (iproute2)";
  const std::string probe = std::string(kPrefixRoot) + std::to_string(::getpid()) + "-probe";
  CommandResult add = Command({IpPath(), "netns", "add", probe});
  if (add.status != 0) return "cannot create a network namespace: " + add.output;
  CommandResult veth = Command({IpPath(), "-n", probe, "link", "add", "name", "kprobe0", "type",
                                "veth", "peer", "name", "kprobe1"});
  CommandResult bridge =
      Command({IpPath(), "-n", probe, "link", "add", "name", "kprobe2", "type", "bridge"});
  Command({IpPath(), "netns", "del", probe});
  if (veth.status != 0) return "cannot create a veth pair in a namespace: " + veth.output;
  if (bridge.status != 0) return "cannot create a bridge in a namespace: " + bridge.output;
  return {};
}

}  // namespace

std::string NetLab::FormatAddress(std::uint32_t addr) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", addr >> 24, (addr >> 16) & 0xFF,
                (addr >> 8) & 0xFF, addr & 0xFF);
  return text;
}

bool NetLab::Available(std::string* why) {
  static std::once_flag once;
  static std::string reason;
  std::call_once(once, [] { reason = CheckAvailable(); });
  if (why) *why = reason;
  return reason.empty();
}

std::size_t NetLab::CleanStale() {
  if (::geteuid() != 0 || IpPath().empty()) return 0;
  std::size_t removed = 0;
  for (const std::string& name : ListNetns()) {
    if (name.rfind(kPrefixRoot, 0) != 0) continue;
    const char* digits = name.c_str() + std::strlen(kPrefixRoot);
    char* end = nullptr;
    long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || pid <= 0) continue;
    if (pid == ::getpid()) continue;  // a lab of this process
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM) continue;  // still alive
    RemoveNetns(name);
    ++removed;
  }
  return removed;
}

void NetLab::EnterNetns(const std::string& netns) {
  const std::string path = std::string(kNetnsDir) + "/" + netns;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("NetLab: open " + path + ": " + std::strerror(errno));
  struct stat target {};
  bool ok = ::fstat(fd, &target) == 0 && ::setns(fd, CLONE_NEWNET) == 0;
  int err = errno;
  ::close(fd);
  if (!ok) throw std::runtime_error("NetLab: setns " + netns + ": " + std::strerror(err));
  // Never go on in another namespace than the one asked for (above all, not the machine's own).
  struct stat now {};
  if (::stat("/proc/thread-self/ns/net", &now) != 0 || now.st_ino != target.st_ino ||
      now.st_dev != target.st_dev) {
    throw std::runtime_error("NetLab: this thread is not in " + netns + " after setns");
  }
}

NetLab::NetLab()
    : prefix_(std::string(kPrefixRoot) + std::to_string(::getpid()) + "-" +
              std::to_string(labCounter++) + "-"),
      bridgeNetns_(prefix_ + "br") {
  CleanStale();
}

NetLab::~NetLab() {
  for (pid_t pid : std::vector<pid_t>(spawned_)) {
    try {
      Stop(pid, milliseconds(1000));
    } catch (...) {
    }
  }
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    try {
      RemoveNetns(*it);
    } catch (...) {
    }
  }
}

std::uint32_t NetLab::SegmentNetwork(std::size_t segment) {
  return kNetwork + (static_cast<std::uint32_t>(segment) << 16);
}

NetLab::Host NetLab::AddHost(const std::string& name) {
  return AddHost(name, HostOptions{});
}

NetLab::Host NetLab::AddHost(const std::string& name, const HostOptions& options) {
  if (hosts_.size() >= 250) throw std::runtime_error("NetLab: at most 250 hosts");
  if (options.prefixLength < 8 || options.prefixLength > 30)
    throw std::runtime_error("NetLab: prefix length from 8 to 30");
  for (std::size_t s : options.segments)
    if (s >= 50) throw std::runtime_error("NetLab: at most 50 segments");
  Host host;
  host.index = hosts_.size();
  host.name = name;
  host.netns = prefix_ + "h" + std::to_string(host.index);
  for (std::size_t s : options.segments) {
    host.segments.push_back(s);
    host.interfaces.push_back(std::string(kInterfacePrefix) + std::to_string(s));
    host.addresses.push_back(SegmentNetwork(s) | static_cast<std::uint32_t>(host.index + 1));
  }
  if (!host.interfaces.empty()) {
    host.interface = host.interfaces.front();
    host.address = host.addresses.front();
    host.addressText = FormatAddress(host.address);
  }
  hosts_.push_back(host);
  options_.push_back(options);
  extraAddresses_.emplace_back();
  if (up_) {
    BuildHost(host);
    WaitForLinks({host});
  }
  return host;
}

void NetLab::Up() {
  if (up_) return;
  BuildSegment();
  for (const Host& host : hosts_) BuildHost(host);
  WaitForLinks(hosts_);
  up_ = true;
}

void NetLab::BuildSegment() {
  Ip({"netns", "add", bridgeNetns_});
  created_.push_back(bridgeNetns_);
  IpBatch(bridgeNetns_, {"link set lo up"});
  EnsureSegments(1);
}

// One bridge per segment, all in the bridge's namespace and joined to nothing else.
void NetLab::EnsureSegments(std::size_t count) {
  std::vector<std::string> lines;
  for (; segmentsBuilt_ < count; ++segmentsBuilt_) {
    const std::string bridge = std::string(kBridgePrefix) + std::to_string(segmentsBuilt_);
    lines.push_back("link add name " + bridge + " type bridge");
    lines.push_back("link set " + bridge + " up");
  }
  if (!lines.empty()) IpBatch(bridgeNetns_, lines);
}

namespace {

std::string PortName(std::size_t host, std::size_t segment) {
  return segment == 0 ? "p" + std::to_string(host)
                      : "p" + std::to_string(host) + "s" + std::to_string(segment);
}

}  // namespace

void NetLab::BuildHost(const Host& host) {
  const HostOptions& options = options_.at(host.index);
  Ip({"netns", "add", host.netns});
  created_.push_back(host.netns);
  std::size_t segments = 0;
  for (std::size_t s : host.segments) segments = std::max(segments, s + 1);
  EnsureSegments(segments);
  // Each veth is made inside the host's namespace with its peer in the bridge's: the machine's
  // own namespace never sees it. The default route makes 255.255.255.255 leave by the first link.
  std::vector<std::string> lines = {"link set lo up"};
  std::vector<std::string> bridgeLines;
  const int len = options.prefixLength;
  for (std::size_t i = 0; i < host.segments.size(); ++i) {
    const std::size_t s = host.segments[i];
    const std::string& dev = host.interfaces[i];
    const std::string port = PortName(host.index, s);
    const std::uint32_t hostBits = ~(~0u << (32 - len));
    const std::string broadcast = FormatAddress(host.addresses[i] | hostBits);
    lines.push_back("link add name " + dev + " type veth peer name " + port + " netns " +
                    bridgeNetns_);
    lines.push_back("addr add " + FormatAddress(host.addresses[i]) + "/" + std::to_string(len) +
                    " broadcast " + broadcast + " dev " + dev);
    lines.push_back("link set " + dev + " up");
    bridgeLines.push_back("link set " + port + " master " + kBridgePrefix + std::to_string(s));
    bridgeLines.push_back("link set " + port + " up");
  }
  if (options.defaultRoute && !host.interfaces.empty())
    lines.push_back("route add default dev " + host.interface);
  IpBatch(host.netns, lines);
  if (!bridgeLines.empty()) IpBatch(bridgeNetns_, bridgeLines);
}

void NetLab::WaitForLinks(const std::vector<Host>& hosts) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(10);
  for (const Host& host : hosts) {
    for (std::size_t i = 0; i < host.interfaces.size(); ++i) {
      const std::string port = PortName(host.index, host.segments[i]);
      for (;;) {
        CommandResult link =
            Command({IpPath(), "-n", host.netns, "-o", "link", "show", "dev", host.interfaces[i]});
        CommandResult bridgePort =
            Command({IpPath(), "-n", bridgeNetns_, "-d", "-o", "link", "show", "dev", port});
        bool ready = link.status == 0 && link.output.find("state UP") != std::string::npos &&
                     bridgePort.status == 0 &&
                     bridgePort.output.find("state forwarding") != std::string::npos;
        if (ready) break;
        if (Clock::now() >= deadline) {
          throw std::runtime_error("NetLab: link of " + host.name + " not up: " + link.output +
                                   bridgePort.output);
        }
        std::this_thread::sleep_for(milliseconds(20));
      }
    }
  }
}

std::vector<std::uint32_t> NetLab::AddAddresses(const Host& host, std::size_t count) {
  if (!up_) throw std::runtime_error("NetLab: AddAddresses before Up()");
  if (host.interface.empty()) throw std::runtime_error("NetLab: " + host.name + " has no link");
  constexpr std::size_t kPerBlock = 254;  // 10.201.B.1 ... 10.201.B.254, B from 1 to 254
  if (nextExtra_ + count > kPerBlock * 254) throw std::runtime_error("NetLab: out of addresses");
  std::vector<std::uint32_t> added;
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < count; ++i, ++nextExtra_) {
    std::uint32_t block = static_cast<std::uint32_t>(1 + nextExtra_ / kPerBlock);
    std::uint32_t addr =
        kNetwork | (block << 8) | static_cast<std::uint32_t>(1 + nextExtra_ % kPerBlock);
    added.push_back(addr);
    lines.push_back("addr add " + FormatAddress(addr) + "/" + std::to_string(kPrefixLength) +
                    " dev " + host.interface);
  }
  if (!lines.empty()) IpBatch(host.netns, lines);
  auto& extras = extraAddresses_.at(host.index);
  extras.insert(extras.end(), added.begin(), added.end());
  return added;
}

std::vector<std::uint32_t> NetLab::Addresses(const Host& host) const {
  std::vector<std::uint32_t> all = {host.address};
  const auto& extras = extraAddresses_.at(host.index);
  all.insert(all.end(), extras.begin(), extras.end());
  return all;
}

int NetLab::RunChild(const Host& host, const std::function<int()>& fn, milliseconds timeout) {
  return ForkAndWait(
      [&] {
        EnterNetns(host.netns);
        const int before = FailedParts();
        int code = fn();
        if (code == 0 && FailedParts() > before) code = 1;
        return code;
      },
      nullptr, timeout);
}

int NetLab::Exec(const Host& host, const std::string& command, std::string* output,
                 milliseconds timeout) {
  return ForkAndWait(
      [&] {
        EnterNetns(host.netns);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        std::fprintf(stderr, "cannot run /bin/sh: %s\n", std::strerror(errno));
        return 127;
      },
      output, timeout);
}

pid_t NetLab::Spawn(const Host& host, const std::vector<std::string>& argv,
                    const SpawnOptions& options) {
  if (argv.empty()) throw std::invalid_argument("NetLab::Spawn: empty argv");
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("NetLab: pipe: ") + std::strerror(errno));
  }
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid < 0) {
    int err = errno;
    ::close(report[0]);
    ::close(report[1]);
    throw std::runtime_error(std::string("NetLab: fork: ") + std::strerror(err));
  }
  if (pid == 0) {
    ::close(report[0]);
    ::setpgid(0, 0);
    std::string failure;
    try {
      EnterNetns(host.netns);
      if (!options.logPath.empty()) {
        int log = ::open(options.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (log < 0)
          throw std::runtime_error("open " + options.logPath + ": " + std::strerror(errno));
        ::dup2(log, STDOUT_FILENO);
        ::dup2(log, STDERR_FILENO);
      }
      for (const std::string& entry : options.env) {
        std::size_t eq = entry.find('=');
        if (eq != std::string::npos)
          ::setenv(entry.substr(0, eq).c_str(), entry.c_str() + eq + 1, 1);
      }
      std::vector<char*> args = Argv(argv);
      ::execvp(args[0], args.data());
      failure = "exec " + argv[0] + ": " + std::strerror(errno);
    } catch (const std::exception& e) {
      failure = e.what();
    }
    ssize_t ignored = ::write(report[1], failure.data(), failure.size());
    (void)ignored;
    ::_exit(127);
  }
  ::setpgid(pid, pid);
  ::close(report[1]);
  std::string failure;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(report[0], buffer, sizeof buffer)) != 0) {  // EOF once exec succeeded
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    failure.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(report[0]);
  if (!failure.empty()) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    throw std::runtime_error("NetLab::Spawn in " + host.name + ": " + failure);
  }
  spawned_.push_back(pid);
  return pid;
}

int NetLab::WaitExit(pid_t pid, milliseconds timeout) {
  std::optional<int> status = WaitChild(pid, Clock::now() + timeout);
  if (!status) return kTimedOut;
  spawned_.erase(std::remove(spawned_.begin(), spawned_.end(), pid), spawned_.end());
  return *status;
}

int NetLab::Stop(pid_t pid, milliseconds grace) {
  if (std::find(spawned_.begin(), spawned_.end(), pid) == spawned_.end()) {
    throw std::invalid_argument("NetLab::Stop: " + std::to_string(pid) + " was not spawned here");
  }
  ::kill(-pid, SIGTERM);
  std::optional<int> status = WaitChild(pid, Clock::now() + grace);
  if (!status) {
    ::kill(-pid, SIGKILL);
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    status = DecodeStatus(raw);
  }
  spawned_.erase(std::remove(spawned_.begin(), spawned_.end(), pid), spawned_.end());
  return *status;
}

}  // namespace testsupport
