#include "params/Payloads.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "i18n/InterfaceTexts.h"
#include "protocol/ByteOrder.h"

using kestrival::PutLeI32;

namespace {

std::uint8_t Low8(int v) {
  return static_cast<std::uint8_t>(static_cast<unsigned>(v) & 0xFF);
}

// What an edit read into a buffer of `limit` bytes gives: up to limit - 1 bytes, up to a NUL.
std::string_view ReadLimited(std::string_view text, std::size_t limit) {
  text = text.substr(0, text.find('\0'));
  return text.substr(0, std::min(text.size(), limit - 1));
}

// A text for a field of `limit` bytes: up to a NUL, cut to the whole GBK characters that fit in
// limit - 1 bytes, so the reader never receives half a character.
std::string_view FitText(std::string_view text, std::size_t limit) {
  text = text.substr(0, text.find('\0'));
  return text.substr(0, WholeCharacterPrefix(text, limit - 1));
}

void PutBytes(std::uint8_t* field, std::string_view text) {
  std::copy(text.begin(), text.end(), field);
}

}  // namespace

OneValuePayload BuildOutputFormatPayload(int index) {
  return {Low8(index > 6 ? index + 2 : index + 1), 0, 0, 0};
}

OneValuePayload BuildCardInputFormatPayload(int index) {
  return {Low8(index + 1), 0, 0, 0};
}

OneValuePayload BuildHidFormatPayload(int enterIndex, int newlineIndex) {
  return {Low8(enterIndex), Low8(newlineIndex), 0, 0};
}

OneValuePayload BuildSelectionBytePayload(int index) {
  return {Low8(index), 0, 0, 0};
}

OneValuePayload BuildRestartPayload(int index) {
  OneValuePayload p{};
  PutLeI32(p.data(), index);
  return p;
}

WiegandPayload BuildWiegandPayload(const WiegandInput& in) {
  WiegandPayload p{};
  PutLeI32(p.data(), in.highPulseUs / 100);
  PutLeI32(p.data() + 4, in.lowPulseUs / 100);
  return p;
}

std::int32_t ListTextValue(std::string_view itemText) {
  char buffer[32] = {};
  const std::string_view text = ReadLimited(itemText, sizeof buffer);
  std::memcpy(buffer, text.data(), text.size());
  errno = 0;
  const long long v = std::strtoll(buffer, nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

SerialPayload BuildSerialPayload(const SerialInput& in) {
  SerialPayload p{};
  PutLeI32(p.data(), ListTextValue(in.baudRateText));
  PutLeI32(p.data() + 4, ListTextValue(in.dataBitsText));
  PutLeI32(p.data() + 8, ListTextValue(in.stopBitsText));
  PutLeI32(p.data() + 12, in.parityIndex);
  PutLeI32(p.data() + 16, in.qrSerialFormatIndex);
  return p;
}

QrPayload BuildQrPayload(const QrInput& in) {
  QrPayload p{};
  p[0] = Low8(in.protocolIndex);
  p[1] = Low8(in.cardFormatIndex);
  p[2] = Low8(in.encryptedIndex);
  p[3] = Low8(in.useCountIndex);
  PutLeI32(p.data() + 4, in.startDigitIndex);
  PutLeI32(p.data() + 8, in.workModeIndex);
  PutBytes(p.data() + 12, FitText(in.ntpAddr, QR_TEXT_LEN));
  PutBytes(p.data() + 12 + QR_TEXT_LEN, FitText(in.backupAddr, QR_TEXT_LEN));
  return p;
}

std::array<std::uint8_t, FIX_FIELD_LEN> BuildFixField(int format, std::string_view editText,
                                                      const HexByteTrace& trace) {
  std::array<std::uint8_t, FIX_FIELD_LEN> field{};
  char buffer[FIX_FIELD_LEN] = {};
  if (format != 0) {
    PutBytes(field.data(), FitText(editText, FIX_FIELD_LEN));
    return field;
  }
  const std::string_view text = ReadLimited(editText, sizeof buffer);
  if (!text.empty()) std::memcpy(buffer, text.data(), text.size());  // an empty view may be null
  const std::size_t pairs = text.size() / 2;
  for (std::size_t i = 0; i < pairs; ++i) {
    unsigned value = 0;  // stays 0 when the pair converts nothing
    std::sscanf(buffer + 2 * i, "%2x", &value);
    field[i] = static_cast<std::uint8_t>(value & 0xFF);
    if (trace) trace(static_cast<int>(i), field[i]);
  }
  return field;
}

BarcodeFixPayload BuildBarcodeFixPayload(int formatIndex, std::string_view editText,
                                         const HexByteTrace& trace) {
  BarcodeFixPayload p{};
  PutLeI32(p.data(), formatIndex);
  const auto field = BuildFixField(formatIndex, editText, trace);
  std::copy(field.begin(), field.end(), p.begin() + 4);
  return p;
}

CardFixPayload BuildCardFixPayload(const CardFixInput& in, const HexByteTrace& trace) {
  CardFixPayload p{};
  PutLeI32(p.data(), in.serialFormatIndex);
  PutLeI32(p.data() + 4, in.fixFormatIndex);
  const auto prefix = BuildFixField(in.fixFormatIndex, in.prefix, trace);
  std::copy(prefix.begin(), prefix.end(), p.begin() + 8);
  const auto suffix = BuildFixField(in.fixFormatIndex, in.suffix, trace);
  std::copy(suffix.begin(), suffix.end(), p.begin() + 8 + FIX_FIELD_LEN);
  return p;
}

std::string_view FitUtf8(std::string_view utf8, std::size_t maxBytes) {
  if (utf8.size() <= maxBytes) return utf8;
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
  // utf8[maxBytes] is the first byte left out. If it continues a character, find that
  // character's lead byte (at most 3 bytes back) and leave the whole character out when it
  // does not end before the limit.
  std::size_t lead = maxBytes;
  for (int back = 0; back < 3 && lead > 0 && (byte(lead) & 0xC0) == 0x80; ++back) --lead;
  if (lead < maxBytes && byte(lead) >= 0xC0) {
    const std::size_t length = byte(lead) >= 0xF0 ? 4 : byte(lead) >= 0xE0 ? 3 : 2;
    if (lead + length > maxBytes) return utf8.substr(0, lead);
  }
  return utf8.substr(0, maxBytes);
}

CloudPayload BuildCloudPayload(const CloudInput& in) {
  CloudPayload p{};
  PutLeI32(p.data(), in.providerIndex);
  PutIp32(p.data() + 4, in.serverIp);
  for (std::size_t i = 0; i < in.texts.size(); ++i) {
    std::string_view text = in.texts[i].substr(0, in.texts[i].find('\0'));
    PutBytes(p.data() + 8 + i * CLOUD_TEXT_LEN, FitUtf8(text, CLOUD_TEXT_LEN - 1));
  }
  return p;
}
