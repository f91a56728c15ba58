#include "platform/net/VirtualSegment.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <utility>

#include "platform/net/WakeEvent.h"

namespace platform::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kBroadcast = 0xFFFFFFFFu;
constexpr std::size_t kMaxUdpPayload = 65507;     // 65535 - IP header - UDP header
constexpr std::uint16_t kEphemeralFirst = 49152;  // the Windows dynamic port range

struct Datagram {
  Endpoint from;
  std::vector<std::uint8_t> payload;
};

}  // namespace

namespace detail {

struct SocketState {
  HostState* host = nullptr;
  bool bound = false;
  Endpoint local;
  bool broadcast = false;
  std::deque<Datagram> queue;
  std::size_t queuedBytes = 0;
  std::size_t limitBytes = 0;
  std::size_t limitDatagrams = 0;
  std::uint64_t dropped = 0;
  Error pending = Error::None;
  std::shared_ptr<std::function<void()>> callback;

  // Made when a host first asks to wait on the socket (most simulated peers never do), then
  // signalled exactly while the socket is readable.
  std::unique_ptr<WakeEvent> wake;

  bool Readable() const { return pending != Error::None || !queue.empty(); }
  // Brings the wake-up in line with Readable(); caller holds the segment's mutex.
  void SyncWake() {
    if (!wake) return;
    if (Readable())
      wake->Set();
    else
      wake->Reset();
  }
};

struct HostState {
  VirtualHost* object = nullptr;  // null once the segment (which owns it) is gone
  std::vector<std::uint32_t> addresses;
  std::vector<SocketState*> sockets;
  bool failStartup = false;
  Error failCreate = Error::None;
  int startups = 0;
  std::uint16_t nextEphemeral = kEphemeralFirst;
};

struct Timer {
  std::function<void()> fn;
};

struct SegmentCore {
  mutable std::mutex mutex;
  std::condition_variable changed;  // a datagram or error arrived, or a timer was set
  SegmentOptions options;
  SegmentStats stats;
  bool closed = false;  // the segment is gone: what its surviving sockets send reaches nobody
  std::vector<std::unique_ptr<HostState>> hosts;
  std::unordered_map<std::uint32_t, HostState*> byAddress;
  // Ordered by (due, id): ids grow, so equal due times run in the order they were set.
  std::map<std::pair<Clock::time_point, std::uint64_t>, Timer> timers;
  std::unordered_map<std::uint64_t, Clock::time_point> timerDue;
  std::uint64_t nextTimerId = 1;
  std::shared_ptr<std::function<void(const WireDatagram&)>> observer;

  // Caller holds the mutex.
  bool PortTaken(const HostState& host, const Endpoint& local) const {
    for (const SocketState* s : host.sockets) {
      if (!s->bound || s->local.port != local.port) continue;
      if (s->local.addr == 0 || local.addr == 0 || s->local.addr == local.addr) return true;
    }
    return false;
  }

  bool PortUsed(const HostState& host, std::uint16_t port) const {
    return std::any_of(host.sockets.begin(), host.sockets.end(),
                       [&](const SocketState* s) { return s->bound && s->local.port == port; });
  }

  // An unused port of the dynamic range, or 0 when all are taken.
  std::uint16_t Ephemeral(HostState& host) const {
    constexpr unsigned kCount = 65536u - kEphemeralFirst;
    for (unsigned i = 0; i < kCount; ++i) {
      std::uint16_t port = host.nextEphemeral;
      host.nextEphemeral = port == 65535 ? kEphemeralFirst : static_cast<std::uint16_t>(port + 1);
      if (!PortUsed(host, port)) return port;
    }
    return 0;
  }

  // Queues one copy; returns the socket's callback to run after unlocking, if the copy arrived.
  std::shared_ptr<std::function<void()>> Deliver(SocketState& to, const Endpoint& from,
                                                 const std::uint8_t* data, std::size_t len) {
    if (to.queue.size() >= to.limitDatagrams || to.queuedBytes + len > to.limitBytes) {
      ++to.dropped;
      ++stats.droppedQueueFull;
      return nullptr;
    }
    const bool wasReadable = to.Readable();
    to.queue.push_back(Datagram{from, std::vector<std::uint8_t>(data, data + len)});
    to.queuedBytes += len;
    ++stats.delivered;
    if (!wasReadable) to.SyncWake();
    return to.callback;
  }

  bool HostReadable(const HostState& host) const {
    return std::any_of(host.sockets.begin(), host.sockets.end(),
                       [](const SocketState* s) { return s->Readable(); });
  }

