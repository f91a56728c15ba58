// Costs inside the dialog, with Google Benchmark, on the virtual segment:
// - BM_BareReceive: receiving discovery-reply datagrams through the sockets layer (recvfrom)
//   with nothing done to them: the floor.
// - BM_DialogDiscoveryReply: the same datagrams handled by the real dialog: notification,
//   recvfrom, checks, the record, the sorted list line and the hex dump in the status bar.
// - BM_ShowParameters: one parameter record put into the controls.
// - BM_LanguageSwitch: one choice in the language menu (config.ini written, language.csv
//   read, every text applied), alternating English and Chinese.
// After the run it prints the ratio of the two per-reply costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/KestrivalDlg.h"
#include "app/KestrivalResources.h"
#include "app/resource.h"
#include "bench/LoopbackUdp.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/UserInput.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/net/PosixUdp.h"
#include "platform/winsock2.h"
#include "protocol/DiscoverDev.h"
#include "protocol/IpAddress.h"
#include "sim/FactoryRecord.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ScriptedReader.h"

namespace {

using testing_support::DialogHarness;
using testing_support::kToolAddress;

constexpr int kBatch = 1000;  // replies per iteration: one search's worth

std::vector<std::string> Replies() {
  std::vector<std::string> out;
  for (int i = 0; i < kBatch; ++i) {
    char label[16];
    std::snprintf(label, sizeof label, "R%05d", (i * 7919) % kBatch);  // not in sorted order
    NetworkBlock block;
    block.netMode = 1;
    block.ipAddr = MakeIp32(10, 201, 1, static_cast<std::uint8_t>(i));
    const auto record = BuildDeviceRecord(label, block);
    out.push_back(testing_support::Reply(3, std::string(record.begin(), record.end())));
  }
  return out;
}

void SendAll(platform::net::VirtualSocket& from, const std::vector<std::string>& replies) {
  for (const auto& r : replies) from.SendTo(r.data(), r.size(), {kToolAddress, 24680});
}

std::unique_ptr<platform::net::VirtualSocket> Peer(platform::net::VirtualSegment& segment) {
  platform::net::Error e = platform::net::Error::None;
  auto socket = segment.AddHost(0x0AC90102).CreateVirtualUdp(&e);
  socket->Bind({0, 24680});
  return socket;
}

void BM_BareReceive(benchmark::State& state) {
  DialogHarness::Options options;
  options.createDialog = false;
  DialogHarness h(options);  // the same runtime and segment as below, without the dialog
  const auto replies = Replies();
  auto peer = Peer(h.Segment());
  WSADATA data;
  WSAStartup(0x0202, &data);
  SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(24680);
  bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local);
  char buffer[4096];
  for (auto _ : state) {
    state.PauseTiming();
    SendAll(*peer, replies);
    state.ResumeTiming();
    for (int i = 0; i < kBatch; ++i) {
      sockaddr_in from{};
      int fromLen = sizeof from;
      std::memset(buffer, 0, sizeof buffer);
      benchmark::DoNotOptimize(
          recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLen));
    }
  }
  closesocket(s);
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_BareReceive)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_DialogDiscoveryReply(benchmark::State& state) {
  DialogHarness h;
  const auto replies = Replies();
  auto peer = Peer(h.Segment());
  for (auto _ : state) {
    state.PauseTiming();
    if (!h.Dlg().Devices().empty()) h.Click(IDC_BTN_SEARCH);  // an empty list again
    SendAll(*peer, replies);
    state.ResumeTiming();
    h.Pump();
  }
  if (h.Dlg().Devices().size() != static_cast<std::size_t>(kBatch))
    state.SkipWithError("not every reply was listed");
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_DialogDiscoveryReply)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_ShowParameters(benchmark::State& state) {
  DialogHarness h;
  std::string version(64, '\0');
  version.replace(16, 15, "ver_client1_1.1");
  const std::string reply = testing_support::Reply(1, version);
  h.Dlg().UdpCmdRecv(reply.data(), static_cast<int>(reply.size()), MakeNetAddr(10, 201, 0, 2));
  const DEV_PARAM_T record = sim::FactoryRecord(MakeIp32(10, 201, 0, 2));
  for (auto _ : state) h.Dlg().ShowParameters(record);
  h.TakeTrace();
}
BENCHMARK(BM_ShowParameters)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_LanguageSwitch(benchmark::State& state) {
  DialogHarness h;
  bool english = true;
  for (auto _ : state) {
    h.Loop().Post(h.Window(), WM_COMMAND, english ? ID_LANGUAGE_ENGLISH : ID_LANGUAGE_CHINESE, 0);
    h.Pump();
    english = !english;
  }
  if (h.Dlg().TextLanguage() != 1 && h.Dlg().TextLanguage() != 2)
    state.SkipWithError("the language did not switch");
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// The same comparison on real UDP over the loopback of a network namespace of the bench's own
// (made in main; skipped without root): the bare cost is a recvfrom system call per datagram, the
// dialog's cost everything its loop does for one.
bool privateLoopback = false;

void BM_BareReceiveUdp(benchmark::State& state) {
  if (!privateLoopback) return state.SkipWithError("no private network namespace (needs root)");
  const auto replies = Replies();
  const int sender = loopback::OpenSender();
  const int fd = loopback::OpenReceiver(24690, 4 * 1024 * 1024);  // as the dialog's socket
  char buffer[4096];
  for (auto _ : state) {
    state.PauseTiming();
    loopback::SendAll(sender, replies, 24690);
    state.ResumeTiming();
    for (int i = 0; i < kBatch; ++i) {
      std::memset(buffer, 0, sizeof buffer);
      benchmark::DoNotOptimize(loopback::ReceiveOne(fd, buffer, sizeof buffer));
    }
  }
  loopback::Close(fd);
  loopback::Close(sender);
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_BareReceiveUdp)->Unit(benchmark::kMicrosecond)->Repetitions(5);

void BM_DialogDiscoveryReplyUdp(benchmark::State& state) {
  if (!privateLoopback) return state.SkipWithError("no private network namespace (needs root)");
  const auto replies = Replies();
  platform::net::PosixBackend posix;
  DialogHarness::Options options;
  options.network = &posix;
  options.collectTrace = false;
  {
    DialogHarness h(options);
    CKestrivalDlg& dialog = h.Dlg();
    platform::MessageLoop& loop = h.Loop();
    const int sender = loopback::OpenSender();
    for (auto _ : state) {
      state.PauseTiming();
      if (!dialog.Devices().empty()) {
        platform::UserClick(dialog.m_hWnd, IDC_BTN_SEARCH);
        loop.RunUntilIdle();
      }
      loopback::SendAll(sender, replies, 24680);
      state.ResumeTiming();
      loop.RunUntilIdle();
    }
    loopback::Close(sender);
    if (dialog.Devices().size() != static_cast<std::size_t>(kBatch))
      state.SkipWithError("not every reply was listed");
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_DialogDiscoveryReplyUdp)->Unit(benchmark::kMicrosecond)->Repetitions(5);

// Keeps the median of every repeated benchmark, for the ratio.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
        medians[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;  // in the benchmark's unit (microseconds)
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // A network namespace of our own with its loopback up: nothing sent there leaves the process.
  privateLoopback = loopback::MakePrivate();
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto bare = reporter.medians.find("BM_BareReceive");
  const auto dialog = reporter.medians.find("BM_DialogDiscoveryReply");
  if (bare != reporter.medians.end() && dialog != reporter.medians.end() && bare->second > 0) {
    std::printf(
        "\nper discovery reply (median of 5): bare receive %.3f us, through the dialog %.3f us, "
        "ratio %.2f (goal <= 3)\n",
        bare->second / kBatch, dialog->second / kBatch, dialog->second / bare->second);
  }
  const auto bareUdp = reporter.medians.find("BM_BareReceiveUdp");
  const auto dialogUdp = reporter.medians.find("BM_DialogDiscoveryReplyUdp");
  if (bareUdp != reporter.medians.end() && dialogUdp != reporter.medians.end() &&
      bareUdp->second > 0) {
    std::printf(
        "per discovery reply on real UDP (loopback, median of 5): bare recvfrom %.3f us, through "
        "the dialog %.3f us, ratio %.2f (goal <= 3)\n",
        bareUdp->second / kBatch, dialogUdp->second / kBatch, dialogUdp->second / bareUdp->second);
  }
  benchmark::Shutdown();
  return 0;
}
