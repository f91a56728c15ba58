// The Winsock backend on real UDP, under Wine inside a network namespace that scripts/wine-netlab
// makes: the tool's namespace is on two segments with no default route, and a kestrival-sim
// reader (the Linux build's) answers on each. The script tells the program where it is:
//   KESTRIVAL_LAB_TOOL=10.201.0.1  KESTRIVAL_LAB_READERS=10.201.0.2,10.202.0.2
//   KESTRIVAL_LAB_DEFAULT_ROUTE=0 (1 with --default-route)
// Without them every test skips: the program never touches a network it was not given.
// Windows build only.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Runtime.h"
#include "platform/net/WinsockUdp.h"
#include "protocol/CommandCatalog.h"

namespace platform::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint16_t kToolPort = COMMAND_PORT;
constexpr std::uint16_t kSearchPort = DISCOVERY_PORT;
constexpr std::uint16_t kSpare = 24700;  // a port of the tool's namespace that nobody else binds
constexpr std::uint32_t kBroadcast = 0xFFFFFFFFu;

std::uint32_t ParseDotted(const std::string& text) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d) != 4) return 0;
  return (a << 24) | (b << 16) | (c << 8) | d;
}

struct Received {
  long n = -1;
  Error error = Error::Other;
  Endpoint from;
  std::string text;
};

// Collects the trace lines written while it lives.
class TraceInto {
 public:
  explicit TraceInto(std::vector<std::string>& lines) : scoped_(Install(lines)) {}

 private:
  Runtime& Install(std::vector<std::string>& lines) {
    runtime_.debug = [&lines](const std::string& text) { lines.push_back(text); };
    return runtime_;
  }
  Runtime runtime_;
  ScopedRuntime scoped_;
};

class WinsockLab : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tool = std::getenv("KESTRIVAL_LAB_TOOL");
    const char* readers = std::getenv("KESTRIVAL_LAB_READERS");
    if (!tool || !readers)
      GTEST_SKIP() << "run through scripts/wine-netlab, inside the network namespace it makes";
    tool_ = ParseDotted(tool);
    std::istringstream list(readers);
    for (std::string r; std::getline(list, r, ',');) readers_.push_back(ParseDotted(r));
    ASSERT_NE(tool_, 0u);
    ASSERT_FALSE(readers_.empty());
    ASSERT_TRUE(net_.Startup());
  }
  void TearDown() override { net_.Cleanup(); }

  std::unique_ptr<Socket> Make() {
    Error e = Error::Other;
    auto s = net_.CreateUdp(&e);
    EXPECT_EQ(e, Error::None);
    return s;
  }
  std::unique_ptr<Socket> Bound(Endpoint local, bool broadcast = false) {
    auto s = Make();
    if (!s) return s;
    EXPECT_EQ(s->Bind(local), Error::None);
    if (broadcast) {
      EXPECT_EQ(s->SetBroadcast(true), Error::None);
    }
    return s;
  }
  static Error Send(Socket& s, const std::string& text, Endpoint to) {
    return s.SendTo(text.data(), text.size(), to);
  }
  Received WaitReceive(Socket& s, std::size_t room = 2048,
                       std::chrono::milliseconds within = 3000ms) {
    const auto deadline = Clock::now() + within;
    while (!s.Readable() && Clock::now() < deadline) net_.Wait(50ms);
    Received r;
    std::vector<char> buffer(room + 1);
    r.n = s.RecvFrom(buffer.data(), room, &r.from, &r.error);
    if (r.n > 0) r.text.assign(buffer.data(), static_cast<std::size_t>(r.n));
    return r;
  }

  WinsockBackend net_;
  std::uint32_t tool_ = 0;
  std::vector<std::uint32_t> readers_;
};

TEST_F(WinsockLab, BroadcastNeedsSoBroadcast) {
  std::vector<std::string> trace;
  TraceInto tracing(trace);
  auto tool = Bound({0, kToolPort});
  EXPECT_EQ(Send(*tool, "search", {kBroadcast, kSearchPort}), Error::Access);
  ASSERT_EQ(trace.size(), readers_.size());  // one line per adapter
  EXPECT_NE(trace[0].find("broadcast to 255.255.255.255:24582 failed on "), std::string::npos)
      << trace[0];
  ASSERT_EQ(tool->SetBroadcast(true), Error::None);
  EXPECT_EQ(Send(*tool, "search", {kBroadcast, kSearchPort}), Error::None);
}

TEST_F(WinsockLab, UnicastStillFollowsTheRouteAfterABroadcast) {
  auto tool = Bound({0, kToolPort}, true);
  auto peer = Bound({0, kSpare});
  ASSERT_EQ(Send(*tool, "search", {kBroadcast, kSearchPort}), Error::None);
  // Named interface cleared: a datagram to the tool's own address is delivered locally.
  ASSERT_EQ(Send(*tool, "after", {tool_, kSpare}), Error::None);
  Received got = WaitReceive(*peer);
  EXPECT_EQ(got.error, Error::None);
  EXPECT_EQ(got.text, "after");
  // No route, no default route: a unicast elsewhere fails at once.
  const char* route = std::getenv("KESTRIVAL_LAB_DEFAULT_ROUTE");
  if (!route || std::string(route) != "1") {
    EXPECT_EQ(Send(*tool, "away", {ParseDotted("192.0.2.1"), kSearchPort}), Error::NetUnreach);
  }
}

