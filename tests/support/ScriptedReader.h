// A scripted peer on the virtual segment: it records every datagram that reaches its ports and
// answers with whatever bytes the test queues, from its own address.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/net/VirtualSegment.h"

namespace testing_support {

class ScriptedReader {
 public:
  struct Received {
    std::uint16_t port;  // local port it arrived on (24680 or 24582)
    platform::net::Endpoint from;
    std::string bytes;
  };

  // A host with this address on the segment, listening on 24680 and 24582.
  ScriptedReader(platform::net::VirtualSegment& segment, std::uint32_t address);
  ~ScriptedReader();

  // Sends bytes from its command port (24680) to the tool (address, port 24680).
  void SendToTool(const std::string& bytes, std::uint32_t toolAddress);
  // Called for every datagram that arrives; may answer with SendToTool.
  void OnReceive(std::function<void(const Received&)> handler) { handler_ = std::move(handler); }

  const std::vector<Received>& Datagrams() const { return received_; }
  void Clear() { received_.clear(); }
  std::uint32_t Address() const { return address_; }
  platform::net::VirtualHost& Host() { return *host_; }

 private:
  void Drain(platform::net::VirtualSocket& socket, std::uint16_t port);
  std::uint32_t address_;
  platform::net::VirtualHost* host_;
  std::unique_ptr<platform::net::VirtualSocket> command_;
  std::unique_ptr<platform::net::VirtualSocket> discovery_;
  std::vector<Received> received_;
  std::function<void(const Received&)> handler_;
};

// The header of a reply (17 bytes) followed by its data, checksum computed over the data.
std::string Reply(int cmdId, const std::string& data);
// The same with the header's length and checksum byte given explicitly.
std::string ReplyRaw(int cmdId, int cmdDataLen, int checksum, const std::string& data);

}  // namespace testing_support
