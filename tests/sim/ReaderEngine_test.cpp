// The simulated reader as the tool meets it: request datagrams in, reply bytes out, the record
// written section by section, the misbehaviours, and the state file across restarts.
#include "sim/ReaderEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "params/DevParam.h"
#include "protocol/ByteOrder.h"
#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"
#include "protocol/MspPacket.h"
#include "sim/FactoryRecord.h"
#include "tests/support/SetCommandRows.h"
#include "tests/support/TempFolder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::Port;
using sim::ReaderEngine;

constexpr Ip32 kAddress = MakeIp32(10, 201, 0, 2);

sim::ReaderIdentity Identity(std::string label = "Door 1",
                             std::string version = sim::kClientVersion) {
  return {std::move(label), kAddress, std::move(version)};
}

Bytes Header(std::int32_t cmdId, const Bytes& data) {
  MspSendCmd_t h{};
  BuildCmdHeader(cmdId, data.data(), static_cast<int>(data.size()), &h);
  auto e = EncodeCmdHeader(h);
  return Bytes(e.begin(), e.end());
}

// Sends a request the way the tool does: the header, then the data alone when there is any.
std::optional<sim::Reply> Request(ReaderEngine& r, std::int32_t cmdId, const Bytes& data,
                                  Port port = Port::Command) {
  Bytes h = Header(cmdId, data);
  auto first = r.Receive(h.data(), h.size(), port);
  if (data.empty()) return first;
  EXPECT_FALSE(first.has_value()) << "a reply to a header whose data is still to come";
  return r.Receive(data.data(), data.size(), port);
}

Bytes ReplyData(const sim::Reply& reply) {
  return Bytes(reply.bytes.begin() + PACKAGE_HEADER_LEN, reply.bytes.end());
}

// A payload whose every byte differs from the factory record and from its neighbours.
Bytes Distinct(std::size_t len, std::uint8_t seed) {
  Bytes b(len);
  for (std::size_t i = 0; i < len; ++i) b[i] = static_cast<std::uint8_t>(seed + 7 * i + 1);
  return b;
}

Bytes RecordBytes(const DEV_PARAM_T& r) {
  auto e = EncodeDevParam(r);
  return Bytes(e.begin(), e.end());
}

Bytes Le32(std::initializer_list<std::int32_t> values) {
  Bytes b;
  for (std::int32_t v : values) {
    std::uint8_t p[4];
    kestrival::PutLeI32(p, v);
    b.insert(b.end(), p, p + 4);
  }
  return b;
}

// ---- every request and the reply bytes it gets --------------------------------------------

struct ReplyRow {
  const char* name;
  std::int32_t request;
  Bytes data;
  Port port;
  std::int32_t replyId;
  std::function<Bytes(const ReaderEngine&)> expected;
};

Bytes VersionData(const char* text) {
  Bytes b(64, 0);
  std::memcpy(b.data() + 16, text, std::strlen(text));
  return b;
}

class ReplyTable : public ::testing::TestWithParam<ReplyRow> {};

TEST_P(ReplyTable, OneDatagramWithHeaderDataAndIdentifierPlusOne) {
  const ReplyRow& row = GetParam();
  ReaderEngine reader(Identity());
  auto reply = Request(reader, row.request, row.data, row.port);
  ASSERT_TRUE(reply.has_value());
  ASSERT_GE(reply->bytes.size(), static_cast<std::size_t>(PACKAGE_HEADER_LEN));
  EXPECT_EQ(reply->delay.count(), 0);
  const ReplyCheck check =
      ParseReply(reply->bytes.data(), reply->bytes.size(), static_cast<int>(reply->bytes.size()));
  EXPECT_EQ(check.status, ReplyStatus::Ok);
  EXPECT_EQ(check.cmdId, row.replyId);
  const Bytes data = ReplyData(*reply);
  EXPECT_EQ(check.cmdDataLen, static_cast<std::int32_t>(data.size()));
  EXPECT_EQ(data, row.expected(reader));
}

