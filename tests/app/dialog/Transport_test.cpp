// The UDP transport of the real dialog on the virtual segment: socket set-up and its failure
// paths, the send routine, the read notification and the debug trace.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "i18n/TextFormat.h"
#include "platform/kernel.h"
#include "protocol/HexDump.h"
#include "protocol/MspPacket.h"
#include "tests/app/dialog/ProtocolSupport.h"

namespace {

using platform::net::Endpoint;
using platform::net::Error;
using protocol_dlg::Addr;
using protocol_dlg::AnswerSearches;
using protocol_dlg::DialogAccess;
using protocol_dlg::DiscoveryRecord;
using protocol_dlg::StatusRecorder;
using testing_support::DialogHarness;
using testing_support::kToolAddress;
using testing_support::Reply;
using testing_support::ScriptedReader;

std::string PortsText(const DialogHarness& h) {
  return FormatInterfaceText(h.InterfaceText(Text::PortLine).c_str(), {24680, 24582});
}

std::string SentToText(const DialogHarness& h, int a, int b, int c, int d) {
  return FormatInterfaceText(h.InterfaceText(Text::SentToAddress).c_str(), {a, b, c, d});
}

std::string HeaderBytes(int cmdId, const std::string& data) {
  MspSendCmd_t header{};
  BuildCmdHeader(cmdId, data.data(), static_cast<int>(data.size()), &header);
  const auto bytes = EncodeCmdHeader(header);
  return std::string(bytes.begin(), bytes.end());
}

// A discovery reply handed straight to the reply handler, as if `from` had answered a search.
void AddDevice(DialogHarness& h, const std::string& label, std::uint32_t from) {
  const std::string reply = Reply(3, DiscoveryRecord(label));
  const NetAddr sender =
      MakeNetAddr(static_cast<std::uint8_t>(from >> 24), static_cast<std::uint8_t>(from >> 16),
                  static_cast<std::uint8_t>(from >> 8), static_cast<std::uint8_t>(from));
  h.Dlg().UdpCmdRecv(reply.data(), static_cast<int>(reply.size()), sender);
}

TEST(TransportDlg, StartUpBindsTheCommandPortAndReportsReady) {
  DialogHarness h;
  ASSERT_FALSE(h.InterfaceText(Text::NetworkReady).empty())
      << "language.csv missing beside the test program";
  EXPECT_EQ(h.Dlg().SocketReady(), 1);
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::NetworkReady));
  EXPECT_EQ(h.Status(1), PortsText(h));
  EXPECT_NE(h.Status(1), h.InterfaceText(Text::PortLine))
      << "Text::PortLine must be formatted with the two ports";

  // The port is taken by the tool now, and a datagram to it reaches the dialog.
  Error e = Error::None;
  auto other = h.ToolHost().CreateVirtualUdp(&e);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->Bind({0, 24680}), Error::AddrInUse);
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  reader.SendToTool(Reply(7, ""), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SetSuccessfully));
}

// Every failure of the set-up leaves the socket unusable: the flag stays 0, Search shows
// Text::NetworkNotReady and keeps the list, and a send reports Text::SendFailed.
struct SetupFailure {
  const char* name;
  void (*inject)(DialogHarness&, std::unique_ptr<platform::net::VirtualSocket>& blocker);
  Text part0Text;
  bool portsLineShown;
};

class TransportSetupFailure : public ::testing::TestWithParam<SetupFailure> {};

TEST_P(TransportSetupFailure, ReportsItAndLeavesTheToolWithoutSocket) {
  const SetupFailure& row = GetParam();
  DialogHarness::Options options;
  options.createDialog = false;
  DialogHarness h(options);
  std::unique_ptr<platform::net::VirtualSocket> blocker;
  row.inject(h, blocker);
  h.Start();
  ASSERT_FALSE(h.InterfaceText(row.part0Text).empty()) << "language.csv missing";

  EXPECT_EQ(h.Dlg().SocketReady(), 0);
  EXPECT_EQ(h.Status(0), h.InterfaceText(row.part0Text));
  if (row.portsLineShown) {
    EXPECT_EQ(h.Status(1), PortsText(h));
  } else {
    EXPECT_NE(h.Status(1), PortsText(h));
  }

  // A line in the list (as an earlier reply would leave it) stays through a refused search.
  AddDevice(h, "Lobby", Addr(192, 168, 0, 21));
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Lobby"});
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  h.Click(IDC_BTN_SEARCH);
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::NetworkNotReady));
  EXPECT_EQ(h.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Lobby"});
  EXPECT_EQ(h.Dlg().Devices().size(), 1u);
  EXPECT_TRUE(reader.Datagrams().empty());

  h.Select(IDC_LIST_DEVICES, 0);
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), HeaderBytes(30, "")), -1);
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SendFailed));
  EXPECT_TRUE(reader.Datagrams().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TransportSetupFailure,
    ::testing::Values(
        SetupFailure{"SocketsLayerCannotStart",
                     [](DialogHarness& h, std::unique_ptr<platform::net::VirtualSocket>&) {
                       h.ToolHost().FailStartup(true);
                     },
                     Text::CannotStartSockets, false},
        SetupFailure{"SocketCannotBeCreated",
                     [](DialogHarness& h, std::unique_ptr<platform::net::VirtualSocket>&) {
                       h.ToolHost().FailCreateUdp(Error::NoBuffers);
                     },
                     Text::CannotCreateSocket, false},
        SetupFailure{"CommandPortTaken",
                     [](DialogHarness& h, std::unique_ptr<platform::net::VirtualSocket>& blocker) {
                       Error e = Error::None;
                       blocker = h.ToolHost().CreateVirtualUdp(&e);
                       ASSERT_NE(blocker, nullptr);
                       ASSERT_EQ(blocker->Bind({0, 24680}), Error::None);
                     },
                     Text::CannotBindPort, true}),
    [](const ::testing::TestParamInfo<SetupFailure>& info) { return info.param.name; });

