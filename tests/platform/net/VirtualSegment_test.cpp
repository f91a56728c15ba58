// The virtual segment: binding, unicast and broadcast delivery, receive errors, timers and the
// failure injection that the dialog tests rely on.
#include "platform/net/VirtualSegment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/net/SocketCalls.h"
#include "tests/support/WaitHandles.h"

namespace platform::net {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t Ip(unsigned a, unsigned b, unsigned c, unsigned d) {
  return (a << 24) | (b << 16) | (c << 8) | d;
}

constexpr std::uint32_t kA = Ip(10, 201, 0, 1);
constexpr std::uint32_t kA2 = Ip(10, 201, 0, 11);  // a second address of host A
constexpr std::uint32_t kB = Ip(10, 201, 0, 2);
constexpr std::uint32_t kNobody = Ip(10, 201, 0, 99);
constexpr std::uint32_t kBroadcast = 0xFFFFFFFFu;
constexpr std::uint16_t kPort = 24680;

std::unique_ptr<VirtualSocket> NewSocket(VirtualHost& host) {
  Error e = Error::Other;
  auto s = host.CreateVirtualUdp(&e);
  EXPECT_EQ(e, Error::None);
  return s;
}

std::unique_ptr<VirtualSocket> BoundSocket(VirtualHost& host, Endpoint local) {
  auto s = NewSocket(host);
  EXPECT_EQ(s->Bind(local), Error::None);
  return s;
}

using socket_calls::Receive;
using socket_calls::Received;
using socket_calls::Send;

// ---- binding ----

struct PriorBind {
  char host;  // 'A' or 'B'
  Endpoint local;
};

struct BindRow {
  const char* name;
  std::vector<PriorBind> prior;
  Endpoint bind;  // on host A
  Error expected;
};

class BindTest : public ::testing::TestWithParam<BindRow> {};

TEST_P(BindTest, ConflictsAndAddresses) {
  const BindRow& row = GetParam();
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  a.AddAddress(kA2);
  VirtualHost& b = segment.AddHost(kB);
  std::vector<std::unique_ptr<VirtualSocket>> held;
  for (const PriorBind& p : row.prior) {
    held.push_back(BoundSocket(p.host == 'A' ? a : b, p.local));
  }
  auto s = NewSocket(a);
  EXPECT_EQ(s->Bind(row.bind), row.expected);
  if (row.expected == Error::None) {
    Endpoint local = s->LocalEndpoint();
    EXPECT_EQ(local.addr, row.bind.addr);
    if (row.bind.port != 0) {
      EXPECT_EQ(local.port, row.bind.port);
    } else {
      EXPECT_GE(local.port, 49152);
    }
  } else {
    EXPECT_EQ(s->LocalEndpoint(), Endpoint{});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BindTest,
    ::testing::Values(
        BindRow{"FreePort", {}, {0, kPort}, Error::None},
        BindRow{"SpecificAddress", {}, {kA, kPort}, Error::None},
        BindRow{"SecondAddressOfHost", {}, {kA2, kPort}, Error::None},
        BindRow{"SamePortTwice", {{'A', {0, kPort}}}, {0, kPort}, Error::AddrInUse},
        BindRow{"AnyThenSpecific", {{'A', {0, kPort}}}, {kA, kPort}, Error::AddrInUse},
        BindRow{"SpecificThenAny", {{'A', {kA, kPort}}}, {0, kPort}, Error::AddrInUse},
        BindRow{"SameSpecificTwice", {{'A', {kA, kPort}}}, {kA, kPort}, Error::AddrInUse},
        BindRow{"TwoAddressesOfHost", {{'A', {kA, kPort}}}, {kA2, kPort}, Error::None},
        BindRow{"OtherPort", {{'A', {0, kPort}}}, {0, kPort + 1}, Error::None},
        BindRow{"SamePortOtherHost", {{'B', {0, kPort}}}, {0, kPort}, Error::None},
        BindRow{"AddressOfOtherHost", {}, {kB, kPort}, Error::AddrNotAvail},
        BindRow{"AddressOfNobody", {}, {kNobody, kPort}, Error::AddrNotAvail},
        BindRow{"BroadcastAddress", {}, {kBroadcast, kPort}, Error::AddrNotAvail},
        BindRow{"EphemeralPort", {{'A', {0, kPort}}}, {0, 0}, Error::None}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualSegmentBind, SecondBindOfTheSameSocketIsInvalid) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto s = BoundSocket(a, {0, kPort});
  EXPECT_EQ(s->Bind({0, kPort + 1}), Error::Invalid);
  EXPECT_EQ(s->LocalEndpoint(), (Endpoint{0, kPort}));
}

TEST(VirtualSegmentBind, ClosingASocketFreesItsPort) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto first = BoundSocket(a, {0, kPort});
  auto second = NewSocket(a);
  EXPECT_EQ(second->Bind({0, kPort}), Error::AddrInUse);
  first.reset();
  EXPECT_EQ(second->Bind({0, kPort}), Error::None);
}

TEST(VirtualSegmentHosts, AddressesAreUniqueOnTheSegment) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  EXPECT_THROW(segment.AddHost(kA), std::invalid_argument);
  EXPECT_THROW(segment.AddHost(0), std::invalid_argument);
  EXPECT_THROW(segment.AddHost(kBroadcast), std::invalid_argument);
  VirtualHost& b = segment.AddHost(kB);
  EXPECT_THROW(b.AddAddress(kA), std::invalid_argument);
  a.AddAddress(kA2);
  EXPECT_EQ(segment.FindHost(kA2), &a);
  EXPECT_EQ(segment.FindHost(kB), &b);
  EXPECT_EQ(segment.FindHost(kNobody), nullptr);
  EXPECT_EQ(a.Address(), kA);
  EXPECT_EQ(a.Addresses(), (std::vector<std::uint32_t>{kA, kA2}));
}

