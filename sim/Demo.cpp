#include "sim/Demo.h"

#include <cstring>

#include "protocol/IpAddress.h"

namespace sim {

namespace {

// "门禁服务器.lan" (access control server) in code page 936, as the tool's controls hold text.
constexpr const char kChineseServer[] = "\xC3\xC5\xBD\xFB\xB7\xFE\xCE\xF1\xC6\xF7.lan";
// "门禁云" (access control cloud) in UTF-8, as the cloud texts travel.
constexpr const char kChineseCloudProduct[] = "\xE9\x97\xA8\xE7\xA6\x81\xE4\xBA\x91";

}  // namespace

std::vector<std::unique_ptr<VirtualReader>> AddDemoReaders(platform::net::VirtualSegment& segment) {
  std::vector<std::unique_ptr<VirtualReader>> readers;
  const ReaderIdentity identities[3] = {
      {"Gate A", Ip32{kDemoReaderAddresses[0]}, kClientVersion},
      {"Gate B", Ip32{kDemoReaderAddresses[1]}, kClientVersion},
      {"Lobby", Ip32{kDemoReaderAddresses[2]}, kCommonVersion},
  };
  readers.reserve(3);
  for (int i = 0; i < 3; ++i)
    readers.push_back(
        std::make_unique<VirtualReader>(segment, kDemoReaderAddresses[i], identities[i]));

  DEV_PARAM_T gateB = readers[1]->Engine().Record();
  std::memset(gateB.serverAddr, 0, sizeof gateB.serverAddr);
  std::memcpy(gateB.serverAddr, kChineseServer, sizeof kChineseServer - 1);
  std::memset(gateB.cloudText1, 0, sizeof gateB.cloudText1);
  std::memcpy(gateB.cloudText1, kChineseCloudProduct, sizeof kChineseCloudProduct - 1);
  gateB.workMode = 1;
  gateB.baudRate = 115200;
  readers[1]->Engine().SetRecord(gateB);
  return readers;
}

}  // namespace sim
