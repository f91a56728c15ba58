// Simulated readers on the virtual segment: what a socket of the tool's host receives from them.
#include "sim/VirtualReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"
#include "protocol/MspPacket.h"
#include "sim/Demo.h"

namespace {

using namespace std::chrono_literals;
using platform::net::Endpoint;
using platform::net::Error;
using Bytes = std::vector<std::uint8_t>;

Bytes Header(std::int32_t cmdId, const Bytes& data = {}) {
  MspSendCmd_t h{};
  BuildCmdHeader(cmdId, data.data(), static_cast<int>(data.size()), &h);
  auto e = EncodeCmdHeader(h);
  return Bytes(e.begin(), e.end());
}

struct Arrival {
  Endpoint from;
  Bytes bytes;
};

class VirtualReaderTest : public ::testing::Test {
 protected:
  VirtualReaderTest() : tool_(segment_.AddHost(sim::kDemoToolAddress)) {
    Error e = Error::None;
    socket_ = tool_.CreateVirtualUdp(&e);
    EXPECT_EQ(socket_->Bind(Endpoint{0, COMMAND_PORT}), Error::None);
    EXPECT_EQ(socket_->SetBroadcast(true), Error::None);
  }
  void Send(const Bytes& b, Endpoint to) {
    ASSERT_EQ(socket_->SendTo(b.data(), b.size(), to), Error::None);
  }
  std::vector<Arrival> Receive() {
    std::vector<Arrival> out;
    Bytes buffer(4096);
    for (;;) {
      Arrival a;
      Error e = Error::None;
      long n = socket_->RecvFrom(buffer.data(), buffer.size(), &a.from, &e);
      if (n < 0) break;
      a.bytes.assign(buffer.begin(), buffer.begin() + n);
      out.push_back(a);
    }
    return out;
  }
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost& tool_;
  std::unique_ptr<platform::net::VirtualSocket> socket_;
};

TEST_F(VirtualReaderTest, SearchReachesTheThreeDemoReadersFromTheirDiscoveryPort) {
  auto readers = sim::AddDemoReaders(segment_);
  Send(Header(CMD_SEARCH), Endpoint{0xFFFFFFFFu, DISCOVERY_PORT});
  auto arrivals = Receive();
  ASSERT_EQ(arrivals.size(), 3u);
  std::set<std::string> labels;
  for (const Arrival& a : arrivals) {
    EXPECT_EQ(a.from.port, DISCOVERY_PORT);
    ASSERT_EQ(a.bytes.size(), 17u + 96u);
    EXPECT_EQ(ParseReply(a.bytes.data(), a.bytes.size(), static_cast<int>(a.bytes.size())).cmdId,
              CMD_SEARCH_REPLY);
    const auto rec = DecodeDiscoverDev(a.bytes.data() + 17, 96);
    labels.insert(LabelText(rec));
    // The record reports the reader's own address as ip32.
    EXPECT_EQ(GetIp32(a.bytes.data() + 17 + 20).value, a.from.addr);
  }
  EXPECT_EQ(labels, (std::set<std::string>{"Gate A", "Gate B", "Lobby"}));
  // Two readers carry the client version text, one does not; Gate B has a GBK server address.
  int client = 0;
  for (auto& r : readers) client += r->Engine().Version() == sim::kClientVersion;
  EXPECT_EQ(client, 2);
  EXPECT_EQ(static_cast<unsigned char>(readers[1]->Engine().Record().serverAddr[0]), 0xC3u);
}

TEST_F(VirtualReaderTest, CommandsGoToTheCommandPortAndDelayedRepliesWaitForTheTimer) {
  sim::VirtualReader reader(segment_, 0xC0A80064, {"Slow", Ip32{0xC0A80064}, sim::kClientVersion});
  std::string error;
  reader.Engine().SetMisbehaviour(*sim::ParseMisbehaviourList("delay=80@30", &error));
  const Endpoint to{0xC0A80064, COMMAND_PORT};
  Send(Header(CMD_READ_VERSION), to);
  Send(Header(CMD_READ_PARAMS), to);
  auto now = Receive();
  ASSERT_EQ(now.size(), 1u);
  EXPECT_EQ(now[0].from, to);
  EXPECT_EQ(
      ParseReply(now[0].bytes.data(), now[0].bytes.size(), static_cast<int>(now[0].bytes.size()))
          .cmdId,
      CMD_READ_VERSION_REPLY);
  tool_.Wait(20ms);
  EXPECT_TRUE(Receive().empty()) << "the delayed reply came early";
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  std::vector<Arrival> later;
  while (later.empty() && std::chrono::steady_clock::now() < deadline) {
    tool_.Wait(20ms);
    later = Receive();
  }
  ASSERT_EQ(later.size(), 1u);
  EXPECT_EQ(later[0].bytes.size(), 17u + 720u);
  // The search belongs to the discovery port: on the command port it goes unanswered.
  Send(Header(CMD_SEARCH), to);
  EXPECT_TRUE(Receive().empty());
  auto lock = reader.Lock();
  EXPECT_EQ(reader.Engine().Stats().wrongPort, 1u);
}

TEST_F(VirtualReaderTest, ASecondReaderOnTakenPortsIsRefused) {
  sim::VirtualReader first(segment_, 0xC0A80065, {"One", Ip32{0xC0A80065}, sim::kClientVersion});
  EXPECT_THROW(sim::VirtualReader(segment_, first.Host(), {"Two", Ip32{0xC0A80065}, ""}),
               std::runtime_error);
}

}  // namespace
