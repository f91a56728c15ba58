// Discovery of readers, the device list and the network settings command, through the real
// dialog on the virtual segment with scripted readers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "i18n/TextFormat.h"
#include "protocol/MspPacket.h"
#include "tests/app/dialog/ProtocolSupport.h"

namespace {

using protocol_dlg::Addr;
using protocol_dlg::AnswerSearches;
using protocol_dlg::DialogAccess;
using protocol_dlg::DiscoveryRecord;
using protocol_dlg::LineOf;
using protocol_dlg::StatusRecorder;
using testing_support::DialogHarness;
using testing_support::Hex;
using testing_support::kToolAddress;
using testing_support::Reply;
using testing_support::ScriptedReader;

const std::string kSearchRequest =
    protocol_dlg::Bytes({0x58, 0x58, 0x58, 0x58, 0, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0xFF});

std::vector<std::string> Labels(DialogHarness& h) {
  std::vector<std::string> out;
  for (const auto& record : h.Dlg().Devices()) out.push_back(LabelText(*record));
  return out;
}

struct Peer {
  const char* label;
  std::uint32_t address;
};

TEST(DiscoveryDlg, ThreeReadersGiveSortedLinesAndRecordsInArrivalOrder) {
  DialogHarness h;
  const Peer peers[] = {{"Office", Addr(192, 168, 0, 23)},
                        {"Garage", Addr(192, 168, 0, 21)},
                        {"Lobby", Addr(192, 168, 0, 22)}};
  std::vector<std::unique_ptr<ScriptedReader>> readers;
  for (const Peer& p : peers)
    readers.push_back(std::make_unique<ScriptedReader>(h.Segment(), p.address));

  h.Click(IDC_BTN_SEARCH);
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::Sent));
  for (const auto& r : readers) {
    ASSERT_EQ(r->Datagrams().size(), 1u);
    EXPECT_EQ(r->Datagrams()[0].port, 24582);
    EXPECT_EQ(r->Datagrams()[0].from.addr, kToolAddress);
    EXPECT_EQ(r->Datagrams()[0].from.port, 24680);
    EXPECT_EQ(Hex(r->Datagrams()[0].bytes), Hex(kSearchRequest));
  }
  // Replies in the order Office, Garage, Lobby.
  for (std::size_t i = 0; i < readers.size(); ++i) {
    readers[i]->SendToTool(Reply(3, DiscoveryRecord(peers[i].label, MakeIp32(1, 2, 3, 4))),
                           kToolAddress);
  }
  h.Pump();

  EXPECT_EQ(h.Items(IDC_LIST_DEVICES), (std::vector<std::string>{"Garage", "Lobby", "Office"}));
  ASSERT_EQ(Labels(h), (std::vector<std::string>{"Office", "Garage", "Lobby"}));
  for (std::size_t i = 0; i < readers.size(); ++i) {
    const DISCOVER_DEV_T& record = *h.Dlg().Devices()[i];
    const std::uint32_t a = peers[i].address;
    EXPECT_EQ(record.ipAddr,
              MakeNetAddr(static_cast<std::uint8_t>(a >> 24), static_cast<std::uint8_t>(a >> 16),
                          static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)));
    // Every other field as the reader sent it.
    const std::string sent = DiscoveryRecord(peers[i].label, MakeIp32(1, 2, 3, 4));
    const auto stored = EncodeDiscoverDev(record);
    EXPECT_EQ(Hex(std::string(stored.begin(), stored.begin() + 20)), Hex(sent.substr(0, 20)));
    EXPECT_EQ(Hex(std::string(stored.begin() + 24, stored.end())), Hex(sent.substr(24)));
  }

  // A second search empties both before any new reply; replies that come twice give two lines.
  h.Click(IDC_BTN_SEARCH);
  EXPECT_TRUE(h.Items(IDC_LIST_DEVICES).empty());
  EXPECT_TRUE(h.Dlg().Devices().empty());
  readers[2]->SendToTool(Reply(3, DiscoveryRecord("Lobby")), kToolAddress);
  readers[2]->SendToTool(Reply(3, DiscoveryRecord("Lobby")), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Items(IDC_LIST_DEVICES), (std::vector<std::string>{"Lobby", "Lobby"}));
  EXPECT_EQ(Labels(h), (std::vector<std::string>{"Lobby", "Lobby"}));
}

