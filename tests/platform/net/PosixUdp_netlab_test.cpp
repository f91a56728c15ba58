// The POSIX UDP backend over real sockets, and the namespace lab it runs in. Every socket here is
// made inside a namespace of the lab (NetLab::Within or Run); nothing touches the machine's own
// network. Skips when the lab cannot be made (not root, no iproute2, no namespaces).
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/Runtime.h"
#include "platform/net/PosixUdp.h"
#include "platform/net/ReceiveQueue.h"
#include "tests/platform/net/SocketCalls.h"
#include "tests/support/NetLab.h"

namespace {

using namespace std::chrono_literals;
using platform::net::Endpoint;
using platform::net::Error;
using platform::net::PosixBackend;
using platform::net::Socket;
using testsupport::NetLab;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBroadcast = 0xFFFFFFFFu;
constexpr std::uint16_t kToolPort = 24680;
constexpr std::uint16_t kSearchPort = 24582;

#define SKIP_WITHOUT_LAB()                                                            \
  do {                                                                                \
    std::string why;                                                                  \
    if (!NetLab::Available(&why)) GTEST_SKIP() << "network lab unavailable: " << why; \
  } while (0)

std::unique_ptr<Socket> MakeSocket(NetLab& lab, const NetLab::Host& host, PosixBackend& net) {
  return lab.Within(host, [&] {
    Error e = Error::Other;
    auto s = net.CreateUdp(&e);
    EXPECT_EQ(e, Error::None);
    EXPECT_NE(s, nullptr);
    return s;
  });
}

std::unique_ptr<Socket> BoundSocket(NetLab& lab, const NetLab::Host& host, PosixBackend& net,
                                    Endpoint local, bool broadcast = false) {
  auto s = MakeSocket(lab, host, net);
  if (broadcast) {
    EXPECT_EQ(s->SetBroadcast(true), Error::None);
  }
  EXPECT_EQ(s->Bind(local), Error::None);
  return s;
}

using socket_calls::Received;
using socket_calls::Send;

// Waits (through the backend) until the socket is readable, then receives once.
Received WaitReceive(PosixBackend& net, Socket& s, std::size_t len = 2048,
                     std::chrono::milliseconds timeout = 3s) {
  const auto deadline = Clock::now() + timeout;
  while (!s.Readable() && Clock::now() < deadline) net.Wait(100ms);
  return socket_calls::Receive(s, len);
}

// Collects the trace lines written while it lives.
class TraceInto {
 public:
  explicit TraceInto(std::vector<std::string>& lines) : scoped_(runtime_) {
    runtime_.debug = [&lines](const std::string& text) { lines.push_back(text); };
  }

 private:
  platform::Runtime runtime_;
  platform::ScopedRuntime scoped_;
};

class PosixUdpLab : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_LAB();
    lab_ = std::make_unique<NetLab>();
    tool_ = lab_->AddHost("tool");
    r1_ = lab_->AddHost("r1");
    r2_ = lab_->AddHost("r2");
    lab_->Up();
  }

  std::unique_ptr<NetLab> lab_;
  NetLab::Host tool_, r1_, r2_;
  PosixBackend toolNet_, r1Net_, r2Net_;
};

TEST_F(PosixUdpLab, BindToolPortWithBroadcastThenSecondBindFails) {
  ASSERT_TRUE(toolNet_.Startup());
  auto first = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort}, true);
  EXPECT_EQ(first->LocalEndpoint(), (Endpoint{0, kToolPort}));
  EXPECT_NE(first->Waitable(), platform::net::kNoWaitHandle);
  EXPECT_EQ(first->SetReceiveBuffer(256 * 1024), Error::None);

  struct Row {
    const char* name;
    Endpoint local;
    Error expected;
  };
  const Row rows[] = {
      {"same port", {0, kToolPort}, Error::AddrInUse},
      {"own address, same port", {tool_.address, kToolPort}, Error::AddrInUse},
      {"address of another host", {r1_.address, kToolPort + 1}, Error::AddrNotAvail},
      {"other port", {0, kToolPort + 1}, Error::None},
  };
  for (const Row& row : rows) {
    auto s = MakeSocket(*lab_, tool_, toolNet_);
    EXPECT_EQ(s->Bind(row.local), row.expected) << row.name;
  }
  // The same port in another namespace is another host's.
  auto elsewhere = BoundSocket(*lab_, r1_, r1Net_, {0, kToolPort});
  auto again = MakeSocket(*lab_, tool_, toolNet_);
  EXPECT_EQ(again->Bind({0, kToolPort}), Error::AddrInUse);
  EXPECT_EQ(first->Bind({0, kToolPort + 2}), Error::Invalid);  // already bound
  toolNet_.Cleanup();
}