  std::size_t RunDueTimers() {
    const Clock::time_point now = Clock::now();
    std::uint64_t limit;
    {
      std::lock_guard lock(mutex);
      limit = nextTimerId;  // timers set by the ones run here wait for the next round
    }
    std::size_t ran = 0;
    for (;;) {
      std::function<void()> fn;
      {
        std::lock_guard lock(mutex);
        auto first = timers.begin();
        if (first == timers.end() || first->first.first > now || first->first.second >= limit) {
          break;
        }
        fn = std::move(first->second.fn);
        timerDue.erase(first->first.second);
        timers.erase(first);
      }
      if (fn) fn();
      ++ran;
    }
    return ran;
  }
};

}  // namespace detail

// ---- VirtualSocket ----

VirtualSocket::VirtualSocket(std::shared_ptr<detail::SegmentCore> core, detail::HostState* host)
    : core_(std::move(core)), state_(std::make_unique<detail::SocketState>()) {
  state_->host = host;
  std::lock_guard lock(core_->mutex);
  state_->limitBytes = core_->options.queueBytes;
  state_->limitDatagrams = core_->options.queueDatagrams;
  host->sockets.push_back(state_.get());
}

VirtualSocket::~VirtualSocket() {
  std::lock_guard lock(core_->mutex);
  auto& sockets = state_->host->sockets;
  sockets.erase(std::remove(sockets.begin(), sockets.end(), state_.get()), sockets.end());
}

Error VirtualSocket::Bind(const Endpoint& local) {
  std::lock_guard lock(core_->mutex);
  detail::HostState& host = *state_->host;
  if (state_->bound) return Error::Invalid;
  if (local.addr != 0 &&
      std::find(host.addresses.begin(), host.addresses.end(), local.addr) == host.addresses.end()) {
    return Error::AddrNotAvail;
  }
  Endpoint chosen = local;
  if (chosen.port == 0) {
    chosen.port = core_->Ephemeral(host);
    if (chosen.port == 0) return Error::NoBuffers;
  } else if (core_->PortTaken(host, chosen)) {
    return Error::AddrInUse;
  }
  state_->local = chosen;
  state_->bound = true;
  return Error::None;
}

Error VirtualSocket::SetBroadcast(bool on) {
  std::lock_guard lock(core_->mutex);
  state_->broadcast = on;
  return Error::None;
}

Error VirtualSocket::SetReceiveBuffer(int bytes) {
  return bytes < 0 ? Error::Invalid : Error::None;
}

Error VirtualSocket::SendTo(const void* data, std::size_t len, const Endpoint& to) {
  if (data == nullptr && len > 0) return Error::Invalid;
  if (len > kMaxUdpPayload) return Error::MessageSize;
  if (to.addr == 0 || to.port == 0) return Error::AddrNotAvail;
  const auto* bytes = static_cast<const std::uint8_t*>(data);

  std::vector<std::shared_ptr<std::function<void()>>> callbacks;
  std::shared_ptr<std::function<void(const WireDatagram&)>> observer;
  Endpoint from;
  {
    std::lock_guard lock(core_->mutex);
    detail::SocketState& self = *state_;
    detail::HostState& host = *self.host;
    const bool broadcast = to.addr == kBroadcast;
    if (broadcast && !self.broadcast) return Error::Access;
    if (!self.bound) {
      std::uint16_t port = core_->Ephemeral(host);
      if (port == 0) return Error::NoBuffers;
      self.local = Endpoint{0, port};
      self.bound = true;
    }
    from =
        Endpoint{self.local.addr != 0 ? self.local.addr : host.addresses.front(), self.local.port};
    if (core_->closed) return Error::None;
    ++core_->stats.sent;
    observer = core_->observer;

    auto deliver = [&](detail::SocketState& s) {
      if (auto cb = core_->Deliver(s, from, bytes, len)) callbacks.push_back(std::move(cb));
    };
    if (broadcast) {
      for (const auto& other : core_->hosts) {
        if (other.get() == &host) continue;
        for (detail::SocketState* s : other->sockets) {
          if (s->bound && s->local.port == to.port) deliver(*s);
        }
      }
    } else {
      auto found = core_->byAddress.find(to.addr);
      if (found == core_->byAddress.end()) {
        ++core_->stats.droppedNoHost;
      } else {
        detail::SocketState* target = nullptr;
        for (detail::SocketState* s : found->second->sockets) {
          if (s->bound && s->local.port == to.port &&
              (s->local.addr == 0 || s->local.addr == to.addr)) {
            target = s;
            break;
          }
        }
        if (target != nullptr) {
          deliver(*target);
        } else {
          ++core_->stats.droppedNoPort;
          if (core_->options.reportPortUnreachable) {
            self.pending = Error::ConnReset;
            self.SyncWake();
            if (self.callback) callbacks.push_back(self.callback);
          }
        }
      }
    }
  }
  core_->changed.notify_all();
  if (observer && *observer) {
    (*observer)(WireDatagram{from, to, std::vector<std::uint8_t>(bytes, bytes + len)});
  }
  for (const auto& cb : callbacks) {
    if (*cb) (*cb)();
  }
  return Error::None;
}

