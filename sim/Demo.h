// The three readers of the demonstration program on a virtual segment.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/net/VirtualSegment.h"
#include "sim/VirtualReader.h"

namespace sim {

// Addresses of the demo readers (host order); the tool's host should take another one of the
// same network, for instance kDemoToolAddress.
inline constexpr std::uint32_t kDemoToolAddress = 0xC0A8000A;  // 192.168.0.10
inline constexpr std::uint32_t kDemoReaderAddresses[3] = {
    0xC0A800C9,  // 192.168.0.201 "Gate A", client version text
    0xC0A800CA,  // 192.168.0.202 "Gate B", client version text, Chinese server address (GBK)
    0xC0A800CB,  // 192.168.0.203 "Lobby", another version text
};

// Adds the three demo readers to the segment and returns them; they answer as long as the
// returned objects live. Throws like VirtualReader when an address is taken.
std::vector<std::unique_ptr<VirtualReader>> AddDemoReaders(platform::net::VirtualSegment& segment);

}  // namespace sim
