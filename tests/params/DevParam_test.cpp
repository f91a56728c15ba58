// DEV_PARAM_T against the field and section tables.
#include "params/DevParam.h"

#include <gtest/gtest.h>

#include <vector>

#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"

namespace {

struct FieldRow {
  const char* field;
  std::size_t offset;
  std::size_t size;
  std::size_t expectedOffset;
  std::size_t expectedSize;
};

FieldRow MakeFieldRow(const char* field, std::size_t offset, std::size_t size,
                      std::size_t expectedOffset, std::size_t expectedSize) {
  return {field, offset, size, expectedOffset, expectedSize};
}

#define ROW(f, off, w) MakeFieldRow(#f, offsetof(DEV_PARAM_T, f), sizeof(DEV_PARAM_T::f), off, w)

// The field table, with the unread rests of the one-byte slots.
const FieldRow kFields[] = {
    ROW(netMode, 0, 4),
    ROW(ipAddr, 4, 4),
    ROW(netMask, 8, 4),
    ROW(gateway, 12, 4),
    ROW(dns1, 16, 4),
    ROW(dns2, 20, 4),
    ROW(serverAddr, 24, 48),
    ROW(serverPort, 72, 4),
    ROW(httpLang, 76, 4),
    ROW(opaque, 80, 128),
    ROW(cloudProvider, 208, 4),
    ROW(cloudServerIp, 212, 4),
    ROW(cloudText1, 216, 32),
    ROW(cloudText2, 248, 32),
    ROW(cloudText3, 280, 32),
    ROW(cloudText4, 312, 32),
    ROW(cloudText5, 344, 32),
    ROW(cloudText6, 376, 32),
    ROW(outputFormat, 408, 1),
    ROW(outputFormatRest, 409, 3),
    ROW(cardInputFormat, 412, 1),
    ROW(cardInputFormatRest, 413, 3),
    ROW(hidEnter, 416, 1),
    ROW(hidNewline, 417, 1),
    ROW(hidRest, 418, 2),
    ROW(barPrefixFmt, 420, 4),
    ROW(barPrefix, 424, 32),
    ROW(barSuffixFmt, 456, 4),
    ROW(barSuffix, 460, 32),
    ROW(light, 492, 1),
    ROW(lightRest, 493, 3),
    ROW(workMode, 496, 1),
    ROW(workModeRest, 497, 3),
    ROW(hiddenChoice, 500, 1),
    ROW(hiddenChoiceRest, 501, 3),
    ROW(speaker, 504, 1),
    ROW(speakerRest, 505, 3),
    ROW(wgHighPulse, 508, 4),
    ROW(wgLowPulse, 512, 4),
    ROW(baudRate, 516, 4),
    ROW(dataBits, 520, 4),
    ROW(stopBits, 524, 4),
    ROW(parity, 528, 4),
    ROW(qrSerialFormat, 532, 4),
    ROW(restartSetting, 536, 4),
    ROW(qrProtocol, 540, 1),
    ROW(qrCardFormat, 541, 1),
    ROW(qrEncrypted, 542, 1),
    ROW(qrUseCount, 543, 1),
    ROW(qrStartDigit, 544, 4),
    ROW(qrWorkMode, 548, 4),
    ROW(ntpAddr, 552, 48),
    ROW(backupAddr, 600, 48),
    ROW(cardSerialFormat, 648, 4),
    ROW(cardFixFmt, 652, 4),
    ROW(cardPrefix, 656, 32),
    ROW(cardSuffix, 688, 32),
};
#undef ROW

TEST(DevParamTest, EveryFieldAtItsOffsetWithoutGaps) {
  std::size_t next = 0;
  for (const FieldRow& row : kFields) {
    EXPECT_EQ(row.offset, row.expectedOffset) << row.field;
    EXPECT_EQ(row.size, row.expectedSize) << row.field;
    EXPECT_EQ(row.offset, next) << row.field << " does not follow the field before it";
    next = row.offset + row.size;
  }
  EXPECT_EQ(next, 720u);
  EXPECT_EQ(sizeof(DEV_PARAM_T), 720u);
}

struct SectionRow {
  const char* name;
  ParamSection section;
  std::size_t offset;
  std::size_t len;
  int command;  // -1: written by no command
};

const SectionRow kSections[] = {
    {"network", SECTION_NETWORK, 0, 80, CMD_SET_NETWORK},
    {"opaque", SECTION_OPAQUE, 80, 128, -1},
    {"cloud", SECTION_CLOUD, 208, 200, CMD_SET_CLOUD},
    {"output format", SECTION_OUTPUT_FORMAT, 408, 4, CMD_SET_OUTPUT_FORMAT},
    {"card input format", SECTION_CARD_INPUT_FORMAT, 412, 4, CMD_SET_CARD_INPUT_FORMAT},
    {"hid", SECTION_HID_FORMAT, 416, 4, CMD_SET_HID_FORMAT},
    {"barcode prefix", SECTION_BAR_PREFIX, 420, 36, CMD_SET_BAR_PREFIX},
    {"barcode suffix", SECTION_BAR_SUFFIX, 456, 36, CMD_SET_BAR_SUFFIX},
    {"light", SECTION_LIGHT, 492, 4, CMD_SET_LIGHT},
    {"work mode", SECTION_WORK_MODE, 496, 4, CMD_SET_WORK_MODE},
    {"hidden choice", SECTION_HIDDEN_CHOICE, 500, 4, CMD_SET_HIDDEN_CHOICE},
    {"speaker", SECTION_SPEAKER, 504, 4, CMD_SET_SPEAKER},
    {"wiegand", SECTION_WIEGAND, 508, 8, CMD_SET_WIEGAND},
    {"serial", SECTION_SERIAL, 516, 20, CMD_SET_SERIAL},
    {"restart", SECTION_RESTART, 536, 4, CMD_SET_RESTART},
    {"qr", SECTION_QR_PARAMS, 540, 108, CMD_SET_QR_PARAMS},
    {"card fix", SECTION_CARD_FIX, 648, 72, CMD_SET_CARD_FIX},
};

TEST(DevParamTest, SectionsCoverTheRecordInOrder) {
  std::size_t next = 0;
  for (const SectionRow& row : kSections) {
    EXPECT_EQ(row.section.offset, row.offset) << row.name;
    EXPECT_EQ(row.section.len, row.len) << row.name;
    EXPECT_EQ(row.section.offset, next) << row.name;
    next = row.section.offset + row.section.len;
  }
  EXPECT_EQ(next, DEV_PARAM_LEN);
}

TEST(DevParamTest, SectionLengthsAreTheCatalogueDataLengths) {
  for (const SectionRow& row : kSections) {
    if (row.command < 0 || row.command == CMD_SET_NETWORK) continue;
    const CommandInfo* c = FindCommand(row.command);
    ASSERT_NE(c, nullptr) << row.name;
    EXPECT_EQ(static_cast<std::size_t>(c->dataLen), row.len) << row.name;
  }
  // The network command carries the label in front of the record's network block.
  EXPECT_EQ(static_cast<std::size_t>(FindCommand(CMD_SET_NETWORK)->dataLen),
            DEV_LABEL_LEN + SECTION_NETWORK.len);
  EXPECT_EQ(static_cast<std::size_t>(FindCommandByReply(CMD_READ_PARAMS_REPLY)->replyReadLen),
            DEV_PARAM_LEN);
}

TEST(DevParamTest, NetworkBlockAsInTheDeviceRecord) {
  EXPECT_EQ(offsetof(DEV_PARAM_T, netMode), NB_NET_MODE);
  EXPECT_EQ(offsetof(DEV_PARAM_T, ipAddr), NB_IP_ADDR);
  EXPECT_EQ(offsetof(DEV_PARAM_T, netMask), NB_NET_MASK);
  EXPECT_EQ(offsetof(DEV_PARAM_T, gateway), NB_GATEWAY);
  EXPECT_EQ(offsetof(DEV_PARAM_T, dns1), NB_DNS1);
  EXPECT_EQ(offsetof(DEV_PARAM_T, dns2), NB_DNS2);
  EXPECT_EQ(offsetof(DEV_PARAM_T, serverAddr), NB_SERVER_ADDR);
  EXPECT_EQ(offsetof(DEV_PARAM_T, serverPort), NB_SERVER_PORT);
  EXPECT_EQ(offsetof(DEV_PARAM_T, httpLang), NB_HTTP_LANG);
  EXPECT_EQ(SECTION_NETWORK.len, NETWORK_BLOCK_LEN);
}

TEST(DevParamTest, DecodeReadsLittleEndianFieldsFromDistinctBytes) {
  std::vector<std::uint8_t> bytes(720);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const DEV_PARAM_T r = DecodeDevParam(bytes.data(), bytes.size());
  auto le32 = [&](std::size_t o) {
    return static_cast<std::uint32_t>(bytes[o]) | static_cast<std::uint32_t>(bytes[o + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[o + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[o + 3]) << 24;
  };
  EXPECT_EQ(static_cast<std::uint32_t>(r.netMode), le32(0));
  EXPECT_EQ(r.dns2.value, le32(20));
  EXPECT_EQ(r.cloudServerIp.value, le32(212));
  EXPECT_EQ(static_cast<std::uint8_t>(r.outputFormat), bytes[408]);
  EXPECT_EQ(static_cast<std::uint8_t>(r.hidNewline), bytes[417]);
  EXPECT_EQ(static_cast<std::uint32_t>(r.wgHighPulse), le32(508));
  EXPECT_EQ(static_cast<std::uint32_t>(r.wgLowPulse), le32(512));
  EXPECT_EQ(r.qrUseCount, bytes[543]);
  EXPECT_EQ(static_cast<std::uint32_t>(r.cardFixFmt), le32(652));
  EXPECT_EQ(static_cast<std::uint8_t>(r.cardSuffix[31]), bytes[719]);
  const auto back = EncodeDevParam(r);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), bytes.begin()));
}

TEST(DevParamTest, ShortReplyDecodesToZeros) {
  const std::uint8_t bytes[] = {0x01, 0x02};
  const auto back = EncodeDevParam(DecodeDevParam(bytes, sizeof bytes));
  EXPECT_EQ(back[0], 0x01);
  EXPECT_EQ(back[1], 0x02);
  EXPECT_TRUE(std::all_of(back.begin() + 2, back.end(), [](std::uint8_t b) { return b == 0; }));
  const auto empty = EncodeDevParam(DecodeDevParam(nullptr, 0));
  EXPECT_TRUE(std::all_of(empty.begin(), empty.end(), [](std::uint8_t b) { return b == 0; }));
}

}  // namespace