TEST_F(PosixUdpLab, BroadcastFromOneNamespaceReachesTwoOthers) {
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort}, true);
  auto reader1 = BoundSocket(*lab_, r1_, r1Net_, {0, kSearchPort});
  auto reader2 = BoundSocket(*lab_, r2_, r2Net_, {0, kSearchPort});

  ASSERT_EQ(Send(*tool, "search", {kBroadcast, kSearchPort}), Error::None);
  struct Reader {
    PosixBackend* net;
    Socket* socket;
    const NetLab::Host* host;
  };
  for (const Reader& r :
       {Reader{&r1Net_, reader1.get(), &r1_}, Reader{&r2Net_, reader2.get(), &r2_}}) {
    Received got = WaitReceive(*r.net, *r.socket);
    EXPECT_EQ(got.error, Error::None) << r.host->name;
    EXPECT_EQ(got.text, "search") << r.host->name;
    EXPECT_EQ(got.from, (Endpoint{tool_.address, kToolPort})) << r.host->name;
    ASSERT_EQ(Send(*r.socket, "reply " + r.host->name, got.from), Error::None);
  }
  std::vector<std::string> replies;
  for (int i = 0; i < 2; ++i) {
    Received got = WaitReceive(toolNet_, *tool);
    EXPECT_EQ(got.error, Error::None);
    EXPECT_EQ(got.from.port, kSearchPort);
    EXPECT_TRUE(got.from.addr == r1_.address || got.from.addr == r2_.address);
    replies.push_back(got.text);
  }
  std::sort(replies.begin(), replies.end());
  EXPECT_EQ(replies, (std::vector<std::string>{"reply r1", "reply r2"}));
}

TEST_F(PosixUdpLab, BroadcastNeedsSoBroadcast) {
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort});
  auto reader = BoundSocket(*lab_, r1_, r1Net_, {0, kSearchPort});
  EXPECT_EQ(Send(*tool, "search", {kBroadcast, kSearchPort}), Error::Access);
  ASSERT_EQ(tool->SetBroadcast(true), Error::None);
  EXPECT_EQ(Send(*tool, "search", {kBroadcast, kSearchPort}), Error::None);
  EXPECT_EQ(WaitReceive(r1Net_, *reader).text, "search");
}

TEST_F(PosixUdpLab, OversizedDatagramGivesMessageSizeAndTheNextIsReceived) {
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort});
  auto reader = BoundSocket(*lab_, r1_, r1Net_, {0, kSearchPort});
  std::string big(1000, 'x');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(Send(*reader, big, {tool_.address, kToolPort}), Error::None);
  ASSERT_EQ(Send(*reader, "next", {tool_.address, kToolPort}), Error::None);

  Received oversized = WaitReceive(toolNet_, *tool, 100);
  EXPECT_EQ(oversized.n, -1);
  EXPECT_EQ(oversized.error, Error::MessageSize);
  EXPECT_EQ(oversized.from, (Endpoint{r1_.address, kSearchPort}));
  Received next = WaitReceive(toolNet_, *tool, 100);
  EXPECT_EQ(next.error, Error::None);
  EXPECT_EQ(next.text, "next");
  Received none = WaitReceive(toolNet_, *tool, 100, 50ms);
  EXPECT_EQ(none.error, Error::WouldBlock);
}

TEST_F(PosixUdpLab, ExactFitAndEmptyDatagrams) {
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort});
  auto sender = MakeSocket(*lab_, r1_, r1Net_);  // unbound: gets an ephemeral port on send
  ASSERT_EQ(Send(*sender, std::string(100, 'y'), {tool_.address, kToolPort}), Error::None);
  ASSERT_EQ(Send(*sender, "", {tool_.address, kToolPort}), Error::None);
  Received fit = WaitReceive(toolNet_, *tool, 100);
  EXPECT_EQ(fit.n, 100);
  EXPECT_EQ(fit.from.addr, r1_.address);
  EXPECT_EQ(fit.from.port, sender->LocalEndpoint().port);
  EXPECT_NE(fit.from.port, 0);
  Received empty = WaitReceive(toolNet_, *tool, 100);
  EXPECT_EQ(empty.n, 0);
  EXPECT_EQ(empty.error, Error::None);
}

TEST_F(PosixUdpLab, UnboundSocketReceiveIsInvalid) {
  auto s = MakeSocket(*lab_, tool_, toolNet_);
  char buffer[16];
  Error e = Error::None;
  EXPECT_EQ(s->RecvFrom(buffer, sizeof buffer, nullptr, &e), -1);
  EXPECT_EQ(e, Error::Invalid);
  EXPECT_FALSE(s->Readable());
}

TEST_F(PosixUdpLab, WaitReturnsEarlyWhenADatagramArrives) {
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort});
  auto reader = BoundSocket(*lab_, r1_, r1Net_, {0, kSearchPort});
  auto start = Clock::now();
  toolNet_.Wait(80ms);  // nothing comes: the whole time
  EXPECT_GE(Clock::now() - start, 75ms);
  std::thread peer([&] {
    std::this_thread::sleep_for(50ms);
    Send(*reader, "wake", {tool_.address, kToolPort});
  });
  start = Clock::now();
  toolNet_.Wait(5s);
  auto elapsed = Clock::now() - start;
  peer.join();
  EXPECT_LT(elapsed, 3s);
  EXPECT_TRUE(tool->Readable());
}

TEST_F(PosixUdpLab, UnicastToAPortNobodyBindsIsDroppedQuietly) {
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort});
  EXPECT_EQ(Send(*tool, "cmd", {r1_.address, 9}), Error::None);
  EXPECT_EQ(Send(*tool, "cmd", {NetLab::kNetwork | 200, 9}), Error::None);  // no such host
  // Linux reports no ICMP error on an unconnected socket: nothing to receive.
  Received r = WaitReceive(toolNet_, *tool, 100, 200ms);
  EXPECT_EQ(r.error, Error::WouldBlock);
}

