#include "programs/Profile.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "app/resource.h"
#include "i18n/TranslationTable.h"
#include "params/CodePage.h"
#include "protocol/CommandCatalog.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

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
// Hexadecimal prefixes: 31 characters make 15 pairs.
constexpr std::size_t kHexDigits = 30;
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

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : separator) + p;
  return out;
}

// The text in code page 936, or nothing when a character has no place there.
std::optional<std::string> ToCp936(const std::string& utf8) {
  std::unique_ptr<char[]> ansi(Utf8ToAnsi(utf8.c_str()));
  const std::string converted = ansi ? std::string(ansi.get()) : std::string();
  std::unique_ptr<char[]> back(AnsiToUtf8(converted.c_str()));
  if (!back || std::string(back.get()) != utf8) return std::nullopt;
  return converted;
}

bool IsHexDigits(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; });
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::optional<long long> ParseDecimal(const std::string& text) {
  if (text.empty() || text.size() > 12) return std::nullopt;
  std::size_t start = text[0] == '-' ? 1 : 0;
  if (start == text.size()) return std::nullopt;
  for (std::size_t i = start; i < text.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
  return std::strtoll(text.c_str(), nullptr, 10);
}

// The value of the prefix field's input-format list within the same group.
bool HexForm(const FieldSpec& field, const GroupValues& values) {
  if (!field.formatField) return false;
  auto it = values.find(field.formatField);
  return it != values.end() && !it->second.null && it->second.text == "hex";
}

std::string CheckField(const std::string& where, const FieldSpec& field, const Value& value,
                       const GroupValues& group, const TextResolver& english) {
  if (value.null && field.kind != FieldKind::List)
    return where + ": null is allowed only for lists";
  if (value.text.find('\0') != std::string::npos) return where + ": holds a NUL character";
  switch (field.kind) {
    case FieldKind::List: {
      if (value.null) return {};
      const auto items = ItemTexts(field, english);
      if (std::find(items.begin(), items.end(), value.text) != items.end()) return {};
      std::vector<std::string> quoted;
      quoted.reserve(items.size());
      for (const auto& i : items) quoted.push_back(Quoted(i));
      return where + ": " + Quoted(value.text) +
             " is not an item of the list; allowed: " + Join(quoted, ", ") + " or null";
    }
    case FieldKind::Address:
      if (!ParseDottedIpv4(value.text))
        return where + ": " + Quoted(value.text) + " is not a dotted IPv4 address (A.B.C.D)";
      return {};
    case FieldKind::Integer: {
      const auto n = ParseDecimal(value.text);
      if (!n || *n < INT_MIN || *n > INT_MAX) return where + ": not a 32-bit integer";
      if (*n % field.multipleOf != 0)
        return where + ": " + value.text + " is not a multiple of " +
               std::to_string(field.multipleOf) + " (the reader keeps units of " +
               std::to_string(field.multipleOf) + ")";
      return {};
    }
    case FieldKind::Prefix:
      if (HexForm(field, group)) {
        if (!IsHexDigits(value.text))
          return where + ": " + Quoted(value.text) +
                 " is not hexadecimal digits (input format hex)";
        if (value.text.size() % 2 != 0)
          return where + ": an odd number of hexadecimal digits (the last one would be dropped)";
        if (value.text.size() > kHexDigits)
          return where + ": " + std::to_string(value.text.size()) +
                 " hexadecimal digits, at most " + std::to_string(kHexDigits);
        for (std::size_t i = 0; i < value.text.size(); i += 2)
          if (value.text.compare(i, 2, "00") == 0)
            return where + ": the byte 00 would end the field";
        return {};
      }
      [[fallthrough]];
    case FieldKind::Text: {
      const auto cp936 = ToCp936(value.text);
      if (!cp936) return where + ": a character has no place in code page 936";
      if (cp936->size() > field.maxBytes)
        return where + ": " + std::to_string(cp936->size()) + " bytes in code page 936, at most " +
               std::to_string(field.maxBytes);
      return {};
    }
  }
  return {};
}

std::optional<Value> ValueFromJson(const Json& j, const FieldSpec& field) {
  if (j.is_null()) return Value{true, {}};
  if (field.kind == FieldKind::Integer) {
    if (!j.is_number_integer()) return std::nullopt;
    return Value{false, std::to_string(j.get<long long>())};
  }
  if (!j.is_string()) return std::nullopt;
  return Value{false, j.get<std::string>()};
}

Json ValueToJson(const FieldSpec& field, const Value& value) {
  if (value.null) return nullptr;
  if (field.kind == FieldKind::Integer) {
    if (auto n = ParseDecimal(value.text)) return *n;
  }
  return value.text;
}

// Line and column (from 1) of a byte offset.
std::string Position(const std::string& text, std::size_t byte) {
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byte && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
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
    if (!field) return std::string();
    std::unique_ptr<char[]> utf8(AnsiToUtf8(field->c_str()));
    return utf8 ? std::string(utf8.get()) : std::string();
  };
}

