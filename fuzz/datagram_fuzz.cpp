// Any datagram from the network, sent by a peer on the virtual segment to the real dialog: the
// notification handler, the reply checks and every reply handler, the parameter display included.
#include <cstdint>
#include <memory>

#include "tests/support/DialogHarness.h"

namespace {

struct World {
  testing_support::DialogHarness harness;
  std::unique_ptr<platform::net::VirtualSocket> peer;
  World() {
    platform::net::Error e = platform::net::Error::None;
    auto& host = harness.Segment().AddHost(0xC0A80064);  // 192.168.0.100
    peer = host.CreateVirtualUdp(&e);
    peer->Bind({0, 24680});
  }
};

World& TheWorld() {
  static World* world = new World();  // lives for the whole run
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& w = TheWorld();
  if (size > 70000) return 0;
  w.peer->SendTo(data, size, {testing_support::kToolAddress, 24680});
  w.harness.Pump();
  w.harness.TakeTrace();
  return 0;
}
