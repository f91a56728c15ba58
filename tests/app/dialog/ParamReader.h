// A small reader for the parameter dialog tests: it answers the search, the version request and
// the read of all parameters from a DEV_PARAM_T it keeps, and applies every Set command to its
// section of that record, so that a following read shows what was written. Every datagram is
// recorded with the time it arrived, and the two datagrams of a command are paired.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "params/DevParam.h"
#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"
#include "protocol/MspPacket.h"
#include "tests/support/DialogHarness.h"
#include "tests/support/ScriptedReader.h"
#include "tests/support/SetCommandRows.h"

namespace params_test {

constexpr std::uint32_t kReaderAddress = 0xC0A80064;  // 192.168.0.100
constexpr const char* kReaderLabel = "READER-7";
constexpr const char* kClientVersion = "ver_client1_1.1";

using Clock = std::chrono::steady_clock;

// One command as the reader received it: the header and, for a command with data, the payload.
struct ReceivedCommand {
  std::uint16_t port = 0;
  std::string header;
  std::string payload;
  double gapMs = 0;  // from the header's arrival to the payload's
  bool complete = false;

  std::int32_t Field(std::size_t offset) const {
    std::int32_t v = 0;
    if (header.size() >= offset + 4) std::memcpy(&v, header.data() + offset, 4);
    return v;
  }
  std::int32_t CmdId() const { return Field(MSP_CMD_ID_OFFSET); }
  std::int32_t DataLen() const { return Field(MSP_CMD_DATA_LEN_OFFSET); }
  int Checksum() const {
    return header.size() > MSP_CHECKSUM_OFFSET
               ? static_cast<unsigned char>(header[MSP_CHECKSUM_OFFSET])
               : -1;
  }
};

inline std::string SectionBytes(const DEV_PARAM_T& record,
                                const testing_support::SetCommandRow& command) {
  const auto bytes = EncodeDevParam(record);
  return std::string(reinterpret_cast<const char*>(bytes.data()) + command.offset, command.size);
}

class ParamReader {
 public:
  ParamReader(platform::net::VirtualSegment& segment, const DEV_PARAM_T& initial)
      : state(initial), reader_(segment, kReaderAddress) {
    reader_.OnReceive([this](const testing_support::ScriptedReader::Received& r) { Handle(r); });
  }

  DEV_PARAM_T state;
  std::string versionText = kClientVersion;
  bool answerVersion = true;
  bool versionAfterRecord = false;  // reply 1 only after reply 31

  const std::vector<ReceivedCommand>& Commands() const { return commands_; }
  std::size_t DatagramCount() const { return reader_.Datagrams().size(); }
  void Clear() {
    commands_.clear();
    reader_.Clear();
  }

 private:
  void Send(int cmdId, const std::string& data) {
    reader_.SendToTool(testing_support::Reply(cmdId, data), testing_support::kToolAddress);
  }

  std::string VersionData() const {
    std::string data(VERSION_REPLY_READ_LEN, '\0');
    std::memcpy(data.data() + VERSION_TEXT_OFFSET, versionText.data(),
                std::min<std::size_t>(versionText.size(), VERSION_REPLY_READ_LEN - 17));
    return data;
  }

  void Handle(const testing_support::ScriptedReader::Received& r) {
    const Clock::time_point now = Clock::now();
    if (!commands_.empty() && !commands_.back().complete) {
      ReceivedCommand& c = commands_.back();
      c.payload = r.bytes;
      c.gapMs = std::chrono::duration<double, std::milli>(now - headerAt_).count();
      c.complete = true;
      Apply(c);
      return;
    }
    ReceivedCommand c;
    c.port = r.port;
    c.header = r.bytes;
    headerAt_ = now;
    c.complete =
        c.header.size() != static_cast<std::size_t>(PACKAGE_HEADER_LEN) || c.DataLen() == 0;
    commands_.push_back(c);
    if (c.complete) Answer(commands_.back());
  }

  void Answer(const ReceivedCommand& c) {
    switch (c.CmdId()) {
      case CMD_SEARCH: {
        DISCOVER_DEV_T dev{};
        std::strncpy(dev.devLabel, kReaderLabel, sizeof dev.devLabel - 1);
        const auto bytes = EncodeDiscoverDev(dev);
        std::string data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const auto param = EncodeDevParam(state);
        std::memcpy(data.data() + NETWORK_BLOCK_OFFSET, param.data(), NETWORK_BLOCK_LEN);
        Send(CMD_SEARCH_REPLY, data);
        break;
      }
      case CMD_READ_VERSION:
        if (answerVersion && !versionAfterRecord) Send(CMD_READ_VERSION_REPLY, VersionData());
        break;
      case CMD_READ_PARAMS: {
        const auto bytes = EncodeDevParam(state);
        Send(CMD_READ_PARAMS_REPLY,
             std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (answerVersion && versionAfterRecord) Send(CMD_READ_VERSION_REPLY, VersionData());
        break;
      }
      default:
        break;
    }
  }

  // Writes the payload into its section and confirms with the payload echoed.
  void Apply(const ReceivedCommand& c) {
    const testing_support::SetCommandRow* s = testing_support::FindSetCommandRow(c.CmdId());
    if (!s || c.payload.size() != s->payloadLen) return;
    auto bytes = EncodeDevParam(state);
    std::memcpy(bytes.data() + s->offset, c.payload.data() + s->SectionAt(), s->size);
    state = DecodeDevParam(bytes.data(), bytes.size());
    Send(c.CmdId() + 1, c.payload);
  }

  testing_support::ScriptedReader reader_;
  std::vector<ReceivedCommand> commands_;
  Clock::time_point headerAt_{};
};

// Searches, selects the reader's line and reads its parameters once.
inline void SelectReader(testing_support::DialogHarness& h) {
  h.Click(IDC_BTN_SEARCH);
  h.Pump(5);
  h.Select(IDC_LIST_DEVICES, 0);
}

// A Set button: a click when the user can reach it; the buttons of the hidden cloud row get the
// command message their click would send.
inline void Press(testing_support::DialogHarness& h, int id) {
  if (h.Visible(id)) {
    EXPECT_EQ(h.Click(id), platform::InputResult::Ok) << id;
    return;
  }
  h.Dlg().SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                      reinterpret_cast<LPARAM>(h.Control(id)));
  h.Pump();
}

// The controls of the hidden row cannot be operated by a user; tests fill them as the program
// would.
inline void SetHiddenText(testing_support::DialogHarness& h, int id, const std::string& text) {
  h.Control(id)->Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline void SetHiddenSelection(testing_support::DialogHarness& h, int id, int index) {
  h.Control(id)->Send(CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

inline void GetParameters(testing_support::DialogHarness& h) {
  h.Click(IDC_BTN_GET_PARAMS);
  h.Pump(5);
}

}  // namespace params_test
