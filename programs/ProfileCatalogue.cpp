#include "programs/ProfileCatalogue.h"

#include <cstdint>
#include <memory>

#include "app/resource.h"
#include "i18n/TranslationTable.h"
#include "params/CodePage.h"
#include "protocol/CommandCatalog.h"

namespace cli {

namespace {

ListItem F(const char* text) {
  return ListItem{text, Text::Set};
}
ListItem T(Text text) {
  return ListItem{nullptr, text};
}

// The longest edit texts the dialog sends whole: 47 bytes of a 48-byte field, 31 of a 32-byte
// prefix buffer.
constexpr std::size_t kLongText = 47;
constexpr std::size_t kPrefixText = 31;
// The Wiegand edits hold microseconds; the reader keeps units of 100.
constexpr int kWiegandUnit = 100;

std::vector<ListItem> Numbers(int first, int last) {
  static std::vector<std::unique_ptr<std::string>> storage;
  std::vector<ListItem> items;
  for (int n = first; n <= last; ++n) {
    storage.push_back(std::make_unique<std::string>(std::to_string(n)));
    items.push_back(F(storage.back()->c_str()));
  }
  return items;
}

std::vector<GroupSpec> MakeGroups() {
  const std::vector<ListItem> hexAscii = {F("hex"), F("ASCII")};
  return {
      {"network",
       {{IDC_BTN_SET_NETWORK, CMD_SET_NETWORK}},
       {{"ip_address", IDC_IP_ADDRESS, FieldKind::Address},
        {"subnet_mask", IDC_IP_NETMASK, FieldKind::Address},
        {"gateway", IDC_IP_GATEWAY, FieldKind::Address},
        {"dns_server_1", IDC_IP_DNS1, FieldKind::Address},
        {"dns_server_2", IDC_IP_DNS2, FieldKind::Address},
        {"network_mode", IDC_COMBO_NET_MODE, FieldKind::List, {T(Text::StaticIp), T(Text::Dhcp)}},
        {"server_address", IDC_EDIT_SERVER_ADDR, FieldKind::Text, {}, kLongText},
        {"server_port", IDC_EDIT_SERVER_PORT, FieldKind::Integer},
        {"http_server_language",
         IDC_COMBO_HTTP_LANG,
         FieldKind::List,
         {F("PHP"), F("JSP"), F("C#"), F("ASP"), F("CGI")}}}},
      {"output_format",
       {{IDC_BTN_SET_OUTPUT_FORMAT, CMD_SET_OUTPUT_FORMAT}},
       {{"output_format",
         IDC_COMBO_OUTPUT_FORMAT,
         FieldKind::List,
         {T(Text::UsbKeyboard), T(Text::UsbVirtualSerialPort), F("HTTP"), F("MQTT"), F("RS232/485"),
          F("WG26"), F("WG34"), T(Text::Relay), F("TCP"), F("UDP")}}}},
      {"card_input_format",
       {{IDC_BTN_SET_CARD_INPUT_FORMAT, CMD_SET_CARD_INPUT_FORMAT}},
       {{"card_number_input_format",
         IDC_COMBO_CARD_INPUT_FORMAT,
         FieldKind::List,
         {F("6H"), F("8H"), F("8H10D"), F("6H10D"), F("2h3D+4h5d")}}}},
      {"hid_format",
       {{IDC_BTN_SET_HID, CMD_SET_HID_FORMAT}},
       {{"carriage_return",
         IDC_COMBO_HID_ENTER,
         FieldKind::List,
         {T(Text::NoCarriageReturn), T(Text::WithCarriageReturn)}},
        {"line_feed",
         IDC_COMBO_HID_NEWLINE,
         FieldKind::List,
         {T(Text::NoLineFeed), T(Text::WithLineFeed)}}}},
      {"serial",
       {{IDC_BTN_SET_SERIAL, CMD_SET_SERIAL}},
       {{"baud_rate",
         IDC_COMBO_BAUD_RATE,
         FieldKind::List,
         {F("110"), F("134"), F("150"), F("300"), F("600"), F("1200"), F("1800"), F("2400"),
          F("4800"), F("7200"), F("9600"), F("14400"), F("19200"), F("38400"), F("57600"),
          F("115200"), F("128000"), F("256000")}},
        {"data_bits", IDC_COMBO_DATA_BITS, FieldKind::List, {F("8"), F("7"), F("6"), F("5")}},
        {"stop_bits", IDC_COMBO_STOP_BITS, FieldKind::List, {F("1"), F("2")}},
        {"parity",
         IDC_COMBO_PARITY,
         FieldKind::List,
         {F("EVEN"), F("ODD"), F("NONE"), F("SPACE"), F("MARK")}},
        {"qr_code_serial_output_format",
         IDC_COMBO_QR_SERIAL_FORMAT,
         FieldKind::List,
         {T(Text::Hexadecimal), T(Text::Decimal), T(Text::Bcd), T(Text::RawData), F("ASCII")}}}},
      {"restart",
       {{IDC_BTN_SET_RESTART, CMD_SET_RESTART}},
       {{"restart_setting",
         IDC_COMBO_RESTART,
         FieldKind::List,
         {F("0"), T(Text::RestartDaily), T(Text::RestartWeekly)}}}},
      {"work_mode",
       {{IDC_BTN_SET_WORK_MODE, CMD_SET_WORK_MODE}},
       {{"work_mode",
         IDC_COMBO_WORK_MODE,
         FieldKind::List,
         {T(Text::CardOnly), T(Text::QrCodeOnly), T(Text::CardAndQrCode)}}}},
      {"speaker",
       {{IDC_BTN_SET_SPEAKER, CMD_SET_SPEAKER}},
       {{"speaker", IDC_COMBO_SPEAKER, FieldKind::List, {T(Text::On), T(Text::Off)}}}},
      {"light",
       {{IDC_BTN_SET_LIGHT, CMD_SET_LIGHT}},
       {{"light", IDC_COMBO_LIGHT, FieldKind::List, {T(Text::Auto), T(Text::AlwaysOn)}}}},
      {"barcode",
       {{IDC_BTN_SET_BAR_PREFIX, CMD_SET_BAR_PREFIX}, {IDC_BTN_SET_BAR_SUFFIX, CMD_SET_BAR_SUFFIX}},
       {{"input_format", IDC_COMBO_BAR_FIX_FORMAT, FieldKind::List, hexAscii},
        {"prefix", IDC_EDIT_BAR_PREFIX, FieldKind::Prefix, {}, kPrefixText, "input_format"},
        {"suffix", IDC_EDIT_BAR_SUFFIX, FieldKind::Prefix, {}, kPrefixText, "input_format"}}},
      {"card_prefix_suffix",
       {{IDC_BTN_SET_CARD_FIX, CMD_SET_CARD_FIX}},
       {{"serial_output_format", IDC_COMBO_CARD_SERIAL_FORMAT, FieldKind::List, hexAscii},
        {"input_format", IDC_COMBO_CARD_FIX_FORMAT, FieldKind::List, hexAscii},
        {"prefix", IDC_EDIT_CARD_PREFIX, FieldKind::Prefix, {}, kPrefixText, "input_format"},
        {"suffix", IDC_EDIT_CARD_SUFFIX, FieldKind::Prefix, {}, kPrefixText, "input_format"}}},
      {"wiegand",
       {{IDC_BTN_SET_WIEGAND, CMD_SET_WIEGAND}},
       {{"low_pulse_us", IDC_EDIT_WG_LOW, FieldKind::Integer, {}, 0, nullptr, kWiegandUnit},
        {"high_pulse_us", IDC_EDIT_WG_HIGH, FieldKind::Integer, {}, 0, nullptr, kWiegandUnit}}},
      {"qr_code",
       {{IDC_BTN_SET_QR, CMD_SET_QR_PARAMS}},
       {{"network_protocol",
         IDC_COMBO_QR_PROTOCOL,
         FieldKind::List,
         {F("HTTP"), F("TCP"), F("UDP")}},
        {"card_number_format",
         IDC_COMBO_QR_CARD_FORMAT,
         FieldKind::List,
         {F("8H10D"), T(Text::Decimal), F("2H3D+4H5D")}},
        {"encrypted",
         IDC_COMBO_QR_ENCRYPTED,
         FieldKind::List,
         {T(Text::NotEncrypted), T(Text::Encrypted)}},
        {"use_count", IDC_COMBO_QR_USE_COUNT, FieldKind::List, {T(Text::Unlimited), T(Text::Once)}},
        {"output_from_digit", IDC_COMBO_QR_START_DIGIT, FieldKind::List, Numbers(0, 50)},
        {"work_mode", IDC_COMBO_QR_WORK_MODE, FieldKind::List, {T(Text::Offline), T(Text::Online)}},
        {"ntp_address", IDC_EDIT_QR_NTP, FieldKind::Text, {}, kLongText},
        {"backup_address", IDC_EDIT_QR_BACKUP, FieldKind::Text, {}, kLongText}}},
  };
}

}  // namespace

const std::vector<GroupSpec>& Groups() {
  static const std::vector<GroupSpec> groups = MakeGroups();
  return groups;
}

const GroupSpec* FindGroup(const std::string& name) {
  for (const GroupSpec& g : Groups())
    if (name == g.name) return &g;
  return nullptr;
}

TextResolver EnglishTexts(const TranslationTable& table) {
  constexpr std::uint32_t kEnglishColumn = 2;
  return [&table](Text t) {
    const std::string* field = table.Field(static_cast<std::uint32_t>(TextSlot(t)), kEnglishColumn);
    return field ? AnsiToUtf8String(*field) : std::string();
  };
}

std::vector<std::string> ItemTexts(const FieldSpec& field, const TextResolver& english) {
  std::vector<std::string> out;
  for (const ListItem& item : field.items)
    out.push_back(item.fixed ? item.fixed : english(item.text));
  return out;
}

}  // namespace cli
