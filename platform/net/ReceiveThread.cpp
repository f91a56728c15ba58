#include "platform/net/ReceiveThread.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/Runtime.h"

namespace platform::net {

ReceiveThread::ReceiveThread(std::size_t queueBytes, std::shared_ptr<std::atomic<bool>> hold)
    : queueBytes_(queueBytes), queue_(queueBytes), hold_(std::move(hold)) {}

ReceiveThread::~ReceiveThread() {
  Stop();
}

void ReceiveThread::Start(ReceiveSource& source) {
  if (thread_.joinable()) return;
  source_ = &source;
  thread_ = std::thread([this, &source] { Loop(source); });
}

void ReceiveThread::Stop() {
  if (!thread_.joinable()) return;
  stopping_ = true;
  source_->Interrupt();
  thread_.join();
}

// Waits for the system's socket and moves every datagram into the queue, touching nothing else
// of the socket.
void ReceiveThread::Loop(ReceiveSource& source) {
  std::vector<ReceiveQueue::Datagram> batch;
  while (!stopping_) {
    const ReceiveSource::Wake wake = source.WaitReadable();
    if (wake == ReceiveSource::Wake::End) return;
    if (wake == ReceiveSource::Wake::Again) continue;
    if (hold_ && hold_->load()) {
      source.Pause(std::chrono::milliseconds(1));
      continue;
    }
    while (!stopping_) {
      batch.clear();
      const ReceiveSource::Read read = source.ReadSome(batch);
      if (!batch.empty()) queue_.PushAll(batch);
      if (read == ReceiveSource::Read::Done) break;
      // An error that reading does not clear must not spin this thread.
      if (read == ReceiveSource::Read::PauseFirst) source.Pause(std::chrono::milliseconds(10));
    }
  }
}

long ReceiveThread::RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) {
  auto fail = [&](Error e) {
    if (error) *error = e;
    return -1L;
  };
  const std::uint64_t dropped = queue_.Dropped();
  if (dropped > reportedDrops_) {
    const Runtime& runtime = CurrentRuntime();
    if (runtime.debug) {
      runtime.debug("receive queue full (" + std::to_string(queueBytes_) +
                    " bytes): " + std::to_string(dropped - reportedDrops_) +
                    " datagrams dropped (" + std::to_string(dropped) + " in all)\n");
    }
    reportedDrops_ = dropped;
  }
  ReceiveQueue::Datagram d;
  if (!queue_.Pop(&d)) return fail(Error::WouldBlock);
  if (from) *from = d.from;
  if (d.error != Error::None) return fail(d.error);
  if (d.bytes.size() > len) return fail(Error::MessageSize);  // taken: it is lost
  if (!d.bytes.empty()) std::memcpy(buffer, d.bytes.data(), d.bytes.size());
  if (error) *error = Error::None;
  return static_cast<long>(d.bytes.size());
}

int ReceiveBufferCapFromEnvironment() {
  const char* cap = std::getenv("KESTRIVAL_RMEM_MAX");
  if (cap == nullptr) return 0;
  char* end = nullptr;
  const long value = std::strtol(cap, &end, 10);
  return end != cap && *end == '\0' && value > 0 && value < (1L << 30) ? static_cast<int>(value)
                                                                       : 0;
}

void WaitRegistry::Add(WaitHandle handle) {
  if (handle == kNoWaitHandle) return;
  std::lock_guard lock(mutex_);
  handles_.push_back(handle);
}

void WaitRegistry::Remove(WaitHandle handle) {
  std::lock_guard lock(mutex_);
  handles_.erase(std::remove(handles_.begin(), handles_.end(), handle), handles_.end());
}

std::vector<WaitHandle> WaitRegistry::Snapshot() const {
  std::lock_guard lock(mutex_);
  return handles_;
}

void NetTrace(const std::string& text) {
  const Runtime& runtime = CurrentRuntime();
  if (runtime.debug) runtime.debug(text);
}

std::string DottedAddress(std::uint32_t addr) {
  return std::to_string(addr >> 24) + "." + std::to_string((addr >> 16) & 0xFF) + "." +
         std::to_string((addr >> 8) & 0xFF) + "." + std::to_string(addr & 0xFF);
}

}  // namespace platform::net