TEST(TransportDlg, NoSelectionShowsNoReaderSelectedForEachDatagramAndSendsNothing) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  AnswerSearches(reader, DiscoveryRecord("Lobby"));
  h.Click(IDC_BTN_SEARCH);
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES).size(), 1u);
  reader.Clear();

  StatusRecorder status(h);
  const std::string data = protocol_dlg::Bytes({1, 0, 0, 0});
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), HeaderBytes(6, data)), -1);
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), data), -1);
  h.Pump();
  EXPECT_EQ(status.Part(0), (std::vector<std::string>{h.InterfaceText(Text::NoReaderSelected),
                                                      h.InterfaceText(Text::NoReaderSelected)}));
  EXPECT_TRUE(status.Part(1).empty());
  EXPECT_TRUE(reader.Datagrams().empty());
}

TEST(TransportDlg, HeaderThenDataReachTheSelectedReaderEachReportedOnItsOwn) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  AnswerSearches(reader, DiscoveryRecord("Lobby"));
  h.Click(IDC_BTN_SEARCH);
  h.Select(IDC_LIST_DEVICES, 0);
  reader.Clear();
  h.TakeTrace();

  StatusRecorder status(h);
  const std::string data = protocol_dlg::Bytes({2, 0, 0, 0});
  const std::string header = HeaderBytes(6, data);
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), header), 0);
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), data), 0);

  ASSERT_EQ(reader.Datagrams().size(), 2u);
  for (const auto& d : reader.Datagrams()) {
    EXPECT_EQ(d.port, 24680);
    EXPECT_EQ(d.from.addr, kToolAddress);
    EXPECT_EQ(d.from.port, 24680);
  }
  EXPECT_EQ(reader.Datagrams()[0].bytes, header);
  EXPECT_EQ(reader.Datagrams()[1].bytes, data);

  const std::string sentTo = SentToText(h, 192, 168, 0, 21);
  EXPECT_EQ(status.Part(0), (std::vector<std::string>{sentTo, sentTo}));
  const std::string headerDump = HexDump(header.data(), static_cast<int>(header.size()));
  EXPECT_EQ(headerDump.rfind(" 58 58 58 58 00 00 00 00 06 00 00 00 04 00 00 00 ", 0), 0u);
  EXPECT_EQ(status.Part(1), (std::vector<std::string>{headerDump, " 02 00 00 00"}));
  EXPECT_EQ(h.TakeTrace(), (std::vector<std::string>{"senddata(192.168.0.21): " + headerDump + "\n",
                                                     "senddata(192.168.0.21):  02 00 00 00\n"}));
}

TEST(TransportDlg, EachDatagramGoesToTheReaderSelectedAtItsSend) {
  DialogHarness h;
  ScriptedReader a(h.Segment(), Addr(192, 168, 0, 21));
  ScriptedReader b(h.Segment(), Addr(192, 168, 0, 22));
  AnswerSearches(a, DiscoveryRecord("Alpha"));
  AnswerSearches(b, DiscoveryRecord("Bravo"));
  h.Click(IDC_BTN_SEARCH);
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES), (std::vector<std::string>{"Alpha", "Bravo"}));
  a.Clear();
  b.Clear();

  h.Select(IDC_LIST_DEVICES, 0);
  DialogAccess::Send(h.Dlg(), HeaderBytes(16, "\x01\x00\x00\x00"));
  h.Select(IDC_LIST_DEVICES, 1);
  DialogAccess::Send(h.Dlg(), std::string("\x01\x00\x00\x00", 4));
  ASSERT_EQ(a.Datagrams().size(), 1u);
  ASSERT_EQ(b.Datagrams().size(), 1u);
  EXPECT_EQ(a.Datagrams()[0].bytes.size(), 17u);
  EXPECT_EQ(b.Datagrams()[0].bytes.size(), 4u);
  EXPECT_EQ(h.Dlg().SelectedDevice().ipAddr, MakeNetAddr(192, 168, 0, 22));
  EXPECT_EQ(h.Status(0), SentToText(h, 192, 168, 0, 22));
}