long VirtualSocket::RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) {
  auto fail = [&](Error e) {
    if (error) *error = e;
    return -1L;
  };
  if (buffer == nullptr && len > 0) return fail(Error::Invalid);
  std::lock_guard lock(core_->mutex);
  detail::SocketState& self = *state_;
  if (!self.bound) return fail(Error::Invalid);
  if (self.pending != Error::None) {
    Error e = self.pending;
    self.pending = Error::None;
    self.SyncWake();
    return fail(e);
  }
  if (self.queue.empty()) return fail(Error::WouldBlock);
  Datagram d = std::move(self.queue.front());
  self.queue.pop_front();
  self.queuedBytes -= d.payload.size();
  self.SyncWake();
  if (from) *from = d.from;
  std::size_t copied = std::min(len, d.payload.size());
  if (copied > 0) std::memcpy(buffer, d.payload.data(), copied);
  if (d.payload.size() > len) return fail(Error::MessageSize);
  if (error) *error = Error::None;
  return static_cast<long>(copied);
}

WaitHandle VirtualSocket::Waitable() const {
  std::lock_guard lock(core_->mutex);
  detail::SocketState& self = *state_;
  if (!self.wake) {
    self.wake = std::make_unique<WakeEvent>();
    self.SyncWake();
  }
  return self.wake->Handle();
}

bool VirtualSocket::Readable() {
  std::lock_guard lock(core_->mutex);
  return state_->Readable();
}

Endpoint VirtualSocket::LocalEndpoint() const {
  std::lock_guard lock(core_->mutex);
  return state_->bound ? state_->local : Endpoint{};
}

void VirtualSocket::SetReceiveCallback(std::function<void()> callback) {
  std::lock_guard lock(core_->mutex);
  state_->callback =
      callback ? std::make_shared<std::function<void()>>(std::move(callback)) : nullptr;
}

void VirtualSocket::SetQueueLimits(std::size_t bytes, std::size_t datagrams) {
  std::lock_guard lock(core_->mutex);
  state_->limitBytes = bytes;
  state_->limitDatagrams = datagrams;
}

std::size_t VirtualSocket::QueuedDatagrams() const {
  std::lock_guard lock(core_->mutex);
  return state_->queue.size();
}

std::uint64_t VirtualSocket::DroppedDatagrams() const {
  std::lock_guard lock(core_->mutex);
  return state_->dropped;
}

// ---- VirtualHost ----

VirtualHost::VirtualHost(std::shared_ptr<detail::SegmentCore> core, detail::HostState* host)
    : core_(std::move(core)), host_(host) {}

VirtualHost::~VirtualHost() {
  std::lock_guard lock(core_->mutex);
  host_->object = nullptr;
}

bool VirtualHost::Startup() {
  std::lock_guard lock(core_->mutex);
  if (host_->failStartup) return false;
  ++host_->startups;
  return true;
}

void VirtualHost::Cleanup() {
  std::lock_guard lock(core_->mutex);
  if (host_->startups > 0) --host_->startups;
}

std::unique_ptr<Socket> VirtualHost::CreateUdp(Error* error) {
  return CreateVirtualUdp(error);
}

std::unique_ptr<VirtualSocket> VirtualHost::CreateVirtualUdp(Error* error) {
  {
    std::lock_guard lock(core_->mutex);
    if (host_->failCreate != Error::None) {
      if (error) *error = host_->failCreate;
      return nullptr;
    }
  }
  if (error) *error = Error::None;
  return std::unique_ptr<VirtualSocket>(new VirtualSocket(core_, host_));
}

std::optional<std::chrono::steady_clock::time_point> VirtualHost::NextDue() const {
  std::lock_guard lock(core_->mutex);
  if (core_->timers.empty()) return std::nullopt;
  return core_->timers.begin()->first.first;
}

void VirtualHost::Wait(std::chrono::milliseconds max) {
  const Clock::time_point deadline = Clock::now() + std::max(max, std::chrono::milliseconds(0));
  for (;;) {
    if (core_->RunDueTimers() > 0) return;
    std::unique_lock lock(core_->mutex);
    if (core_->HostReadable(*host_)) return;
    Clock::time_point wake = deadline;
    if (!core_->timers.empty()) wake = std::min(wake, core_->timers.begin()->first.first);
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return;
    if (wake <= now) continue;  // a timer fell due: run it
    core_->changed.wait_until(lock, wake);
    if (core_->HostReadable(*host_)) return;
  }
}

