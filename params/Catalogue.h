// The catalogue of what a user can set on a reader, one row per fact:
//   - SET_COMMAND_SPECS, per Set command: its request and reply, how the reply confirms it, the
//     section of DEV_PARAM_T it writes, where that section stands inside the payload, the payload
//     length and the pause between the header datagram and the payload datagram;
//   - PARAM_FIELDS, per field: the profile group and name, its kind, its bytes in DEV_PARAM_T,
//     the allowed range of an integer, the items of an option list and its default position.
// The dialog binds the rows to its controls and handlers (app/SetCommandTable.h,
// app/FieldControls.h); the option lists, the profile, the read-back, the reply confirmations and
// the simulated reader all read them here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/Text.h"
#include "params/DevParam.h"
#include "params/Payloads.h"
#include "protocol/CommandCatalog.h"
#include "protocol/DiscoverDev.h"

// ---------------------------------------------------------------------------------------------
// Set commands

// How a reader's reply confirms a Set command.
enum class Confirmation {
  ByReply,   // the reply itself confirms
  ByEcho,    // data byte 0, a signed byte, echoes the position of the section's list
  BySerial,  // the first three 32-bit values answer baud rate, data bits and stop bits
};

struct SetCommandSpec {
  std::int32_t request;       // cmdId of the request
  std::int32_t reply;         // cmdId of the reader's confirmation
  Confirmation confirmation;  // what in the reply confirms the request
  ParamSection section;       // the bytes of DEV_PARAM_T that the command writes
  std::size_t sectionAt;      // where those bytes begin inside the payload
  std::size_t payloadLen;     // data bytes of the payload datagram
  int pauseMs;                // between the header datagram and the payload datagram, 0 for none
};

// ROW(request, reply, confirmation, section, first field of the section, payload type,
//     offset of the section inside the payload, pause in ms)
// The network settings (32) carry the reader's 16-byte label before the network block; they go
// to the reader's discovery port without the pause.
#define KESTRIVAL_SET_COMMAND_SPECS(ROW)                                                          \
  ROW(CMD_SET_CLOUD, CMD_SET_CLOUD_REPLY, ByReply, SECTION_CLOUD, cloudProvider, CloudPayload, 0, \
      0)                                                                                          \
  ROW(CMD_SET_SERIAL, CMD_SET_SERIAL_REPLY, BySerial, SECTION_SERIAL, baudRate, SerialPayload, 0, \
      10)                                                                                         \
  ROW(CMD_SET_RESTART, CMD_SET_RESTART_REPLY, ByReply, SECTION_RESTART, restartSetting,           \
      OneValuePayload, 0, 10)                                                                     \
  ROW(CMD_SET_LIGHT, CMD_SET_LIGHT_REPLY, ByReply, SECTION_LIGHT, light, OneValuePayload, 0, 10)  \
  ROW(CMD_SET_SPEAKER, CMD_SET_SPEAKER_REPLY, ByEcho, SECTION_SPEAKER, speaker, OneValuePayload,  \
      0, 10)                                                                                      \
  ROW(CMD_SET_WORK_MODE, CMD_SET_WORK_MODE_REPLY, ByEcho, SECTION_WORK_MODE, workMode,            \
      OneValuePayload, 0, 10)                                                                     \
  ROW(CMD_SET_HIDDEN_CHOICE, CMD_SET_HIDDEN_CHOICE_REPLY, ByEcho, SECTION_HIDDEN_CHOICE,          \
      hiddenChoice, OneValuePayload, 0, 10)                                                       \
  ROW(CMD_SET_WIEGAND, CMD_SET_WIEGAND_REPLY, ByReply, SECTION_WIEGAND, wgHighPulse,              \
      WiegandPayload, 0, 10)                                                                      \
  ROW(CMD_SET_NETWORK, CMD_SET_NETWORK_REPLY, ByReply, SECTION_NETWORK, netMode, DISCOVER_DEV_T,  \
      NETWORK_BLOCK_OFFSET, 0)                                                                    \
  ROW(CMD_SET_OUTPUT_FORMAT, CMD_SET_OUTPUT_FORMAT_REPLY, ByReply, SECTION_OUTPUT_FORMAT,         \
      outputFormat, OneValuePayload, 0, 10)                                                       \
  ROW(CMD_SET_CARD_INPUT_FORMAT, CMD_SET_CARD_INPUT_FORMAT_REPLY, ByReply,                        \
      SECTION_CARD_INPUT_FORMAT, cardInputFormat, OneValuePayload, 0, 10)                         \
  ROW(CMD_SET_HID_FORMAT, CMD_SET_HID_FORMAT_REPLY, ByReply, SECTION_HID_FORMAT, hidEnter,        \
      OneValuePayload, 0, 10)                                                                     \
  ROW(CMD_SET_CARD_FIX, CMD_SET_CARD_FIX_REPLY, ByReply, SECTION_CARD_FIX, cardSerialFormat,      \
      CardFixPayload, 0, 0)                                                                       \
  ROW(CMD_SET_QR_PARAMS, CMD_SET_QR_PARAMS_REPLY, ByReply, SECTION_QR_PARAMS, qrProtocol,         \
      QrPayload, 0, 10)                                                                           \
  ROW(CMD_SET_BAR_PREFIX, CMD_SET_BAR_PREFIX_REPLY, ByReply, SECTION_BAR_PREFIX, barPrefixFmt,    \
      BarcodeFixPayload, 0, 0)                                                                    \
  ROW(CMD_SET_BAR_SUFFIX, CMD_SET_BAR_SUFFIX_REPLY, ByReply, SECTION_BAR_SUFFIX, barSuffixFmt,    \
      BarcodeFixPayload, 0, 0)

