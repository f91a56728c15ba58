// The desktop window on the real POSIX backend inside a network namespace lab, on Qt's offscreen
// platform: the host sleeps on the socket's descriptor (no periodic poll), and a burst of replies
// that lands while the user-interface thread is blocked is listed in full, with the kernel's
// receive buffer cut to the stock limit. Skips when the lab cannot be made.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/KestrivalDlg.h"
#include "protocol/DiscoverDev.h"
#include "tests/platform/qt/GuiHarness.h"
#include "tests/platform/qt/LabWindow.h"
#include "tests/support/NetLab.h"
#include "tests/support/ScriptedReader.h"

namespace {

using namespace std::chrono_literals;
using testsupport::NetLab;

struct BurstRow {
  const char* name;
  std::size_t replies;
};

class QtHostBurst : public ::testing::TestWithParam<BurstRow> {};

TEST_P(QtHostBurst, WaitsOnTheSocketAndListsEveryReplyOfABurstThatLandsWhileBlocked) {
  std::string why;
  if (!NetLab::Available(&why)) GTEST_SKIP() << "network lab unavailable: " << why;
  gui_testing::App();
  NetLab lab;
  const auto tool = lab.AddHost("tool");
  const auto reader = lab.AddHost("reader");
  lab.Up();

  platform::net::PosixOptions options;
  options.receiveBufferCap = 212992;  // the stock net.core.rmem_max
  gui_testing::LabWindow window(lab, tool, options);
  platform::net::PosixBackend& net = window.net;
  platform::qt::QtHost& host = window.host;
  CKestrivalDlg* dlg = window.dlg.get();
  QApplication::processEvents();
  ASSERT_EQ(dlg->SocketReady(), 1);
  EXPECT_FALSE(host.Polling()) << "a real socket has a descriptor to wait on";

  auto peer = lab.Within(reader, [&] {
    platform::net::Error e = platform::net::Error::Other;
    auto s = net.CreateUdp(&e);
    EXPECT_EQ(s ? s->Bind({0, 24582}) : e, platform::net::Error::None);
    return s;
  });
  ASSERT_NE(peer, nullptr);
  // The burst lands while this, the user-interface thread, does not run Qt's loop.
  const std::size_t n = GetParam().replies;
  for (std::size_t i = 0; i < n; ++i) {
    const auto record = BuildDeviceRecord("R" + std::to_string(i), NetworkBlock{});
    const std::string reply = testing_support::Reply(3, std::string(record.begin(), record.end()));
    ASSERT_EQ(peer->SendTo(reply.data(), reply.size(), {tool.address, 24680}),
              platform::net::Error::None);
    // Paced a little, so that a receive thread scheduled a few milliseconds late on a busy
    // machine still finds room in the kernel's buffer.
    if (i % 64 == 63) std::this_thread::sleep_for(1ms);
  }
  std::this_thread::sleep_for(100ms);

  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (dlg->Devices().size() < n && std::chrono::steady_clock::now() < deadline)
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  EXPECT_EQ(dlg->Devices().size(), n);
  EXPECT_EQ(dlg->m_hWnd->Child(IDC_LIST_DEVICES)->Items().size(), n);
  EXPECT_FALSE(host.Polling());
}

INSTANTIATE_TEST_SUITE_P(Rows, QtHostBurst,
                         ::testing::Values(BurstRow{"Thousand", 1000},
                                           BurstRow{"FiveThousand", 5000}),
                         [](const ::testing::TestParamInfo<BurstRow>& info) {
                           return info.param.name;
                         });

}  // namespace
