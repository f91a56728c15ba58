// The real dialog on the POSIX backend inside a network namespace lab: its socket is bound to
// the command port with broadcasting allowed, and a search reaches a reader in another namespace.
// Skips when the lab cannot be made (not root, no iproute2, no namespaces).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/KestrivalDlg.h"
#include "platform/MessageLoop.h"
#include "platform/UserInput.h"
#include "platform/net/PosixUdp.h"
#include "protocol/DiscoverDev.h"
#include "protocol/MspPacket.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/NetLab.h"
#include "tests/support/ScriptedReader.h"

namespace {

using namespace std::chrono_literals;
using platform::net::Endpoint;
using platform::net::Error;
using platform::net::PosixBackend;
using testsupport::NetLab;

TEST(UdpSocketNetlab, DialogBindsTheCommandPortWithBroadcastAndItsSearchReachesAReader) {
  std::string why;
  if (!NetLab::Available(&why)) GTEST_SKIP() << "network lab unavailable: " << why;

  NetLab lab;
  const NetLab::Host tool = lab.AddHost("tool");
  const NetLab::Host reader = lab.AddHost("reader");
  lab.Up();

  PosixBackend net;
  testing_support::DialogHarness::Options options;
  options.network = &net;
  options.createDialog = false;
  testing_support::DialogHarness h(options);
  platform::MessageLoop& loop = h.Loop();

  auto peer = lab.Within(reader, [&] {
    Error e = Error::Other;
    auto s = net.CreateUdp(&e);
    EXPECT_NE(s, nullptr);
    if (s) {
      EXPECT_EQ(s->Bind({0, 24582}), Error::None);
    }
    return s;
  });
  ASSERT_NE(peer, nullptr);

  // The dialog's socket is made in the tool's namespace and stays there.
  lab.Within(tool, [&] { h.Start(); });
  CKestrivalDlg* dlg = &h.Dlg();
  ASSERT_EQ(dlg->SocketReady(), 1);
  EXPECT_EQ(dlg->m_hWnd->Child(IDC_STATUS_BAR)->PartText(0),
            dlg->InterfaceText(Text::NetworkReady));

  // The command port is the dialog's now.
  auto second = lab.Within(tool, [&] {
    Error e = Error::Other;
    return net.CreateUdp(&e);
  });
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->Bind({0, 24680}), Error::AddrInUse);

  // The broadcast needs SO_BROADCAST: without it the send fails and Text::SendFailed shows.
  ASSERT_EQ(platform::UserClick(dlg->m_hWnd, IDC_BTN_SEARCH), platform::InputResult::Ok);
  loop.RunUntilIdle();
  EXPECT_EQ(dlg->m_hWnd->Child(IDC_STATUS_BAR)->PartText(0), dlg->InterfaceText(Text::Sent));

  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!peer->Readable() && std::chrono::steady_clock::now() < deadline) net.Wait(100ms);
  char buffer[2048];
  Endpoint from;
  Error e = Error::Other;
  const long n = peer->RecvFrom(buffer, sizeof buffer, &from, &e);
  ASSERT_EQ(n, PACKAGE_HEADER_LEN) << "the search did not reach the reader";
  EXPECT_EQ(testing_support::Hex(std::string(buffer, 17)),
            "58 58 58 58 00 00 00 00 02 00 00 00 00 00 00 00 FF");
  EXPECT_EQ(from.addr, tool.address);
  EXPECT_EQ(from.port, 24680);

  const auto record = BuildDeviceRecord("LabReader", NetworkBlock{});
  const std::string reply = testing_support::Reply(3, std::string(record.begin(), record.end()));
  ASSERT_EQ(peer->SendTo(reply.data(), reply.size(), {from.addr, 24680}), Error::None);
  EXPECT_TRUE(loop.RunUntil([&] { return dlg->Devices().size() == 1; }, 5s));
  ASSERT_EQ(dlg->Devices().size(), 1u);
  const std::uint32_t a = reader.address;
  EXPECT_EQ(dlg->Devices()[0]->ipAddr,
            MakeNetAddr(static_cast<std::uint8_t>(a >> 24), static_cast<std::uint8_t>(a >> 16),
                        static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)));
  EXPECT_EQ(dlg->m_hWnd->Child(IDC_LIST_DEVICES)->Items(), std::vector<std::string>{"LabReader"});
}

}  // namespace