TEST_F(PosixUdpLab, ForkedReaderInItsNamespaceAnswersTheTool) {
  // The pattern of an end-to-end test: a reader runs in a child inside its namespace while the
  // test drives the tool's socket. The child is forked before the tool's socket (and its receive
  // thread) exists: a fork while another thread holds the allocator's lock (as a sanitizer's
  // allocator may) leaves the child waiting for it forever. It says when it listens.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  auto reader = std::async(std::launch::async, [&] {
    return lab_->Run(r1_, [&] {
      PosixBackend net;
      Error e;
      auto s = net.CreateUdp(&e);
      ASSERT_NE(s, nullptr);
      ASSERT_EQ(s->Bind({0, kSearchPort}), Error::None);
      ASSERT_EQ(::write(ready[1], "!", 1), 1);
      Received got = WaitReceive(net, *s, 2048, 10s);
      ASSERT_EQ(got.error, Error::None);
      EXPECT_EQ(got.text, "search");
      ASSERT_EQ(Send(*s, "here", got.from), Error::None);
    });
  });
  pollfd listening{ready[0], POLLIN, 0};
  const int polled = ::poll(&listening, 1, 10000);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_EQ(polled, 1) << "the reader did not start listening";
  auto tool = BoundSocket(*lab_, tool_, toolNet_, {0, kToolPort}, true);
  Received reply;
  const auto deadline = Clock::now() + 10s;
  while (reply.n < 0 && Clock::now() < deadline) {
    Send(*tool, "search", {kBroadcast, kSearchPort});
    reply = WaitReceive(toolNet_, *tool, 2048, 100ms);
  }
  EXPECT_EQ(reply.text, "here");
  EXPECT_EQ(reply.from, (Endpoint{r1_.address, kSearchPort}));
  EXPECT_EQ(reader.get(), 0);
}

// ---- the receive thread ----

std::size_t ThreadCount() {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    static_cast<void>(entry);
    ++n;
  }
  return n;
}

// The dialog's thread is busy (it does not read) while a burst lands; a kernel buffer cut to the
// stock limit or below would drop most of it, the receive thread keeps it all, or as much as
// its queue holds, and the next receive traces what was dropped.
struct BurstRow {
  const char* name;
  int receiveBufferCap;    // emulated net.core.rmem_max
  std::size_t queueBytes;  // room of the receive queue
  std::size_t datagrams;   // sent at once, 96 bytes each
  std::size_t expectKept;
};

class ReceiveThreadBurst : public PosixUdpLab, public ::testing::WithParamInterface<BurstRow> {};

TEST_P(ReceiveThreadBurst, HoldsTheBurstWhileNobodyReads) {
  const BurstRow& row = GetParam();
  platform::net::PosixOptions options;
  options.receiveBufferCap = row.receiveBufferCap;
  options.queueBytes = row.queueBytes;
  PosixBackend toolNet(options), readerNet;
  std::vector<std::string> trace;
  TraceInto tracing(trace);

  auto socket = BoundSocket(*lab_, tool_, toolNet, {0, kToolPort});
  ASSERT_EQ(socket->SetReceiveBuffer(4 * 1024 * 1024), Error::None);
  ASSERT_EQ(trace.size(), 1u);
  if (row.receiveBufferCap > 0) {
    EXPECT_NE(trace[0].find("asked 4194304 bytes, granted " +
                            std::to_string(std::max(2 * row.receiveBufferCap, 2304))),
              std::string::npos)
        << trace[0];
    EXPECT_NE(
        trace[0].find("net.core.rmem_max (" + std::to_string(row.receiveBufferCap) + ") caps it"),
        std::string::npos)
        << trace[0];
  }
  trace.clear();
  auto peer = BoundSocket(*lab_, r1_, readerNet, {0, kSearchPort});
  for (std::size_t i = 0; i < row.datagrams; ++i) {
    std::string text(96, ' ');
    const std::string number = std::to_string(i);
    text.replace(0, number.size(), number);
    ASSERT_EQ(Send(*peer, text, {tool_.address, kToolPort}), Error::None);
    // Paced a little, so that a receive thread scheduled a few milliseconds late on a busy
    // machine still finds room in the kernel's buffer; a r1_ that is not read at all (the
    // busy thread) would still lose most of the burst.
    if (i % 64 == 63) std::this_thread::sleep_for(1ms);
  }
  std::this_thread::sleep_for(300ms);  // the dialog's thread is busy elsewhere
  std::size_t kept = 0;
  for (;;) {
    Received got = WaitReceive(toolNet, *socket, 4096, 200ms);
    if (got.n < 0) {
      EXPECT_EQ(got.error, Error::WouldBlock);
      break;
    }
    ASSERT_EQ(got.n, 96);
    EXPECT_EQ(std::stoul(got.text), kept) << "in order, none lost before the excess";
    ++kept;
  }
  EXPECT_EQ(kept, row.expectKept);
  const std::size_t dropped = row.datagrams - row.expectKept;
  if (dropped == 0) {
    EXPECT_TRUE(trace.empty()) << trace.front();
  } else {
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_NE(trace[0].find(std::to_string(dropped) + " datagrams dropped"), std::string::npos)
        << trace[0];
  }
}

constexpr std::size_t kEntry = 96 + platform::net::ReceiveQueue::kOverhead;

INSTANTIATE_TEST_SUITE_P(
    Rows, ReceiveThreadBurst,
    ::testing::Values(BurstRow{"StockLimit5000", 212992, std::size_t{64} << 20, 5000, 5000},
                      BurstRow{"StockLimit1000", 212992, std::size_t{64} << 20, 1000, 1000},
                      BurstRow{"QueueOverflows", 0, 100 * kEntry, 150, 100}),
    [](const ::testing::TestParamInfo<BurstRow>& info) { return info.param.name; });

