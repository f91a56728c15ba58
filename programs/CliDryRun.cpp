#include "programs/CliDryRun.h"

#include <cstdint>
#include <set>

#include "params/CodePage.h"
#include "params/DevParam.h"
#include "protocol/IpAddress.h"
#include "sim/FactoryRecord.h"

namespace cli {

std::unique_ptr<DryRunSegment> MakeDryRunSegment(const Profile& profile,
                                                 const std::vector<std::string>& targets) {
  auto dry = std::make_unique<DryRunSegment>();
  DEV_PARAM_T record{};
  std::vector<std::uint8_t> raw;
  for (std::size_t i = 0; i + 1 < profile.recordHex.size(); i += 2)
    raw.push_back(
        static_cast<std::uint8_t>(std::stoi(profile.recordHex.substr(i, 2), nullptr, 16)));
  std::uint32_t spare = 0xC0000201;  // 192.0.2.1
  std::set<std::uint32_t> used;
  for (const std::string& t : targets) {
    std::uint32_t address;
    // A target given by address has no known label: its address stands in for it (at most 15
    // characters, and one stand-in's differs from every other's, as the dialog needs).
    std::string label = t;
    if (const auto given = ParseDotted(t)) {
      address = given->value;
    } else {
      while (used.count(spare)) ++spare;
      address = spare;
      label = Utf8ToAnsiString(t);
    }
    if (!used.insert(address).second || address == 0 || address == 0xFFFFFFFF) continue;
    record = raw.size() == DEV_PARAM_LEN ? DecodeDevParam(raw.data(), raw.size())
                                         : sim::FactoryRecord(Ip32{address});
    auto reader = std::make_unique<sim::VirtualReader>(
        dry->segment, address, sim::ReaderIdentity{label, Ip32{address}, sim::kClientVersion});
    reader->Engine().SetRecord(record);
    dry->readers.push_back(std::move(reader));
  }
  std::uint32_t toolAddress = 0xC6336401;  // 198.51.100.1
  while (used.count(toolAddress)) ++toolAddress;
  dry->tool = &dry->segment.AddHost(toolAddress);
  return dry;
}

}  // namespace cli
