// The receive thread of a socket on a real network, the same for every system: a thread that
// moves datagrams from the system's socket into a bounded ReceiveQueue as soon as they arrive, so
// a burst is held while the dialog's thread is busy, and the dialog's receive from that queue. A
// backend supplies only what its system does differently (ReceiveSource): waiting until its
// socket can be read or the thread is told to stop, and reading what waits.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/Backend.h"
#include "platform/net/ReceiveQueue.h"

namespace platform::net {

// A backend's side of the receive thread. Every call but Interrupt is made on the receive thread.
class ReceiveSource {
 public:
  enum class Wake {
    Readable,  // the system's socket(s) can be read: ReadSome follows
    Again,     // nothing to read after all (an interrupted wait): wait again
    End,       // Interrupt was called, or waiting failed for good: the thread ends
  };
  enum class Read {
    Done,        // everything that waited was taken: wait again
    More,        // call ReadSome again
    PauseFirst,  // an error that reading does not clear: pause, then call ReadSome again
  };

  virtual ~ReceiveSource() = default;
  // Blocks until the socket(s) can be read or Interrupt is called.
  virtual Wake WaitReadable() = 0;
  // Blocks for `pause`, or less when Interrupt is called.
  virtual void Pause(std::chrono::milliseconds pause) = 0;
  // One read of the system's socket(s): appends the datagrams taken to `batch`, and an error the
  // system reported in a datagram's place as an entry with its `error` set.
  virtual Read ReadSome(std::vector<ReceiveQueue::Datagram>& batch) = 0;
  // Wakes WaitReadable and Pause, from any thread; WaitReadable returns End from then on.
  virtual void Interrupt() = 0;
};

class ReceiveThread {
 public:
  // The queue holds `queueBytes` (ReceiveQueue's accounting). While `hold` holds true (tests),
  // the thread leaves datagrams in the system's buffers.
  explicit ReceiveThread(std::size_t queueBytes, std::shared_ptr<std::atomic<bool>> hold = nullptr);
  // Stops the thread.
  ~ReceiveThread();
  ReceiveThread(const ReceiveThread&) = delete;
  ReceiveThread& operator=(const ReceiveThread&) = delete;

  // Starts the thread over `source` unless it runs already. The source outlives the thread: call
  // Stop before the source's socket is closed.
  void Start(ReceiveSource& source);
  // Interrupts the source and waits for the thread's end; nothing if it does not run.
  void Stop();
  bool Running() const { return thread_.joinable(); }

  // The dialog's receive: one datagram of the queue, as Backend's Socket::RecvFrom (WouldBlock
  // when none waits; MessageSize, and the datagram lost, when it is larger than len; an error
  // the system reported in its place). First traces how many datagrams an overflowing queue
  // dropped since the last receive.
  long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error);
  bool Readable() const { return !queue_.Empty(); }
  // Signalled while a datagram waits (Socket::Waitable).
  WaitHandle Waitable() const { return queue_.WakeHandle(); }
  std::size_t QueueBytes() const { return queueBytes_; }

 private:
  void Loop(ReceiveSource& source);

  std::size_t queueBytes_;
  ReceiveQueue queue_;
  std::shared_ptr<std::atomic<bool>> hold_;
  std::atomic<bool> stopping_{false};
  ReceiveSource* source_ = nullptr;
  std::thread thread_;
  std::uint64_t reportedDrops_ = 0;
};

// The wait handles of a backend's live sockets, which its Wait() waits on; shared with the
// sockets, which may outlive their backend.
class WaitRegistry {
 public:
  void Add(WaitHandle handle);
  void Remove(WaitHandle handle);
  std::vector<WaitHandle> Snapshot() const;

 private:
  mutable std::mutex mutex_;
  std::vector<WaitHandle> handles_;
};

// One line to the runtime's debug sink.
void NetTrace(const std::string& text);
// "192.168.0.1" for 0xC0A80001.
std::string DottedAddress(std::uint32_t addr);

// KESTRIVAL_RMEM_MAX=<bytes> of the environment: the receive buffer limit a lab emulates (a stock
// kernel's net.core.rmem_max) without writing the machine's sysctl; 0 when unset, empty or not a
// positive number.
int ReceiveBufferCapFromEnvironment();

}  // namespace platform::net