class ReceiveThread : public PosixUdpLab {};

TEST_F(ReceiveThread, EndsCleanlyIdleOrUnderAFlood) {
  PosixBackend toolNet, readerNet;
  const std::size_t before = ThreadCount();
  {
    auto idle = BoundSocket(*lab_, tool_, toolNet, {0, kToolPort});
    EXPECT_EQ(ThreadCount(), before + 1);
    const auto start = Clock::now();
    idle.reset();  // its thread waits in poll: it must wake and end at once
    EXPECT_LT(Clock::now() - start, 1s);
    EXPECT_EQ(ThreadCount(), before);
  }
  auto peer = BoundSocket(*lab_, r1_, readerNet, {0, kSearchPort});
  const std::size_t withPeer = ThreadCount();
  for (int round = 0; round < 3; ++round) {
    auto busy = BoundSocket(*lab_, tool_, toolNet, {0, kToolPort});
    std::atomic<bool> flood{true};
    std::thread sender([&] {
      const std::string text(200, 'f');
      for (int i = 0; i < 200000 && flood; ++i) Send(*peer, text, {tool_.address, kToolPort});
    });
    std::this_thread::sleep_for(20ms);
    busy.reset();  // with datagrams pouring in and queued: nothing leaks, nothing hangs
    flood = false;
    sender.join();
    EXPECT_EQ(ThreadCount(), withPeer) << "round " << round;
  }
  // An unbound socket never started a thread.
  auto unbound = MakeSocket(*lab_, tool_, toolNet);
  EXPECT_EQ(ThreadCount(), withPeer);
  EXPECT_FALSE(unbound->Readable());
}

// ---- a receive buffer the kernel cuts, made up by sockets that share the port ----

constexpr int kStockLimit = 212992;  // the stock net.core.rmem_max
constexpr int kToolAsks = 4 * 1024 * 1024;

// A socket of the tool's port, the stock limit emulated, the receive buffer asked for before the
// bind (as the dialog does) or after it.
std::unique_ptr<Socket> CappedToolSocket(NetLab& lab, const NetLab::Host& host, PosixBackend& net,
                                         bool askBeforeBind, Error* bindResult = nullptr) {
  auto s = MakeSocket(lab, host, net);
  if (askBeforeBind) {
    EXPECT_EQ(s->SetReceiveBuffer(kToolAsks), Error::None);
  }
  const Error bound = lab.Within(host, [&] { return s->Bind({0, kToolPort}); });
  if (bindResult) {
    *bindResult = bound;
  } else {
    EXPECT_EQ(bound, Error::None);
  }
  if (!askBeforeBind) {
    EXPECT_EQ(s->SetReceiveBuffer(kToolAsks), Error::None);
  }
  return s;
}

platform::net::PosixOptions StockLimit() {
  platform::net::PosixOptions options;
  options.receiveBufferCap = kStockLimit;
  return options;
}

// A plain POSIX socket of the host's namespace, closed with the object.
struct RawSocket {
  int fd = -1;
  RawSocket(NetLab& lab, const NetLab::Host& host) {
    fd = lab.Within(host, [] { return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0); });
  }
  ~RawSocket() {
    if (fd >= 0) ::close(fd);
  }
  RawSocket(const RawSocket&) = delete;
  RawSocket& operator=(const RawSocket&) = delete;
  bool Bind(std::uint16_t port, bool reusePort) {
    const int on = 1;
    if (reusePort) ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
  }
  bool SendTo(const std::string& text, std::uint32_t addr, std::uint16_t port) const {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(addr);
    return ::sendto(fd, text.data(), text.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                    sizeof to) == static_cast<ssize_t>(text.size());
  }
};

// A swarm answering at once while the receive thread is held: every sender has a port of its
// own, as every reader has an address of its own, and one of them sends a numbered series among
// the others. With the buffer asked for before the bind, the kernel holds the whole burst.
struct SharedPortRow {
  const char* name;
  bool askBeforeBind;
  bool keepsAll;
};

class SharedPortBurst : public PosixUdpLab, public ::testing::WithParamInterface<SharedPortRow> {};

TEST_P(SharedPortBurst, KernelHoldsTheSwarmWhileTheThreadIsHeld) {
  const SharedPortRow& row = GetParam();
  platform::net::PosixOptions options = StockLimit();
  options.holdReceiveThread = std::make_shared<std::atomic<bool>>(true);
  PosixBackend toolNet(options);
  std::vector<std::string> trace;
  TraceInto tracing(trace);
  auto socket = CappedToolSocket(*lab_, tool_, toolNet, row.askBeforeBind);
  const bool shared = std::any_of(trace.begin(), trace.end(), [](const std::string& t) {
    return t.find("20 sockets share port 24680, 20 x 425984 bytes") != std::string::npos;
  });
  EXPECT_EQ(shared, row.askBeforeBind);

  constexpr std::size_t kSenders = 3000;
  constexpr std::size_t kSeries = 40;
  RawSocket series(*lab_, r1_);
  for (std::size_t i = 0; i < kSenders; ++i) {
    RawSocket sender(*lab_, r1_);
    ASSERT_TRUE(sender.SendTo("reader " + std::to_string(i), tool_.address, kToolPort));
    if (i % (kSenders / kSeries) == 0) {
      ASSERT_TRUE(series.SendTo("series " + std::to_string(i / (kSenders / kSeries)), tool_.address,
                                kToolPort));
    }
  }
  std::this_thread::sleep_for(100ms);
  options.holdReceiveThread->store(false);
  std::size_t readers = 0;
  std::vector<std::size_t> order;
  for (;;) {
    Received got = WaitReceive(toolNet, *socket, 4096, 300ms);
    if (got.n < 0) break;
    if (got.text.rfind("series ", 0) == 0) {
      order.push_back(std::stoul(got.text.substr(7)));
    } else {
      ++readers;
    }
  }
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end())) << "one sender's datagrams in order";
  EXPECT_EQ(std::adjacent_find(order.begin(), order.end()), order.end()) << "none twice";
  if (row.keepsAll) {
    EXPECT_EQ(readers, kSenders);
    EXPECT_EQ(order.size(), kSeries);
  } else {
    EXPECT_LT(readers, kSenders / 2) << "one socket at the stock limit holds a few hundred";
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, SharedPortBurst,
                         ::testing::Values(SharedPortRow{"AskedBeforeTheBind", true, true},
                                           SharedPortRow{"AskedAfterTheBind", false, false}),
                         [](const ::testing::TestParamInfo<SharedPortRow>& info) {
                           return info.param.name;
                         });