// ---- delivery ----

struct DeliveryRow {
  const char* name;
  Endpoint receiverBind;  // on host B (B also owns kB2 below)
  Endpoint senderBind;    // on host A; port 0 = unbound (ephemeral on first send)
  bool senderBroadcast;
  Endpoint to;
  Error sendResult;
  bool delivered;
};

constexpr std::uint32_t kB2 = Ip(10, 201, 0, 12);

class DeliveryTest : public ::testing::TestWithParam<DeliveryRow> {};

TEST_P(DeliveryTest, ReachesTheBoundSocket) {
  const DeliveryRow& row = GetParam();
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  a.AddAddress(kA2);
  VirtualHost& b = segment.AddHost(kB);
  b.AddAddress(kB2);
  auto receiver = BoundSocket(b, row.receiverBind);
  auto sender = NewSocket(a);
  if (row.senderBind.port != 0) {
    ASSERT_EQ(sender->Bind(row.senderBind), Error::None);
  }
  ASSERT_EQ(sender->SetBroadcast(row.senderBroadcast), Error::None);

  EXPECT_EQ(Send(*sender, "hello", row.to), row.sendResult);
  if (!row.delivered) {
    EXPECT_FALSE(receiver->Readable());
    EXPECT_EQ(Receive(*receiver).error, Error::WouldBlock);
    return;
  }
  ASSERT_TRUE(receiver->Readable());
  Received r = Receive(*receiver);
  EXPECT_EQ(r.error, Error::None);
  EXPECT_EQ(r.text, "hello");
  // The receiver sees the sender's address (its bound one, else the host's first) and port.
  Endpoint local = sender->LocalEndpoint();
  EXPECT_EQ(r.from.addr, row.senderBind.addr != 0 ? row.senderBind.addr : kA);
  EXPECT_EQ(r.from.port, local.port);
  EXPECT_NE(r.from.port, 0);
  EXPECT_FALSE(receiver->Readable());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DeliveryTest,
    ::testing::Values(
        DeliveryRow{
            "UnicastToSpecificBind", {kB, kPort}, {0, 5000}, false, {kB, kPort}, Error::None, true},
        DeliveryRow{
            "UnicastToAnyBind", {0, kPort}, {0, 5000}, false, {kB, kPort}, Error::None, true},
        DeliveryRow{"UnicastToSecondAddressAnyBind",
                    {0, kPort},
                    {0, 5000},
                    false,
                    {kB2, kPort},
                    Error::None,
                    true},
        DeliveryRow{"UnicastToSecondAddressOtherBind",
                    {kB, kPort},
                    {0, 5000},
                    false,
                    {kB2, kPort},
                    Error::None,
                    false},
        DeliveryRow{
            "UnicastWrongPort", {0, kPort}, {0, 5000}, false, {kB, kPort + 1}, Error::None, false},
        DeliveryRow{
            "UnicastToNobody", {0, kPort}, {0, 5000}, false, {kNobody, kPort}, Error::None, false},
        DeliveryRow{"UnboundSenderGetsEphemeralPort",
                    {0, kPort},
                    {0, 0},
                    false,
                    {kB, kPort},
                    Error::None,
                    true},
        DeliveryRow{"SenderBoundToSecondAddress",
                    {0, kPort},
                    {kA2, 5000},
                    false,
                    {kB, kPort},
                    Error::None,
                    true},
        DeliveryRow{"BroadcastWithoutSoBroadcast",
                    {0, kPort},
                    {0, 5000},
                    false,
                    {kBroadcast, kPort},
                    Error::Access,
                    false},
        DeliveryRow{"BroadcastWithSoBroadcast",
                    {0, kPort},
                    {0, 5000},
                    true,
                    {kBroadcast, kPort},
                    Error::None,
                    true},
        DeliveryRow{"BroadcastReachesSpecificBind",
                    {kB, kPort},
                    {0, 5000},
                    true,
                    {kBroadcast, kPort},
                    Error::None,
                    true},
        DeliveryRow{"BroadcastOtherPort",
                    {0, kPort},
                    {0, 5000},
                    true,
                    {kBroadcast, kPort + 1},
                    Error::None,
                    false},
        DeliveryRow{
            "ToAnyAddress", {0, kPort}, {0, 5000}, false, {0, kPort}, Error::AddrNotAvail, false},
        DeliveryRow{
            "ToPortZero", {0, kPort}, {0, 5000}, false, {kB, 0}, Error::AddrNotAvail, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualSegmentDelivery, BroadcastReachesEveryOtherHostButNotTheSendersOwn) {
  VirtualSegment segment;
  VirtualHost& tool = segment.AddHost(kA);
  std::vector<VirtualHost*> readers;
  for (unsigned i = 0; i < 3; ++i) readers.push_back(&segment.AddHost(Ip(10, 201, 0, 20 + i)));
  auto toolSearchPort = BoundSocket(tool, {0, 24582});  // the sender's own host listens too
  auto toolSocket = BoundSocket(tool, {0, kPort});
  ASSERT_EQ(toolSocket->SetBroadcast(true), Error::None);
  std::vector<std::unique_ptr<VirtualSocket>> listening;
  for (VirtualHost* r : readers) listening.push_back(BoundSocket(*r, {0, 24582}));
  auto otherPort = BoundSocket(*readers[0], {0, 24583});

  ASSERT_EQ(Send(*toolSocket, "search", {kBroadcast, 24582}), Error::None);
  for (std::size_t i = 0; i < listening.size(); ++i) {
    Received r = Receive(*listening[i]);
    EXPECT_EQ(r.text, "search") << "reader " << i;
    EXPECT_EQ(r.from, (Endpoint{kA, kPort})) << "reader " << i;
  }
  EXPECT_FALSE(toolSearchPort->Readable());
  EXPECT_FALSE(toolSocket->Readable());
  EXPECT_FALSE(otherPort->Readable());
  EXPECT_EQ(segment.Stats().sent, 1u);
  EXPECT_EQ(segment.Stats().delivered, 3u);
}

TEST(VirtualSegmentDelivery, UnicastToTheSendersOwnAddressArrives) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto receiver = BoundSocket(a, {0, kPort});
  auto sender = BoundSocket(a, {0, 5000});
  ASSERT_EQ(Send(*sender, "self", {kA, kPort}), Error::None);
  EXPECT_EQ(Receive(*receiver).text, "self");
}

TEST(VirtualSegmentDelivery, QueueIsFirstInFirstOut) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  VirtualHost& b = segment.AddHost(kB);
  auto receiver = BoundSocket(b, {0, kPort});
  auto sender = NewSocket(a);
  for (const char* text : {"one", "two", "three"}) Send(*sender, text, {kB, kPort});
  EXPECT_EQ(receiver->QueuedDatagrams(), 3u);
  EXPECT_EQ(Receive(*receiver).text, "one");
  EXPECT_EQ(Receive(*receiver).text, "two");
  EXPECT_EQ(Receive(*receiver).text, "three");
  EXPECT_EQ(Receive(*receiver).error, Error::WouldBlock);
}

