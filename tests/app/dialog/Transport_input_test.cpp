// What the network can throw at the real dialog: datagrams of every awkward size, wrong sync
// codes, every wrong checksum byte, replies nobody asked for, a flood of discovery replies, a
// reader that vanishes in the middle of a command and receive errors. Every loop is bounded in
// count and in time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "i18n/TextFormat.h"
#include "platform/UserInput.h"
#include "protocol/HexDump.h"
#include "protocol/MspPacket.h"
#include "tests/app/dialog/ProtocolSupport.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::net::Endpoint;
using platform::net::Error;
using protocol_dlg::Addr;
using protocol_dlg::AnswerSearches;
using protocol_dlg::Bytes;
using protocol_dlg::DiscoveryRecord;
using protocol_dlg::StatusRecorder;
using testing_support::DialogHarness;
using testing_support::kToolAddress;
using testing_support::Reply;
using testing_support::ReplyRaw;
using testing_support::ScriptedReader;

bool Contains(const std::vector<std::string>& lines, const std::string& part) {
  for (const auto& line : lines) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

// The tool still handles the next good datagram normally.
void ExpectStillReceiving(DialogHarness& h, ScriptedReader& reader) {
  const std::string confirm = Reply(9, "");
  reader.SendToTool(confirm, kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SetSuccessfully));
  EXPECT_EQ(h.Status(1), HexDump(confirm.data(), static_cast<int>(confirm.size())));
}

// --- Sizes: 0 and 1 byte, and every size around the header and the buffer in one burst. ---

struct Size {
  const char* name;
  std::size_t bytes;
  bool dumped;        // part 1 shows its hex dump
  const char* trace;  // a trace line that must be there ("" none at all)
};

class DatagramSize : public ::testing::TestWithParam<Size> {};

std::string DatagramOf(std::size_t size) {
  if (size < PACKAGE_HEADER_LEN) return std::string(size, 'X');
  std::string data(size - PACKAGE_HEADER_LEN, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 253 + 1);
  return Reply(7, data);
}

TEST_P(DatagramSize, IsDumpedTracedAndLeavesTheSocketWorking) {
  const Size& row = GetParam();
  DialogHarness h;
  ASSERT_FALSE(h.InterfaceText(Text::SetSuccessfully).empty())
      << "language.csv missing beside the test program";
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  const std::string part0 = h.Status(0);
  const std::string part1 = h.Status(1);
  h.TakeTrace();

  const std::string datagram = DatagramOf(row.bytes);
  ASSERT_EQ(datagram.size(), row.bytes);
  reader.SendToTool(datagram, kToolAddress);
  h.Pump();

  EXPECT_EQ(h.Status(1),
            row.dumped ? HexDump(datagram.data(), static_cast<int>(datagram.size())) : part1);
  const bool dispatched = row.bytes >= PACKAGE_HEADER_LEN && row.dumped;
  EXPECT_EQ(h.Status(0), dispatched ? h.InterfaceText(Text::SetSuccessfully) : part0);
  const auto trace = h.TakeTrace();
  if (std::string(row.trace).empty()) {
    EXPECT_TRUE(trace.empty()) << trace.size();
  } else {
    EXPECT_TRUE(Contains(trace, row.trace)) << row.trace;
  }
  EXPECT_EQ(h.Dlg().SocketReady(), 1);
  ExpectStillReceiving(h, reader);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DatagramSize,
    ::testing::Values(Size{"Empty", 0, false, ""},
                      Size{"OneByte", 1, true, "recvbytes=1 PACKAGE_HEADER_LEN=17"},
                      Size{"SixteenBytes", 16, true, "recvbytes=16 PACKAGE_HEADER_LEN=17"},
                      Size{"SeventeenBytes", 17, true, "pNet->cmdId =0x7"},
                      Size{"FullBuffer", 4096, true, "pNet->cmdId =0x7"},
                      Size{"OneByteTooBig", 4097, false, ""}, Size{"FarTooBig", 65000, false, ""}),
    [](const ::testing::TestParamInfo<Size>& info) { return info.param.name; });

// The same sizes back to back before the tool gets to any of them: each is taken on its own
// notification, in order, and only the good ones confirm.
TEST(NetworkInputDlg, BurstOfEverySizeIsTakenOneDatagramPerNotification) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  StatusRecorder status(h);
  const std::size_t sizes[] = {0, 1, 16, 17, 4096, 4097, 3, 17};
  std::vector<std::string> dumps;
  for (std::size_t size : sizes) {
    const std::string d = DatagramOf(size);
    reader.SendToTool(d, kToolAddress);
    if (size > 0 && size <= 4096) dumps.push_back(HexDump(d.data(), static_cast<int>(d.size())));
  }
  h.Pump();
  EXPECT_EQ(status.Part(1), dumps);
  EXPECT_EQ(status.Part(0), std::vector<std::string>(3, h.InterfaceText(Text::SetSuccessfully)));
}

