// A lab of network namespaces for tests over real UDP: hosts that share one Ethernet segment (a
// bridge in a namespace of its own, one veth pair per host) and nothing else, so a limited
// broadcast reaches every host of the lab and no datagram can leave it.
//
//   std::string why;
//   if (!NetLab::Available(&why)) GTEST_SKIP() << why;
//   NetLab lab;
//   auto tool = lab.AddHost("tool");                  // 10.201.0.1/16
//   auto r1 = lab.AddHost("r1");                      // 10.201.0.2/16
//   lab.Up();
//   auto socket = lab.Within(tool, [&] { return backend.CreateUdp(&e); });  // a socket in tool
//   int status = lab.Run(r1, [&] { EXPECT_...; });     // a forked child inside r1: 0 if passed
//   pid_t sim = lab.Spawn(r1, {"kestrival-sim", "--port", "24582"});
//   lab.Exec(tool, "ip -4 -o addr", &text);
//   auto swarm = lab.AddAddresses(r1, 1000);          // 10.201.1.1 ... on r1
//
// A host may also sit on other segments (a bridge each, segment s is 10.(201+s).0.0/16), with a
// shorter or longer prefix, with or without a default route, or on none at all (loopback only):
//   NetLab::HostOptions two;  two.segments = {0, 1};  two.defaultRoute = false;
//   auto laptop = lab.AddHost("laptop", two);         // lab0 10.201.0.n, lab1 10.202.0.n
//
// Every namespace is named "klab-<pid>-<lab>-..." and deleted by the destructor, after the
// processes it spawned are stopped; labs of processes that died are removed by the next lab.
// Needs root and iproute2; tests skip with the reason from Available() otherwise.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace testsupport {

class NetLab {
 public:
  struct Host {
    std::size_t index = 0;
    std::string name;           // as given to AddHost
    std::string netns;          // its namespace, for `ip netns exec` and /run/netns
    std::string interface;      // its interface on its first segment ("" with none)
    std::uint32_t address = 0;  // host order, first address of that interface (0 with none)
    std::string addressText;
    // One entry per segment the host is on, in the order of HostOptions::segments.
    std::vector<std::size_t> segments;
    std::vector<std::string> interfaces;   // "lab<segment>"
    std::vector<std::uint32_t> addresses;  // host order, 10.(201+segment).0.<index+1>
  };

  struct HostOptions {
    std::vector<std::size_t> segments = {0};  // empty: the host has only its loopback
    int prefixLength = 16;                    // of every address the host gets on a segment
    bool defaultRoute = true;                 // a default route by its first interface
  };

  struct SpawnOptions {
    std::string logPath;           // stdout and stderr appended to this file; empty: inherit
    std::vector<std::string> env;  // extra NAME=value entries
  };

  static constexpr std::uint32_t kNetwork = 0x0AC90000u;  // 10.201.0.0/16, private to the lab
  static constexpr int kPrefixLength = 16;
  static constexpr int kTimedOut = -1;  // what Run/Exec return when the child was killed

  // Removes labs whose creating process is gone. Does not touch the network until Up().
  NetLab();
  // Stops what Spawn started, then deletes every namespace of this lab; never throws.
  ~NetLab();
  NetLab(const NetLab&) = delete;
  NetLab& operator=(const NetLab&) = delete;

  // True when labs can be made here (root, iproute2, namespaces and veth allowed); otherwise
  // false with the reason in *why. Tried once per process.
  static bool Available(std::string* why);

  // A host named `name` (used in messages only) with address 10.201.0.<n+1>. Before Up() it is
  // built by Up(); after, at once. Throws std::runtime_error when a command fails.
  Host AddHost(const std::string& name);
  Host AddHost(const std::string& name, const HostOptions& options);
  // The network of a segment (host order): kNetwork for segment 0, 10.202.0.0 for 1, ...
  static std::uint32_t SegmentNetwork(std::size_t segment);
  // Builds the segment and the hosts added so far and waits until their links are up.
  void Up();
  bool IsUp() const { return up_; }
  const std::vector<Host>& Hosts() const { return hosts_; }