TEST(DiscoveryDlg, SearchWritesNoDumpAndNoTrace) {
  DialogHarness h;
  const std::string part1 = h.Status(1);
  h.TakeTrace();
  h.Click(IDC_BTN_SEARCH);
  EXPECT_EQ(h.Status(1), part1);
  EXPECT_TRUE(h.TakeTrace().empty());
}

// Two readers with one label (as every reader fresh from the factory has): each line reaches
// its own reader, for commands, the network settings command and the double click alike.
TEST(DiscoveryDlg, TwoReadersWithOneLabelEachLineReachesItsOwnReader) {
  DialogHarness h;
  ScriptedReader late(h.Segment(), Addr(192, 168, 0, 31));
  ScriptedReader first(h.Segment(), Addr(192, 168, 0, 32));
  h.Click(IDC_BTN_SEARCH);
  first.SendToTool(Reply(3, DiscoveryRecord("Twin")), kToolAddress);
  late.SendToTool(Reply(3, DiscoveryRecord("Twin")), kToolAddress);
  h.Pump();
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES), (std::vector<std::string>{"Twin", "Twin"}));
  h.Control(IDC_BTN_SET_NETWORK)->SetEnabled(true);

  // The sorted list puts the later line before the earlier one of equal text.
  struct Line {
    int line;
    ScriptedReader* reader;
    ScriptedReader* other;
    int lastOctet;
  };
  const Line lines[] = {{0, &late, &first, 31}, {1, &first, &late, 32}, {0, &late, &first, 31}};
  for (const Line& l : lines) {
    first.Clear();
    late.Clear();
    h.Select(IDC_LIST_DEVICES, l.line);
    EXPECT_EQ(DialogAccess::Send(h.Dlg(), std::string(17, 'X')), 0);
    ASSERT_EQ(l.reader->Datagrams().size(), 1u) << l.line;
    EXPECT_EQ(l.reader->Datagrams()[0].port, 24680);

    ASSERT_EQ(h.Click(IDC_BTN_SET_NETWORK), platform::InputResult::Ok);
    ASSERT_EQ(l.reader->Datagrams().size(), 3u) << l.line;
    EXPECT_EQ(l.reader->Datagrams()[2].port, 24582);
    EXPECT_EQ(l.reader->Datagrams()[2].bytes.substr(0, 5), std::string("Twin", 5));
    EXPECT_TRUE(l.other->Datagrams().empty()) << l.line;

    h.DoubleClick(IDC_LIST_DEVICES);
    const std::string shown = FormatInterfaceText(h.InterfaceText(Text::ReaderAddressLine).c_str(),
                                                  {"Twin", 192, 168, 0, l.lastOctet});
    EXPECT_EQ(h.Status(0), shown);
    EXPECT_EQ(h.Title(), shown);
    EXPECT_EQ(h.Dlg().SelectedDevice().ipAddr,
              MakeNetAddr(192, 168, 0, static_cast<std::uint8_t>(l.lastOctet)));
  }
}

// A line put into the list without a record of the array is still found by its label.
TEST(DiscoveryDlg, ALineWithoutItsRecordIsFoundByItsLabel) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 40));
  AnswerSearches(reader, DiscoveryRecord("Gate"));
  h.Click(IDC_BTN_SEARCH);
  ASSERT_EQ(h.Dlg().Devices().size(), 1u);
  h.Control(IDC_LIST_DEVICES)->Send(LB_SETITEMDATA, 0, 0);
  h.Select(IDC_LIST_DEVICES, 0);
  reader.Clear();
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), std::string(17, 'X')), 0);
  EXPECT_EQ(reader.Datagrams().size(), 1u);
}

TEST(DiscoveryDlg, ReaderIsAddressedWhereItAnsweredFromNotWhereItsRecordSays) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(10, 0, 0, 7));
  AnswerSearches(reader, DiscoveryRecord("Remote", MakeIp32(192, 168, 0, 99)));
  h.Click(IDC_BTN_SEARCH);
  ASSERT_EQ(h.Dlg().Devices().size(), 1u);
  EXPECT_EQ(h.Dlg().Devices()[0]->ipAddr, MakeNetAddr(10, 0, 0, 7));
  reader.Clear();

  h.Select(IDC_LIST_DEVICES, 0);
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), std::string(17, 'X')), 0);
  ASSERT_EQ(reader.Datagrams().size(), 1u);
  EXPECT_EQ(reader.Datagrams()[0].port, 24680);
  EXPECT_EQ(h.Status(0),
            FormatInterfaceText(h.InterfaceText(Text::SentToAddress).c_str(), {10, 0, 0, 7}));
}

