// The segment a dry run works on instead of the network: a stand-in for every target that holds
// the profile's record, so that the dialog reads the profile back and sends for each group
// exactly what it would send to a real reader, and nothing leaves the process.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/net/VirtualSegment.h"
#include "programs/Profile.h"
#include "sim/VirtualReader.h"

namespace cli {

struct DryRunSegment {
  platform::net::VirtualSegment segment;
  std::vector<std::unique_ptr<sim::VirtualReader>> readers;
  platform::net::VirtualHost* tool = nullptr;  // the dialog's host on the segment
};

// A stand-in for each target: at its address, or for a target given by label at a documentation
// address (192.0.2.0/24) with that label. One given by address carries its address as its label.
std::unique_ptr<DryRunSegment> MakeDryRunSegment(const Profile& profile,
                                                 const std::vector<std::string>& targets);

}  // namespace cli
