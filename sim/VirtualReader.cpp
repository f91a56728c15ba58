#include "sim/VirtualReader.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "protocol/CommandCatalog.h"
#include "protocol/MspPacket.h"

namespace sim {

namespace {

using platform::net::Endpoint;
using platform::net::Error;
using platform::net::VirtualSocket;

std::unique_ptr<VirtualSocket> BindPort(platform::net::VirtualHost& host, std::uint16_t port) {
  Error error = Error::None;
  auto socket = host.CreateVirtualUdp(&error);
  if (!socket)
    throw std::runtime_error("simulated reader: no socket for port " + std::to_string(port));
  if (socket->Bind(Endpoint{0, port}) != Error::None)
    throw std::runtime_error("simulated reader: port " + std::to_string(port) + " is taken");
  return socket;
}

}  // namespace

VirtualReader::VirtualReader(platform::net::VirtualSegment& segment, std::uint32_t address,
                             const ReaderIdentity& identity)
    : VirtualReader(segment, segment.AddHost(address), identity) {}

VirtualReader::VirtualReader(platform::net::VirtualSegment& segment,
                             platform::net::VirtualHost& host, const ReaderIdentity& identity)
    : segment_(segment), host_(&host), engine_(identity) {
  command_ = BindPort(host, COMMAND_PORT);
  discovery_ = BindPort(host, DISCOVERY_PORT);
  command_->SetReceiveCallback([this] { Drain(*command_, Port::Command); });
  discovery_->SetReceiveCallback([this] { Drain(*discovery_, Port::Discovery); });
}

VirtualReader::~VirtualReader() {
  *alive_ = false;
  command_->SetReceiveCallback({});
  discovery_->SetReceiveCallback({});
}

void VirtualReader::Drain(VirtualSocket& socket, Port port) {
  std::vector<std::uint8_t> buffer(std::size_t{RECV_BUFFER_LEN} * 2);
  for (;;) {
    Endpoint from;
    Error error = Error::None;
    const long n = socket.RecvFrom(buffer.data(), buffer.size(), &from, &error);
    if (n < 0) {
      if (error == Error::WouldBlock) return;
      continue;  // a pending error or an oversized datagram: it is gone, read on
    }
    std::optional<Reply> reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reply = engine_.Receive(buffer.data(), static_cast<std::size_t>(n), port);
    }
    if (!reply) continue;
    if (reply->delay.count() == 0) {
      socket.SendTo(reply->bytes.data(), reply->bytes.size(), from);
      continue;
    }
    segment_.After(reply->delay, [alive = alive_, s = &socket, bytes = reply->bytes, from] {
      if (*alive) s->SendTo(bytes.data(), bytes.size(), from);
    });
  }
}

}  // namespace sim