std::vector<std::string> ItemTexts(const FieldSpec& field, const TextResolver& english) {
  std::vector<std::string> out;
  for (const ListItem& item : field.items)
    out.push_back(item.fixed ? item.fixed : english(item.text));
  return out;
}

std::optional<std::array<int, 4>> ParseDottedIpv4(const std::string& text) {
  std::array<int, 4> octets{};
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    std::size_t end = pos;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == pos || end - pos > 3) return std::nullopt;
    octets[static_cast<std::size_t>(i)] = std::atoi(text.substr(pos, end - pos).c_str());
    if (octets[static_cast<std::size_t>(i)] > 255) return std::nullopt;
    if (i < 3) {
      if (end >= text.size() || text[end] != '.') return std::nullopt;
      pos = end + 1;
    } else if (end != text.size()) {
      return std::nullopt;
    }
  }
  return octets;
}

std::string ProfileToJson(const Profile& profile) {
  Json j;
  j["format"] = kProfileFormat;
  j["version"] = kProfileVersion;
  j["read_from"] = {{"label", profile.label}, {"address", profile.address}};
  j["time"] = profile.time;
  Json groups = Json::object();
  for (const GroupSpec& g : Groups()) {
    auto it = profile.groups.find(g.name);
    if (it == profile.groups.end()) continue;
    Json fields = Json::object();
    for (const FieldSpec& f : g.fields) {
      auto v = it->second.find(f.name);
      if (v != it->second.end()) fields[f.name] = ValueToJson(f, v->second);
    }
    groups[g.name] = fields;
  }
  j["groups"] = groups;
  if (!profile.recordHex.empty()) j["record"] = profile.recordHex;
  return j.dump(2) + "\n";
}

std::string CheckGroup(const GroupSpec& group, const GroupValues& values,
                       const TextResolver& english) {
  for (const auto& [name, value] : values) {
    bool known = false;
    for (const FieldSpec& f : group.fields) known = known || name == f.name;
    if (!known) {
      std::vector<std::string> names;
      for (const FieldSpec& f : group.fields) names.push_back(f.name);
      return std::string(group.name) + "." + name + ": unknown field (the group has " +
             Join(names, ", ") + ")";
    }
  }
  for (const FieldSpec& f : group.fields) {
    const std::string where = std::string(group.name) + "." + f.name;
    auto it = values.find(f.name);
    if (it == values.end()) return where + ": missing";
    std::string why = CheckField(where, f, it->second, values, english);
    if (!why.empty()) return why;
  }
  return {};
}