// --- Sync codes: anything but "XXXX" in the first four bytes is dropped. ---

struct Sync {
  const char* name;
  std::string first4;
};

class WrongSync : public ::testing::TestWithParam<Sync> {};

TEST_P(WrongSync, IsDroppedWithItsTraceAndTheDumpStillShown) {
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  const std::string part0 = h.Status(0);
  h.TakeTrace();
  // A discovery reply, so that acceptance would be visible as a list line.
  const std::string good = Reply(3, DiscoveryRecord("Lobby"));
  const std::string datagram = GetParam().first4 + good.substr(4);
  reader.SendToTool(datagram, kToolAddress);
  h.Pump();
  EXPECT_EQ(h.TakeTrace(), std::vector<std::string>{"sync code error\n"});
  EXPECT_EQ(h.Status(0), part0);
  EXPECT_EQ(h.Status(1), HexDump(datagram.data(), static_cast<int>(datagram.size())));
  EXPECT_TRUE(h.Items(IDC_LIST_DEVICES).empty());
  EXPECT_TRUE(h.Dlg().Devices().empty());
  ExpectStillReceiving(h, reader);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WrongSync,
    ::testing::Values(Sync{"FirstByte", "YXXX"}, Sync{"SecondByte", "XYXX"},
                      Sync{"ThirdByte", "XXYX"}, Sync{"FourthByte", "XXXY"},
                      Sync{"LowerCase", "xxxx"}, Sync{"Zeros", std::string(4, '\0')},
                      Sync{"AllOnes", std::string(4, '\xFF')}, Sync{"HighBitSet", "\xD8XXX"}),
    [](const ::testing::TestParamInfo<Sync>& info) { return info.param.name; });

// --- Checksums: of the 256 possible checksum bytes exactly one is accepted, for every reply
// kind; each of the 255 others is dropped with the computed and the received byte traced. ---

struct Checksummed {
  const char* name;
  int cmdId;
  std::string data;
};

class EveryChecksum : public ::testing::TestWithParam<Checksummed> {};

std::string Pattern(std::size_t n, int seed) {
  std::string out(n, '\0');
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<char>((i * 31 + seed) & 0xFF);
  return out;
}

TEST_P(EveryChecksum, OnlyTheRightByteIsAccepted) {
  const Checksummed& row = GetParam();
  DialogHarness h;
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));
  const int len = static_cast<int>(row.data.size());
  const int right = CmdDataChecksum(len, row.data.data()) & 0xFF;
  const std::string part0 = h.Status(0);
  const auto deadline = Clock::now() + std::chrono::seconds(60);

  for (int sum = 0; sum < 256; ++sum) {
    if (sum == right) continue;
    h.TakeTrace();
    reader.SendToTool(ReplyRaw(row.cmdId, len, sum, row.data), kToolAddress);
    h.Pump();
    char expected[96];
    std::snprintf(expected, sizeof expected,
                  "cmdData_checksum error ,retCrc=0x%x ,cmdData_checksum=0x%x \n", right, sum);
    const auto trace = h.TakeTrace();
    ASSERT_FALSE(trace.empty()) << sum;
    EXPECT_EQ(trace.back(), expected) << sum;
    ASSERT_LT(Clock::now(), deadline) << "the checksum rows took too long";
  }
  EXPECT_EQ(h.Status(0), part0);
  EXPECT_TRUE(h.Dlg().Devices().empty());
  EXPECT_FALSE(h.Enabled(IDC_BTN_SET_NETWORK)) << "no parameter record may have been shown";

  // And the right byte passes.
  h.TakeTrace();
  reader.SendToTool(ReplyRaw(row.cmdId, len, right, row.data), kToolAddress);
  h.Pump();
  EXPECT_FALSE(Contains(h.TakeTrace(), "cmdData_checksum error"));
  if (row.cmdId == 3) {
    EXPECT_EQ(h.Dlg().Devices().size(), 1u);
  } else if (row.cmdId == 31) {
    EXPECT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));
    EXPECT_TRUE(h.Enabled(IDC_BTN_SET_NETWORK));
  } else {
    EXPECT_EQ(h.Status(0), h.InterfaceText(Text::SetSuccessfully));
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryChecksum,
                         ::testing::Values(Checksummed{"ConfirmOneByte", 7, "\x01"},
                                           Checksummed{"ConfirmFourBytes", 17, Bytes({1, 0, 0, 0})},
                                           Checksummed{"ConfirmZeros", 41, std::string(36, '\0')},
                                           Checksummed{"Discovery", 3, DiscoveryRecord("Lobby")},
                                           Checksummed{"ParameterRecord", 31, Pattern(720, 5)},
                                           Checksummed{"LongestData", 45, Pattern(4079, 9)}),
                         [](const ::testing::TestParamInfo<Checksummed>& info) {
                           return info.param.name;
                         });

