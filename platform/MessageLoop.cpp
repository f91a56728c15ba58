#include "platform/MessageLoop.h"

#include <algorithm>

#include "platform/Runtime.h"
#include "platform/Window.h"
#include "platform/kernel.h"
#include "platform/net/Backend.h"

namespace platform {

void MessageLoop::Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window) queue_.push_back({window, message, wParam, lParam});
}

void MessageLoop::Forget(HWND window) {
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(),
                              [window](const PostedMessage& m) { return m.window == window; }),
               queue_.end());
  for (auto& [s, sel] : selections_)
    if (sel.window == window) sel.window = nullptr;
}

void MessageLoop::Select(UINT_PTR socket, net::Socket* impl, HWND window, UINT message,
                         long events) {
  if (events == 0) {
    selections_.erase(socket);
    return;
  }
  selections_[socket] = Selection{impl, window, message, events, true};
}

void MessageLoop::Rearm(UINT_PTR socket, bool gotDatagram) {
  auto it = selections_.find(socket);
  if (it == selections_.end()) return;
  it->second.armed = true;
  it->second.likelyMore = gotDatagram && it->second.impl && it->second.impl->ReceivesAhead();
}

void MessageLoop::Unselect(UINT_PTR socket) {
  selections_.erase(socket);
}

std::vector<net::WaitHandle> MessageLoop::WatchedHandles() const {
  std::vector<net::WaitHandle> handles;
  for (const auto& [socket, sel] : selections_)
    if (sel.armed && sel.window && sel.impl && sel.impl->Waitable() != net::kNoWaitHandle)
      handles.push_back(sel.impl->Waitable());
  return handles;
}

bool MessageLoop::NeedsPolling() const {
  for (const auto& [socket, sel] : selections_)
    if (sel.window && sel.impl && sel.impl->Waitable() == net::kNoWaitHandle) return true;
  return false;
}

std::optional<std::chrono::steady_clock::time_point> MessageLoop::NextDue() const {
  if (net::Backend* net = CurrentRuntime().net) return net->NextDue();
  return std::nullopt;
}

bool MessageLoop::PollSockets() {
  constexpr long kFdRead = 1;
  bool posted = false;
  for (auto& [socket, sel] : selections_) {
    if (!sel.armed || !sel.window || !(sel.events & kFdRead)) continue;
    if (sel.impl && (sel.likelyMore || sel.impl->Readable())) {
      sel.armed = false;
      sel.likelyMore = false;
      queue_.push_back({sel.window, sel.message, socket, MAKELPARAM(kFdRead, 0)});
      posted = true;
    }
  }
  return posted;
}

bool MessageLoop::DispatchOne() {
  // A socket that is ready is found without running the backend's due work first, so a burst of
  // datagrams costs one readiness check each; timers of simulated peers run when nothing waits.
  if (queue_.empty() && !PollSockets()) {
    if (net::Backend* net = CurrentRuntime().net) net->Wait(std::chrono::milliseconds(0));
    PollSockets();
  }
  if (queue_.empty()) return false;
  PostedMessage m = queue_.front();
  queue_.pop_front();
  if (m.window && !m.window->Destroyed()) m.window->Send(m.message, m.wParam, m.lParam);
  return true;
}

std::size_t MessageLoop::RunUntilIdle(std::size_t maxMessages) {
  std::size_t n = 0;
  while (n < maxMessages && DispatchOne()) ++n;
  return n;
}

bool MessageLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + timeout;
  while (!done()) {
    if (DispatchOne()) continue;
    auto now = Clock::now();
    if (now >= end) break;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
    auto step = std::min(left, std::chrono::milliseconds(5));
    if (net::Backend* net = CurrentRuntime().net)
      net->Wait(step);
    else
      Sleep(static_cast<DWORD>(step.count()));
  }
  return done();
}

void MessageLoop::RunFor(std::chrono::milliseconds duration) {
  RunUntil([] { return false; }, duration);
}

}  // namespace platform
