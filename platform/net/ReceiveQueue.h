// Datagrams taken from the kernel ahead of the reader: a bounded first-in first-out queue that a
// receive thread fills and the message loop's thread empties. Its wake-up handle is signalled
// exactly while datagrams wait, so a host can wait on it (poll or QSocketNotifier on POSIX,
// MsgWaitForMultipleObjects on Windows) instead of polling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/net/Backend.h"
#include "platform/net/WakeEvent.h"

namespace platform::net {

class ReceiveQueue {
 public:
  struct Datagram {
    Endpoint from;
    Error error = Error::None;  // a receive error the kernel reported in the datagram's place
    std::vector<char> bytes;
  };

  // Accounted size of one queued datagram beyond its bytes.
  static constexpr std::size_t kOverhead = 64;

  explicit ReceiveQueue(std::size_t capacityBytes);
  ~ReceiveQueue();
  ReceiveQueue(const ReceiveQueue&) = delete;
  ReceiveQueue& operator=(const ReceiveQueue&) = delete;

  // Appends, or drops and counts the datagram when it does not fit. Returns false if dropped.
  bool Push(Datagram datagram);
  // Push for each, under one lock and with one wake-up; returns how many were dropped.
  std::size_t PushAll(std::vector<Datagram>& datagrams);
  // Takes the oldest datagram; false when none waits.
  bool Pop(Datagram* out);
  bool Empty() const;
  std::size_t Size() const;
  // Datagrams dropped since the queue was made.
  std::uint64_t Dropped() const;
  // Signalled while the queue holds a datagram; kNoWaitHandle if the system gave none.
  WaitHandle WakeHandle() const { return wake_.Handle(); }

 private:
  mutable std::mutex mutex_;
  std::deque<Datagram> queue_;
  std::size_t capacity_;
  std::size_t bytes_ = 0;
  std::uint64_t dropped_ = 0;
  WakeEvent wake_;
};

}  // namespace platform::net
