// The 720-byte parameter record DEV_PARAM_T of reply 31: a sequence of sections, each
// written by one Set command with a payload laid out like the section.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "protocol/IpAddress.h"

constexpr std::size_t DEV_PARAM_LEN = 720;

struct ParamSection {
  std::size_t offset;
  std::size_t len;
};

constexpr ParamSection SECTION_NETWORK{0, 80};
constexpr ParamSection SECTION_OPAQUE{80, 128};
constexpr ParamSection SECTION_CLOUD{208, 200};
constexpr ParamSection SECTION_OUTPUT_FORMAT{408, 4};
constexpr ParamSection SECTION_CARD_INPUT_FORMAT{412, 4};
constexpr ParamSection SECTION_HID_FORMAT{416, 4};
constexpr ParamSection SECTION_BAR_PREFIX{420, 36};
constexpr ParamSection SECTION_BAR_SUFFIX{456, 36};
constexpr ParamSection SECTION_LIGHT{492, 4};
constexpr ParamSection SECTION_WORK_MODE{496, 4};
constexpr ParamSection SECTION_HIDDEN_CHOICE{500, 4};
constexpr ParamSection SECTION_SPEAKER{504, 4};
constexpr ParamSection SECTION_WIEGAND{508, 8};
constexpr ParamSection SECTION_SERIAL{516, 20};
constexpr ParamSection SECTION_RESTART{536, 4};
constexpr ParamSection SECTION_QR_PARAMS{540, 108};
constexpr ParamSection SECTION_CARD_FIX{648, 72};

// Widths of the text fields.
constexpr std::size_t CLOUD_TEXT_LEN = 32;
constexpr std::size_t FIX_FIELD_LEN = 32;  // barcode and card prefix / suffix
constexpr std::size_t QR_TEXT_LEN = 48;    // NTP and backup address
constexpr std::size_t PARAM_SERVER_ADDR_LEN = 48;

#pragma pack(push, 1)
struct DEV_PARAM_T {
  // network block (command 32)
  std::int32_t netMode;
  Ip32 ipAddr;
  Ip32 netMask;
  Ip32 gateway;
  Ip32 dns1;
  Ip32 dns2;
  char serverAddr[PARAM_SERVER_ADDR_LEN];
  std::int32_t serverPort;
  std::int32_t httpLang;
  // not interpreted
  std::uint8_t opaque[128];
  // cloud connection (command 24); the six texts are UTF-8
  std::int32_t cloudProvider;
  Ip32 cloudServerIp;
  char cloudText1[CLOUD_TEXT_LEN];
  char cloudText2[CLOUD_TEXT_LEN];
  char cloudText3[CLOUD_TEXT_LEN];
  char cloudText4[CLOUD_TEXT_LEN];
  char cloudText5[CLOUD_TEXT_LEN];
  char cloudText6[CLOUD_TEXT_LEN];
  // one-byte slots: the value in the first byte, three zero bytes
  std::int8_t outputFormat;
  std::uint8_t outputFormatRest[3];
  std::int8_t cardInputFormat;
  std::uint8_t cardInputFormatRest[3];
  std::int8_t hidEnter;
  std::int8_t hidNewline;
  std::uint8_t hidRest[2];
  // barcode prefix and suffix (commands 12, 14); format 0 = hexadecimal, other = text
  std::int32_t barPrefixFmt;
  char barPrefix[FIX_FIELD_LEN];
  std::int32_t barSuffixFmt;
  char barSuffix[FIX_FIELD_LEN];
  std::int8_t light;
  std::uint8_t lightRest[3];
  std::int8_t workMode;
  std::uint8_t workModeRest[3];
  std::int8_t hiddenChoice;
  std::uint8_t hiddenChoiceRest[3];
  std::int8_t speaker;
  std::uint8_t speakerRest[3];
  // Wiegand timing in units of 100 microseconds, high pulse first (command 28)
  std::int32_t wgHighPulse;
  std::int32_t wgLowPulse;
  // serial parameters (command 38)
  std::int32_t baudRate;
  std::int32_t dataBits;
  std::int32_t stopBits;
  std::int32_t parity;
  std::int32_t qrSerialFormat;
  std::int32_t restartSetting;
  // QR code parameters (command 42)
  std::uint8_t qrProtocol;
  std::uint8_t qrCardFormat;
  std::uint8_t qrEncrypted;
  std::uint8_t qrUseCount;
  std::int32_t qrStartDigit;
  std::int32_t qrWorkMode;
  char ntpAddr[QR_TEXT_LEN];
  char backupAddr[QR_TEXT_LEN];
  // card prefix and suffix (command 44)
  std::int32_t cardSerialFormat;
  std::int32_t cardFixFmt;
  char cardPrefix[FIX_FIELD_LEN];
  char cardSuffix[FIX_FIELD_LEN];
};
#pragma pack(pop)

