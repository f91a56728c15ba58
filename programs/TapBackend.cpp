#include "programs/TapBackend.h"

namespace cli {

namespace {

using platform::net::Endpoint;
using platform::net::Error;

class TapSocket final : public platform::net::Socket {
 public:
  TapSocket(std::unique_ptr<platform::net::Socket> inner, std::shared_ptr<TapBackend::Log> log)
      : inner_(std::move(inner)), log_(std::move(log)) {}

  Error Bind(const Endpoint& local) override { return inner_->Bind(local); }
  Error SetBroadcast(bool on) override { return inner_->SetBroadcast(on); }
  Error SetReceiveBuffer(int bytes) override { return inner_->SetReceiveBuffer(bytes); }
  Error SendTo(const void* data, std::size_t len, const Endpoint& to) override {
    const Error e = inner_->SendTo(data, len, to);
    if (e == Error::None) Keep(true, to, data, len);
    return e;
  }
  long RecvFrom(void* buffer, std::size_t len, Endpoint* from, Error* error) override {
    Endpoint sender;
    const long n = inner_->RecvFrom(buffer, len, &sender, error);
    if (from) *from = sender;
    if (n > 0) Keep(false, sender, buffer, static_cast<std::size_t>(n));
    return n;
  }
  bool Readable() override { return inner_->Readable(); }
  platform::net::WaitHandle Waitable() const override { return inner_->Waitable(); }
  bool ReceivesAhead() const override { return inner_->ReceivesAhead(); }
  Endpoint LocalEndpoint() const override { return inner_->LocalEndpoint(); }

 private:
  void Keep(bool sent, const Endpoint& peer, const void* data, std::size_t len) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::lock_guard<std::mutex> lock(log_->mutex);
    log_->datagrams.push_back(Captured{sent, peer, std::vector<std::uint8_t>(p, p + len)});
  }

  std::unique_ptr<platform::net::Socket> inner_;
  std::shared_ptr<TapBackend::Log> log_;
};

}  // namespace

TapBackend::TapBackend(platform::net::Backend& inner) : inner_(inner) {}

std::unique_ptr<platform::net::Socket> TapBackend::CreateUdp(Error* error) {
  auto socket = inner_.CreateUdp(error);
  if (!socket) return nullptr;
  return std::make_unique<TapSocket>(std::move(socket), log_);
}

std::vector<Captured> TapBackend::Datagrams() const {
  std::lock_guard<std::mutex> lock(log_->mutex);
  return log_->datagrams;
}

std::size_t TapBackend::Count() const {
  std::lock_guard<std::mutex> lock(log_->mutex);
  return log_->datagrams.size();
}

std::vector<Captured> TapBackend::Since(std::size_t from) const {
  std::lock_guard<std::mutex> lock(log_->mutex);
  if (from >= log_->datagrams.size()) return {};
  return std::vector<Captured>(log_->datagrams.begin() + static_cast<std::ptrdiff_t>(from),
                               log_->datagrams.end());
}

}  // namespace cli