class SharedPort : public PosixUdpLab {};

// Every socket of the group gets its copy of a broadcast; the tool still reads it once.
TEST_F(SharedPort, ABroadcastIsReceivedOnce) {
  PosixBackend toolNet(StockLimit()), readerNet;
  auto socket = CappedToolSocket(*lab_, tool_, toolNet, true);
  auto peer = BoundSocket(*lab_, r1_, readerNet, {0, kSearchPort}, true);
  const std::uint32_t directed = tool_.address | ((1u << (32 - NetLab::kPrefixLength)) - 1);
  struct Row {
    const char* text;
    std::uint32_t to;
  };
  const Row rows[] = {{"limited", kBroadcast}, {"directed", directed}, {"unicast", tool_.address}};
  for (const Row& row : rows) {
    ASSERT_EQ(Send(*peer, row.text, {row.to, kToolPort}), Error::None) << row.text;
    std::this_thread::sleep_for(50ms);  // every copy has landed
  }
  for (const Row& row : rows) {
    Received got = WaitReceive(toolNet, *socket);
    EXPECT_EQ(got.text, row.text);
    EXPECT_EQ(got.from.addr, r1_.address);
  }
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(WaitReceive(toolNet, *socket, 2048, 100ms).error, Error::WouldBlock);
}

// Sharing the port does not make it less taken: a second tool, or any program, that comes while
// the group holds it fails as before, and a group cannot form on a port another program holds,
// even one that allows sharing.
TEST_F(SharedPort, ThePortIsStillTakenBothWays) {
  PosixBackend net(StockLimit());
  {
    auto first = CappedToolSocket(*lab_, tool_, net, true);
    Error second = Error::None;
    auto again = CappedToolSocket(*lab_, tool_, net, true, &second);
    EXPECT_EQ(second, Error::AddrInUse) << "a second tool, sharing too";
    PosixBackend plainNet;
    auto plain = MakeSocket(*lab_, tool_, plainNet);
    EXPECT_EQ(lab_->Within(tool_, [&] { return plain->Bind({0, kToolPort}); }), Error::AddrInUse);
    RawSocket other(*lab_, tool_);
    EXPECT_FALSE(other.Bind(kToolPort, false)) << "a program that does not share";
  }
  for (const bool holderShares : {false, true}) {
    RawSocket holder(*lab_, tool_);
    ASSERT_TRUE(holder.Bind(kToolPort, holderShares));
    Error bound = Error::None;
    auto late = CappedToolSocket(*lab_, tool_, net, true, &bound);
    EXPECT_EQ(bound, Error::AddrInUse) << "holder shares: " << holderShares;
  }
  // Nothing of the failed attempts stayed behind: the port is free again.
  auto last = CappedToolSocket(*lab_, tool_, net, true);
  EXPECT_EQ(last->LocalEndpoint(), (Endpoint{0, kToolPort}));
}

std::size_t OpenDescriptors() {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    static_cast<void>(entry);
    ++n;
  }
  return n;
}

// Tools started at the same moment (a double click on the launcher): exactly one gets the port,
// and it gets it whole.
TEST_F(SharedPort, OfToolsBindingAtOnceExactlyOneGetsThePort) {
  PosixBackend net(StockLimit());
  constexpr int kTools = 6;
  for (int round = 0; round < 20; ++round) {
    std::vector<std::unique_ptr<Socket>> sockets;
    for (int i = 0; i < kTools; ++i) {
      sockets.push_back(MakeSocket(*lab_, tool_, net));
      ASSERT_EQ(sockets.back()->SetReceiveBuffer(kToolAsks), Error::None);
    }
    std::atomic<int> waiting{kTools};
    std::vector<std::future<Error>> results;
    for (auto& s : sockets) {
      results.push_back(std::async(std::launch::async, [&, socket = s.get()] {
        return lab_->Within(tool_, [&] {
          waiting.fetch_sub(1);
          while (waiting.load() > 0) {
          }
          return socket->Bind({0, kToolPort});
        });
      }));
    }
    int winners = 0;
    for (auto& r : results) {
      const Error e = r.get();
      if (e == Error::None) {
        ++winners;
      } else {
        EXPECT_EQ(e, Error::AddrInUse) << "round " << round;
      }
    }
    EXPECT_EQ(winners, 1) << "round " << round;
  }
}

