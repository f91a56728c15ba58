// The fixture of the batch program's tests: kestrival-cli in this process on a virtual segment of
// simulated readers, with what the tool sent recorded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "params/DevParam.h"
#include "platform/net/VirtualSegment.h"
#include "programs/Cli.h"
#include "sim/FactoryRecord.h"
#include "sim/VirtualReader.h"
#include "tests/params/ParamRecords.h"
#include "tests/programs/GroupBytes.h"
#include "tests/support/DialogHarness.h"

namespace cli_test {

using params_test::PutText;
using platform::net::WireDatagram;
using testing_support::kToolAddress;

constexpr std::uint32_t kA = 0xC0A80065;  // 192.168.0.101
constexpr std::uint32_t kB = 0xC0A80066;  // 192.168.0.102
constexpr std::uint32_t kC = 0xC0A80067;  // 192.168.0.103

inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A record with a value other than the factory's in every field a user can set.
inline DEV_PARAM_T DistinctRecord(Ip32 address) {
  DEV_PARAM_T r = sim::FactoryRecord(address);
  r.netMode = 1;
  r.httpLang = 3;
  r.serverPort = 8080;
  PutText(r.serverAddr, sizeof r.serverAddr, "site-a.lan");
  r.outputFormat = 9;
  r.cardInputFormat = 3;
  r.hidEnter = 0;
  r.hidNewline = 1;
  r.barPrefixFmt = 0;
  PutText(r.barPrefix, sizeof r.barPrefix, "\x0d\x0a");
  r.barSuffixFmt = 0;
  PutText(r.barSuffix, sizeof r.barSuffix, "\x1b");
  r.light = 1;
  r.workMode = 2;
  r.speaker = 1;
  r.wgLowPulse = 8;
  r.wgHighPulse = 30;
  r.baudRate = 115200;
  r.dataBits = 7;
  r.stopBits = 2;
  r.parity = 4;
  r.qrSerialFormat = 1;
  r.restartSetting = 2;
  r.qrProtocol = 2;
  r.qrCardFormat = 1;
  r.qrEncrypted = 1;
  r.qrUseCount = 1;
  r.qrStartDigit = 37;
  r.qrWorkMode = 1;
  PutText(r.ntpAddr, sizeof r.ntpAddr, "ntp.site-a.lan");
  PutText(r.backupAddr, sizeof r.backupAddr, "backup.site-a.lan");
  r.cardSerialFormat = 0;
  r.cardFixFmt = 1;
  PutText(r.cardPrefix, sizeof r.cardPrefix, "<");
  PutText(r.cardSuffix, sizeof r.cardSuffix, "\xC3\xC5");  // a Chinese character in GBK
  return r;
}

class CliOnSegment : public ::testing::Test {
 protected:
  CliOnSegment() : tool_(segment_.AddHost(kToolAddress)) {
    folder_.Write("language.csv", testing_support::BuiltLanguageCsv());
    env_.network = &tool_;
    env_.modulePath = (folder_.Path() / "kestrival-cli").string();
    env_.now = [] { return std::string("2026-12-08T09:00:00Z"); };
    segment_.SetObserver([this](const WireDatagram& d) {
      if (d.from.addr == kToolAddress) sent_.push_back(d);
    });
  }

  sim::VirtualReader& AddReader(std::uint32_t address, const std::string& label,
                                const std::string& version = sim::kClientVersion) {
    readers_.push_back(std::make_unique<sim::VirtualReader>(
        segment_, address, sim::ReaderIdentity{label, Ip32{address}, version}));
    return *readers_.back();
  }

  int Run(std::vector<std::string> args) {
    args.insert(args.end(), {"--wait", "30", "--timeout", "300", "--restart-wait", "100"});
    out_.str("");
    err_.str("");
    sent_.clear();
    return cli::RunCli(args, env_, out_, err_);
  }

  std::string ProfileOf(const std::string& target) {
    EXPECT_EQ(Run({"get", target}), 0) << err_.str();
    return out_.str();
  }

  std::string WriteProfile(const std::string& name, const std::string& json) {
    folder_.Write(name, json);
    return (folder_.Path() / name).string();
  }

  std::uint64_t DatagramsAtReaders() const {
    std::uint64_t n = 0;
    for (const auto& r : readers_) n += r->Engine().Stats().datagrams;
    return n;
  }

  testing_support::TempFolder folder_;
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost& tool_;
  std::vector<std::unique_ptr<sim::VirtualReader>> readers_;
  cli::Environment env_;
  std::ostringstream out_, err_;
  std::vector<WireDatagram> sent_;
};

}  // namespace cli_test