TEST(VirtualSegmentDelivery, SendErrors) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  segment.AddHost(kB);
  auto s = NewSocket(a);
  std::vector<char> big(65508);
  EXPECT_EQ(s->SendTo(big.data(), big.size(), {kB, kPort}), Error::MessageSize);
  EXPECT_EQ(s->SendTo(big.data(), 65507, {kB, kPort}), Error::None);
  EXPECT_EQ(s->SendTo(nullptr, 4, {kB, kPort}), Error::Invalid);
  EXPECT_EQ(s->SendTo(nullptr, 0, {kB, kPort}), Error::None);
}

// ---- receiving ----

struct SizeRow {
  std::size_t datagram;
  std::size_t buffer;
  Error error;
};

class MessageSizeTest : public ::testing::TestWithParam<SizeRow> {};

TEST_P(MessageSizeTest, OversizedDatagramFailsAndIsDropped) {
  const SizeRow& row = GetParam();
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  VirtualHost& b = segment.AddHost(kB);
  auto receiver = BoundSocket(b, {0, kPort});
  auto sender = NewSocket(a);
  std::string payload(row.datagram, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(Send(*sender, payload, {kB, kPort}), Error::None);
  ASSERT_EQ(Send(*sender, "next", {kB, kPort}), Error::None);

  std::vector<char> buffer(row.buffer + 1, '#');
  Endpoint from;
  Error error = Error::Other;
  long n = receiver->RecvFrom(row.buffer ? buffer.data() : nullptr, row.buffer, &from, &error);
  if (row.error == Error::None) {
    EXPECT_EQ(n, static_cast<long>(row.datagram));
    EXPECT_EQ(std::string(buffer.data(), row.datagram), payload);
  } else {
    EXPECT_EQ(n, -1);
    EXPECT_EQ(error, row.error);
    // As on Windows, the buffer holds the first part of the lost datagram.
    EXPECT_EQ(std::string(buffer.data(), row.buffer), payload.substr(0, row.buffer));
    EXPECT_EQ(buffer[row.buffer], '#');
  }
  EXPECT_EQ(from.addr, kA);
  Received next = Receive(*receiver);
  EXPECT_EQ(next.error, Error::None);
  EXPECT_EQ(next.text, "next");
  EXPECT_EQ(Receive(*receiver).error, Error::WouldBlock);
}

INSTANTIATE_TEST_SUITE_P(Rows, MessageSizeTest,
                         ::testing::Values(SizeRow{0, 0, Error::None}, SizeRow{0, 16, Error::None},
                                           SizeRow{16, 16, Error::None},
                                           SizeRow{17, 16, Error::MessageSize},
                                           SizeRow{1, 0, Error::MessageSize},
                                           SizeRow{2000, 1024, Error::MessageSize},
                                           SizeRow{65507, 65507, Error::None}));

TEST(VirtualSegmentReceive, UnboundSocketIsInvalidNotReadable) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto s = NewSocket(a);
  EXPECT_FALSE(s->Readable());
  EXPECT_EQ(Receive(*s).error, Error::Invalid);
  EXPECT_FALSE(testing_support::Signalled(s->Waitable()));
}