// A socket bound from a thread that is in another namespace than the one the socket was made in
// (only tests do that) makes no sockets there: it binds alone.
TEST_F(SharedPort, BoundFromAnotherNamespaceItBindsAlone) {
  PosixBackend net(StockLimit());
  std::vector<std::string> trace;
  TraceInto tracing(trace);
  auto socket = MakeSocket(*lab_, tool_, net);
  ASSERT_EQ(socket->SetReceiveBuffer(kToolAsks), Error::None);
  const std::size_t descriptors = OpenDescriptors();
  ASSERT_EQ(socket->Bind({0, kToolPort}), Error::None);  // from this thread's namespace
  EXPECT_EQ(OpenDescriptors(), descriptors);
  ASSERT_FALSE(trace.empty());
  EXPECT_NE(trace.back().find("not shared: bound from another network namespace"),
            std::string::npos)
      << trace.back();
}

TEST_F(SharedPort, EveryDescriptorAndTheThreadEndWithTheSocket) {
  PosixBackend net(StockLimit());
  const std::size_t descriptors = OpenDescriptors();
  const std::size_t threads = ThreadCount();
  {
    auto socket = CappedToolSocket(*lab_, tool_, net, true);
    EXPECT_EQ(ThreadCount(), threads + 1) << "one receive thread for the whole group";
    EXPECT_GE(OpenDescriptors(), descriptors + 20);
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(ThreadCount(), threads);
}

// ---- the limited broadcast on every interface ----

// Where the tool sits and where its readers are; every reader must hear one search and its reply
// must come back.
struct Topology {
  const char* name;
  NetLab::HostOptions tool;
  std::vector<std::size_t> readerSegments;  // one reader on each
};

NetLab::HostOptions Options(std::vector<std::size_t> segments, int prefix, bool defaultRoute) {
  NetLab::HostOptions o;
  o.segments = std::move(segments);
  o.prefixLength = prefix;
  o.defaultRoute = defaultRoute;
  return o;
}

class BroadcastEverywhere : public ::testing::TestWithParam<Topology> {};

TEST_P(BroadcastEverywhere, EveryReaderHearsOneSearchAndAnswers) {
  SKIP_WITHOUT_LAB();
  const Topology& row = GetParam();
  NetLab lab;
  const auto tool = lab.AddHost("tool", row.tool);
  std::vector<NetLab::Host> readers;
  for (std::size_t s : row.readerSegments) {
    NetLab::HostOptions o;
    o.segments = {s};
    readers.push_back(lab.AddHost("r" + std::to_string(readers.size() + 1), o));
  }
  lab.Up();
  PosixBackend net;
  std::vector<std::string> trace;
  TraceInto tracing(trace);

  auto socket = BoundSocket(lab, tool, net, {0, kToolPort}, true);
  std::vector<std::unique_ptr<Socket>> readerSockets;
  for (const auto& r : readers) readerSockets.push_back(BoundSocket(lab, r, net, {0, kSearchPort}));

  ASSERT_EQ(Send(*socket, "search", {kBroadcast, kSearchPort}), Error::None);
  EXPECT_TRUE(trace.empty()) << trace.front();
  for (std::size_t i = 0; i < readers.size(); ++i) {
    Received got = WaitReceive(net, *readerSockets[i]);
    ASSERT_EQ(got.text, "search") << readers[i].name;
    // It came from the tool's address on the reader's own segment, where the reply can go.
    const std::size_t seg = row.readerSegments[i];
    const auto at = std::find(tool.segments.begin(), tool.segments.end(), seg);
    ASSERT_NE(at, tool.segments.end());
    EXPECT_EQ(
        got.from,
        (Endpoint{tool.addresses[static_cast<std::size_t>(at - tool.segments.begin())], kToolPort}))
        << readers[i].name;
    ASSERT_EQ(Send(*readerSockets[i], "reply " + readers[i].name, got.from), Error::None);
    // Exactly one copy: the search leaves each interface once.
    EXPECT_EQ(WaitReceive(net, *readerSockets[i], 2048, 100ms).error, Error::WouldBlock);
  }
  std::vector<std::string> replies, expected;
  for (std::size_t i = 0; i < readers.size(); ++i) {
    replies.push_back(WaitReceive(net, *socket).text);
    expected.push_back("reply " + readers[i].name);
  }
  std::sort(replies.begin(), replies.end());
  EXPECT_EQ(replies, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BroadcastEverywhere,
    ::testing::Values(
        Topology{"ConnectedSlash24NoDefaultRoute", Options({0}, 24, false), {0}},
        Topology{"TwoBridgesNoDefaultRoute", Options({0, 1}, 24, false), {0, 1}},
        Topology{"TwoBridgesDefaultRouteOnTheFirst", Options({0, 1}, 16, true), {1, 0}},
        Topology{"ThreeBridgesTwoReadersOnOne", Options({2, 0, 1}, 16, false), {2, 2, 0}}),
    [](const ::testing::TestParamInfo<Topology>& info) { return info.param.name; });

TEST(BroadcastNowhere, OnlyLoopbackFailsWithTheReasonTraced) {
  SKIP_WITHOUT_LAB();
  NetLab lab;
  const auto tool = lab.AddHost("tool", Options({}, 24, false));
  lab.Up();
  PosixBackend net;
  std::vector<std::string> trace;
  TraceInto tracing(trace);
  auto socket = BoundSocket(lab, tool, net, {0, kToolPort}, true);
  EXPECT_EQ(Send(*socket, "search", {kBroadcast, kSearchPort}), Error::NetUnreach);
  ASSERT_EQ(trace.size(), 1u);
  EXPECT_NE(trace[0].find("no IPv4 interface is up"), std::string::npos) << trace[0];
  // Unicast is untouched by it: still refused for want of a route.
  EXPECT_EQ(Send(*socket, "cmd", {NetLab::kNetwork | 2, kToolPort}), Error::NetUnreach);
}

TEST(BroadcastNowhere, AnInterfaceThatComesUpIsUsedByTheNextSearch) {
  SKIP_WITHOUT_LAB();
  NetLab lab;
  NetLab::HostOptions late;
  late.segments = {1};
  const auto tool = lab.AddHost("tool", Options({0}, 24, false));
  const auto reader = lab.AddHost("reader", late);
  lab.Up();
  PosixBackend net;
  auto socket = BoundSocket(lab, tool, net, {0, kToolPort}, true);
  auto peer = BoundSocket(lab, reader, net, {0, kSearchPort});
  ASSERT_EQ(Send(*socket, "first", {kBroadcast, kSearchPort}), Error::None);
  EXPECT_EQ(WaitReceive(net, *peer, 2048, 200ms).error, Error::WouldBlock);
  // A second card is plugged into the reader's segment while the socket stays open.
  const std::string port = "p" + std::to_string(tool.index) + "x1";
  ASSERT_EQ(lab.Exec(tool, "ip link add name lab9 type veth peer name " + port + " netns " +
                               lab.Prefix() +
                               "br && ip addr add 10.202.0.99/24 dev lab9 && "
                               "ip link set lab9 up && ip -n " +
                               lab.Prefix() + "br link set " + port + " master br1 && ip -n " +
                               lab.Prefix() + "br link set " + port + " up"),
            0);
  Received got;
  const auto deadline = Clock::now() + 10s;  // until the bridge forwards on the new port
  while (got.n < 0 && Clock::now() < deadline) {
    ASSERT_EQ(Send(*socket, "second", {kBroadcast, kSearchPort}), Error::None);
    got = WaitReceive(net, *peer, 2048, 100ms);
  }
  EXPECT_EQ(got.text, "second");
  EXPECT_EQ(got.from, (Endpoint{0x0ACA0063u, kToolPort}));
}

// ---- the lab itself ----

class NetLabTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_WITHOUT_LAB(); }
};

