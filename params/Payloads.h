// Pure builders of every Set payload from plain inputs: list positions as
// the list reports them (-1 for no selection), edit texts as 8-bit byte strings, integers as the
// data exchange holds them. Each payload is zeroed first, so every byte not set is 0, and has the
// layout of its DEV_PARAM_T section.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "params/DevParam.h"
#include "protocol/IpAddress.h"

// The data lengths of the Set commands. Each payload is laid out like the DEV_PARAM_T section
// its command writes; params/Catalogue.h checks the two against each other.
constexpr std::size_t ONE_VALUE_LEN = 4;    // commands 6, 8, 10, 16, 18, 20, 22, 40
constexpr std::size_t BAR_FIX_LEN = 36;     // commands 12, 14
constexpr std::size_t CLOUD_LEN = 200;      // command 24
constexpr std::size_t WIEGAND_LEN = 8;      // command 28
constexpr std::size_t SERIAL_LEN = 20;      // command 38
constexpr std::size_t QR_PARAMS_LEN = 108;  // command 42
constexpr std::size_t CARD_FIX_LEN = 72;    // command 44

using OneValuePayload = std::array<std::uint8_t, ONE_VALUE_LEN>;
using BarcodeFixPayload = std::array<std::uint8_t, BAR_FIX_LEN>;
using CloudPayload = std::array<std::uint8_t, CLOUD_LEN>;
using WiegandPayload = std::array<std::uint8_t, WIEGAND_LEN>;
using SerialPayload = std::array<std::uint8_t, SERIAL_LEN>;
using QrPayload = std::array<std::uint8_t, QR_PARAMS_LEN>;
using CardFixPayload = std::array<std::uint8_t, CARD_FIX_LEN>;

// Command 6: index + 1, or index + 2 above 6, low 8 bits in byte 0 (no selection sends 0).
OneValuePayload BuildOutputFormatPayload(int index);
// Command 8: index + 1 in byte 0.
OneValuePayload BuildCardInputFormatPayload(int index);
// Command 10: carriage return position in byte 0, line feed position in byte 1.
OneValuePayload BuildHidFormatPayload(int enterIndex, int newlineIndex);
// Commands 16, 18, 20, 22: the low 8 bits of the position in byte 0 (no selection sends 0xFF).
OneValuePayload BuildSelectionBytePayload(int index);
inline OneValuePayload BuildLightPayload(int index) {
  return BuildSelectionBytePayload(index);
}
inline OneValuePayload BuildWorkModePayload(int index) {
  return BuildSelectionBytePayload(index);
}
inline OneValuePayload BuildHiddenChoicePayload(int index) {
  return BuildSelectionBytePayload(index);
}
inline OneValuePayload BuildSpeakerPayload(int index) {
  return BuildSelectionBytePayload(index);
}
// Command 40: the position as a whole int32 (no selection sends FF FF FF FF).
OneValuePayload BuildRestartPayload(int index);

// Command 28: the two edit values in microseconds; sent divided by 100 (truncating), high first.
struct WiegandInput {
  std::int32_t lowPulseUs;
  std::int32_t highPulseUs;
};
WiegandPayload BuildWiegandPayload(const WiegandInput& in);

// The value of a list item's text as command 38 sends it: the text read into a 32-byte buffer
// (first 31 bytes), then atoi (leading decimal digits; none gives 0; out of range clamps to the
// int32 limits as the target's atoi does).
std::int32_t ListTextValue(std::string_view itemText);

// Command 38: the selected items' texts of baud rate, data bits and stop bits, and two positions.
struct SerialInput {
  std::string_view baudRateText;
  std::string_view dataBitsText;
  std::string_view stopBitsText;
  int parityIndex;
  int qrSerialFormatIndex;
};
SerialPayload BuildSerialPayload(const SerialInput& in);

// Command 42: four positions as uint8 (low 8 bits), two as int32, and the two edit texts, each
// cut at the last whole GBK character that fits in 47 bytes and NUL-terminated in its 48-byte
// field.
struct QrInput {
  int protocolIndex;
  int cardFormatIndex;
  int encryptedIndex;
  int useCountIndex;
  int startDigitIndex;
  int workModeIndex;
  std::string_view ntpAddr;
  std::string_view backupAddr;
};
QrPayload BuildQrPayload(const QrInput& in);

// Called once per hexadecimal pair with its number and the stored byte, so that the dialog can
// trace "data[%d]:0x%02x\n".
using HexByteTrace = std::function<void(int i, int byte)>;

// One 32-byte prefix or suffix field from its edit text (up to a NUL) under input format
// `format`.
// - format != 0 (text, -1 included): the text cut at the last whole GBK character that fits in
//   31 bytes, then zeros. ASCII texts are simply cut to 31 bytes.
// - format == 0 (hexadecimal): only the first 31 bytes count; n = length / 2 pairs; pair i is
//   read with sscanf "%2x" from position 2i onwards and its low 8 bits stored at byte i; a last
//   single digit is ignored. "1g" gives 0x01. sscanf takes what "%x" takes there: leading white
//   space is skipped without counting towards the two characters (" 1A" gives 0x1A, reaching into
//   the next pair), a sign counts as one of them ("-1" gives 0xFF, "+1" 0x01). A pair that
//   converts nothing ("g1", "-g", "  " at the end) gives 0x00 (the integer is zeroed before
//   sscanf). Every pair is reported.
std::array<std::uint8_t, FIX_FIELD_LEN> BuildFixField(int format, std::string_view editText,
                                                      const HexByteTrace& trace = {});

// Commands 12 and 14: the format position at offset 0, the field at offset 4.
BarcodeFixPayload BuildBarcodeFixPayload(int formatIndex, std::string_view editText,
                                         const HexByteTrace& trace = {});

// Command 44: card serial output format, prefix/suffix input format, then the two fields, both
// converted under the input format; the trace sees the prefix's pairs, then the suffix's.
struct CardFixInput {
  int serialFormatIndex;
  int fixFormatIndex;
  std::string_view prefix;
  std::string_view suffix;
};
CardFixPayload BuildCardFixPayload(const CardFixInput& in, const HexByteTrace& trace = {});

// The longest prefix of a UTF-8 text that fits into maxBytes without cutting a character. A
// stray byte that is no UTF-8 lead is treated as a character of its own.
std::string_view FitUtf8(std::string_view utf8, std::size_t maxBytes);

// Command 24: provider position, server address (ip32, unchanged), six UTF-8 texts (already
// converted with AnsiToUtf8), in the order of the edits 1040, 1042, 1043, 1047, 1045, 1046.
// A text longer than 31 bytes is cut at the last whole character that fits in 31 bytes; every
// field ends with a NUL.
struct CloudInput {
  int providerIndex;
  Ip32 serverIp;
  std::array<std::string_view, 6> texts;
};
CloudPayload BuildCloudPayload(const CloudInput& in);