// A host waits on the socket instead of polling it: the handle is signalled exactly while a
// datagram or a pending error waits, whether asked for before or after the arrival.
TEST(VirtualSegmentReceive, TheWaitHandleIsSignalledWhileSomethingWaits) {
  SegmentOptions options;
  options.reportPortUnreachable = true;
  VirtualSegment segment(options);
  VirtualHost& a = segment.AddHost(kA);
  auto early = BoundSocket(a, {0, kPort});
  const platform::net::WaitHandle handle = early->Waitable();
  ASSERT_NE(handle, platform::net::kNoWaitHandle);
  EXPECT_FALSE(testing_support::Signalled(handle));
  Send(*early, "one", {kA, kPort});
  Send(*early, "two", {kA, kPort});
  EXPECT_TRUE(testing_support::Signalled(handle));
  EXPECT_EQ(Receive(*early).text, "one");
  EXPECT_TRUE(testing_support::Signalled(handle)) << "one more waits";
  EXPECT_EQ(Receive(*early).text, "two");
  EXPECT_FALSE(testing_support::Signalled(handle));
  EXPECT_EQ(Send(*early, "x", {kA, kPort + 1}), Error::None);  // nobody there: a pending reset
  EXPECT_TRUE(testing_support::Signalled(handle));
  EXPECT_EQ(Receive(*early).error, Error::ConnReset);
  EXPECT_FALSE(testing_support::Signalled(handle));

  auto late = BoundSocket(a, {0, kPort + 2});
  Send(*late, "before", {kA, kPort + 2});
  EXPECT_TRUE(testing_support::Signalled(late->Waitable()));
}

