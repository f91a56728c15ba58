#include "sim/ReaderEngine.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "params/Catalogue.h"
#include "protocol/ByteOrder.h"
#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"
#include "protocol/MspPacket.h"
#include "sim/FactoryRecord.h"

namespace sim {

namespace {

constexpr std::size_t kVersionReplyLen = VERSION_REPLY_READ_LEN;
constexpr std::size_t kMaxVersionLen = kVersionReplyLen - VERSION_TEXT_OFFSET - 1;  // 47

// The position of a number among the items of one of the tool's serial lists (the catalogue's),
// -1 for none: the reader confirms with positions in them.
std::int32_t PositionOf(Field list, std::int32_t value) {
  const std::string text = std::to_string(value);
  const std::span<const ListItem> items = FieldOf(list).items;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].fixed != nullptr && text == items[i].fixed) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::string Cut(std::string text, std::size_t max) {
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  if (text.size() > max) text.resize(max);
  return text;
}

const char* PortName(Port port) {
  return port == Port::Command ? "24680" : "24582";
}

}  // namespace

std::vector<std::uint8_t> SerialConfirmation(const DEV_PARAM_T& record) {
  std::vector<std::uint8_t> data(SERIAL_LEN, 0);
  kestrival::PutLeI32(data.data() + 0, PositionOf(Field::BaudRate, record.baudRate));
  kestrival::PutLeI32(data.data() + 4, PositionOf(Field::DataBits, record.dataBits));
  kestrival::PutLeI32(data.data() + 8, PositionOf(Field::StopBits, record.stopBits));
  kestrival::PutLeI32(data.data() + 12, record.parity);
  kestrival::PutLeI32(data.data() + 16, record.qrSerialFormat);
  return data;
}

ReaderEngine::ReaderEngine(const ReaderIdentity& identity)
    : ReaderEngine(identity, FactoryRecord(identity.address)) {}

ReaderEngine::ReaderEngine(const ReaderIdentity& identity, const DEV_PARAM_T& record)
    : label_(Cut(identity.label, kMaxLabelLen)),
      version_(Cut(identity.version, kMaxVersionLen)),
      record_(record) {}

StateLoad ReaderEngine::UseStateFile(const std::filesystem::path& path) {
  statePath_ = path;
  StateLoad load = LoadState(path);
  switch (load.status) {
    case StateStatus::Loaded:
      record_ = load.record;
      Log("state loaded from " + path.string());
      break;
    case StateStatus::Corrupt: {
      std::filesystem::path aside = path;
      aside += ".corrupt";
      std::error_code ec;
      std::filesystem::rename(path, aside, ec);
      load.message += ec ? "; it could not be moved aside (" + ec.message() + ")"
                         : "; kept as " + aside.string();
      load.message += "; starting from factory values";
      Log(load.message);
      Save();
      break;
    }
    case StateStatus::Missing:
      Log(load.message + "; starting from factory values");
      Save();
      break;
  }
  return load;
}

void ReaderEngine::SetRecord(const DEV_PARAM_T& record) {
  record_ = record;
  Save();
}

std::vector<std::uint8_t> ReaderEngine::DiscoveryRecord() const {
  std::vector<std::uint8_t> bytes(DISCOVER_DEV_LEN, 0);
  std::memcpy(bytes.data(), label_.data(), label_.size());
  std::memcpy(bytes.data() + NETWORK_BLOCK_OFFSET, &record_, NETWORK_BLOCK_LEN);
  return bytes;
}

std::optional<Reply> ReaderEngine::Receive(const std::uint8_t* data, std::size_t len, Port port) {
  ++counters_.datagrams;
  std::optional<Pending>& pending = pending_[Index(port)];

  // The data a waiting header announced comes first: its bytes may look like a header too.
  if (pending && len == static_cast<std::size_t>(pending->len) &&
      CmdDataChecksum(static_cast<int>(len), data) == pending->checksum) {
    const Pending request = *pending;
    pending.reset();
    return Handle(request.cmdId, data, len, port);
  }

  if (len >= static_cast<std::size_t>(PACKAGE_HEADER_LEN) &&
      kestrival::GetLe32(data) == MSP_SYNC_CODE) {
    const MspSendCmd_t header = DecodeCmdHeader(data);
    if (header.cmdDataLen < 0 || header.cmdDataLen > MAX_REPLY_DATA_LEN) {
      ++counters_.badHeaders;
      Log("header " + std::to_string(header.cmdId) + " with length " +
          std::to_string(header.cmdDataLen) + " dropped");
      return std::nullopt;
    }
    const std::size_t dataLen = static_cast<std::size_t>(header.cmdDataLen);
    const std::size_t extra = len - PACKAGE_HEADER_LEN;
    if (extra != 0) {
      // Header and data in one datagram: taken when they agree, like a header and its data.
      const std::uint8_t* body = data + PACKAGE_HEADER_LEN;
      if (extra != dataLen ||
          CmdDataChecksum(static_cast<int>(extra), body) != header.cmdData_checksum) {
        ++counters_.mismatchedData;
        Log("request " + std::to_string(header.cmdId) +
            " with data that its header denies dropped");
        return std::nullopt;
      }
      if (pending) ++counters_.replacedHeaders;
      pending.reset();
      return Handle(header.cmdId, body, extra, port);
    }
    if (pending) {
      ++counters_.replacedHeaders;
      Log("header " + std::to_string(pending->cmdId) + " replaced before its data came");
      pending.reset();
    }
    if (dataLen == 0) return Handle(header.cmdId, nullptr, 0, port);
    pending = Pending{header.cmdId, header.cmdDataLen, header.cmdData_checksum};
    return std::nullopt;
  }

  if (pending) {
    ++counters_.mismatchedData;
    Log("data of " + std::to_string(len) + " bytes does not match header " +
        std::to_string(pending->cmdId) + " (" + std::to_string(pending->len) + " bytes): dropped");
  } else {
    ++counters_.strayData;
    Log("datagram of " + std::to_string(len) + " bytes without a header: dropped");
  }
  return std::nullopt;
}

