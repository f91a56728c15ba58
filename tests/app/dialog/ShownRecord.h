// What every control of the dialog shows for a parameter record, and the check of it.
#pragma once

#include <string>
#include <vector>

#include "params/DevParam.h"
#include "params/ParamDisplay.h"
#include "platform/kernel.h"
#include "tests/app/dialog/ParamReader.h"
#include "tests/params/ParamRecords.h"
#include "tests/support/DialogHarness.h"

namespace params_test {

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