TEST(VirtualSegmentReceive, NullOutputsAreAllowed) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto s = BoundSocket(a, {0, kPort});
  char buffer[8];
  EXPECT_EQ(s->RecvFrom(buffer, sizeof buffer, nullptr, nullptr), -1);
  Send(*s, "x", {kA, kPort});
  EXPECT_EQ(s->RecvFrom(buffer, sizeof buffer, nullptr, nullptr), 1);
}

struct ResetRow {
  const char* name;
  bool option;
  Endpoint to;
  bool broadcast;
  bool pending;
};

class PendingResetTest : public ::testing::TestWithParam<ResetRow> {};

TEST_P(PendingResetTest, UnreachablePortThenNextDatagram) {
  const ResetRow& row = GetParam();
  SegmentOptions options;
  options.reportPortUnreachable = row.option;
  VirtualSegment segment(options);
  VirtualHost& tool = segment.AddHost(kA);
  VirtualHost& reader = segment.AddHost(kB);
  auto toolSocket = BoundSocket(tool, {0, kPort});
  toolSocket->SetBroadcast(row.broadcast);
  auto readerSocket = BoundSocket(reader, {0, 24582});

  // The send itself succeeds, as UDP does; the error comes with a later receive.
  ASSERT_EQ(Send(*toolSocket, "cmd", row.to), Error::None);
  EXPECT_EQ(toolSocket->Readable(), row.pending);
  ASSERT_EQ(Send(*readerSocket, "reply", {kA, kPort}), Error::None);
  if (row.pending) {
    Received reset = Receive(*toolSocket);
    EXPECT_EQ(reset.n, -1);
    EXPECT_EQ(reset.error, Error::ConnReset);
  }
  Received r = Receive(*toolSocket);
  EXPECT_EQ(r.error, Error::None);
  EXPECT_EQ(r.text, "reply");
  EXPECT_EQ(r.from, (Endpoint{kB, 24582}));
  EXPECT_EQ(Receive(*toolSocket).error, Error::WouldBlock);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PendingResetTest,
    ::testing::Values(ResetRow{"OptionOffByDefault", false, {kB, 9999}, false, false},
                      ResetRow{"UnreachablePort", true, {kB, 9999}, false, true},
                      ResetRow{"ReachablePort", true, {kB, 24582}, false, false},
                      ResetRow{"NoSuchHost", true, {kNobody, 9999}, false, false},
                      ResetRow{"BroadcastToUnboundPort", true, {kBroadcast, 9999}, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualSegmentDefaults, OptionsAreLargeAndQuiet) {
  SegmentOptions options;
  EXPECT_FALSE(options.reportPortUnreachable);
  EXPECT_GE(options.queueBytes, 1u << 20);
  EXPECT_GE(options.queueDatagrams, 100000u);
}

// ---- queue limits ----

struct LimitRow {
  const char* name;
  std::size_t bytes;
  std::size_t datagrams;
  std::size_t sends;  // of 10 bytes each
  std::size_t kept;
};

class QueueLimitTest : public ::testing::TestWithParam<LimitRow> {};

TEST_P(QueueLimitTest, ExcessIsDroppedAndCounted) {
  const LimitRow& row = GetParam();
  SegmentOptions options;
  options.queueBytes = row.bytes;
  options.queueDatagrams = row.datagrams;
  VirtualSegment segment(options);
  VirtualHost& a = segment.AddHost(kA);
  VirtualHost& b = segment.AddHost(kB);
  auto receiver = BoundSocket(b, {0, kPort});
  auto sender = NewSocket(a);
  for (std::size_t i = 0; i < row.sends; ++i) {
    EXPECT_EQ(Send(*sender, "0123456789", {kB, kPort}), Error::None);
  }
  EXPECT_EQ(receiver->QueuedDatagrams(), row.kept);
  EXPECT_EQ(receiver->DroppedDatagrams(), row.sends - row.kept);
  EXPECT_EQ(segment.Stats().droppedQueueFull, row.sends - row.kept);
  // Reading makes room again.
  Receive(*receiver);
  if (row.kept > 0) {
    Send(*sender, "0123456789", {kB, kPort});
    EXPECT_EQ(receiver->QueuedDatagrams(), row.kept);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, QueueLimitTest,
                         ::testing::Values(LimitRow{"ByCount", 1000, 3, 5, 3},
                                           LimitRow{"ByBytes", 35, 100, 5, 3},
                                           LimitRow{"ExactBytes", 30, 100, 3, 3},
                                           LimitRow{"Nothing", 0, 100, 2, 0},
                                           LimitRow{"RoomForAll", 1 << 20, 100000, 50, 50}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VirtualSegmentQueue, PerSocketLimits) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto receiver = BoundSocket(a, {0, kPort});
  receiver->SetQueueLimits(1 << 20, 1);
  auto sender = NewSocket(a);
  Send(*sender, "1", {kA, kPort});
  Send(*sender, "2", {kA, kPort});
  EXPECT_EQ(receiver->QueuedDatagrams(), 1u);
  EXPECT_EQ(receiver->DroppedDatagrams(), 1u);
  EXPECT_EQ(receiver->SetReceiveBuffer(65536), Error::None);
  EXPECT_EQ(receiver->SetReceiveBuffer(-1), Error::Invalid);
}

// ---- simulated peers ----

TEST(VirtualSegmentPeers, ReceiveCallbackAnswersInsideTheSend) {
  VirtualSegment segment;
  VirtualHost& tool = segment.AddHost(kA);
  VirtualHost& reader = segment.AddHost(kB);
  auto readerSocket = BoundSocket(reader, {0, 24582});
  int calls = 0;
  readerSocket->SetReceiveCallback([&] {
    ++calls;
    Received r = Receive(*readerSocket);
    ASSERT_EQ(r.error, Error::None);
    Send(*readerSocket, "re:" + r.text, r.from);
  });
  auto toolSocket = BoundSocket(tool, {0, kPort});
  ASSERT_EQ(Send(*toolSocket, "ping", {kB, 24582}), Error::None);
  EXPECT_EQ(calls, 1);
  Received reply = Receive(*toolSocket);  // already there when SendTo returned
  EXPECT_EQ(reply.text, "re:ping");
  EXPECT_EQ(reply.from, (Endpoint{kB, 24582}));

  readerSocket->SetReceiveCallback(nullptr);
  Send(*toolSocket, "again", {kB, 24582});
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(readerSocket->QueuedDatagrams(), 1u);
}

TEST(VirtualSegmentPeers, ObserverSeesEveryDatagramOnTheWire) {
  VirtualSegment segment;
  VirtualHost& tool = segment.AddHost(kA);
  segment.AddHost(kB);
  std::vector<WireDatagram> wire;
  segment.SetObserver([&](const WireDatagram& d) { wire.push_back(d); });
  auto s = BoundSocket(tool, {0, kPort});
  s->SetBroadcast(true);
  Send(*s, "ab", {kBroadcast, 24582});
  Send(*s, "c", {kNobody, 1});
  ASSERT_EQ(wire.size(), 2u);
  EXPECT_EQ(wire[0].from, (Endpoint{kA, kPort}));
  EXPECT_EQ(wire[0].to, (Endpoint{kBroadcast, 24582}));
  EXPECT_EQ(wire[0].payload, (std::vector<std::uint8_t>{'a', 'b'}));
  EXPECT_EQ(wire[1].to, (Endpoint{kNobody, 1}));
  EXPECT_EQ(segment.Stats().droppedNoHost, 1u);
}

TEST(VirtualSegmentPeers, PeerOnAnotherThread) {
  VirtualSegment segment;
  VirtualHost& tool = segment.AddHost(kA);
  VirtualHost& reader = segment.AddHost(kB);
  auto readerSocket = BoundSocket(reader, {0, 24582});
  std::atomic<bool> stop{false};
  std::thread peer([&] {
    while (!stop) {
      reader.Wait(20ms);
      for (Received r = Receive(*readerSocket); r.n >= 0; r = Receive(*readerSocket)) {
        Send(*readerSocket, r.text, r.from);
      }
    }
  });
  auto toolSocket = BoundSocket(tool, {0, kPort});
  constexpr int kCount = 200;
  int echoed = 0;
  const auto give_up = Clock::now() + 10s;
  for (int i = 0; i < kCount; ++i) Send(*toolSocket, std::to_string(i), {kB, 24582});
  while (echoed < kCount && Clock::now() < give_up) {
    tool.Wait(50ms);
    for (Received r = Receive(*toolSocket); r.n >= 0; r = Receive(*toolSocket)) {
      EXPECT_EQ(r.text, std::to_string(echoed));
      ++echoed;
    }
  }
  stop = true;
  peer.join();
  EXPECT_EQ(echoed, kCount);
}

TEST(VirtualSegmentPeers, SocketsMayOutliveTheSegment) {
  std::unique_ptr<Socket> s;
  {
    VirtualSegment segment;
    VirtualHost& a = segment.AddHost(kA);
    segment.AddHost(kB);
    s = a.CreateUdp(nullptr);
    ASSERT_EQ(s->Bind({0, kPort}), Error::None);
  }
  EXPECT_EQ(Send(*s, "late", {kB, 1}), Error::None);
  EXPECT_EQ(Receive(*s).error, Error::WouldBlock);
}

// ---- timers and Wait ----

TEST(VirtualSegmentTimers, RunFromWaitInDueOrder) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  VirtualHost& b = segment.AddHost(kB);
  std::vector<int> order;
  segment.After(30ms, [&] { order.push_back(3); });
  segment.After(10ms, [&] { order.push_back(1); });
  segment.After(10ms, [&] { order.push_back(2); });  // same due time: in the order set
  EXPECT_EQ(segment.RunDueTimers(), 0u);
  EXPECT_TRUE(order.empty());
  const auto give_up = Clock::now() + 5s;
  while (order.size() < 3 && Clock::now() < give_up) (order.size() % 2 ? a : b).Wait(100ms);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(segment.PendingTimers(), 0u);
}

TEST(VirtualSegmentTimers, WaitReturnsWhenATimerFallsDue) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  bool ran = false;
  segment.After(20ms, [&] { ran = true; });
  const auto start = Clock::now();
  a.Wait(2s);
  const auto elapsed = Clock::now() - start;
  EXPECT_TRUE(ran);
  EXPECT_GE(elapsed, 20ms);
  EXPECT_LT(elapsed, 1s);
}

TEST(VirtualSegmentTimers, WaitWithNothingToDoWaitsTheFullTime) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto s = BoundSocket(a, {0, kPort});
  const auto start = Clock::now();
  a.Wait(60ms);
  EXPECT_GE(Clock::now() - start, 60ms);
  const auto zero = Clock::now();
  a.Wait(0ms);
  EXPECT_LT(Clock::now() - zero, 50ms);
}