// --- Replies nobody asked for. ---

// Identifiers the tool ignores change nothing whoever sends them and whatever they carry.
TEST(NetworkInputDlg, UnaskedRepliesWithIgnoredIdentifiersChangeNothing) {
  DialogHarness h;
  ScriptedReader stranger(h.Segment(), Addr(172, 16, 9, 9));
  const std::string part0 = h.Status(0);
  const std::string title = h.Title();
  const int ids[] = {
      0, 2, 4, 5, 26, 27, 30, 35, 37, 46, 47, -1, -31, 0x7FFFFFFF, static_cast<int>(0x80000000u)};
  for (int id : ids) {
    for (const std::string& data : {std::string(), Pattern(96, id), Pattern(720, id)}) {
      stranger.SendToTool(Reply(id, data), kToolAddress);
      h.Pump();
      EXPECT_EQ(h.Status(0), part0) << id;
      EXPECT_TRUE(h.Dlg().Devices().empty()) << id;
      EXPECT_FALSE(h.Enabled(IDC_BTN_SET_NETWORK)) << id;
      EXPECT_EQ(h.Title(), title) << id;
    }
  }
  EXPECT_EQ(h.Dlg().ClientVersion(), 0);
}

// Replies that the tool does act on are taken from anyone, at any time, asked or not: a
// discovery reply before any search, a parameter record and a version from a reader that is not
// in the list.
TEST(NetworkInputDlg, UnaskedRepliesAreTakenFromAnySender) {
  DialogHarness h;
  ScriptedReader stranger(h.Segment(), Addr(172, 16, 9, 9));
  std::string version(64, '\0');
  version.replace(16, 15, "ver_client1_1.1");
  stranger.SendToTool(Reply(1, version), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Dlg().ClientVersion(), 1);

  stranger.SendToTool(Reply(3, DiscoveryRecord("Stranger")), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Stranger"});

  stranger.SendToTool(Reply(31, Pattern(720, 1)), kToolAddress);
  h.Pump();
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::ParametersRead));
  EXPECT_TRUE(h.Enabled(IDC_BTN_SET_NETWORK));
  EXPECT_TRUE(stranger.Datagrams().empty()) << "the tool never answers a reply";
}

// --- A flood of discovery replies. ---

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

std::string FloodLabel(int i) {
  char label[16];
  std::snprintf(label, sizeof label, "R%06d", i);
  return label;
}

