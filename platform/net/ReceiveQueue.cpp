#include "platform/net/ReceiveQueue.h"

#include <algorithm>

namespace platform::net {

ReceiveQueue::ReceiveQueue(std::size_t capacityBytes) : capacity_(capacityBytes) {}

ReceiveQueue::~ReceiveQueue() = default;

bool ReceiveQueue::Push(Datagram datagram) {
  const std::size_t size = datagram.bytes.size() + kOverhead;
  std::lock_guard lock(mutex_);
  if (size > capacity_ - std::min(bytes_, capacity_)) {
    ++dropped_;
    return false;
  }
  const bool wasEmpty = queue_.empty();
  bytes_ += size;
  queue_.push_back(std::move(datagram));
  if (wasEmpty) wake_.Set();
  return true;
}

std::size_t ReceiveQueue::PushAll(std::vector<Datagram>& datagrams) {
  std::lock_guard lock(mutex_);
  const bool wasEmpty = queue_.empty();
  std::size_t dropped = 0;
  for (Datagram& d : datagrams) {
    const std::size_t size = d.bytes.size() + kOverhead;
    if (size > capacity_ - std::min(bytes_, capacity_)) {
      ++dropped;
      continue;
    }
    bytes_ += size;
    queue_.push_back(std::move(d));
  }
  dropped_ += dropped;
  if (wasEmpty && !queue_.empty()) wake_.Set();
  return dropped;
}

bool ReceiveQueue::Pop(Datagram* out) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return false;
  *out = std::move(queue_.front());
  queue_.pop_front();
  bytes_ -= out->bytes.size() + kOverhead;
  if (queue_.empty()) wake_.Reset();
  return true;
}

bool ReceiveQueue::Empty() const {
  std::lock_guard lock(mutex_);
  return queue_.empty();
}

std::size_t ReceiveQueue::Size() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

std::uint64_t ReceiveQueue::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

}  // namespace platform::net
