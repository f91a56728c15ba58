#include "tests/support/ScriptedReader.h"

#include <cstring>
#include <stdexcept>

#include "protocol/MspPacket.h"

namespace testing_support {

ScriptedReader::ScriptedReader(platform::net::VirtualSegment& segment, std::uint32_t address)
    : address_(address), host_(&segment.AddHost(address)) {
  platform::net::Error e = platform::net::Error::None;
  command_ = host_->CreateVirtualUdp(&e);
  discovery_ = host_->CreateVirtualUdp(&e);
  if (!command_ || !discovery_) throw std::runtime_error("scripted reader: no socket");
  command_->Bind({0, 24680});
  discovery_->Bind({0, 24582});
  command_->SetBroadcast(true);
  command_->SetReceiveCallback([this] { Drain(*command_, 24680); });
  discovery_->SetReceiveCallback([this] { Drain(*discovery_, 24582); });
}

ScriptedReader::~ScriptedReader() {
  if (command_) command_->SetReceiveCallback({});
  if (discovery_) discovery_->SetReceiveCallback({});
}

void ScriptedReader::Drain(platform::net::VirtualSocket& socket, std::uint16_t port) {
  char buffer[65536];
  for (;;) {
    platform::net::Endpoint from;
    platform::net::Error e = platform::net::Error::None;
    long n = socket.RecvFrom(buffer, sizeof buffer, &from, &e);
    if (n < 0) {
      if (e == platform::net::Error::WouldBlock) return;
      continue;
    }
    received_.push_back(Received{port, from, std::string(buffer, static_cast<std::size_t>(n))});
    if (handler_) handler_(received_.back());
  }
}

void ScriptedReader::SendToTool(const std::string& bytes, std::uint32_t toolAddress) {
  command_->SendTo(bytes.data(), bytes.size(), {toolAddress, 24680});
}

std::string ReplyRaw(int cmdId, int cmdDataLen, int checksum, const std::string& data) {
  std::string out(static_cast<std::size_t>(PACKAGE_HEADER_LEN), '\0');
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put32(0, 0x58585858u);
  put32(4, 0);
  put32(8, static_cast<std::uint32_t>(cmdId));
  put32(12, static_cast<std::uint32_t>(cmdDataLen));
  out[16] = static_cast<char>(checksum & 0xFF);
  return out + data;
}

std::string Reply(int cmdId, const std::string& data) {
  return ReplyRaw(cmdId, static_cast<int>(data.size()),
                  CmdDataChecksum(static_cast<int>(data.size()), data.data()), data);
}

}  // namespace testing_support