TEST(NetworkInputDlg, FloodOfDiscoveryRepliesKeepsTheToolResponsive) {
  constexpr int kReplies = 100000;
  constexpr int kHandledBeforeClick = 40000;
  DialogHarness::Options options;
  options.createDialog = false;
  DialogHarness h(options);
  platform::net::SegmentOptions segment = h.Segment().Options();
  segment.queueBytes = std::size_t{kReplies} * 128;  // the whole flood waits at once
  segment.queueDatagrams = kReplies + 16;
  h.Segment().SetOptions(segment);
  h.Start();
  ScriptedReader reader(h.Segment(), Addr(10, 1, 0, 1));
  const long rssBefore = ResidentKiB();

  for (int i = 0; i < kReplies; ++i)
    reader.SendToTool(Reply(3, DiscoveryRecord(FloodLabel(i))), kToolAddress);
  EXPECT_EQ(h.Segment().Stats().droppedQueueFull, 0u);

  const auto floodStart = Clock::now();
  std::size_t messages = 0;
  while (h.Dlg().Devices().size() < static_cast<std::size_t>(kHandledBeforeClick)) {
    ASSERT_TRUE(h.Loop().DispatchOne()) << "the flood ran dry early";
    ASSERT_LT(++messages, std::size_t{kReplies} * 2);
  }
  ASSERT_TRUE(h.Enabled(IDC_LIST_DEVICES));

  // A double click while 60000 replies still wait: handled after at most the one notification
  // that is already queued.
  ASSERT_EQ(platform::UserSelect(h.Window(), IDC_LIST_DEVICES, 0), platform::InputResult::Ok);
  ASSERT_EQ(platform::UserDoubleClick(h.Window(), IDC_LIST_DEVICES), platform::InputResult::Ok);
  const auto clickAt = Clock::now();
  std::size_t until = 0;
  const std::string expected = FormatInterfaceText(h.InterfaceText(Text::ReaderAddressLine).c_str(),
                                                   {FloodLabel(0).c_str(), 10, 1, 0, 1});
  while (h.Status(0) != expected) {
    ASSERT_TRUE(h.Loop().DispatchOne());
    ASSERT_LE(++until, 4u) << "the click waited behind the flood";
  }
  const auto clickTook = Clock::now() - clickAt;
  EXPECT_LT(clickTook, std::chrono::milliseconds(500));

  // The rest of the flood, bounded in time.
  const auto restDeadline = Clock::now() + std::chrono::seconds(90);
  while (h.Loop().DispatchOne()) ASSERT_LT(Clock::now(), restDeadline);
  const auto floodTook = Clock::now() - floodStart;
  ASSERT_EQ(h.Dlg().Devices().size(), static_cast<std::size_t>(kReplies));
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES).size(), static_cast<std::size_t>(kReplies));
  EXPECT_EQ(h.Items(IDC_LIST_DEVICES).front(), FloodLabel(0));
  EXPECT_EQ(h.Items(IDC_LIST_DEVICES).back(), FloodLabel(kReplies - 1));
  const long rssAfter = ResidentKiB();

  // After the flood a search empties both at once, within a bound.
  ScriptedReader quiet(h.Segment(), Addr(10, 1, 0, 2));
  const auto searchAt = Clock::now();
  h.Click(IDC_BTN_SEARCH);
  const auto searchTook = Clock::now() - searchAt;
  EXPECT_EQ(h.Status(0), h.InterfaceText(Text::Sent));
  EXPECT_TRUE(h.Items(IDC_LIST_DEVICES).empty());
  EXPECT_TRUE(h.Dlg().Devices().empty());
  EXPECT_LT(searchTook, std::chrono::seconds(5));

  const auto ms = [](auto d) {
    return std::chrono::duration_cast<std::chrono::microseconds>(d).count() / 1000.0;
  };
  const double perReaderBytes = (rssAfter - rssBefore) * 1024.0 / kReplies;
  std::printf(
      "flood: %d discovery replies handled in %.0f ms (%.2f us each); a click during the flood "
      "was handled after %zu message(s) in %.3f ms; a search afterwards took %.1f ms\n"
      "flood: resident memory grew by %ld KiB, %.0f bytes per listed reader (the record is %zu "
      "bytes, its list line %zu)\n",
      kReplies, ms(floodTook), ms(floodTook) * 1000.0 / kReplies, until, ms(clickTook),
      ms(searchTook), rssAfter - rssBefore, perReaderBytes, sizeof(DISCOVER_DEV_T),
      FloodLabel(0).size() + 1);
}

// --- A reader that vanishes in the middle of a command. ---

// A peer whose command socket the test can close from inside its own receive callback.
struct VanishingReader {
  VanishingReader(platform::net::VirtualSegment& segment, std::uint32_t address)
      : host(segment.AddHost(address)) {
    Error e = Error::None;
    command = host.CreateVirtualUdp(&e);
    discovery = host.CreateVirtualUdp(&e);
    command->Bind({0, 24680});
    discovery->Bind({0, 24582});
    discovery->SetReceiveCallback([this] {
      std::uint8_t buffer[4096];
      Endpoint from;
      Error err = Error::None;
      while (discovery->RecvFrom(buffer, sizeof buffer, &from, &err) > 0) {
        const std::string reply = Reply(3, DiscoveryRecord("Vanishing"));
        command->SendTo(reply.data(), reply.size(), {kToolAddress, 24680});
      }
    });
    command->SetReceiveCallback([this] {
      std::uint8_t buffer[4096];
      Endpoint from;
      Error err = Error::None;
      const long n = command->RecvFrom(buffer, sizeof buffer, &from, &err);
      if (n <= 0) return;
      ++requests;
      if (answersFirst) {
        const std::string reply = Reply(static_cast<int>(buffer[8]) + 1, "");
        command->SendTo(reply.data(), reply.size(), {kToolAddress, 24680});
      }
      command.reset();  // gone before the next datagram
    });
  }
  platform::net::VirtualHost& host;
  std::unique_ptr<platform::net::VirtualSocket> command;
  std::unique_ptr<platform::net::VirtualSocket> discovery;
  int requests = 0;
  bool answersFirst = false;
};