  // Adds `count` more addresses (10.201.1.1, 10.201.1.2, ... across the lab) to the host's lab
  // interface, after Up(). Returns them, host order.
  std::vector<std::uint32_t> AddAddresses(const Host& host, std::size_t count);
  // The host's addresses: the first one, then the added ones.
  std::vector<std::uint32_t> Addresses(const Host& host) const;

  // Runs fn on a new thread whose network namespace is the host's and returns its result (or
  // rethrows). Sockets made there stay in that namespace wherever they are used afterwards, so a
  // test can create one socket per host and then drive them all from its own thread. GoogleTest
  // assertions inside fn report as usual.
  template <class F>
  auto Within(const Host& host, F&& fn) -> std::invoke_result_t<F&> {
    using Result = std::invoke_result_t<F&>;
    std::packaged_task<Result()> task([&]() -> Result {
      EnterNetns(host.netns);
      return fn();
    });
    std::future<Result> result = task.get_future();
    std::thread(std::move(task)).join();
    return result.get();
  }

  // Runs fn in a forked child inside the host's namespace; returns its exit status. fn returns
  // int (its exit code) or void (0; ASSERT_* allowed). A GoogleTest assertion that failed in the
  // child makes a 0 into 1; 125 if fn threw, 128+n for signal n, kTimedOut when it was killed
  // after `timeout`. The child's output goes where the test's goes.
  template <class F>
  int Run(const Host& host, F&& fn, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    if constexpr (std::is_void_v<std::invoke_result_t<F&>>) {
      return RunChild(
          host, [&] { return fn(), 0; }, timeout);
    } else {
      return RunChild(
          host, [&] { return static_cast<int>(fn()); }, timeout);
    }
  }
  // Runs `sh -c command` inside the host's namespace; returns its exit status as Run does.
  // With `output`, it receives stdout and stderr together.
  int Exec(const Host& host, const std::string& command, std::string* output = nullptr,
           std::chrono::milliseconds timeout = std::chrono::seconds(60));

  // Starts argv (looked up in PATH) inside the host's namespace, in a process group of its own.
  // Throws std::runtime_error if it cannot be started. The destructor stops it if still running.
  pid_t Spawn(const Host& host, const std::vector<std::string>& argv,
              const SpawnOptions& options = {});
  // The exit status (as Run) once the process ended, or kTimedOut if it still runs at the timeout.
  int WaitExit(pid_t pid, std::chrono::milliseconds timeout);
  // SIGTERM to its process group, SIGKILL after `grace`; returns the exit status.
  int Stop(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(2));

  // Moves the calling thread into the named namespace and checks that it got there; throws
  // std::runtime_error otherwise.
  static void EnterNetns(const std::string& netns);
  // Deletes labs (and kills what runs in them) whose creating process is gone; returns how many
  // namespaces were removed.
  static std::size_t CleanStale();
  // The prefix of this lab's namespace names ("klab-<pid>-<n>-").
  const std::string& Prefix() const { return prefix_; }

  static std::string FormatAddress(std::uint32_t addr);

 private:
  int RunChild(const Host& host, const std::function<int()>& fn, std::chrono::milliseconds timeout);
  void BuildSegment();
  void EnsureSegments(std::size_t count);
  void BuildHost(const Host& host);
  void WaitForLinks(const std::vector<Host>& hosts);
  void DeleteNetns(const std::string& netns);

  std::string prefix_;
  std::string bridgeNetns_;
  bool up_ = false;
  std::vector<Host> hosts_;
  std::vector<HostOptions> options_;  // per host index
  std::size_t segmentsBuilt_ = 0;
  std::vector<std::vector<std::uint32_t>> extraAddresses_;  // per host index
  std::size_t nextExtra_ = 0;
  std::vector<std::string> created_;  // namespaces made so far, deleted in reverse
  std::vector<pid_t> spawned_;
};

}  // namespace testsupport