TEST(DiscoveryDlg, DoubleClickShowsLabelAndAddressInPartZeroAndTitle) {
  DialogHarness h;
  ScriptedReader a(h.Segment(), Addr(192, 168, 0, 21));
  ScriptedReader b(h.Segment(), Addr(172, 16, 5, 200));
  AnswerSearches(a, DiscoveryRecord("Alpha"));
  AnswerSearches(b, DiscoveryRecord("Bravo"));
  const std::string title = h.Title();

  // No line selected: nothing happens.
  h.Click(IDC_BTN_SEARCH);
  const std::string part0 = h.Status(0);
  h.DoubleClick(IDC_LIST_DEVICES);
  EXPECT_EQ(h.Status(0), part0);
  EXPECT_EQ(h.Title(), title);

  a.Clear();
  b.Clear();
  h.Select(IDC_LIST_DEVICES, LineOf(h, "Bravo"));
  h.DoubleClick(IDC_LIST_DEVICES);
  const std::string expected = FormatInterfaceText(h.InterfaceText(Text::ReaderAddressLine).c_str(),
                                                   {"Bravo", 172, 16, 5, 200});
  EXPECT_EQ(h.Status(0), expected);
  EXPECT_EQ(h.Title(), expected);
  EXPECT_EQ(h.Dlg().SelectedDevice().ipAddr, MakeNetAddr(172, 16, 5, 200));
  EXPECT_TRUE(a.Datagrams().empty());
  EXPECT_TRUE(b.Datagrams().empty());
}

// A label that fills its 16 bytes without a NUL is cut to 15: the line, the record and the
// lookup all use the cut label, so commands still reach the reader.
TEST(DiscoveryDlg, LabelWithoutNulIsCutToFifteenBytes) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  std::string record = DiscoveryRecord("");
  record.replace(0, 16, "ABCDEFGHIJKLMNOP");
  AnswerSearches(reader, record);
  h.Click(IDC_BTN_SEARCH);
  EXPECT_EQ(h.Items(IDC_LIST_DEVICES), std::vector<std::string>{"ABCDEFGHIJKLMNO"});
  ASSERT_EQ(h.Dlg().Devices().size(), 1u);
  EXPECT_EQ(LabelText(*h.Dlg().Devices()[0]), "ABCDEFGHIJKLMNO");
  EXPECT_EQ(h.Dlg().Devices()[0]->netMode, 1);

  reader.Clear();
  h.Select(IDC_LIST_DEVICES, 0);
  EXPECT_EQ(DialogAccess::Send(h.Dlg(), std::string(17, 'X')), 0);
  EXPECT_EQ(reader.Datagrams().size(), 1u);
}

// A short discovery reply: the record is zero past what the datagram carried.
TEST(DiscoveryDlg, ShortDiscoveryReplyGivesZeroFilledRecord) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  h.Click(IDC_BTN_SEARCH);
  reader.SendToTool(Reply(3, DiscoveryRecord("Short").substr(0, 20)), kToolAddress);
  h.Pump();
  ASSERT_EQ(h.Dlg().Devices().size(), 1u);
  const DISCOVER_DEV_T& record = *h.Dlg().Devices()[0];
  EXPECT_EQ(LabelText(record), "Short");
  EXPECT_EQ(record.netMode, 1);
  EXPECT_EQ(record.ipAddr, MakeNetAddr(192, 168, 0, 21));
  EXPECT_EQ(record.netMask, Ip32{});
  EXPECT_EQ(record.serverPort, 0);
}

class NetworkSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    AnswerSearches(reader_, DiscoveryRecord("Lobby"));
    h_.Click(IDC_BTN_SEARCH);
    ASSERT_EQ(h_.Items(IDC_LIST_DEVICES).size(), 1u);
    h_.Select(IDC_LIST_DEVICES, 0);
    reader_.Clear();
    // The button is enabled once a parameter record has been shown.
    h_.Control(IDC_BTN_SET_NETWORK)->SetEnabled(true);
  }
  DialogHarness h_;
  ScriptedReader reader_{h_.Segment(), Addr(192, 168, 0, 21)};
};

