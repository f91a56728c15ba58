// The bounded queue between the receive thread and the dialog's thread: order, room, the count of
// dropped datagrams, and a wake-up descriptor that is readable exactly while datagrams wait.
#include "platform/net/ReceiveQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/support/WaitHandles.h"

namespace platform::net {
namespace {

// Waits at most the time for the queue's wake-up handle; true when it is signalled.
bool WaitForWake(const ReceiveQueue& q, int milliseconds) {
  return testing_support::Signalled(q.WakeHandle(), milliseconds);
}

bool WakeReadable(const ReceiveQueue& q) {
  return WaitForWake(q, 0);
}

ReceiveQueue::Datagram Of(const std::string& text, std::uint16_t port = 1) {
  ReceiveQueue::Datagram d;
  d.from = Endpoint{0x0A000001, port};
  d.bytes.assign(text.begin(), text.end());
  return d;
}

// A queue of `capacity` accounted bytes gets `sizes`; `kept` fit and the rest are dropped.
struct RoomRow {
  const char* name;
  std::size_t capacity;
  std::vector<std::size_t> sizes;
  std::vector<bool> kept;
};

class ReceiveQueueRoom : public ::testing::TestWithParam<RoomRow> {};

TEST_P(ReceiveQueueRoom, KeepsWhatFitsInOrderAndCountsTheRest) {
  const RoomRow& row = GetParam();
  ReceiveQueue q(row.capacity);
  ASSERT_NE(q.WakeHandle(), platform::net::kNoWaitHandle);
  std::vector<std::size_t> expected;
  std::uint64_t drops = 0;
  for (std::size_t i = 0; i < row.sizes.size(); ++i) {
    EXPECT_EQ(q.Push(Of(std::string(row.sizes[i], static_cast<char>('a' + i)))), row.kept[i])
        << "datagram " << i;
    if (row.kept[i])
      expected.push_back(i);
    else
      ++drops;
  }
  EXPECT_EQ(q.Dropped(), drops);
  EXPECT_EQ(q.Size(), expected.size());
  EXPECT_EQ(WakeReadable(q), !expected.empty());
  for (std::size_t i : expected) {
    ReceiveQueue::Datagram d;
    ASSERT_TRUE(q.Pop(&d));
    EXPECT_EQ(d.bytes.size(), row.sizes[i]);
    if (!d.bytes.empty()) {
      EXPECT_EQ(d.bytes.front(), static_cast<char>('a' + i));
    }
  }
  ReceiveQueue::Datagram none;
  EXPECT_FALSE(q.Pop(&none));
  EXPECT_FALSE(WakeReadable(q));
  // Room comes back once read: the first size fits again.
  if (!row.sizes.empty() && row.kept.front()) {
    EXPECT_TRUE(q.Push(Of(std::string(row.sizes[0], 'z'))));
  }
}

constexpr std::size_t O = ReceiveQueue::kOverhead;

INSTANTIATE_TEST_SUITE_P(
    Rows, ReceiveQueueRoom,
    ::testing::Values(
        RoomRow{"Empty", 1000, {}, {}},
        RoomRow{"AllFit", 3 * (100 + O), {100, 100, 100}, {true, true, true}},
        RoomRow{"ExcessDropped", 2 * (100 + O), {100, 100, 100, 100}, {true, true, false, false}},
        RoomRow{"SmallFitsAfterBigDropped", 2 * (100 + O), {100, 200, 100}, {true, false, true}},
        RoomRow{"EmptyDatagramsCountTheirOverhead", 2 * O, {0, 0, 0}, {true, true, false}},
        RoomRow{"NoRoomAtAll", 10, {0}, {false}},
        RoomRow{"Oversized4097Kept", 4097 + O, {4097}, {true}}),
    [](const ::testing::TestParamInfo<RoomRow>& info) { return info.param.name; });

TEST(ReceiveQueueBatch, KeepsWhatFitsOfABatchAndWakesOnce) {
  ReceiveQueue q(3 * (10 + ReceiveQueue::kOverhead));
  std::vector<ReceiveQueue::Datagram> batch;
  for (int i = 0; i < 5; ++i) batch.push_back(Of(std::string(10, static_cast<char>('0' + i))));
  EXPECT_EQ(q.PushAll(batch), 2u);
  EXPECT_EQ(q.Dropped(), 2u);
  EXPECT_TRUE(WakeReadable(q));
  std::string order;
  ReceiveQueue::Datagram d;
  while (q.Pop(&d)) order += d.bytes.front();
  EXPECT_EQ(order, "012");
  EXPECT_FALSE(WakeReadable(q));
  std::vector<ReceiveQueue::Datagram> none;
  EXPECT_EQ(q.PushAll(none), 0u);
  EXPECT_FALSE(WakeReadable(q)) << "an empty batch wakes nobody";
}

TEST(ReceiveQueueThreads, AProducerThreadAndAConsumerLoseNothingThatFits) {
  ReceiveQueue q(std::size_t{64} << 20);
  constexpr int kCount = 20000;
  std::thread producer([&] {
    for (int i = 0; i < kCount; ++i) q.Push(Of(std::to_string(i)));
  });
  int next = 0;
  while (next < kCount) {
    WaitForWake(q, 1000);
    ReceiveQueue::Datagram d;
    while (q.Pop(&d)) {
      ASSERT_EQ(std::string(d.bytes.begin(), d.bytes.end()), std::to_string(next));
      ++next;
    }
  }
  producer.join();
  EXPECT_EQ(q.Dropped(), 0u);
  EXPECT_FALSE(WakeReadable(q));
}

}  // namespace
}  // namespace platform::net