std::vector<std::string> LabNamespaces(const std::string& prefix) {
  std::vector<std::string> names;
  if (FILE* p = ::popen("ls /run/netns 2>/dev/null", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, p)) {
      std::string name(line);
      if (!name.empty() && name.back() == '\n') name.pop_back();
      if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    ::pclose(p);
  }
  return names;
}

TEST_F(NetLabTest, HostsSeeOnlyTheLabSegment) {
  NetLab lab;
  auto tool = lab.AddHost("tool");
  auto r1 = lab.AddHost("r1");
  lab.Up();
  EXPECT_EQ(tool.addressText, "10.201.0.1");
  EXPECT_EQ(r1.addressText, "10.201.0.2");
  EXPECT_EQ(r1.address, 0x0AC90002u);
  std::string out;
  ASSERT_EQ(lab.Exec(tool, "ip -o link show | cut -d: -f2 | sed 's/@.*//' | tr -d ' '", &out), 0);
  EXPECT_EQ(out, "lo\nlab0\n");
  ASSERT_EQ(lab.Exec(tool, "ip -4 -o addr show dev lab0", &out), 0);
  EXPECT_NE(out.find("10.201.0.1/16"), std::string::npos) << out;
  ASSERT_EQ(lab.Exec(tool, "ip route show default", &out), 0);
  EXPECT_NE(out.find("default dev lab0"), std::string::npos) << out;
  // A host added after Up() is built at once and reachable.
  auto late = lab.AddHost("late");
  ASSERT_EQ(lab.Exec(late, "ip -4 -o addr show dev lab0", &out), 0);
  EXPECT_NE(out.find("10.201.0.3/16"), std::string::npos) << out;
  EXPECT_EQ(lab.Hosts().size(), 3u);
}

TEST_F(NetLabTest, RunExecAndSpawnReportExitStatus) {
  NetLab lab;
  auto h = lab.AddHost("h");
  lab.Up();
  struct Row {
    const char* name;
    std::function<int()> fn;
    int expected;
  };
  const Row rows[] = {
      {"returns", [] { return 3; }, 3},
      {"throws", []() -> int { throw std::runtime_error("boom"); }, 125},
      {"killed",
       []() -> int {
         std::raise(SIGKILL);
         return 0;
       },
       128 + SIGKILL},
      {"hangs",
       []() -> int {
         ::pause();
         return 0;
       },
       NetLab::kTimedOut},
  };
  for (const Row& row : rows) EXPECT_EQ(lab.Run(h, row.fn, 300ms), row.expected) << row.name;
  EXPECT_EQ(lab.Run(h, [] { EXPECT_EQ(1, 1); }), 0);
  // A failure in the child reaches the parent as status 1 (the child prints it; this is wanted).
  EXPECT_EQ(lab.Run(h, [] { ADD_FAILURE() << "deliberate failure inside a NetLab child"; }), 1);
  EXPECT_EQ(lab.Run(h, [] { return 0; }), 0);

  EXPECT_EQ(lab.Exec(h, "exit 7"), 7);
  EXPECT_EQ(lab.Exec(h, "sleep 5", nullptr, 200ms), NetLab::kTimedOut);
  std::string out;
  EXPECT_EQ(lab.Exec(h, "echo out; echo err >&2", &out), 0);
  EXPECT_EQ(out, "out\nerr\n");

  const std::string log = "/tmp/klab-test-" + std::to_string(::getpid()) + ".log";
  pid_t done =
      lab.Spawn(h, {"sh", "-c", "echo spawned-$KLAB_VALUE; exit 4"}, {log, {"KLAB_VALUE=42"}});
  EXPECT_EQ(lab.WaitExit(done, 5s), 4);
  std::ifstream in(log);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "spawned-42");
  std::remove(log.c_str());

  pid_t sleeper = lab.Spawn(h, {"sleep", "30"});
  EXPECT_EQ(lab.WaitExit(sleeper, 50ms), NetLab::kTimedOut);
  EXPECT_EQ(lab.Stop(sleeper), 128 + SIGTERM);
  EXPECT_THROW(lab.Stop(sleeper), std::invalid_argument);  // not ours any more
  EXPECT_THROW(lab.Spawn(h, {"/nonexistent/kestrival-program"}), std::runtime_error);
}