TEST(VirtualSegmentTimers, WaitReturnsAtOnceWhenReadable) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  auto s = BoundSocket(a, {0, kPort});
  Send(*s, "x", {kA, kPort});
  const auto start = Clock::now();
  a.Wait(2s);
  EXPECT_LT(Clock::now() - start, 500ms);
}

TEST(VirtualSegmentTimers, WaitReturnsWhenADatagramArrivesFromAnotherThread) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  VirtualHost& b = segment.AddHost(kB);
  auto receiver = BoundSocket(a, {0, kPort});
  auto sender = BoundSocket(b, {0, 5000});
  std::thread peer([&] {
    std::this_thread::sleep_for(30ms);
    Send(*sender, "wake", {kA, kPort});
  });
  const auto start = Clock::now();
  a.Wait(3s);
  const auto elapsed = Clock::now() - start;
  peer.join();
  EXPECT_TRUE(receiver->Readable());
  EXPECT_LT(elapsed, 2s);
}

TEST(VirtualSegmentTimers, ArrivalAtAnotherHostDoesNotEndTheWait) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  VirtualHost& b = segment.AddHost(kB);
  auto atB = BoundSocket(b, {0, kPort});
  auto atA = BoundSocket(a, {0, kPort});
  segment.After(10ms, [] {});
  a.Wait(1s);  // the timer ends this one
  std::thread peer([&] {
    std::this_thread::sleep_for(10ms);
    Send(*atA, "for b", {kB, kPort});
  });
  const auto start = Clock::now();
  a.Wait(80ms);
  peer.join();
  EXPECT_GE(Clock::now() - start, 80ms);
  EXPECT_TRUE(atB->Readable());
}