Bytes DiscoveryExpected(const ReaderEngine&) {
  Bytes b(96, 0);
  std::memcpy(b.data(), "Door 1", 6);
  const auto block =
      EncodeNetworkBlock(DecodeNetworkBlock(RecordBytes(sim::FactoryRecord(kAddress)).data()));
  std::copy(block.begin(), block.end(), b.begin() + 16);
  // ipAddr as the reader's own ip32: 10.201.0.2 is 02 00 C9 0A
  EXPECT_EQ(Bytes(b.begin() + 20, b.begin() + 24), (Bytes{0x02, 0x00, 0xC9, 0x0A}));
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ReplyTable,
    ::testing::Values(
        ReplyRow{"Version",
                 CMD_READ_VERSION,
                 {},
                 Port::Command,
                 1,
                 [](const ReaderEngine&) { return VersionData("ver_client1_1.1"); }},
        ReplyRow{"Search", CMD_SEARCH, {}, Port::Discovery, 3, DiscoveryExpected},
        ReplyRow{"ReadAll",
                 CMD_READ_PARAMS,
                 {},
                 Port::Command,
                 31,
                 [](const ReaderEngine&) { return RecordBytes(sim::FactoryRecord(kAddress)); }},
        ReplyRow{"WorkModeEcho",
                 CMD_SET_WORK_MODE,
                 {2, 0, 0, 0},
                 Port::Command,
                 19,
                 [](const ReaderEngine&) {
                   return Bytes{2, 0, 0, 0};
                 }},
        ReplyRow{"HiddenChoiceEcho",
                 CMD_SET_HIDDEN_CHOICE,
                 {1, 0, 0, 0},
                 Port::Command,
                 21,
                 [](const ReaderEngine&) {
                   return Bytes{1, 0, 0, 0};
                 }},
        ReplyRow{"SpeakerEchoNoSelection",
                 CMD_SET_SPEAKER,
                 {0xFF, 0, 0, 0},
                 Port::Command,
                 23,
                 [](const ReaderEngine&) {
                   return Bytes{0xFF, 0, 0, 0};
                 }},
        // 115200 is item 15 of the baud list, 7 data bits item 1, 2 stop bits item 1.
        ReplyRow{"SerialConfirmsPositions", CMD_SET_SERIAL, Le32({115200, 7, 2, 1, 3}),
                 Port::Command, 39,
                 [](const ReaderEngine&) {
                   return Le32({15, 1, 1, 1, 3});
                 }},
        ReplyRow{"SerialUnknownBaud", CMD_SET_SERIAL, Le32({12345, 8, 1, 2, 4}), Port::Command, 39,
                 [](const ReaderEngine&) {
                   return Le32({-1, 0, 0, 2, 4});
                 }},
        ReplyRow{"WiegandEcho",
                 CMD_SET_WIEGAND,
                 {20, 0, 0, 0, 4, 0, 0, 0},
                 Port::Command,
                 29,
                 [](const ReaderEngine&) { return Bytes{20, 0, 0, 0, 4, 0, 0, 0}; }},
        ReplyRow{"NetworkEcho", CMD_SET_NETWORK, Distinct(96, 3), Port::Discovery, 33,
                 [](const ReaderEngine&) { return Distinct(96, 3); }},
        ReplyRow{"UnknownRequestEmpty",
                 26,
                 {},
                 Port::Command,
                 27,
                 [](const ReaderEngine&) { return Bytes{}; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderEngine, VersionTextOfACommonReaderAndLongLabelIsCut) {
  ReaderEngine reader(Identity("A-label-longer-than-15", "ver_common_1.0"));
  EXPECT_EQ(reader.Label(), "A-label-longer-");
  auto reply = Request(reader, CMD_READ_VERSION, {});
  ASSERT_TRUE(reply);
  EXPECT_EQ(ReplyData(*reply), VersionData("ver_common_1.0"));
  auto search = Request(reader, CMD_SEARCH, {}, Port::Discovery);
  ASSERT_TRUE(search);
  const Bytes d = ReplyData(*search);
  EXPECT_EQ(std::string(d.begin(), d.begin() + 16), std::string("A-label-longer-\0", 16));
}

// ---- each Set command writes exactly its section ------------------------------------------

using testing_support::SetCommandRow;

class SectionTable : public ::testing::TestWithParam<SetCommandRow> {};

TEST_P(SectionTable, OnlyTheSectionChanges) {
  const SetCommandRow& row = GetParam();
  ReaderEngine reader(Identity());
  const Bytes before = RecordBytes(reader.Record());
  const Bytes payload = Distinct(row.payloadLen, static_cast<std::uint8_t>(row.request));
  const Port port = row.port == DISCOVERY_PORT ? Port::Discovery : Port::Command;
  auto reply = Request(reader, row.request, payload, port);
  ASSERT_TRUE(reply);
  EXPECT_EQ(kestrival::GetLe32(reply->bytes.data() + MSP_CMD_ID_OFFSET),
            static_cast<std::uint32_t>(row.reply));
  const Bytes after = RecordBytes(reader.Record());
  for (std::size_t i = 0; i < DEV_PARAM_LEN; ++i) {
    const bool inside = i >= row.offset && i < row.offset + row.size;
    const std::uint8_t want = inside ? payload[row.SectionAt() + i - row.offset] : before[i];
    ASSERT_EQ(after[i], want) << "record byte " << i;
  }
  EXPECT_EQ(reader.Stats().setsApplied, 1u);
  // What the next read-all returns is the changed record.
  auto read = Request(reader, CMD_READ_PARAMS, {});
  ASSERT_TRUE(read);
  EXPECT_EQ(ReplyData(*read), after);
}

INSTANTIATE_TEST_SUITE_P(Sets, SectionTable, ::testing::ValuesIn(testing_support::kSetCommandRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderEngine, NetworkSettingsChangeTheReportedAddressButNotTheLabel) {
  ReaderEngine reader(Identity());
  NetworkBlock block = DecodeNetworkBlock(RecordBytes(reader.Record()).data());
  block.ipAddr = MakeIp32(10, 201, 0, 77);
  const auto record = BuildDeviceRecord("Renamed", block);
  ASSERT_TRUE(
      Request(reader, CMD_SET_NETWORK, Bytes(record.begin(), record.end()), Port::Discovery));
  auto search = Request(reader, CMD_SEARCH, {}, Port::Discovery);
  ASSERT_TRUE(search);
  const Bytes d = ReplyData(*search);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.data())), "Door 1");
  EXPECT_EQ(GetIp32(d.data() + 20), MakeIp32(10, 201, 0, 77));
}

// ---- the two-datagram convention -----------------------------------------------------------

using sim::Counters;

struct ConventionRow {
  const char* name;
  std::vector<std::pair<Port, Bytes>> datagrams;
  int replies;                       // how many of them get a reply
  std::uint64_t sets;                // Set commands applied
  std::uint64_t Counters::*counter;  // the counter that must move (nullptr: none)
  std::uint64_t count;
};

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kLight{1, 0, 0, 0};
const Bytes kWiegand{20, 0, 0, 0, 4, 0, 0, 0};
// A device record whose label begins with the sync code: data that looks like a header.
Bytes SyncLookingRecord() {
  NetworkBlock block;
  block.ipAddr = kAddress;
  auto r = BuildDeviceRecord("XXXXXXXXXXXXXXX", block);
  return Bytes(r.begin(), r.end());
}

class ConventionTable : public ::testing::TestWithParam<ConventionRow> {};

TEST_P(ConventionTable, RepliesAndCounters) {
  const ConventionRow& row = GetParam();
  ReaderEngine reader(Identity());
  int replies = 0;
  for (const auto& [port, bytes] : row.datagrams)
    if (reader.Receive(bytes.data(), bytes.size(), port)) ++replies;
  EXPECT_EQ(replies, row.replies);
  EXPECT_EQ(reader.Stats().setsApplied, row.sets);
  EXPECT_EQ(reader.Stats().datagrams, row.datagrams.size());
  if (row.counter) {
    EXPECT_EQ(reader.Stats().*row.counter, row.count);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, ConventionTable,
    ::testing::Values(
        ConventionRow{"HeaderThenData",
                      {{Port::Command, Header(16, kLight)}, {Port::Command, kLight}},
                      1,
                      1,
                      &Counters::mismatchedData,
                      0},
        ConventionRow{"DataTooShortDropped",
                      {{Port::Command, Header(16, kLight)}, {Port::Command, Bytes{1, 0, 0}}},
                      0,
                      0,
                      &Counters::mismatchedData,
                      1},
        ConventionRow{"DataWithOtherChecksumDropped",
                      {{Port::Command, Header(16, kLight)}, {Port::Command, Bytes{2, 0, 0, 0}}},
                      0,
                      0,
                      &Counters::mismatchedData,
                      1},
        ConventionRow{"MatchingDataAfterADroppedOneIsTaken",
                      {{Port::Command, Header(16, kLight)},
                       {Port::Command, Bytes{2, 0, 0, 0}},
                       {Port::Command, kLight}},
                      1,
                      1,
                      &Counters::mismatchedData,
                      1},
        ConventionRow{
            "DataWithoutHeader", {{Port::Command, kLight}}, 0, 0, &Counters::strayData, 1},
        ConventionRow{"NewHeaderReplacesWaitingOne",
                      {{Port::Command, Header(16, kLight)},
                       {Port::Command, Header(28, kWiegand)},
                       {Port::Command, kLight},
                       {Port::Command, kWiegand}},
                      1,
                      1,
                      &Counters::replacedHeaders,
                      1},
        ConventionRow{"HeaderOnlyRequestReplacesWaitingOne",
                      {{Port::Command, Header(16, kLight)}, {Port::Command, Header(30, {})}},
                      1,
                      0,
                      &Counters::replacedHeaders,
                      1},
        ConventionRow{"DataOnTheOtherPortDoesNotMatch",
                      {{Port::Command, Header(16, kLight)}, {Port::Discovery, kLight}},
                      0,
                      0,
                      &Counters::strayData,
                      1},
        ConventionRow{"DataThatLooksLikeAHeaderIsData",
                      {{Port::Discovery, Header(32, SyncLookingRecord())},
                       {Port::Discovery, SyncLookingRecord()}},
                      1,
                      1,
                      &Counters::replacedHeaders,
                      0},
        ConventionRow{"HeaderAndDataInOneDatagram",
                      {{Port::Command, Concat(Header(16, kLight), kLight)}},
                      1,
                      1,
                      nullptr,
                      0},
        ConventionRow{"OneDatagramWithDataItsHeaderDenies",
                      {{Port::Command, Concat(Header(16, kLight), Bytes{9, 0, 0, 0})}},
                      0,
                      0,
                      &Counters::mismatchedData,
                      1},
        ConventionRow{"SearchOnTheCommandPort",
                      {{Port::Command, Header(2, {})}},
                      0,
                      0,
                      &Counters::wrongPort,
                      1},
        ConventionRow{
            "NetworkSettingsOnTheCommandPort",
            {{Port::Command, Header(32, Distinct(96, 1))}, {Port::Command, Distinct(96, 1)}},
            0,
            0,
            &Counters::wrongPort,
            1},
        ConventionRow{"SetOnTheDiscoveryPort",
                      {{Port::Discovery, Header(16, kLight)}, {Port::Discovery, kLight}},
                      0,
                      0,
                      &Counters::wrongPort,
                      1},
        ConventionRow{"ReplyIdentifierIgnored",
                      {{Port::Command, Header(31, {})}},
                      0,
                      0,
                      &Counters::notRequests,
                      1},
        ConventionRow{"SetWithTheWrongLength",
                      {{Port::Command, Header(16, kWiegand)}, {Port::Command, kWiegand}},
                      0,
                      0,
                      &Counters::badLength,
                      1},
        ConventionRow{"ShortDatagramWithSyncIsNoHeader",
                      {{Port::Command, Bytes{0x58, 0x58, 0x58, 0x58}}},
                      0,
                      0,
                      &Counters::strayData,
                      1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderEngine, HeaderWithANegativeOrOversizedLengthIsDropped) {
  for (std::int32_t len : {-1, MAX_REPLY_DATA_LEN + 1}) {
    ReaderEngine reader(Identity());
    Bytes h = Header(16, {});
    kestrival::PutLeI32(h.data() + MSP_CMD_DATA_LEN_OFFSET, len);
    EXPECT_FALSE(reader.Receive(h.data(), h.size(), Port::Command));
    EXPECT_EQ(reader.Stats().badHeaders, 1u) << len;
    EXPECT_FALSE(reader.Waiting(Port::Command));
  }
}

// ---- misbehaviour -------------------------------------------------------------------------

struct MisbehaveRow {
  const char* rules;
  std::int32_t request;         // sent three times
  std::vector<int> replySizes;  // per attempt: -1 no reply
  std::vector<bool> checksumOk;
  std::vector<int> delays;
};

class MisbehaveTable : public ::testing::TestWithParam<MisbehaveRow> {};

TEST_P(MisbehaveTable, WhatTheToolReceives) {
  const MisbehaveRow& row = GetParam();
  std::string error;
  auto rules = sim::ParseMisbehaviourList(row.rules, &error);
  ASSERT_TRUE(rules) << error;
  ReaderEngine reader(Identity());
  reader.SetMisbehaviour(*rules);
  for (std::size_t i = 0; i < row.replySizes.size(); ++i) {
    const Bytes data = row.request == CMD_SET_LIGHT ? kLight : Bytes{};
    auto reply = Request(reader, row.request, data);
    if (row.replySizes[i] < 0) {
      EXPECT_FALSE(reply) << "attempt " << i;
      continue;
    }
    ASSERT_TRUE(reply) << "attempt " << i;
    EXPECT_EQ(static_cast<int>(reply->bytes.size()), row.replySizes[i]) << "attempt " << i;
    EXPECT_EQ(reply->delay.count(), row.delays[i]) << "attempt " << i;
    const auto check =
        ParseReply(reply->bytes.data(), reply->bytes.size(), static_cast<int>(reply->bytes.size()));
    EXPECT_EQ(check.status == ReplyStatus::Ok, static_cast<bool>(row.checksumOk[i]))
        << "attempt " << i;
  }
  // A withheld reply does not undo the Set.
  if (row.request == CMD_SET_LIGHT) {
    EXPECT_EQ(reader.Record().light, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MisbehaveTable,
    ::testing::Values(
        MisbehaveRow{"noreply", CMD_SET_LIGHT, {-1, -1}, {}, {}},
        MisbehaveRow{
            "noreply@30*1", CMD_READ_PARAMS, {-1, 737, 737}, {false, true, true}, {0, 0, 0}},
        MisbehaveRow{"noreply@0", CMD_READ_PARAMS, {737}, {true}, {0}},
        MisbehaveRow{"badsum@30", CMD_READ_PARAMS, {737}, {false}, {0}},
        MisbehaveRow{"delay=250", CMD_SET_LIGHT, {21}, {true}, {250}},
        MisbehaveRow{"delay=100,delay=50@16", CMD_SET_LIGHT, {21}, {true}, {150}},
        MisbehaveRow{"short", CMD_READ_PARAMS, {10}, {false}, {0}},
        MisbehaveRow{
            "short=17*2", CMD_READ_PARAMS, {17, 17, 737}, {false, false, true}, {0, 0, 0}}));

// ---- the state file -----------------------------------------------------------------------

class StateFileTest : public ::testing::Test {
 protected:
  std::filesystem::path Path() const { return folder_.Path() / "reader.state"; }
  testing_support::TempFolder folder_{"kestrival-sim-state"};
  const std::filesystem::path& dir_ = folder_.Path();
};

TEST_F(StateFileTest, EverySetSurvivesARestart) {
  Bytes expected;
  {
    ReaderEngine reader(Identity());
    EXPECT_EQ(reader.UseStateFile(Path()).status, sim::StateStatus::Missing);
    EXPECT_TRUE(std::filesystem::exists(Path()));
    ASSERT_TRUE(Request(reader, CMD_SET_WIEGAND, Bytes{30, 0, 0, 0, 5, 0, 0, 0}));
    ASSERT_TRUE(Request(reader, CMD_SET_CARD_FIX, Distinct(72, 9)));
    ASSERT_TRUE(Request(reader, CMD_SET_NETWORK, Distinct(96, 4), Port::Discovery));
    expected = RecordBytes(reader.Record());
    EXPECT_FALSE(std::filesystem::exists(Path().string() + ".tmp"));
  }
  ReaderEngine restarted(Identity());
  const auto load = restarted.UseStateFile(Path());
  EXPECT_EQ(load.status, sim::StateStatus::Loaded) << load.message;
  EXPECT_EQ(RecordBytes(restarted.Record()), expected);
  EXPECT_EQ(restarted.Record().wgHighPulse, 30);
}

struct CorruptRow {
  const char* name;
  std::function<std::string(const std::string& good)> spoil;
  const char* reason;
};

class CorruptStateTable : public StateFileTest, public ::testing::WithParamInterface<CorruptRow> {};

TEST_P(CorruptStateTable, StartsFromFactoryValuesAndSaysSo) {
  DEV_PARAM_T changed = sim::FactoryRecord(kAddress);
  changed.light = 1;
  std::ofstream(Path(), std::ios::binary) << GetParam().spoil(sim::StateText(changed));
  ReaderEngine reader(Identity());
  const auto load = reader.UseStateFile(Path());
  EXPECT_EQ(load.status, sim::StateStatus::Corrupt);
  EXPECT_NE(load.message.find(GetParam().reason), std::string::npos) << load.message;
  EXPECT_NE(load.message.find("factory"), std::string::npos) << load.message;
  EXPECT_EQ(RecordBytes(reader.Record()), RecordBytes(sim::FactoryRecord(kAddress)));
  EXPECT_TRUE(std::filesystem::exists(Path().string() + ".corrupt"));
  // The file is whole again and is what the next start loads.
  EXPECT_EQ(sim::LoadState(Path()).status, sim::StateStatus::Loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CorruptStateTable,
    ::testing::Values(
        CorruptRow{"Empty", [](const std::string&) { return std::string(); }, "no state header"},
        CorruptRow{"Garbage", [](const std::string&) { return std::string("\x01\x02garbage"); },
                   "no state header"},
        CorruptRow{"CutShort", [](const std::string& g) { return g.substr(0, g.size() / 2); },
                   "cut short"},
        CorruptRow{"NotHex",
                   [](const std::string& g) {
                     std::string s = g;
                     s[s.size() - 10] = 'z';
                     return s;
                   },
                   "not hexadecimal"},
        CorruptRow{"TrailingBytes", [](const std::string& g) { return g + "00\n"; },
                   "wrong length"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