TEST_F(WinsockLab, OversizedDatagramGivesMessageSizeAndTheNextIsReceived) {
  auto tool = Bound({0, kToolPort});
  auto peer = Bound({0, kSpare});
  std::string big(1000, 'x');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(Send(*peer, big, {tool_, kToolPort}), Error::None);
  ASSERT_EQ(Send(*peer, "next", {tool_, kToolPort}), Error::None);
  Received oversized = WaitReceive(*tool, 100);
  EXPECT_EQ(oversized.n, -1);
  EXPECT_EQ(oversized.error, Error::MessageSize);
  EXPECT_EQ(oversized.from, (Endpoint{tool_, kSpare}));
  Received next = WaitReceive(*tool, 100);
  EXPECT_EQ(next.error, Error::None);
  EXPECT_EQ(next.text, "next");
  Received none = WaitReceive(*tool, 100, 50ms);
  EXPECT_EQ(none.error, Error::WouldBlock);
}

TEST_F(WinsockLab, ExactFitAndEmptyDatagrams) {
  auto tool = Bound({0, kToolPort});
  auto sender = Make();  // unbound: Winsock binds it to an ephemeral port on the send
  ASSERT_EQ(Send(*sender, std::string(100, 'y'), {tool_, kToolPort}), Error::None);
  ASSERT_EQ(Send(*sender, "", {tool_, kToolPort}), Error::None);
  Received fit = WaitReceive(*tool, 100);
  EXPECT_EQ(fit.n, 100);
  EXPECT_EQ(fit.from.addr, tool_);
  EXPECT_EQ(fit.from.port, sender->LocalEndpoint().port);
  EXPECT_NE(fit.from.port, 0);
  Received empty = WaitReceive(*tool, 100);
  EXPECT_EQ(empty.n, 0);
  EXPECT_EQ(empty.error, Error::None);
}

TEST_F(WinsockLab, UnboundSocketReceiveIsInvalid) {
  auto s = Make();
  char buffer[16];
  Error e = Error::None;
  EXPECT_EQ(s->RecvFrom(buffer, sizeof buffer, nullptr, &e), -1);
  EXPECT_EQ(e, Error::Invalid);
  EXPECT_FALSE(s->Readable());
}

TEST_F(WinsockLab, WaitReturnsEarlyWhenADatagramArrives) {
  auto tool = Bound({0, kToolPort});
  auto peer = Bound({0, kSpare});
  auto start = Clock::now();
  net_.Wait(80ms);  // nothing comes: the whole time
  EXPECT_GE(Clock::now() - start, 75ms);
  std::thread sender([&] {
    std::this_thread::sleep_for(50ms);
    Send(*peer, "wake", {tool_, kToolPort});
  });
  start = Clock::now();
  net_.Wait(5s);
  const auto elapsed = Clock::now() - start;
  sender.join();
  EXPECT_LT(elapsed, 3s);
  EXPECT_TRUE(tool->Readable());
}

// Windows reports an ICMP port unreachable as WSAECONNRESET on the next receive; Wine, on a Linux
// socket that is not connected, reports nothing. Either way the socket goes on receiving.
TEST_F(WinsockLab, UnicastToAPortNobodyBindsLeavesTheSocketUsable) {
  auto tool = Bound({0, kToolPort});
  auto peer = Bound({0, kSpare});
  EXPECT_EQ(Send(*tool, "cmd", {readers_.front(), 9}), Error::None);
  Received first = WaitReceive(*tool, 100, 300ms);
  EXPECT_TRUE(first.error == Error::WouldBlock || first.error == Error::ConnReset)
      << static_cast<int>(first.error);
  ASSERT_EQ(Send(*peer, "still", {tool_, kToolPort}), Error::None);
  Received next = WaitReceive(*tool, 100);
  EXPECT_EQ(next.error, Error::None);
  EXPECT_EQ(next.text, "still");
}

TEST_F(WinsockLab, ManySocketsEndCleanlyIdleOrUnderAFlood) {
  auto peer = Bound({0, kSpare});
  for (int round = 0; round < 20; ++round) {
    auto s = Bound({0, kToolPort});
    ASSERT_NE(s, nullptr);
    if (round % 2 == 1) {
      for (int i = 0; i < 50; ++i) Send(*peer, std::string(500, 'f'), {tool_, kToolPort});
    }
  }
  // The port is free again each time: the last socket of the loop has gone too.
  auto last = Bound({0, kToolPort});
  EXPECT_NE(last, nullptr);
}

}  // namespace
}  // namespace platform::net