TEST(VirtualSegmentTimers, CancelAndTimersSetByTimers) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  int cancelled = 0, chained = 0;
  auto id = segment.After(0ms, [&] { ++cancelled; });
  EXPECT_TRUE(segment.Cancel(id));
  EXPECT_FALSE(segment.Cancel(id));
  segment.After(0ms, [&] {
    ++chained;
    segment.After(0ms, [&] { ++chained; });  // waits for the next round
  });
  std::this_thread::sleep_for(1ms);
  EXPECT_EQ(segment.RunDueTimers(), 1u);
  EXPECT_EQ(chained, 1);
  a.Wait(100ms);
  EXPECT_EQ(chained, 2);
  EXPECT_EQ(cancelled, 0);
}

TEST(VirtualSegmentTimers, ReaderAnswersLaterThroughATimer) {
  VirtualSegment segment;
  VirtualHost& tool = segment.AddHost(kA);
  VirtualHost& reader = segment.AddHost(kB);
  auto readerSocket = BoundSocket(reader, {0, 24582});
  readerSocket->SetReceiveCallback([&] {
    Received r = Receive(*readerSocket);
    segment.After(20ms, [&, r] { Send(*readerSocket, "late " + r.text, r.from); });
  });
  auto toolSocket = BoundSocket(tool, {0, kPort});
  Send(*toolSocket, "q", {kB, 24582});
  EXPECT_FALSE(toolSocket->Readable());
  tool.Wait(2s);  // the timer runs here, the reply arrives
  EXPECT_EQ(Receive(*toolSocket).text, "late q");
}

