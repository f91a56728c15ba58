// The one-thread message loop: posted messages, and socket read notifications with the
// WSAAsyncSelect rule (one notification per readiness, re-armed by the next recvfrom).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "platform/windef.h"

namespace platform {

namespace net {
class Socket;
using WaitHandle = std::intptr_t;
}  // namespace net

struct PostedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class MessageLoop {
 public:
  MessageLoop() = default;
  MessageLoop(const MessageLoop&) = delete;
  MessageLoop& operator=(const MessageLoop&) = delete;

  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Drops the messages of a window that is going away.
  void Forget(HWND window);

  // Socket notification registration (WSAAsyncSelect); events 0 cancels.
  void Select(UINT_PTR socket, net::Socket* impl, HWND window, UINT message, long events);
  // The next recvfrom happened: the socket may notify again. After a receive that got a datagram,
  // a socket that receives ahead (ReceivesAhead) notifies again at once, without asking first: in a
  // burst that saves a system call per datagram, and at its end one receive finds nothing, which
  // the handler of a read notification must take anyway (Winsock may post FD_READ with nothing
  // to read).
  void Rearm(UINT_PTR socket, bool gotDatagram = false);
  void Unselect(UINT_PTR socket);

  // Delivers one message: a posted one, or else a socket notification that became due.
  // Returns false when there was nothing to do.
  bool DispatchOne();
  // Delivers until nothing is left (at most maxMessages); returns the number delivered.
  std::size_t RunUntilIdle(std::size_t maxMessages = 10'000'000);
  // Delivers and waits for network activity until the time has passed.
  void RunFor(std::chrono::milliseconds duration);
  // Delivers and waits until done() holds (checked after every message) or the time ran out.
  // Returns done().
  bool RunUntil(const std::function<bool()>& done,
                std::chrono::milliseconds timeout = std::chrono::hours(24 * 365));

  std::size_t PendingPosted() const { return queue_.size(); }
  // What a host waits on instead of polling: the wait handles of the sockets that may notify now
  // (armed, with a window), signalled while a datagram waits (descriptors on POSIX, events on
  // Windows).
  std::vector<net::WaitHandle> WatchedHandles() const;
  // True when such a socket has no wait handle: the host must poll it.
  bool NeedsPolling() const;
  // When the network of the runtime has work due without a socket waking the host (a simulated
  // reader's reply time): the host wakes then and delivers.
  std::optional<std::chrono::steady_clock::time_point> NextDue() const;
  // Hands every socket that is armed and readable its notification; true if any was posted.
  bool PollSockets();

 private:
  struct Selection {
    net::Socket* impl;
    HWND window;
    UINT message;
    long events;
    bool armed;
    bool likelyMore = false;
  };
  std::deque<PostedMessage> queue_;
  std::map<UINT_PTR, Selection> selections_;
};

}  // namespace platform
