// Parameter records for the tests of the record, its display and its Set commands: every value
// is one its control can show (valid list positions, no output format code 8, zero filler, the
// barcode suffix format equal to the prefix format, nothing after a text's NUL), and values differ
// from field to field and from one record to the other, so that a field shown in or read from the
// wrong control, or written to the wrong section, is caught.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

#include "params/DevParam.h"
#include "protocol/IpAddress.h"

namespace params_test {

// Copies text into a fixed-width field, the rest zero.
inline void PutText(char* field, std::size_t width, std::string_view text) {
  ASSERT_LT(text.size(), width);
  std::memset(field, 0, width);
  std::memcpy(field, text.data(), text.size());
}

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

// Every field at the most its control can show and send back: texts of 31 and 47 bytes, 15
// bytes in hexadecimal form, GBK text in a barcode fix, bytes above 0x7F; the barcode fixes in
// hexadecimal form, the card fixes as text.
inline DEV_PARAM_T RecordLongest() {
  DEV_PARAM_T r = RecordB();
  PutText(r.serverAddr, sizeof r.serverAddr, std::string(47, 'a'));
  PutText(r.cloudText1, sizeof r.cloudText1, std::string(31, 'c'));
  PutText(r.cloudText6, sizeof r.cloudText6,
          "\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\xE6\x96\x87"
          "\xE4\xB8\xAD\xE6\x96\x87\xE4\xB8\xAD\xE6\x96\x87+");  // ten Chinese characters and +
  r.outputFormat = 11;                                           // item 9, the last
  r.cardInputFormat = 1;
  r.barPrefixFmt = 0;
  PutText(r.barPrefix, sizeof r.barPrefix, std::string(15, '\xA5'));
  r.barSuffixFmt = 0;
  PutText(r.barSuffix, sizeof r.barSuffix, "\x1B\x7F\x10\x80");
  PutText(r.ntpAddr, sizeof r.ntpAddr, std::string(47, 'n'));
  PutText(r.backupAddr, sizeof r.backupAddr, std::string(47, 'b'));
  r.cardFixFmt = 1;
  PutText(r.cardPrefix, sizeof r.cardPrefix, "<<\xD6\xD0");  // <<中 in GBK
  PutText(r.cardSuffix, sizeof r.cardSuffix, std::string(31, 's'));
  return r;
}

inline const RecordCase kRecords[] = {{"RecordA", RecordA0},
                                      {"RecordB", RecordB1},
                                      {"RecordC", RecordA2},
                                      {"RecordD", RecordB3},
                                      {"RecordLongest", RecordLongest}};

}  // namespace params_test