TEST_F(NetLabTest, ManyAddressesOnOneHost) {
  NetLab lab;
  auto tool = lab.AddHost("tool");
  auto swarm = lab.AddHost("swarm");
  lab.Up();
  constexpr std::size_t kCount = 1000;
  const auto start = Clock::now();
  std::vector<std::uint32_t> addresses = lab.AddAddresses(swarm, kCount);
  EXPECT_LT(Clock::now() - start, 30s);
  ASSERT_EQ(addresses.size(), kCount);
  EXPECT_EQ(NetLab::FormatAddress(addresses.front()), "10.201.1.1");
  EXPECT_EQ(NetLab::FormatAddress(addresses[254]), "10.201.2.1");
  EXPECT_EQ(lab.Addresses(swarm).size(), kCount + 1);
  std::string out;
  ASSERT_EQ(lab.Exec(swarm, "ip -4 -o addr show dev lab0 | wc -l", &out), 0);
  EXPECT_EQ(std::stoul(out), kCount + 1);

  rlimit files{};
  ::getrlimit(RLIMIT_NOFILE, &files);
  if (files.rlim_cur < kCount + 100 && files.rlim_max >= kCount + 100) {
    files.rlim_cur = kCount + 100;
    ::setrlimit(RLIMIT_NOFILE, &files);
  }
  const std::size_t step = files.rlim_cur >= kCount + 100 ? 1 : 10;
  PosixBackend swarmNet, toolNet;
  std::vector<std::unique_ptr<Socket>> readers;
  for (std::size_t i = 0; i < kCount; i += step) {
    readers.push_back(BoundSocket(lab, swarm, swarmNet, {addresses[i], kSearchPort}));
  }
  auto toolSocket = BoundSocket(lab, tool, toolNet, {0, kToolPort});
  for (std::size_t i = 0, k = 0; i < kCount; i += step, ++k) {
    ASSERT_EQ(Send(*toolSocket, std::to_string(i), {addresses[i], kSearchPort}), Error::None);
    Received got = WaitReceive(swarmNet, *readers[k]);
    ASSERT_EQ(got.text, std::to_string(i));
    ASSERT_EQ(Send(*readers[k], "from " + std::to_string(i), got.from), Error::None);
    Received reply = WaitReceive(toolNet, *toolSocket);
    ASSERT_EQ(reply.from, (Endpoint{addresses[i], kSearchPort}));  // answers from its own address
  }
}

TEST_F(NetLabTest, DestructorRemovesEveryNamespaceAndProcess) {
  std::string prefix;
  pid_t sleeper = 0;
  {
    NetLab lab;
    prefix = lab.Prefix();
    auto a = lab.AddHost("a");
    lab.AddHost("b");
    lab.Up();
    EXPECT_EQ(LabNamespaces(prefix).size(), 3u);  // two hosts and the bridge
    sleeper = lab.Spawn(a, {"sleep", "60"});
  }
  EXPECT_TRUE(LabNamespaces(prefix).empty());
  EXPECT_EQ(::waitpid(sleeper, nullptr, WNOHANG), -1);  // reaped already
}

TEST_F(NetLabTest, DestructorCleansUpAfterAFailedBuild) {
  std::string prefix;
  {
    NetLab lab;
    prefix = lab.Prefix();
    lab.AddHost("ok");
    lab.Up();
    // The bridge side's name of the next veth is taken: building the host fails halfway, after
    // its namespace was made.
    ASSERT_EQ(std::system(("ip -n " + prefix + "br link add name p1 type bridge").c_str()), 0);
    EXPECT_THROW(lab.AddHost("clash"), std::runtime_error);
    EXPECT_EQ(LabNamespaces(prefix).size(), 3u);
  }
  EXPECT_TRUE(LabNamespaces(prefix).empty()) << "left: " << LabNamespaces(prefix).size();
}

TEST_F(NetLabTest, StaleLabsOfDeadProcessesAreRemoved) {
  pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  const std::string stale = "klab-" + std::to_string(dead) + "-0-h0";
  ASSERT_EQ(std::system(("ip netns add " + stale).c_str()), 0);
  ASSERT_EQ(LabNamespaces(stale).size(), 1u);
  NetLab lab;  // cleans on construction
  EXPECT_TRUE(LabNamespaces(stale).empty());
}

}  // namespace