std::uint32_t VirtualHost::Address() const {
  std::lock_guard lock(core_->mutex);
  return host_->addresses.front();
}

std::vector<std::uint32_t> VirtualHost::Addresses() const {
  std::lock_guard lock(core_->mutex);
  return host_->addresses;
}

void VirtualHost::AddAddress(std::uint32_t addr) {
  std::lock_guard lock(core_->mutex);
  if (addr == 0 || addr == kBroadcast || core_->byAddress.count(addr) != 0) {
    throw std::invalid_argument("VirtualHost::AddAddress: address unusable or taken");
  }
  host_->addresses.push_back(addr);
  core_->byAddress.emplace(addr, host_);
}

void VirtualHost::FailStartup(bool fail) {
  std::lock_guard lock(core_->mutex);
  host_->failStartup = fail;
}

void VirtualHost::FailCreateUdp(Error error) {
  std::lock_guard lock(core_->mutex);
  host_->failCreate = error;
}

int VirtualHost::StartupCount() const {
  std::lock_guard lock(core_->mutex);
  return host_->startups;
}

// ---- VirtualSegment ----

VirtualSegment::VirtualSegment(SegmentOptions options)
    : core_(std::make_shared<detail::SegmentCore>()) {
  core_->options = options;
}

VirtualSegment::~VirtualSegment() {
  // Sockets may outlive the segment: they keep the core, whose hosts stay but reach no object.
  hosts_.clear();
  std::lock_guard lock(core_->mutex);
  core_->closed = true;
  core_->timers.clear();
  core_->timerDue.clear();
  core_->observer.reset();
}

VirtualHost& VirtualSegment::AddHost(std::uint32_t addr) {
  std::lock_guard lock(core_->mutex);
  if (addr == 0 || addr == kBroadcast || core_->byAddress.count(addr) != 0) {
    throw std::invalid_argument("VirtualSegment::AddHost: address unusable or taken");
  }
  auto state = std::make_unique<detail::HostState>();
  state->addresses.push_back(addr);
  auto host = std::unique_ptr<VirtualHost>(new VirtualHost(core_, state.get()));
  state->object = host.get();
  core_->byAddress.emplace(addr, state.get());
  core_->hosts.push_back(std::move(state));
  hosts_.push_back(std::move(host));
  return *hosts_.back();
}

VirtualHost* VirtualSegment::FindHost(std::uint32_t addr) {
  std::lock_guard lock(core_->mutex);
  auto found = core_->byAddress.find(addr);
  return found == core_->byAddress.end() ? nullptr : found->second->object;
}

VirtualSegment::TimerId VirtualSegment::After(std::chrono::milliseconds delay,
                                              std::function<void()> fn) {
  TimerId id;
  {
    std::lock_guard lock(core_->mutex);
    id = core_->nextTimerId++;
    const Clock::time_point due = Clock::now() + std::max(delay, std::chrono::milliseconds(0));
    core_->timers.emplace(std::make_pair(due, id), detail::Timer{std::move(fn)});
    core_->timerDue.emplace(id, due);
  }
  core_->changed.notify_all();
  return id;
}

bool VirtualSegment::Cancel(TimerId id) {
  std::lock_guard lock(core_->mutex);
  auto found = core_->timerDue.find(id);
  if (found == core_->timerDue.end()) return false;
  core_->timers.erase(std::make_pair(found->second, id));
  core_->timerDue.erase(found);
  return true;
}

std::size_t VirtualSegment::RunDueTimers() {
  return core_->RunDueTimers();
}

std::size_t VirtualSegment::PendingTimers() const {
  std::lock_guard lock(core_->mutex);
  return core_->timers.size();
}

void VirtualSegment::SetObserver(std::function<void(const WireDatagram&)> observer) {
  std::lock_guard lock(core_->mutex);
  core_->observer =
      observer ? std::make_shared<std::function<void(const WireDatagram&)>>(std::move(observer))
               : nullptr;
}

SegmentStats VirtualSegment::Stats() const {
  std::lock_guard lock(core_->mutex);
  return core_->stats;
}

SegmentOptions VirtualSegment::Options() const {
  std::lock_guard lock(core_->mutex);
  return core_->options;
}

void VirtualSegment::SetOptions(const SegmentOptions& options) {
  std::lock_guard lock(core_->mutex);
  core_->options = options;
}

}  // namespace platform::net
