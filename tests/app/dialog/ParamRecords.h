// Two parameter records whose every value is one its control can show (valid list positions,
// no output format code 8, zero filler, the barcode suffix format equal to the prefix format,
// nothing after a text's NUL), with values that differ from field to field and from one record
// to the other, so that a field shown in or read from the wrong control is caught.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "params/DevParam.h"
#include "params/ParamDisplay.h"
#include "platform/kernel.h"
#include "tests/app/dialog/ParamReader.h"
#include "tests/support/DialogHarness.h"

namespace params_test {

struct RecordCase {
  const char* name;
  DEV_PARAM_T (*make)();
};

inline void PrintTo(const RecordCase& c, std::ostream* os) {
  *os << c.name;
}

// Hexadecimal barcode fixes, text card fixes, every QR list past its default.
inline DEV_PARAM_T RecordA() {
  DEV_PARAM_T r{};
  r.netMode = 1;
  r.ipAddr = MakeIp32(192, 168, 7, 21);
  r.netMask = MakeIp32(255, 255, 252, 0);
  r.gateway = MakeIp32(192, 168, 4, 1);
  r.dns1 = MakeIp32(223, 5, 5, 5);
  r.dns2 = MakeIp32(1, 0, 0, 1);
  PutText(r.serverAddr, sizeof r.serverAddr, "api.reader.test:8443/in");
  r.serverPort = 8443;
  r.httpLang = 3;
  for (std::size_t i = 0; i < sizeof r.opaque; ++i) r.opaque[i] = static_cast<std::uint8_t>(i + 1);
  r.cloudProvider = 1;
  r.cloudServerIp = MakeIp32(47, 96, 12, 200);
  PutText(r.cloudText1, sizeof r.cloudText1, "a1b2c3");
  PutText(r.cloudText2, sizeof r.cloudText2, "\xE9\x97\xA8\xE7\xA6\x81");  // 门禁
  PutText(r.cloudText3, sizeof r.cloudText3, "product-key-33");
  PutText(r.cloudText4, sizeof r.cloudText4, "device-44");
  PutText(r.cloudText5, sizeof r.cloudText5, "secret-5555");
  PutText(r.cloudText6, sizeof r.cloudText6, "/topic/66");
  r.outputFormat = 10;  // item 8
  r.cardInputFormat = 4;
  r.hidEnter = 0;
  r.hidNewline = 1;
  r.barPrefixFmt = 0;
  PutText(r.barPrefix, sizeof r.barPrefix, "\x02\x1B\xAB");
  r.barSuffixFmt = 0;
  PutText(r.barSuffix, sizeof r.barSuffix, "\x0D\x0A");
  r.light = 1;
  r.workMode = 2;
  r.hiddenChoice = 0;
  r.speaker = 1;
  r.wgHighPulse = 21;
  r.wgLowPulse = 3;
  r.baudRate = 57600;
  r.dataBits = 7;
  r.stopBits = 2;
  r.parity = 3;
  r.qrSerialFormat = 1;
  r.restartSetting = 2;
  r.qrProtocol = 2;
  r.qrCardFormat = 1;
  r.qrEncrypted = 1;
  r.qrUseCount = 1;
  r.qrStartDigit = 37;
  r.qrWorkMode = 1;
  PutText(r.ntpAddr, sizeof r.ntpAddr, "ntp.reader.test");
  PutText(r.backupAddr, sizeof r.backupAddr, "backup.reader.test:9000");
  r.cardSerialFormat = 0;
  r.cardFixFmt = 1;
  PutText(r.cardPrefix, sizeof r.cardPrefix, "CP-");
  PutText(r.cardSuffix, sizeof r.cardSuffix, "#sfx");
  return r;
}

// Text barcode fixes, hexadecimal card fixes, the other positions of the two-item lists.
inline DEV_PARAM_T RecordB() {
  DEV_PARAM_T r{};
  r.netMode = 0;
  r.ipAddr = MakeIp32(10, 20, 30, 40);
  r.netMask = MakeIp32(255, 0, 0, 0);
  r.gateway = MakeIp32(10, 20, 30, 1);
  r.dns1 = MakeIp32(8, 8, 4, 4);
  r.dns2 = MakeIp32(9, 9, 9, 9);
  PutText(r.serverAddr, sizeof r.serverAddr, "10.20.30.2");
  r.serverPort = 7001;
  r.httpLang = 4;
  r.cloudProvider = 0;
  r.cloudServerIp = MakeIp32(1, 2, 3, 4);
  PutText(r.cloudText1, sizeof r.cloudText1, "\xE4\xB8\xAD\xE6\x96\x87-1");  // 中文-1
  PutText(r.cloudText2, sizeof r.cloudText2, "two");
  PutText(r.cloudText3, sizeof r.cloudText3, "three");
  PutText(r.cloudText4, sizeof r.cloudText4, "four");
  PutText(r.cloudText5, sizeof r.cloudText5, "five");
  PutText(r.cloudText6, sizeof r.cloudText6, "six");
  r.outputFormat = 5;  // item 4
  r.cardInputFormat = 2;
  r.hidEnter = 1;
  r.hidNewline = 0;
  r.barPrefixFmt = 1;
  PutText(r.barPrefix, sizeof r.barPrefix, "PRE:");
  r.barSuffixFmt = 1;
  PutText(r.barSuffix, sizeof r.barSuffix, ";END");
  r.light = 0;
  r.workMode = 1;
  r.hiddenChoice = 1;
  r.speaker = 0;
  r.wgHighPulse = 17;
  r.wgLowPulse = 6;
  r.baudRate = 115200;
  r.dataBits = 5;
  r.stopBits = 1;
  r.parity = 0;
  r.qrSerialFormat = 3;
  r.restartSetting = 0;
  r.qrProtocol = 1;
  r.qrCardFormat = 2;
  r.qrEncrypted = 0;
  r.qrUseCount = 0;
  r.qrStartDigit = 50;
  r.qrWorkMode = 0;
  PutText(r.ntpAddr, sizeof r.ntpAddr, "time.b.test");
  PutText(r.backupAddr, sizeof r.backupAddr, "b.backup.test");
  r.cardSerialFormat = 1;
  r.cardFixFmt = 0;
  PutText(r.cardPrefix, sizeof r.cardPrefix, "\x02");
  PutText(r.cardSuffix, sizeof r.cardSuffix, "\x03\xFF");
  return r;
}

// The lists of two items leave two values only; each gets its own 4-bit code (1 to 13), and
// record k holds bit k of it, so across the four records no two of these fields agree
// everywhere and a swap between any two of them shows in at least one record.
inline DEV_PARAM_T WithTwoItemPattern(DEV_PARAM_T r, int k) {
  auto bit = [k](int code) { return static_cast<std::int8_t>((code >> k) & 1); };
  r.netMode = bit(1);
  r.cloudProvider = bit(2);
  r.hidEnter = bit(3);
  r.hidNewline = bit(4);
  r.barPrefixFmt = bit(5);
  r.barSuffixFmt = r.barPrefixFmt;
  r.light = bit(6);
  r.hiddenChoice = bit(7);
  r.speaker = bit(8);
  r.qrEncrypted = static_cast<std::uint8_t>(bit(9));
  r.qrUseCount = static_cast<std::uint8_t>(bit(10));
  r.qrWorkMode = bit(11);
  r.cardSerialFormat = bit(12);
  r.cardFixFmt = bit(13);
  return r;
}

inline DEV_PARAM_T RecordA0() {
  return WithTwoItemPattern(RecordA(), 0);
}
inline DEV_PARAM_T RecordB1() {
  return WithTwoItemPattern(RecordB(), 1);
}
inline DEV_PARAM_T RecordA2() {
  return WithTwoItemPattern(RecordA(), 2);
}
inline DEV_PARAM_T RecordB3() {
  return WithTwoItemPattern(RecordB(), 3);
}

inline const RecordCase kRecords[] = {
    {"RecordA", RecordA0}, {"RecordB", RecordB1}, {"RecordC", RecordA2}, {"RecordD", RecordB3}};

enum class Shows { Selection, Text, Ip };

struct ControlExpectation {
  int id;
  Shows kind;
  int selection;
  std::string text;
};

inline ControlExpectation Sel(int id, int index) {
  return {id, Shows::Selection, index, {}};
}
inline ControlExpectation Txt(int id, std::string text) {
  return {id, Shows::Text, 0, std::move(text)};
}
inline ControlExpectation Ip(int id, Ip32 ip) {
  return {id, Shows::Ip, 0, FormatDotted(ip)};
}

inline std::string Gbk(const char* utf8) {
  return platform::Utf8ToAcp(utf8);
}

// What every control shows for a record read with the client version flag set, as the user
// sees it: list positions, edit texts, dotted addresses.
inline std::vector<ControlExpectation> Expected(const DEV_PARAM_T& r) {
  return {
      Ip(IDC_IP_ADDRESS, r.ipAddr),
      Ip(IDC_IP_NETMASK, r.netMask),
      Ip(IDC_IP_GATEWAY, r.gateway),
      Ip(IDC_IP_DNS1, r.dns1),
      Ip(IDC_IP_DNS2, r.dns2),
      Txt(IDC_EDIT_SERVER_ADDR, r.serverAddr),
      Txt(IDC_EDIT_SERVER_PORT, std::to_string(r.serverPort)),
      Sel(IDC_COMBO_HTTP_LANG, r.httpLang),
      Sel(IDC_COMBO_NET_MODE, r.netMode),
      Sel(IDC_COMBO_LIGHT, r.light),
      Sel(IDC_COMBO_HID_ENTER, r.hidEnter),
      Sel(IDC_COMBO_HID_NEWLINE, r.hidNewline),
      Sel(IDC_COMBO_SPEAKER, r.speaker),
      Sel(IDC_COMBO_HIDDEN_CHOICE, r.hiddenChoice),
      Sel(IDC_COMBO_CLOUD_PROVIDER, r.cloudProvider),
      Sel(IDC_COMBO_WORK_MODE, r.workMode),
      Sel(IDC_COMBO_OUTPUT_FORMAT, r.outputFormat <= 7 ? r.outputFormat - 1 : r.outputFormat - 2),
      Sel(IDC_COMBO_CARD_INPUT_FORMAT, r.cardInputFormat - 1),
      Sel(IDC_COMBO_PARITY, r.parity),
      Sel(IDC_COMBO_QR_SERIAL_FORMAT, r.qrSerialFormat),
      Sel(IDC_COMBO_BAR_FIX_FORMAT, r.barPrefixFmt),
      Sel(IDC_COMBO_QR_PROTOCOL, r.qrProtocol),
      Sel(IDC_COMBO_QR_START_DIGIT, r.qrStartDigit),
      Sel(IDC_COMBO_CARD_SERIAL_FORMAT, r.cardSerialFormat),
      Sel(IDC_COMBO_CARD_FIX_FORMAT, r.cardFixFmt),
      Txt(IDC_EDIT_CARD_PREFIX,
          r.cardFixFmt ? std::string(r.cardPrefix) : HexDisplay(r.cardPrefix, sizeof r.cardPrefix)),
      Txt(IDC_EDIT_CARD_SUFFIX,
          r.cardFixFmt ? std::string(r.cardSuffix) : HexDisplay(r.cardSuffix, sizeof r.cardSuffix)),
      Txt(IDC_EDIT_BAR_PREFIX,
          r.barPrefixFmt ? std::string(r.barPrefix) : HexDisplay(r.barPrefix, sizeof r.barPrefix)),
      Txt(IDC_EDIT_BAR_SUFFIX,
          r.barSuffixFmt ? std::string(r.barSuffix) : HexDisplay(r.barSuffix, sizeof r.barSuffix)),
      Txt(IDC_EDIT_WG_LOW, std::to_string(r.wgLowPulse * 100)),
      Txt(IDC_EDIT_WG_HIGH, std::to_string(r.wgHighPulse * 100)),
      Txt(IDC_EDIT_CLOUD_TEXT1, Gbk(r.cloudText1)),
      Txt(IDC_EDIT_CLOUD_TEXT2, Gbk(r.cloudText2)),
      Txt(IDC_EDIT_CLOUD_TEXT3, Gbk(r.cloudText3)),
      Txt(IDC_EDIT_CLOUD_TEXT4, Gbk(r.cloudText4)),
      Txt(IDC_EDIT_CLOUD_TEXT5, Gbk(r.cloudText5)),
      Txt(IDC_EDIT_CLOUD_TEXT6, Gbk(r.cloudText6)),
      Sel(IDC_COMBO_QR_CARD_FORMAT, r.qrCardFormat),
      Sel(IDC_COMBO_QR_ENCRYPTED, r.qrEncrypted),
      Sel(IDC_COMBO_QR_USE_COUNT, r.qrUseCount),
      Sel(IDC_COMBO_QR_WORK_MODE, r.qrWorkMode),
      Txt(IDC_EDIT_QR_NTP, r.ntpAddr),
      Txt(IDC_EDIT_QR_BACKUP, r.backupAddr),
      Ip(IDC_IP_CLOUD_SERVER, r.cloudServerIp),
      Sel(IDC_COMBO_RESTART, r.restartSetting),
  };
}

inline void ExpectShown(const testing_support::DialogHarness& h,
                        const std::vector<ControlExpectation>& expected) {
  for (const ControlExpectation& e : expected) {
    SCOPED_TRACE("control " + std::to_string(e.id));
    switch (e.kind) {
      case Shows::Selection:
        EXPECT_EQ(h.Selection(e.id), e.selection);
        break;
      case Shows::Text:
        EXPECT_EQ(h.Text(e.id), e.text);
        break;
      case Shows::Ip:
        EXPECT_EQ(h.IpText(e.id), e.text);
        break;
    }
  }
}

}  // namespace params_test