std::optional<Reply> ReaderEngine::Handle(std::int32_t cmdId, const std::uint8_t* data,
                                          std::size_t len, Port port) {
  // Requests are even and never negative: odd identifiers are replies, and a negative one would
  // be answered with a negative reply identifier that no tool knows.
  if (cmdId % 2 != 0 || cmdId < 0) {
    ++counters_.notRequests;
    Log("identifier " + std::to_string(cmdId) + " is not a request: ignored");
    return std::nullopt;
  }
  const bool discoveryCommand = cmdId == CMD_SEARCH || cmdId == CMD_SET_NETWORK;
  if (discoveryCommand != (port == Port::Discovery)) {
    ++counters_.wrongPort;
    Log("request " + std::to_string(cmdId) + " on the wrong port " + PortName(port) + ": ignored");
    return std::nullopt;
  }
  ++counters_.requests;
  ++counters_.byCommand[cmdId];
  Log("request " + std::to_string(cmdId) + " on " + PortName(port) + ": " + std::to_string(len) +
      " bytes");

  switch (cmdId) {
    case CMD_READ_VERSION: {
      std::vector<std::uint8_t> reply(kVersionReplyLen, 0);
      std::memcpy(reply.data() + VERSION_TEXT_OFFSET, version_.data(), version_.size());
      return Answer(cmdId, std::move(reply));
    }
    case CMD_SEARCH:
      return Answer(cmdId, DiscoveryRecord());
    case CMD_READ_PARAMS: {
      const auto bytes = EncodeDevParam(record_);
      return Answer(cmdId, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
    default:
      break;
  }

  // A Set command writes its payload's section into the record, exactly those bytes.
  const SetCommandSpec* set = FindSetCommandSpec(cmdId);
  if (!set) return Answer(cmdId, {});  // a request this reader has nothing to say to
  if (len != set->payloadLen) {
    ++counters_.badLength;
    Log("request " + std::to_string(cmdId) + " carries " + std::to_string(len) + " bytes, not " +
        std::to_string(set->payloadLen) + ": not applied");
    return std::nullopt;
  }
  auto* bytes = reinterpret_cast<std::uint8_t*>(&record_);
  std::memcpy(bytes + set->section.offset, data + set->sectionAt, set->section.len);
  ++counters_.setsApplied;
  // Stored before the line is written, so that whoever waits for the line finds the state file new.
  Save();
  Log("request " + std::to_string(cmdId) + " applied to bytes " +
      std::to_string(set->section.offset) + ".." +
      std::to_string(set->section.offset + set->section.len - 1));
  if (cmdId == CMD_SET_SERIAL) return Answer(cmdId, SerialConfirmation(record_), set->reply);
  return Answer(cmdId, std::vector<std::uint8_t>(data, data + len), set->reply);
}

std::optional<Reply> ReaderEngine::Answer(std::int32_t cmdId, std::vector<std::uint8_t> replyData,
                                          std::int32_t replyId) {
  MspSendCmd_t header{};
  BuildCmdHeader(replyId, replyData.data(), static_cast<int>(replyData.size()), &header);
  const auto head = EncodeCmdHeader(header);
  Reply reply;
  reply.bytes.assign(head.begin(), head.end());
  reply.bytes.insert(reply.bytes.end(), replyData.begin(), replyData.end());

  bool silent = false;
  for (MisbehaviourRule& rule : rules_) {
    if (rule.times == 0 || (rule.cmdId >= 0 && rule.cmdId != cmdId)) continue;
    if (rule.times > 0) --rule.times;
    switch (rule.kind) {
      case MisbehaviourKind::NoReply:
        silent = true;
        break;
      case MisbehaviourKind::BadChecksum:
        reply.bytes[MSP_CHECKSUM_OFFSET] =
            static_cast<std::uint8_t>(~reply.bytes[MSP_CHECKSUM_OFFSET]);
        break;
      case MisbehaviourKind::Delay:
        reply.delay += std::chrono::milliseconds(rule.value);
        break;
      case MisbehaviourKind::Short:
        if (reply.bytes.size() > static_cast<std::size_t>(rule.value))
          reply.bytes.resize(static_cast<std::size_t>(rule.value));
        break;
    }
  }
  if (silent) {
    ++counters_.suppressedReplies;
    Log("reply " + std::to_string(replyId) + " withheld");
    return std::nullopt;
  }
  ++counters_.replies;
  return reply;
}

void ReaderEngine::Save() {
  if (!statePath_) return;
  std::string error;
  if (!SaveState(*statePath_, record_, &error)) {
    ++counters_.saveFailures;
    Log("state not saved: " + error);
  }
}

void ReaderEngine::Log(const std::string& line) const {
  if (log_) log_(line);
}

}  // namespace sim
