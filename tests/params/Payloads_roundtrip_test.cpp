// The round-trip promise: a value that its control can show, sent back unchanged with its section's
// Set command, reaches the reader in the form in which it came. For records whose every value
// can be shown, each payload built from what the display shows equals the record's section.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "params/CodePage.h"
#include "params/DevParam.h"
#include "params/ParamDisplay.h"
#include "params/Payloads.h"
#include "protocol/DiscoverDev.h"
#include "tests/params/ParamRecords.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

template <std::size_t N>
Bytes B(const std::array<std::uint8_t, N>& a) {
  return Bytes(a.begin(), a.end());
}

// The fixed items of the serial lists and the list's CB_FINDSTRING from -1: the first
// item that begins with the text, ignoring case.
const std::vector<std::string> kBaudItems = {
    "110",  "134",  "150",   "300",   "600",   "1200",  "1800",   "2400",   "4800",
    "7200", "9600", "14400", "19200", "38400", "57600", "115200", "128000", "256000"};
const std::vector<std::string> kDataBitsItems = {"8", "7", "6", "5"};
const std::vector<std::string> kStopBitsItems = {"1", "2"};

std::string Lookup(const std::vector<std::string>& items, std::int32_t value) {
  const std::string text = LookupText(value);
  for (const std::string& item : items) {
    if (item.compare(0, text.size(), text) == 0) return item;
  }
  ADD_FAILURE() << "no item for " << value;
  return {};
}

std::string Converted(char* text) {
  std::unique_ptr<char[]> owned(text);
  return owned.get();
}

using params_test::kRecords;
using params_test::RecordCase;

class RoundTripTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RoundTripTest, EveryPayloadEqualsItsSection) {
  const DEV_PARAM_T r = GetParam().make();
  const auto bytes = EncodeDevParam(r);
  auto section = [&](ParamSection s) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(s.offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(s.offset + s.len));
  };

  // What the controls show (ShowParameters), as plain values.
  NetworkBlock shownNet;
  shownNet.netMode = r.netMode;
  shownNet.ipAddr = r.ipAddr;
  shownNet.netMask = r.netMask;
  shownNet.gateway = r.gateway;
  shownNet.dns1 = r.dns1;
  shownNet.dns2 = r.dns2;
  shownNet.serverAddr = FieldText(r.serverAddr, sizeof r.serverAddr);
  shownNet.serverPort = r.serverPort;
  shownNet.httpLang = r.httpLang;

  const char* cloudFields[] = {r.cloudText1, r.cloudText2, r.cloudText3,
                               r.cloudText4, r.cloudText5, r.cloudText6};
  std::string cloudUtf8[6];
  for (int i = 0; i < 6; ++i) {
    const std::string shown = Converted(Utf8ToAnsi(cloudFields[i], CLOUD_TEXT_LEN));
    cloudUtf8[i] = Converted(AnsiToUtf8(shown.c_str()));
  }

  const int barFormatList = r.barPrefixFmt;
  const std::string barPrefixEdit = FixFieldDisplay(r.barPrefixFmt, r.barPrefix, FIX_FIELD_LEN);
  const std::string barSuffixEdit = FixFieldDisplay(r.barSuffixFmt, r.barSuffix, FIX_FIELD_LEN);
  const std::string cardPrefixEdit = FixFieldDisplay(r.cardFixFmt, r.cardPrefix, FIX_FIELD_LEN);
  const std::string cardSuffixEdit = FixFieldDisplay(r.cardFixFmt, r.cardSuffix, FIX_FIELD_LEN);

  // What each Set command sends from those values.
  const auto network = EncodeNetworkBlock(shownNet);
  EXPECT_EQ(B(network), section(SECTION_NETWORK));
  const auto record32 = BuildDeviceRecord("reader", shownNet);
  EXPECT_EQ(Bytes(record32.begin() + NETWORK_BLOCK_OFFSET, record32.end()),
            section(SECTION_NETWORK));

  EXPECT_EQ(B(BuildCloudPayload({r.cloudProvider,
                                 r.cloudServerIp,
                                 {cloudUtf8[0], cloudUtf8[1], cloudUtf8[2], cloudUtf8[3],
                                  cloudUtf8[4], cloudUtf8[5]}})),
            section(SECTION_CLOUD));
  EXPECT_EQ(B(BuildOutputFormatPayload(OutputFormatCodeToIndex(r.outputFormat))),
            section(SECTION_OUTPUT_FORMAT));
  EXPECT_EQ(B(BuildCardInputFormatPayload(CardInputFormatCodeToIndex(r.cardInputFormat))),
            section(SECTION_CARD_INPUT_FORMAT));
  EXPECT_EQ(B(BuildHidFormatPayload(r.hidEnter, r.hidNewline)), section(SECTION_HID_FORMAT));
  EXPECT_EQ(B(BuildBarcodeFixPayload(barFormatList, barPrefixEdit)), section(SECTION_BAR_PREFIX));
  EXPECT_EQ(B(BuildBarcodeFixPayload(barFormatList, barSuffixEdit)), section(SECTION_BAR_SUFFIX));
  EXPECT_EQ(B(BuildLightPayload(r.light)), section(SECTION_LIGHT));
  EXPECT_EQ(B(BuildWorkModePayload(r.workMode)), section(SECTION_WORK_MODE));
  EXPECT_EQ(B(BuildHiddenChoicePayload(r.hiddenChoice)), section(SECTION_HIDDEN_CHOICE));
  EXPECT_EQ(B(BuildSpeakerPayload(r.speaker)), section(SECTION_SPEAKER));
  EXPECT_EQ(B(BuildWiegandPayload({.lowPulseUs = WiegandDisplayValue(r.wgLowPulse),
                                   .highPulseUs = WiegandDisplayValue(r.wgHighPulse)})),
            section(SECTION_WIEGAND));
  const std::string baud = Lookup(kBaudItems, r.baudRate);
  const std::string dataBits = Lookup(kDataBitsItems, r.dataBits);
  const std::string stopBits = Lookup(kStopBitsItems, r.stopBits);
  EXPECT_EQ(B(BuildSerialPayload({baud, dataBits, stopBits, r.parity, r.qrSerialFormat})),
            section(SECTION_SERIAL));
  EXPECT_EQ(B(BuildRestartPayload(r.restartSetting)), section(SECTION_RESTART));
  EXPECT_EQ(B(BuildQrPayload({r.qrProtocol, r.qrCardFormat, r.qrEncrypted, r.qrUseCount,
                              r.qrStartDigit, r.qrWorkMode, FieldText(r.ntpAddr, QR_TEXT_LEN),
                              FieldText(r.backupAddr, QR_TEXT_LEN)})),
            section(SECTION_QR_PARAMS));
  EXPECT_EQ(
      B(BuildCardFixPayload({r.cardSerialFormat, r.cardFixFmt, cardPrefixEdit, cardSuffixEdit})),
      section(SECTION_CARD_FIX));
}

INSTANTIATE_TEST_SUITE_P(Records, RoundTripTest, ::testing::ValuesIn(kRecords),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