struct Vanish {
  const char* name;
  int button;
  bool answersFirst;  // it answers the first datagram before it vanishes
};

class VanishMidCommand : public ::testing::TestWithParam<Vanish> {};

TEST_P(VanishMidCommand, LeavesNoMessageAndTheSocketRegistered) {
  const Vanish& row = GetParam();
  DialogHarness h;
  platform::net::SegmentOptions options = h.Segment().Options();
  options.reportPortUnreachable = true;
  h.Segment().SetOptions(options);
  VanishingReader gone(h.Segment(), Addr(192, 168, 0, 40));
  gone.answersFirst = row.answersFirst;
  h.Click(IDC_BTN_SEARCH);
  ASSERT_EQ(h.Items(IDC_LIST_DEVICES), std::vector<std::string>{"Vanishing"});
  h.Select(IDC_LIST_DEVICES, 0);
  // Set buttons need a shown record: one from another peer enables them.
  ScriptedReader other(h.Segment(), Addr(192, 168, 0, 21));
  if (row.button != IDC_BTN_GET_PARAMS) {
    other.SendToTool(Reply(31, std::string(720, '\0')), kToolAddress);
    h.Pump();
    ASSERT_TRUE(h.Enabled(row.button));
  }

  StatusRecorder status(h);
  h.TakeTrace();
  const auto start = Clock::now();
  ASSERT_EQ(h.Click(row.button), platform::InputResult::Ok);
  h.Pump(50);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(gone.command, nullptr) << "the reader should have gone mid-command";
  EXPECT_GE(h.Segment().Stats().droppedNoPort, 1u);
  // Both datagrams were sent (UDP does not know the reader has gone); nothing else is said.
  const auto part0 = status.Part(0);
  ASSERT_FALSE(part0.empty());
  const std::string sent =
      FormatInterfaceText(h.InterfaceText(Text::SentToAddress).c_str(), {192, 168, 0, 40});
  EXPECT_EQ(part0, std::vector<std::string>(2, sent));
  EXPECT_EQ(gone.requests, 1);
  EXPECT_EQ(h.Dlg().SocketReady(), 1);
  ExpectStillReceiving(h, other);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, VanishMidCommand,
    ::testing::Values(Vanish{"GetParametersAfterTheVersion", IDC_BTN_GET_PARAMS, true},
                      Vanish{"SetLightAfterTheHeader", IDC_BTN_SET_LIGHT, false},
                      Vanish{"SetSerialAfterTheHeader", IDC_BTN_SET_SERIAL, false},
                      Vanish{"SetRestartAfterTheHeader", IDC_BTN_SET_RESTART, false}),
    [](const ::testing::TestParamInfo<Vanish>& info) { return info.param.name; });

// --- Receive errors. ---

// Errors that wait before, between and after datagrams: each notification reads one thing, an
// error shows nothing, and every datagram still arrives, in order.
TEST(NetworkInputDlg, ReceiveErrorsBetweenDatagramsLoseNothing) {
  DialogHarness h;
  platform::net::SegmentOptions options = h.Segment().Options();
  options.reportPortUnreachable = true;
  h.Segment().SetOptions(options);
  h.Segment().AddHost(Addr(192, 168, 0, 40));  // nobody listens there
  const std::string record = Reply(3, DiscoveryRecord("Gone"));
  h.Dlg().UdpCmdRecv(record.data(), static_cast<int>(record.size()), MakeNetAddr(192, 168, 0, 40));
  h.Select(IDC_LIST_DEVICES, 0);
  ScriptedReader reader(h.Segment(), Addr(192, 168, 0, 21));

  StatusRecorder status(h);
  std::vector<std::string> dumps;
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  for (int round = 0; round < 50; ++round) {
    // The dialog's own send to the vanished host leaves the error pending on its socket.
    const std::string header = Reply(30, "").substr(0, 17);
    ASSERT_EQ(protocol_dlg::DialogAccess::Send(h.Dlg(), header), 0);
    const std::string confirm = Reply(round % 2 ? 7 : 9, "");
    reader.SendToTool(confirm, kToolAddress);
    dumps.push_back(HexDump(confirm.data(), 17));
    h.Pump();
    ASSERT_LT(Clock::now(), deadline);
  }
  EXPECT_EQ(h.Segment().Stats().droppedNoPort, 50u);
  const std::string sentDump = HexDump(Reply(30, "").data(), 17);
  std::vector<std::string> received;
  for (const auto& text : status.Part(1)) {
    if (text != sentDump) received.push_back(text);
  }
  EXPECT_EQ(received, dumps);
  EXPECT_EQ(h.Dlg().SocketReady(), 1);
}

}  // namespace