static_assert(sizeof(DEV_PARAM_T) == DEV_PARAM_LEN);
static_assert(std::is_trivially_copyable_v<DEV_PARAM_T>);
// Records are copied to and from wire bytes with memcpy: the layout is the wire layout on a
// little-endian host.
static_assert(std::endian::native == std::endian::little);

#define KESTRIVAL_AT(field, off) static_assert(offsetof(DEV_PARAM_T, field) == (off), #field)
KESTRIVAL_AT(netMode, 0);
KESTRIVAL_AT(ipAddr, 4);
KESTRIVAL_AT(netMask, 8);
KESTRIVAL_AT(gateway, 12);
KESTRIVAL_AT(dns1, 16);
KESTRIVAL_AT(dns2, 20);
KESTRIVAL_AT(serverAddr, 24);
KESTRIVAL_AT(serverPort, 72);
KESTRIVAL_AT(httpLang, 76);
KESTRIVAL_AT(opaque, 80);
KESTRIVAL_AT(cloudProvider, 208);
KESTRIVAL_AT(cloudServerIp, 212);
KESTRIVAL_AT(cloudText1, 216);
KESTRIVAL_AT(cloudText2, 248);
KESTRIVAL_AT(cloudText3, 280);
KESTRIVAL_AT(cloudText4, 312);
KESTRIVAL_AT(cloudText5, 344);
KESTRIVAL_AT(cloudText6, 376);
KESTRIVAL_AT(outputFormat, 408);
KESTRIVAL_AT(cardInputFormat, 412);
KESTRIVAL_AT(hidEnter, 416);
KESTRIVAL_AT(hidNewline, 417);
KESTRIVAL_AT(hidRest, 418);
KESTRIVAL_AT(barPrefixFmt, 420);
KESTRIVAL_AT(barPrefix, 424);
KESTRIVAL_AT(barSuffixFmt, 456);
KESTRIVAL_AT(barSuffix, 460);
KESTRIVAL_AT(light, 492);
KESTRIVAL_AT(workMode, 496);
KESTRIVAL_AT(hiddenChoice, 500);
KESTRIVAL_AT(speaker, 504);
KESTRIVAL_AT(wgHighPulse, 508);
KESTRIVAL_AT(wgLowPulse, 512);
KESTRIVAL_AT(baudRate, 516);
KESTRIVAL_AT(dataBits, 520);
KESTRIVAL_AT(stopBits, 524);
KESTRIVAL_AT(parity, 528);
KESTRIVAL_AT(qrSerialFormat, 532);
KESTRIVAL_AT(restartSetting, 536);
KESTRIVAL_AT(qrProtocol, 540);
KESTRIVAL_AT(qrCardFormat, 541);
KESTRIVAL_AT(qrEncrypted, 542);
KESTRIVAL_AT(qrUseCount, 543);
KESTRIVAL_AT(qrStartDigit, 544);
KESTRIVAL_AT(qrWorkMode, 548);
KESTRIVAL_AT(ntpAddr, 552);
KESTRIVAL_AT(backupAddr, 600);
KESTRIVAL_AT(cardSerialFormat, 648);
KESTRIVAL_AT(cardFixFmt, 652);
KESTRIVAL_AT(cardPrefix, 656);
KESTRIVAL_AT(cardSuffix, 688);
#undef KESTRIVAL_AT

// The record a reply 31 carries: zero-filled, then min(len, 720) bytes copied.
DEV_PARAM_T DecodeDevParam(const std::uint8_t* data, std::size_t len);
// The 720 wire bytes of a record.
std::array<std::uint8_t, DEV_PARAM_LEN> EncodeDevParam(const DEV_PARAM_T& record);
