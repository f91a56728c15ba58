// The simulated reader's request handling on arbitrary traffic: a run of datagrams, each on the
// command or the discovery port, optionally under one misbehaviour rule. Whatever arrives, every
// reply the reader gives is a well-formed datagram that answers a request (identifier + 1) and,
// unless a rule breaks it on purpose, carries a correct length and checksum.
//
// Input: byte 0 picks the rule (0 none, see kRules); then chunks of [flags][len lo][len hi][len
// bytes], flags bit 0 = discovery port, the length masked to 13 bits (0 to 8191).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "protocol/MspPacket.h"
#include "sim/ReaderEngine.h"

namespace {

const char* const kRules[] = {"",         "noreply",     "badsum",       "short=5",
                              "short=17", "delay=10@30", "noreply@30*1", "badsum@0"};

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "reader fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t ruleIndex = data[0] % (sizeof kRules / sizeof kRules[0]);
  const bool faithful = ruleIndex == 0 || ruleIndex == 1 || ruleIndex == 5 || ruleIndex == 6;
  sim::ReaderEngine reader({"Fuzz", MakeIp32(10, 201, 0, 2), sim::kClientVersion});
  if (ruleIndex != 0) {
    std::string error;
    auto rules = sim::ParseMisbehaviourList(kRules[ruleIndex], &error);
    Require(rules.has_value(), "a fixed rule did not parse");
    reader.SetMisbehaviour(*rules);
  }

  std::size_t at = 1;
  while (at + 3 <= size) {
    const sim::Port port = (data[at] & 1) ? sim::Port::Discovery : sim::Port::Command;
    std::size_t len = (data[at + 1] | (std::size_t{data[at + 2]} << 8)) & 0x1FFF;
    at += 3;
    if (len > size - at) len = size - at;
    const std::vector<std::uint8_t> datagram(data + at, data + at + len);  // exact bounds
    at += len;

    const auto before = reader.Stats();
    auto reply = reader.Receive(datagram.data(), datagram.size(), port);
    const auto& after = reader.Stats();
    Require(after.datagrams == before.datagrams + 1, "every datagram is counted");
    Require(after.replies <= after.requests, "more replies than requests");
    if (!reply) continue;
    Require(after.requests == before.requests + 1, "a reply without a complete request");
    const auto& bytes = reply->bytes;
    if (faithful) {
      Require(bytes.size() >= PACKAGE_HEADER_LEN, "reply shorter than a header");
      const MspSendCmd_t header = DecodeCmdHeader(bytes.data());
      Require(header.syncCode == 0x58585858u, "reply without the sync code");
      Require(header.cmdId % 2 == 1 && header.cmdId >= 1, "reply identifier is not odd");
      Require(header.cmdDataLen >= 0 &&
                  static_cast<std::size_t>(header.cmdDataLen) == bytes.size() - PACKAGE_HEADER_LEN,
              "reply length word disagrees with the datagram");
      if (header.cmdDataLen > 0) {
        const int sum = CmdDataChecksum(header.cmdDataLen, bytes.data() + PACKAGE_HEADER_LEN);
        Require((sum & 0xFF) == header.cmdData_checksum, "reply checksum is wrong");
      }
    } else {
      Require(bytes.size() <= 17 + 720 + 4096, "reply of impossible size");
    }
  }
  return 0;
}