#define KESTRIVAL_SET_COMMAND_SPEC(request, reply, confirmation, section, field, Payload, at, \
                                   pause)                                                     \
  SetCommandSpec{request, reply, Confirmation::confirmation, section, at, sizeof(Payload), pause},
inline constexpr SetCommandSpec SET_COMMAND_SPECS[] = {
    KESTRIVAL_SET_COMMAND_SPECS(KESTRIVAL_SET_COMMAND_SPEC)};
#undef KESTRIVAL_SET_COMMAND_SPEC

// Each section begins at its first field and is exactly what its payload carries after the
// offset at which it stands there.
#define KESTRIVAL_SET_COMMAND_SPEC_CHECK(request, reply, confirmation, section, field, Payload,   \
                                         at, pause)                                               \
  static_assert((section).offset == offsetof(DEV_PARAM_T, field), #section " begins at " #field); \
  static_assert((at) + (section).len == sizeof(Payload), #Payload " carries " #section);
KESTRIVAL_SET_COMMAND_SPECS(KESTRIVAL_SET_COMMAND_SPEC_CHECK)
#undef KESTRIVAL_SET_COMMAND_SPEC_CHECK

// The row of a request identifier; nullptr for a request that is no Set command.
constexpr const SetCommandSpec* FindSetCommandSpec(std::int32_t request) {
  for (const SetCommandSpec& c : SET_COMMAND_SPECS) {
    if (c.request == request) return &c;
  }
  return nullptr;
}

// The row whose reply this identifier is; nullptr for any other identifier.
constexpr const SetCommandSpec* FindSetCommandByReply(std::int32_t reply) {
  for (const SetCommandSpec& c : SET_COMMAND_SPECS) {
    if (c.reply == reply) return &c;
  }
  return nullptr;
}

// The row of a Set command's request, found while compiling.
consteval const SetCommandSpec& SetCommandSpecOf(std::int32_t request) {
  const SetCommandSpec* c = FindSetCommandSpec(request);
  if (c == nullptr) throw "no Set command with this request identifier";
  return *c;
}

// Across the rows: requests are distinct, replies are distinct and none is a request; the pause
// is 10 ms or none; the sections lie inside the record without overlapping and, with the opaque
// block that no command writes, cover all of it.
static_assert([] {
  std::size_t covered = SECTION_OPAQUE.len;
  for (const SetCommandSpec& a : SET_COMMAND_SPECS) {
    if (a.pauseMs != 0 && a.pauseMs != 10) return false;
    if (a.section.offset + a.section.len > DEV_PARAM_LEN) return false;
    if (a.section.offset < SECTION_OPAQUE.offset + SECTION_OPAQUE.len &&
        SECTION_OPAQUE.offset < a.section.offset + a.section.len)
      return false;
    covered += a.section.len;
    for (const SetCommandSpec& b : SET_COMMAND_SPECS) {
      if (a.reply == b.request) return false;
      if (&a == &b) continue;
      if (a.request == b.request || a.reply == b.reply) return false;
      if (a.section.offset < b.section.offset + b.section.len &&
          b.section.offset < a.section.offset + a.section.len)
        return false;
    }
  }
  return covered == DEV_PARAM_LEN;
}());

// ---------------------------------------------------------------------------------------------
// Fields

enum class FieldKind {
  List,     // an option list: the English text of the selected item, null for no selection
  Text,     // an edit holding text (UTF-8 in the profile, code page 936 in the dialog)
  Prefix,   // a prefix or suffix edit: text, or hexadecimal pairs when its input format is "hex"
  Address,  // an IP address control: dotted IPv4
  Integer,  // an edit exchanged as an integer
};

// One item of an option list: a fixed 8-bit text, or an interface text of the current language.
struct ListItem {
  const char* fixed = nullptr;
  Text text = Text::Set;
};

// Every field, in the order of the profile: by group, top to bottom of the dialog; the fields
// that only the dialog shows come last.
enum class Field : int {
  IpAddress,
  SubnetMask,
  Gateway,
  DnsServer1,
  DnsServer2,
  NetworkMode,
  ServerAddress,
  ServerPort,
  HttpServerLanguage,
  OutputFormat,
  CardInputFormat,
  CarriageReturn,
  LineFeed,
  BaudRate,
  DataBits,
  StopBits,
  Parity,
  QrSerialOutputFormat,
  RestartSetting,
  WorkMode,
  Speaker,
  Light,
  BarcodeInputFormat,
  BarcodePrefix,
  BarcodeSuffix,
  CardSerialOutputFormat,
  CardInputFixFormat,
  CardPrefix,
  CardSuffix,
  WiegandLowPulse,
  WiegandHighPulse,
  QrNetworkProtocol,
  QrCardNumberFormat,
  QrEncrypted,
  QrUseCount,
  QrOutputFromDigit,
  QrWorkMode,
  QrNtpAddress,
  QrBackupAddress,
  HiddenChoice,
  CloudProvider,
};

struct ParamField {
  Field field;
  const char* group;  // the profile group; nullptr for a field the profile does not carry
  const char* name;   // the name inside the group
  FieldKind kind;
  std::size_t offset;  // of the field's bytes in DEV_PARAM_T
  std::size_t size;
  std::span<const ListItem> items = {};  // List: position by position
  int defaultPos = 0;                    // List: the item selected until a record is shown
  std::int64_t min = std::numeric_limits<std::int32_t>::min();  // Integer
  std::int64_t max = std::numeric_limits<std::int32_t>::max();  // Integer
  int multipleOf = 1;                                           // Integer
  std::size_t maxBytes = 0;           // Text and Prefix: bytes in code page 936
  const char* formatField = nullptr;  // Prefix: the list of its group that chooses hex or text
};

namespace param_items {

constexpr ListItem F(const char* fixed) {
  return ListItem{fixed, Text::Set};
}
constexpr ListItem T(Text text) {
  return ListItem{nullptr, text};
}

inline constexpr ListItem kNetworkMode[] = {T(Text::StaticIp), T(Text::Dhcp)};
inline constexpr ListItem kHttpLanguage[] = {F("PHP"), F("JSP"), F("C#"), F("ASP"), F("CGI")};
inline constexpr ListItem kOutputFormat[] = {T(Text::UsbKeyboard),
                                             T(Text::UsbVirtualSerialPort),
                                             F("HTTP"),
                                             F("MQTT"),
                                             F("RS232/485"),
                                             F("WG26"),
                                             F("WG34"),
                                             T(Text::Relay),
                                             F("TCP"),
                                             F("UDP")};
inline constexpr ListItem kCardInputFormat[] = {F("6H"), F("8H"), F("8H10D"), F("6H10D"),
                                                F("2h3D+4h5d")};
inline constexpr ListItem kCarriageReturn[] = {T(Text::NoCarriageReturn),
                                               T(Text::WithCarriageReturn)};
inline constexpr ListItem kLineFeed[] = {T(Text::NoLineFeed), T(Text::WithLineFeed)};
inline constexpr ListItem kBaudRate[] = {
    F("110"),   F("134"),   F("150"),   F("300"),    F("600"),    F("1200"),
    F("1800"),  F("2400"),  F("4800"),  F("7200"),   F("9600"),   F("14400"),
    F("19200"), F("38400"), F("57600"), F("115200"), F("128000"), F("256000")};
inline constexpr ListItem kDataBits[] = {F("8"), F("7"), F("6"), F("5")};
inline constexpr ListItem kStopBits[] = {F("1"), F("2")};
inline constexpr ListItem kParity[] = {F("EVEN"), F("ODD"), F("NONE"), F("SPACE"), F("MARK")};
inline constexpr ListItem kQrSerialFormat[] = {T(Text::Hexadecimal), T(Text::Decimal), T(Text::Bcd),
                                               T(Text::RawData), F("ASCII")};
inline constexpr ListItem kRestart[] = {F("0"), T(Text::RestartDaily), T(Text::RestartWeekly)};
inline constexpr ListItem kWorkMode[] = {T(Text::CardOnly), T(Text::QrCodeOnly),
                                         T(Text::CardAndQrCode)};
inline constexpr ListItem kOnOff[] = {T(Text::On), T(Text::Off)};
inline constexpr ListItem kLight[] = {T(Text::Auto), T(Text::AlwaysOn)};
inline constexpr ListItem kHexAscii[] = {F("hex"), F("ASCII")};
inline constexpr ListItem kQrProtocol[] = {F("HTTP"), F("TCP"), F("UDP")};
inline constexpr ListItem kQrCardFormat[] = {F("8H10D"), T(Text::Decimal), F("2H3D+4H5D")};
inline constexpr ListItem kQrEncrypted[] = {T(Text::NotEncrypted), T(Text::Encrypted)};
inline constexpr ListItem kQrUseCount[] = {T(Text::Unlimited), T(Text::Once)};
inline constexpr ListItem kQrWorkMode[] = {T(Text::Offline), T(Text::Online)};
// The cloud providers' names in code page 936: 阿里, 百度.
inline constexpr ListItem kCloudProvider[] = {F("\xB0\xA2\xC0\xEF"), F("\xB0\xD9\xB6\xC8")};

// "0" to "50": the digit of the QR text from which the reader outputs.
inline constexpr std::size_t kStartDigits = 51;
inline constexpr auto kStartDigitTexts = [] {
  std::array<std::array<char, 3>, kStartDigits> texts{};
  for (std::size_t n = 0; n < kStartDigits; ++n) {
    std::size_t i = 0;
    if (n >= 10) texts[n][i++] = static_cast<char>('0' + n / 10);
    texts[n][i] = static_cast<char>('0' + n % 10);
  }
  return texts;
}();
inline constexpr auto kStartDigit = [] {
  std::array<ListItem, kStartDigits> items{};
  for (std::size_t n = 0; n < kStartDigits; ++n) items[n] = F(kStartDigitTexts[n].data());
  return items;
}();

// The longest edit texts the dialog sends whole: 47 bytes of a 48-byte field, 31 of a 32-byte
// prefix buffer.
inline constexpr std::size_t kLongText = QR_TEXT_LEN - 1;
inline constexpr std::size_t kPrefixText = FIX_FIELD_LEN - 1;
// The Wiegand edits hold microseconds; the reader keeps units of 100. When the focus leaves an
// edit, the window raises a pulse below 100 microseconds (a negative one too) to 100.
inline constexpr int kWiegandUnit = 100;
inline constexpr int kMinWiegandPulseUs = kWiegandUnit;
inline constexpr int kMaxWiegandPulseUs =
    std::numeric_limits<std::int32_t>::max() / kWiegandUnit * kWiegandUnit;

#define KESTRIVAL_PARAM_AT(member) offsetof(DEV_PARAM_T, member), sizeof(DEV_PARAM_T::member)

// One row per field, in the order of enum Field. The input format of the barcode prefix and
// suffix is one list that writes both formats; its row names the prefix's.
inline constexpr ParamField PARAM_FIELDS[] = {
    {Field::IpAddress, "network", "ip_address", FieldKind::Address, KESTRIVAL_PARAM_AT(ipAddr)},
    {Field::SubnetMask, "network", "subnet_mask", FieldKind::Address, KESTRIVAL_PARAM_AT(netMask)},
    {Field::Gateway, "network", "gateway", FieldKind::Address, KESTRIVAL_PARAM_AT(gateway)},
    {Field::DnsServer1, "network", "dns_server_1", FieldKind::Address, KESTRIVAL_PARAM_AT(dns1)},
    {Field::DnsServer2, "network", "dns_server_2", FieldKind::Address, KESTRIVAL_PARAM_AT(dns2)},
    {Field::NetworkMode, "network", "network_mode", FieldKind::List, KESTRIVAL_PARAM_AT(netMode),
     kNetworkMode, 0},
    {Field::ServerAddress,
     "network",
     "server_address",
     FieldKind::Text,
     KESTRIVAL_PARAM_AT(serverAddr),
     {},
     0,
     0,
     0,
     1,
     kLongText},
    {Field::ServerPort, "network", "server_port", FieldKind::Integer,
     KESTRIVAL_PARAM_AT(serverPort)},
    {Field::HttpServerLanguage, "network", "http_server_language", FieldKind::List,
     KESTRIVAL_PARAM_AT(httpLang), kHttpLanguage, 0},
    {Field::OutputFormat, "output_format", "output_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(outputFormat), kOutputFormat, 0},
    {Field::CardInputFormat, "card_input_format", "card_number_input_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(cardInputFormat), kCardInputFormat, 0},
    {Field::CarriageReturn, "hid_format", "carriage_return", FieldKind::List,
     KESTRIVAL_PARAM_AT(hidEnter), kCarriageReturn, 1},
    {Field::LineFeed, "hid_format", "line_feed", FieldKind::List, KESTRIVAL_PARAM_AT(hidNewline),
     kLineFeed, 0},
    {Field::BaudRate, "serial", "baud_rate", FieldKind::List, KESTRIVAL_PARAM_AT(baudRate),
     kBaudRate, 10},
    {Field::DataBits, "serial", "data_bits", FieldKind::List, KESTRIVAL_PARAM_AT(dataBits),
     kDataBits, 0},
    {Field::StopBits, "serial", "stop_bits", FieldKind::List, KESTRIVAL_PARAM_AT(stopBits),
     kStopBits, 0},
    {Field::Parity, "serial", "parity", FieldKind::List, KESTRIVAL_PARAM_AT(parity), kParity, 2},
    {Field::QrSerialOutputFormat, "serial", "qr_code_serial_output_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(qrSerialFormat), kQrSerialFormat, 4},
    {Field::RestartSetting, "restart", "restart_setting", FieldKind::List,
     KESTRIVAL_PARAM_AT(restartSetting), kRestart, 1},
    {Field::WorkMode, "work_mode", "work_mode", FieldKind::List, KESTRIVAL_PARAM_AT(workMode),
     kWorkMode, 0},
    {Field::Speaker, "speaker", "speaker", FieldKind::List, KESTRIVAL_PARAM_AT(speaker), kOnOff, 0},
    {Field::Light, "light", "light", FieldKind::List, KESTRIVAL_PARAM_AT(light), kLight, 0},
    {Field::BarcodeInputFormat, "barcode", "input_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(barPrefixFmt), kHexAscii, 1},
    {Field::BarcodePrefix,
     "barcode",
     "prefix",
     FieldKind::Prefix,
     KESTRIVAL_PARAM_AT(barPrefix),
     {},
     0,
     0,
     0,
     1,
     kPrefixText,
     "input_format"},
    {Field::BarcodeSuffix,
     "barcode",
     "suffix",
     FieldKind::Prefix,
     KESTRIVAL_PARAM_AT(barSuffix),
     {},
     0,
     0,
     0,
     1,
     kPrefixText,
     "input_format"},
    {Field::CardSerialOutputFormat, "card_prefix_suffix", "serial_output_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(cardSerialFormat), kHexAscii, 1},
    {Field::CardInputFixFormat, "card_prefix_suffix", "input_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(cardFixFmt), kHexAscii, 1},
    {Field::CardPrefix,
     "card_prefix_suffix",
     "prefix",
     FieldKind::Prefix,
     KESTRIVAL_PARAM_AT(cardPrefix),
     {},
     0,
     0,
     0,
     1,
     kPrefixText,
     "input_format"},
    {Field::CardSuffix,
     "card_prefix_suffix",
     "suffix",
     FieldKind::Prefix,
     KESTRIVAL_PARAM_AT(cardSuffix),
     {},
     0,
     0,
     0,
     1,
     kPrefixText,
     "input_format"},
    {Field::WiegandLowPulse,
     "wiegand",
     "low_pulse_us",
     FieldKind::Integer,
     KESTRIVAL_PARAM_AT(wgLowPulse),
     {},
     0,
     kMinWiegandPulseUs,
     kMaxWiegandPulseUs,
     kWiegandUnit},
    {Field::WiegandHighPulse,
     "wiegand",
     "high_pulse_us",
     FieldKind::Integer,
     KESTRIVAL_PARAM_AT(wgHighPulse),
     {},
     0,
     kMinWiegandPulseUs,
     kMaxWiegandPulseUs,
     kWiegandUnit},
    {Field::QrNetworkProtocol, "qr_code", "network_protocol", FieldKind::List,
     KESTRIVAL_PARAM_AT(qrProtocol), kQrProtocol, 0},
    {Field::QrCardNumberFormat, "qr_code", "card_number_format", FieldKind::List,
     KESTRIVAL_PARAM_AT(qrCardFormat), kQrCardFormat, 0},
    {Field::QrEncrypted, "qr_code", "encrypted", FieldKind::List, KESTRIVAL_PARAM_AT(qrEncrypted),
     kQrEncrypted, 0},
    {Field::QrUseCount, "qr_code", "use_count", FieldKind::List, KESTRIVAL_PARAM_AT(qrUseCount),
     kQrUseCount, 0},
    {Field::QrOutputFromDigit, "qr_code", "output_from_digit", FieldKind::List,
     KESTRIVAL_PARAM_AT(qrStartDigit), kStartDigit, 0},
    {Field::QrWorkMode, "qr_code", "work_mode", FieldKind::List, KESTRIVAL_PARAM_AT(qrWorkMode),
     kQrWorkMode, 0},
    {Field::QrNtpAddress,
     "qr_code",
     "ntp_address",
     FieldKind::Text,
     KESTRIVAL_PARAM_AT(ntpAddr),
     {},
     0,
     0,
     0,
     1,
     kLongText},
    {Field::QrBackupAddress,
     "qr_code",
     "backup_address",
     FieldKind::Text,
     KESTRIVAL_PARAM_AT(backupAddr),
     {},
     0,
     0,
     0,
     1,
     kLongText},
    {Field::HiddenChoice, nullptr, "hidden_choice", FieldKind::List,
     KESTRIVAL_PARAM_AT(hiddenChoice), kOnOff, 0},
    {Field::CloudProvider, nullptr, "cloud_provider", FieldKind::List,
     KESTRIVAL_PARAM_AT(cloudProvider), kCloudProvider, 0},
};

#undef KESTRIVAL_PARAM_AT

}  // namespace param_items

using param_items::PARAM_FIELDS;

// The row of a field.
constexpr const ParamField& FieldOf(Field field) {
  return PARAM_FIELDS[static_cast<std::size_t>(field)];
}

static_assert(
    [] {
      for (std::size_t i = 0; i < std::size(PARAM_FIELDS); ++i) {
        if (static_cast<std::size_t>(PARAM_FIELDS[i].field) != i) return false;
      }
      return true;
    }(),
    "PARAM_FIELDS is in the order of enum Field");

// The range of an integer row, in units of its multiple, fits the signed integer of its bytes in
// the record.
static_assert(
    [] {
      for (const ParamField& f : PARAM_FIELDS) {
        if (f.kind != FieldKind::Integer) continue;
        if (f.size == 0 || f.size > 4 || f.multipleOf < 1 || f.min > f.max) return false;
        const std::int64_t top = (std::int64_t{1} << (8 * f.size - 1)) - 1;
        if (f.min / f.multipleOf < -top - 1 || f.max / f.multipleOf > top) return false;
      }
      return true;
    }(),
    "an integer row's range fits its bytes in the record");

// The Set command whose section holds the field's bytes; nullptr for none.
constexpr const SetCommandSpec* SetCommandOfField(const ParamField& field) {
  for (const SetCommandSpec& c : SET_COMMAND_SPECS) {
    if (field.offset >= c.section.offset &&
        field.offset + field.size <= c.section.offset + c.section.len)
      return &c;
  }
  return nullptr;
}

// The field that begins a command's section; nullptr for none.
constexpr const ParamField* FirstFieldOf(const SetCommandSpec& command) {
  for (const ParamField& f : PARAM_FIELDS) {
    if (f.offset == command.section.offset) return &f;
  }
  return nullptr;
}

// The texts of a list's items, position by position: fixed items as they are, interface texts
// through `text`.
std::vector<std::string> ListItemTexts(std::span<const ListItem> items,
                                       const std::function<std::string(Text)>& text);