std::optional<Profile> ParseProfile(const std::string& text, const TextResolver& english,
                                    std::string* error) {
  Json j;
  try {
    j = Json::parse(text);
  } catch (const Json::parse_error& e) {
    Fail(error, "not JSON: " + Position(text, e.byte > 0 ? e.byte - 1 : 0));
    return std::nullopt;
  }
  if (!j.is_object()) return Fail(error, "not a profile: the JSON is not an object"), std::nullopt;
  static const std::set<std::string> keys = {"format", "version", "read_from",
                                             "time",   "groups",  "record"};
  for (const auto& [key, value] : j.items())
    if (!keys.count(key)) return Fail(error, "unknown key " + Quoted(key)), std::nullopt;
  if (!j.contains("format") || j["format"] != kProfileFormat)
    return Fail(error, std::string("not a profile: \"format\" must be \"") + kProfileFormat + "\""),
           std::nullopt;
  if (!j.contains("version") || !j["version"].is_number_integer())
    return Fail(error, "the profile has no format version"), std::nullopt;
  if (j["version"].get<long long>() != kProfileVersion)
    return Fail(error, "format version " + j["version"].dump() + " is not supported (this " +
                           "program reads version " + std::to_string(kProfileVersion) + ")"),
           std::nullopt;

  Profile p;
  if (j.contains("read_from")) {
    const Json& from = j["read_from"];
    if (!from.is_object()) return Fail(error, "read_from: not an object"), std::nullopt;
    if (from.contains("label") && from["label"].is_string()) p.label = from["label"];
    if (from.contains("address") && from["address"].is_string()) p.address = from["address"];
  }
  if (j.contains("time") && j["time"].is_string()) p.time = j["time"];
  if (j.contains("record")) {
    if (!j["record"].is_string()) return Fail(error, "record: not a text"), std::nullopt;
    p.recordHex = Lower(j["record"].get<std::string>());
    if (p.recordHex.size() != 1440 || !IsHexDigits(p.recordHex))
      return Fail(error, "record: not 720 bytes in hexadecimal"), std::nullopt;
  }
  if (!j.contains("groups") || !j["groups"].is_object())
    return Fail(error, "the profile has no groups"), std::nullopt;
  for (const auto& [name, fields] : j["groups"].items()) {
    const GroupSpec* g = FindGroup(name);
    if (!g) {
      std::vector<std::string> names;
      for (const GroupSpec& s : Groups()) names.push_back(s.name);
      return Fail(error, "unknown group " + Quoted(name) + " (groups: " + Join(names, ", ") + ")"),
             std::nullopt;
    }
    if (!fields.is_object()) return Fail(error, name + ": not an object"), std::nullopt;
    GroupValues values;
    for (const auto& [field, value] : fields.items()) {
      const FieldSpec* spec = nullptr;
      for (const FieldSpec& f : g->fields)
        if (field == f.name) spec = &f;
      if (!spec) {
        values[field] = Value{};  // reported as unknown by CheckGroup
        continue;
      }
      auto v = ValueFromJson(value, *spec);
      if (!v) {
        const char* wanted = spec->kind == FieldKind::Integer ? "an integer"
                             : spec->kind == FieldKind::List  ? "a text or null"
                                                              : "a text";
        std::string message = name;
        message.append(".").append(field).append(": must be ").append(wanted);
        return Fail(error, message), std::nullopt;
      }
      values[field] = *v;
    }
    const std::string why = CheckGroup(*g, values, english);
    if (!why.empty()) return Fail(error, why), std::nullopt;
    p.groups[name] = std::move(values);
  }
  return p;
}

std::optional<std::vector<const GroupSpec*>> ChooseGroups(const std::string& list,
                                                          const Profile& profile,
                                                          std::string* error) {
  std::set<std::string> wanted;
  std::size_t start = 0;
  while (start <= list.size() && !list.empty()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string name = list.substr(start, comma - start);
    if (!FindGroup(name)) {
      std::vector<std::string> names;
      for (const GroupSpec& s : Groups()) names.push_back(s.name);
      Fail(error,
           "--groups: unknown group " + Quoted(name) + " (groups: " + Join(names, ", ") + ")");
      return std::nullopt;
    }
    if (!profile.groups.count(name)) {
      Fail(error, "--groups: the profile has no group " + Quoted(name));
      return std::nullopt;
    }
    wanted.insert(name);
    start = comma + 1;
  }
  std::vector<const GroupSpec*> chosen;
  for (const GroupSpec& g : Groups()) {
    const bool take = list.empty()
                          ? profile.groups.count(g.name) && g.name != std::string(kNetworkGroup)
                          : wanted.count(g.name) > 0;
    if (take) chosen.push_back(&g);
  }
  if (chosen.empty()) {
    Fail(error, "no group to apply");
    return std::nullopt;
  }
  return chosen;
}

std::vector<Difference> CompareGroup(const GroupSpec& group, const GroupValues& wanted,
                                     const GroupValues& found) {
  std::vector<Difference> out;
  for (const FieldSpec& f : group.fields) {
    auto w = wanted.find(f.name);
    if (w == wanted.end()) continue;
    auto it = found.find(f.name);
    const Value got = it == found.end() ? Value{true, {}} : it->second;
    bool same = w->second == got;
    if (!same && f.kind == FieldKind::Prefix && HexForm(f, wanted) && !got.null)
      same = Lower(w->second.text) == Lower(got.text);
    if (!same) out.push_back(Difference{std::string(group.name) + "." + f.name, w->second, got});
  }
  return out;
}

}  // namespace cli