// ---- failure injection ----

TEST(VirtualSegmentFailures, StartupCanBeMadeToFail) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  EXPECT_TRUE(a.Startup());
  EXPECT_EQ(a.StartupCount(), 1);
  a.FailStartup(true);
  EXPECT_FALSE(a.Startup());
  EXPECT_EQ(a.StartupCount(), 1);
  a.FailStartup(false);
  EXPECT_TRUE(a.Startup());
  EXPECT_EQ(a.StartupCount(), 2);
  a.Cleanup();
  a.Cleanup();
  a.Cleanup();
  EXPECT_EQ(a.StartupCount(), 0);
}

TEST(VirtualSegmentFailures, CreateUdpCanBeMadeToFail) {
  VirtualSegment segment;
  VirtualHost& a = segment.AddHost(kA);
  for (Error injected : {Error::NoBuffers, Error::Other, Error::Access}) {
    a.FailCreateUdp(injected);
    Error e = Error::None;
    EXPECT_EQ(a.CreateUdp(&e), nullptr);
    EXPECT_EQ(e, injected);
    EXPECT_EQ(a.CreateVirtualUdp(&e), nullptr);
  }
  a.FailCreateUdp(Error::None);
  Error e = Error::Other;
  EXPECT_NE(a.CreateUdp(&e), nullptr);
  EXPECT_EQ(e, Error::None);
}

}  // namespace
}  // namespace platform::net