TEST_F(NetworkSettings, HeaderThenRecordGoToTheDiscoveryPort) {
  h_.Select(IDC_COMBO_NET_MODE, 1);
  h_.SetIp(IDC_IP_ADDRESS, 192, 168, 0, 10);
  h_.SetIp(IDC_IP_NETMASK, 255, 255, 255, 0);
  h_.SetIp(IDC_IP_GATEWAY, 192, 168, 0, 1);
  h_.SetIp(IDC_IP_DNS1, 192, 168, 0, 53);
  ASSERT_EQ(platform::UserSetIp(h_.Window(), IDC_IP_DNS2, platform::Window::IpFields{}),
            platform::InputResult::Ok);
  h_.Type(IDC_EDIT_SERVER_ADDR, "cloud.local");
  h_.Type(IDC_EDIT_SERVER_PORT, "9000");
  h_.Select(IDC_COMBO_HTTP_LANG, 1);
  h_.TakeTrace();
  const std::string part1 = h_.Status(1);

  StatusRecorder status(h_);
  ASSERT_EQ(h_.Click(IDC_BTN_SET_NETWORK), platform::InputResult::Ok);

  ASSERT_EQ(reader_.Datagrams().size(), 2u);
  for (const auto& d : reader_.Datagrams()) {
    EXPECT_EQ(d.port, 24582);
    EXPECT_EQ(d.from.addr, kToolAddress);
  }
  const std::string& header = reader_.Datagrams()[0].bytes;
  const std::string& record = reader_.Datagrams()[1].bytes;
  ASSERT_EQ(record.size(), 96u);
  ASSERT_EQ(header.size(), 17u);
  EXPECT_EQ(Hex(header.substr(0, 16)), "58 58 58 58 00 00 00 00 20 00 00 00 60 00 00 00");
  EXPECT_EQ(static_cast<unsigned char>(header[16]), CmdDataChecksum(96, record.data()));

  EXPECT_EQ(Hex(record.substr(0, 16)), Hex(std::string("Lobby") + std::string(11, '\0')));
  EXPECT_EQ(Hex(record.substr(16, 4)), "01 00 00 00");
  EXPECT_EQ(Hex(record.substr(20, 4)), "0A 00 A8 C0");
  EXPECT_EQ(Hex(record.substr(24, 4)), "00 FF FF FF");
  EXPECT_EQ(Hex(record.substr(28, 4)), "01 00 A8 C0");
  EXPECT_EQ(Hex(record.substr(32, 4)), "35 00 A8 C0");
  EXPECT_EQ(Hex(record.substr(36, 4)), "00 00 00 00");  // empty control
  EXPECT_EQ(record.substr(40, 48), std::string("cloud.local") + std::string(37, '\0'));
  EXPECT_EQ(Hex(record.substr(88, 4)), "28 23 00 00");  // 9000
  EXPECT_EQ(Hex(record.substr(92, 4)), "01 00 00 00");

  EXPECT_EQ(status.Part(0),
            (std::vector<std::string>{h_.InterfaceText(Text::Sent), h_.InterfaceText(Text::Sent)}));
  EXPECT_TRUE(status.Part(1).empty());
  EXPECT_EQ(h_.Status(1), part1);
  EXPECT_EQ(h_.TakeTrace(), (std::vector<std::string>{"MspSendCmd_t:17", "DISCOVER_DEV_T:96"}));
  EXPECT_EQ(h_.Dlg().SelectedDevice().ipAddr, MakeNetAddr(192, 168, 0, 21));
  EXPECT_EQ(h_.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Lobby"});
  EXPECT_EQ(h_.Dlg().Devices().size(), 1u);
}

TEST_F(NetworkSettings, ListsWithoutSelectionSendMinusOne) {
  h_.Control(IDC_COMBO_NET_MODE)->Send(CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  h_.Control(IDC_COMBO_HTTP_LANG)->Send(CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  h_.Click(IDC_BTN_SET_NETWORK);
  ASSERT_EQ(reader_.Datagrams().size(), 2u);
  const std::string& record = reader_.Datagrams()[1].bytes;
  EXPECT_EQ(Hex(record.substr(16, 4)), "FF FF FF FF");
  EXPECT_EQ(Hex(record.substr(92, 4)), "FF FF FF FF");
}

TEST_F(NetworkSettings, WithoutSelectedReaderShowsNoReaderSelectedAndZeroesTheSelectedRecord) {
  h_.DoubleClick(IDC_LIST_DEVICES);
  ASSERT_EQ(h_.Dlg().SelectedDevice().ipAddr, MakeNetAddr(192, 168, 0, 21));
  h_.Select(IDC_LIST_DEVICES, -1);
  reader_.Clear();
  h_.TakeTrace();

  StatusRecorder status(h_);
  h_.Click(IDC_BTN_SET_NETWORK);
  EXPECT_EQ(status.Part(0), std::vector<std::string>{h_.InterfaceText(Text::NoReaderSelected)});
  EXPECT_TRUE(reader_.Datagrams().empty());
  EXPECT_TRUE(h_.TakeTrace().empty());
  const auto zero = EncodeDiscoverDev(h_.Dlg().SelectedDevice());
  EXPECT_EQ(Hex(std::string(zero.begin(), zero.end())), Hex(std::string(96, '\0')));
}

TEST_F(NetworkSettings, ReplyThirtyThreeConfirms) {
  reader_.OnReceive([this](const ScriptedReader::Received& r) {
    if (r.bytes.size() == 96) reader_.SendToTool(Reply(33, ""), kToolAddress);
  });
  h_.Click(IDC_BTN_SET_NETWORK);
  EXPECT_EQ(h_.Status(0), h_.InterfaceText(Text::SetSuccessfully));
}

// --- Sends that fail, and a port that is no number --------------------------------------------

// A search whose datagram cannot be sent still empties the list and the array first, then says
// the send failed.
TEST(DiscoveryDlg, SearchWhoseSendFailsShowsSendFailedAfterEmptyingTheList) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  AnswerSearches(reader, DiscoveryRecord("Lobby"));
  h.Click(IDC_BTN_SEARCH);
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Lobby"});
  reader.Clear();
  ASSERT_EQ(closesocket(h.Dlg().UdpSocket()), 0);

  StatusRecorder status(h);
  h.Click(IDC_BTN_SEARCH);
  EXPECT_EQ(status.Part(0), std::vector<std::string>{h.InterfaceText(Text::SendFailed)});
  EXPECT_TRUE(h.Items(IDC_LIST_DEVICES).empty());
  EXPECT_TRUE(h.Dlg().Devices().empty());
  EXPECT_TRUE(reader.Datagrams().empty());
}

// Both datagrams of the network settings command report their failure; nothing arrives.
TEST_F(NetworkSettings, SendsThatFailShowSendFailedTwice) {
  ASSERT_EQ(closesocket(h_.Dlg().UdpSocket()), 0);
  h_.TakeTrace();
  StatusRecorder status(h_);
  ASSERT_EQ(h_.Click(IDC_BTN_SET_NETWORK), platform::InputResult::Ok);
  EXPECT_EQ(status.Part(0), (std::vector<std::string>{h_.InterfaceText(Text::SendFailed),
                                                      h_.InterfaceText(Text::SendFailed)}));
  EXPECT_TRUE(reader_.Datagrams().empty());
  EXPECT_EQ(h_.TakeTrace(), (std::vector<std::string>{"MspSendCmd_t:17", "DISCOVER_DEV_T:96"}));
  EXPECT_EQ(h_.Dlg().SelectedDevice().ipAddr, MakeNetAddr(192, 168, 0, 21));
}

// A Server port edit that holds no number: the framework's prompt appears, the exchange's result
// is ignored, and the record carries the port the member kept from the last exchange.
TEST_F(NetworkSettings, PortThatIsNoNumberPromptsAndSendsThePortKept) {
  struct Row {
    const char* typed;
    bool prompt;
    const char* portBytes;
  };
  const Row rows[] = {{"9000", false, "28 23 00 00"},
                      {"x9", true, "28 23 00 00"},
                      {"", true, "28 23 00 00"},
                      {"70000", false, "70 11 01 00"},
                      {"ab12", true, "70 11 01 00"},
                      // Trailing text after a number is ignored.
                      {"12ab", false, "0C 00 00 00"}};
  for (const Row& row : rows) {
    h_.Host().ClearRecords();
    reader_.Clear();
    h_.Type(IDC_EDIT_SERVER_PORT, row.typed);
    ASSERT_EQ(h_.Click(IDC_BTN_SET_NETWORK), platform::InputResult::Ok) << row.typed;
    EXPECT_EQ(h_.Host().MessageBoxes().empty(), !row.prompt) << row.typed;
    ASSERT_EQ(reader_.Datagrams().size(), 2u) << row.typed;
    EXPECT_EQ(Hex(reader_.Datagrams()[1].bytes.substr(88, 4)), row.portBytes) << row.typed;
    EXPECT_EQ(h_.Status(0), h_.InterfaceText(Text::Sent)) << row.typed;
  }
}

}  // namespace
