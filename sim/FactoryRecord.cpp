#include "sim/FactoryRecord.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace sim {

namespace {

// Copies at most width - 1 bytes into a zeroed field, so the text keeps its NUL.
void PutText(char* field, std::size_t width, std::string_view text) {
  std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

}  // namespace

DEV_PARAM_T FactoryRecord(Ip32 address) {
  DEV_PARAM_T r{};
  r.netMode = 0;
  r.ipAddr = address;
  r.netMask = MakeIp32(255, 255, 255, 0);
  r.gateway = Ip32{(address.value & 0xFFFFFF00u) | 1u};
  r.dns1 = MakeIp32(114, 114, 114, 114);
  r.dns2 = MakeIp32(8, 8, 8, 8);
  PutText(r.serverAddr, sizeof r.serverAddr, "server.kestrival.lan");
  r.serverPort = 80;
  r.httpLang = 0;

  r.cloudProvider = 0;
  r.cloudServerIp = Ip32{};
  PutText(r.cloudText1, CLOUD_TEXT_LEN, "kestrival-k1");
  PutText(r.cloudText2, CLOUD_TEXT_LEN, "product-key");
  PutText(r.cloudText3, CLOUD_TEXT_LEN, "reader");
  PutText(r.cloudText4, CLOUD_TEXT_LEN, "device-secret");
  PutText(r.cloudText5, CLOUD_TEXT_LEN, "/kestrival/up");
  PutText(r.cloudText6, CLOUD_TEXT_LEN, "/kestrival/down");

  r.outputFormat = 1;
  r.cardInputFormat = 1;
  r.hidEnter = 1;
  r.hidNewline = 0;
  r.barPrefixFmt = 1;
  r.barSuffixFmt = 1;
  r.light = 0;
  r.workMode = 0;
  r.hiddenChoice = 0;
  r.speaker = 0;
  r.wgHighPulse = 20;
  r.wgLowPulse = 4;
  r.baudRate = 9600;
  r.dataBits = 8;
  r.stopBits = 1;
  r.parity = 2;
  r.qrSerialFormat = 4;
  r.restartSetting = 1;

  r.qrProtocol = 0;
  r.qrCardFormat = 0;
  r.qrEncrypted = 0;
  r.qrUseCount = 0;
  r.qrStartDigit = 0;
  r.qrWorkMode = 0;
  PutText(r.ntpAddr, QR_TEXT_LEN, "ntp.kestrival.lan");
  PutText(r.backupAddr, QR_TEXT_LEN, "backup.kestrival.lan");

  r.cardSerialFormat = 1;
  r.cardFixFmt = 1;
  return r;
}

}  // namespace sim