// Datagrams of every size reach the reply handler, and part 1 shows each one's bytes whether
// the handler took it or not; one too big for the 4096-byte buffer is lost and shows nothing.
struct ReceivedDatagram {
  const char* name;
  std::string bytes;
  bool shown;         // part 1 shows its dump
  bool confirmed;     // Text::SetSuccessfully in part 0
  const char* trace;  // what the trace line holds (empty: no line expected)
};

class TransportReceive : public ::testing::TestWithParam<ReceivedDatagram> {};

std::string ConfirmWithData(std::size_t dataLen) {
  std::string data(dataLen, '\0');
  for (std::size_t i = 0; i < dataLen; ++i) data[i] = static_cast<char>(i * 7 + 1);
  return Reply(7, data);
}

TEST_P(TransportReceive, DumpsEveryDatagramTheSocketDelivers) {
  const ReceivedDatagram& row = GetParam();
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  const std::string before0 = h.Status(0);
  const std::string before1 = h.Status(1);
  h.TakeTrace();

  reader.SendToTool(row.bytes, kToolAddress);
  h.Pump();

  if (row.shown) {
    EXPECT_EQ(h.Status(1), HexDump(row.bytes.data(), static_cast<int>(row.bytes.size())));
  } else {
    EXPECT_EQ(h.Status(1), before1);
  }
  EXPECT_EQ(h.Status(0), row.confirmed ? h.InterfaceText(Text::SetSuccessfully) : before0);
  const auto trace = h.TakeTrace();
  if (std::string(row.trace).empty()) {
    EXPECT_TRUE(trace.empty());
  } else {
    ASSERT_FALSE(trace.empty());
    EXPECT_NE(trace[0].find(row.trace), std::string::npos) << trace[0];
  }

  // The socket still works: the next datagram is received and handled as usual.
  reader.SendToTool(Reply(9, ""), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SetSuccessfully));
  EXPECT_EQ(h.Status(1), HexDump(Reply(9, "").data(), 17));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TransportReceive,
    ::testing::Values(
        ReceivedDatagram{"ThreeBytes", "XXX", true, false, "recvbytes=3 PACKAGE_HEADER_LEN=17"},
        ReceivedDatagram{"SixteenBytes", std::string("XXXX\0\0\0\0\x07\0\0\0\0\0\0\0", 16), true,
                         false, "recvbytes=16 PACKAGE_HEADER_LEN=17"},
        ReceivedDatagram{"HeaderOnly", testing_support::ReplyRaw(7, 0, 0x00, ""), true, true,
                         "pNet->cmdId =0x7"},
        ReceivedDatagram{"FullBuffer", ConfirmWithData(4096 - 17), true, true, "pNet->cmdId =0x7"},
        ReceivedDatagram{"OneByteTooBig", ConfirmWithData(4097 - 17), false, false, ""}),
    [](const ::testing::TestParamInfo<ReceivedDatagram>& info) { return info.param.name; });

TEST(TransportDlg, ReceiveErrorShowsNothingAndTheSocketStaysRegistered) {
  DialogHarness h;
  platform::net::SegmentOptions options = h.Segment().Options();
  options.reportPortUnreachable = true;
  h.Segment().SetOptions(options);
  // A host that answered once but has nobody on the command port any more.
  h.Segment().AddHost(Addr(192, 168, 0, 40));
  AddDevice(h, "Gone", Addr(192, 168, 0, 40));
  h.Select(IDC_LIST_DEVICES, 0);

  const std::string header = HeaderBytes(30, "");
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), header), 0);
  EXPECT_EQ(h.Segment().Stats().droppedNoPort, 1u);
  const std::string part0 = h.Status(0);
  const std::string part1 = h.Status(1);
  h.TakeTrace();
  h.Pump();  // the pending error comes back from recvfrom
  EXPECT_EQ(h.Status(0), part0);
  EXPECT_EQ(h.Status(1), part1);
  EXPECT_TRUE(h.TakeTrace().empty());

  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  reader.SendToTool(Reply(11, ""), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SetSuccessfully));
  EXPECT_EQ(h.Status(1), HexDump(Reply(11, "").data(), 17));
}

// DebugTrace formats into 2048 bytes: a longer text is cut to its first 2047 bytes.
TEST(TransportDlg, DebugTraceCutsLongTextsToTheBuffer) {
  DialogHarness h;
  struct Row {
    std::size_t length;
    std::size_t traced;
  };
  const Row rows[] = {{0, 0}, {10, 10}, {2046, 2046}, {2047, 2047}, {2048, 2047}, {5000, 2047}};
  for (const Row& row : rows) {
    std::string text(row.length, 'a');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
    h.TakeTrace();
    DebugTrace("%s", text.c_str());
    const auto trace = h.TakeTrace();
    ASSERT_EQ(trace.size(), 1u) << row.length;
    EXPECT_EQ(trace[0], text.substr(0, row.traced)) << row.length;
  }
  h.TakeTrace();
  DebugTrace("senddata(%d.%d.%d.%d): %s\n", 10, 0, 0, 7, " 58");
  EXPECT_EQ(h.TakeTrace(), std::vector<std::string>{"senddata(10.0.0.7):  58\n"});
}

}  // namespace
