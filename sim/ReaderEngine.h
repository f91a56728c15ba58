// A simulated reader, as the tool sees one over UDP, independent of any transport: it takes the
// two-datagram requests (a header, then the data that the header announced), answers each with
// one datagram (header + data, the request's identifier + 1), keeps its own parameter record,
// applies every Set command to exactly its section, and can misbehave on request.
//
//   sim::ReaderEngine reader({"Door 1", MakeIp32(10, 201, 0, 2), sim::kClientVersion});
//   if (auto reply = reader.Receive(bytes, len, sim::Port::Command)) send(reply->bytes);
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "params/DevParam.h"
#include "protocol/IpAddress.h"
#include "sim/Misbehaviour.h"
#include "sim/StateFile.h"

namespace sim {

// The version text with which the tool enables its client-only QR code controls.
inline constexpr const char* kClientVersion = "ver_client1_1.1";
inline constexpr const char* kCommonVersion = "ver_common_1.0";
// A label is at most 15 bytes: it travels NUL-terminated in 16.
inline constexpr std::size_t kMaxLabelLen = 15;

// The local port a datagram arrived on. The search (2) and the network settings (32) belong to
// the discovery port, every other request to the command port.
enum class Port { Command, Discovery };

struct ReaderIdentity {
  std::string label;                     // cut to 15 bytes
  Ip32 address{};                        // the factory record's ipAddr
  std::string version = kClientVersion;  // cut to 47 bytes
};

struct Reply {
  std::vector<std::uint8_t> bytes;
  std::chrono::milliseconds delay{0};  // how long after the request it is to leave
};

// What the reader received and what it did with it.
struct Counters {
  std::uint64_t datagrams = 0;          // every datagram handed to Receive
  std::uint64_t requests = 0;           // complete requests taken
  std::uint64_t replies = 0;            // replies returned (misbehaving ones included)
  std::uint64_t setsApplied = 0;        // Set commands written into the record
  std::uint64_t mismatchedData = 0;     // data datagram whose length or checksum the header denies
  std::uint64_t strayData = 0;          // data datagram with no header waiting
  std::uint64_t replacedHeaders = 0;    // a header that came while another waited for its data
  std::uint64_t badHeaders = 0;         // header with a negative or oversized length
  std::uint64_t wrongPort = 0;          // request on the port it does not belong to
  std::uint64_t badLength = 0;          // Set whose data length differs from its section
  std::uint64_t notRequests = 0;        // odd (replies) or negative identifiers sent to it
  std::uint64_t suppressedReplies = 0;  // replies withheld by a noreply rule
  std::uint64_t saveFailures = 0;       // state file writes that failed
  std::map<std::int32_t, std::uint64_t> byCommand;  // complete requests per identifier
};

class ReaderEngine {
 public:
  explicit ReaderEngine(const ReaderIdentity& identity);
  ReaderEngine(const ReaderIdentity& identity, const DEV_PARAM_T& record);

  // Keeps the record in this file from now on: loads it if it holds a record, otherwise keeps
  // the current record and writes it there. A corrupt file is moved aside to `path`.corrupt (the
  // reader then starts from the record it has, factory values unless given another) and the
  // result says so; nothing is thrown.
  StateLoad UseStateFile(const std::filesystem::path& path);

  // Handles one datagram that arrived on `port`. Returns the reply datagram to send back to the
  // sender (from the same port), or nothing.
  std::optional<Reply> Receive(const std::uint8_t* data, std::size_t len, Port port);

  void SetMisbehaviour(std::vector<MisbehaviourRule> rules) { rules_ = std::move(rules); }
  // One line per event worth telling ("request 30 on 24680: 720 bytes"), for a program's log.
  void SetLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

  // Replaces the whole record (and saves it when a state file is in use).
  void SetRecord(const DEV_PARAM_T& record);
  const DEV_PARAM_T& Record() const { return record_; }
  const std::string& Label() const { return label_; }
  const std::string& Version() const { return version_; }
  const Counters& Stats() const { return counters_; }
  // True while a header waits for its data datagram on `port`.
  bool Waiting(Port port) const { return pending_[Index(port)].has_value(); }

  // The 96-byte device record of the search reply: label, then the record's network block.
  std::vector<std::uint8_t> DiscoveryRecord() const;

 private:
  struct Pending {
    std::int32_t cmdId;
    std::int32_t len;
    std::uint8_t checksum;
  };
  static std::size_t Index(Port port) { return port == Port::Command ? 0 : 1; }

  std::optional<Reply> Handle(std::int32_t cmdId, const std::uint8_t* data, std::size_t len,
                              Port port);
  // The reply to request cmdId: replyId (the request + 1) and the data.
  std::optional<Reply> Answer(std::int32_t cmdId, std::vector<std::uint8_t> replyData,
                              std::int32_t replyId);
  std::optional<Reply> Answer(std::int32_t cmdId, std::vector<std::uint8_t> replyData) {
    return Answer(cmdId, std::move(replyData), cmdId + 1);
  }
  void Save();
  void Log(const std::string& line) const;

  std::string label_;
  std::string version_;
  DEV_PARAM_T record_{};
  std::optional<std::filesystem::path> statePath_;
  std::optional<Pending> pending_[2];
  std::vector<MisbehaviourRule> rules_;
  Counters counters_;
  std::function<void(const std::string&)> log_;
};

// The list positions with which the reader confirms serial parameters in reply 39: baud rate,
// data bits and stop bits as positions in the tool's lists (-1 for a value no item has), then
// parity and the QR code serial output format as they came.
std::vector<std::uint8_t> SerialConfirmation(const DEV_PARAM_T& record);

}  // namespace sim
