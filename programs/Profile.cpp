#include "programs/Profile.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include "params/Catalogue.h"
#include "params/CodePage.h"
#include "params/DevParam.h"
#include "programs/JsonCheck.h"
#include "protocol/IpAddress.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// Hexadecimal prefixes: 31 characters make 15 pairs.
constexpr std::size_t kHexDigits = 30;

// A text of the file on one line of a message: escaped as JSON escapes it, without the quotes.
std::string OneLine(const std::string& text) {
  const std::string quoted = Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
  return quoted.substr(1, quoted.size() - 2);
}

std::string Quoted(const std::string& text) {
  return "\"" + OneLine(text) + "\"";
}

std::string Join(const std::vector<std::string>& parts, const char* separator) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : separator) + p;
  return out;
}

// The text in code page 936, or nothing when a character has no place there.
std::optional<std::string> ToCp936(const std::string& utf8) {
  std::string converted = Utf8ToAnsiString(utf8);
  if (AnsiToUtf8String(converted) != utf8) return std::nullopt;
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

// Decimal digits with an optional minus; at most 18 digits, so that the value fits.
bool IsDecimal(const std::string& text) {
  const std::size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
  return text.size() > start &&
         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                     [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::optional<long long> ParseDecimal(const std::string& text) {
  if (text.empty() || text.size() > 19) return std::nullopt;
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
      if (!ParseDotted(value.text))
        return where + ": " + Quoted(value.text) + " is not a dotted IPv4 address (A.B.C.D)";
      return {};
    case FieldKind::Integer: {
      const std::string range = std::to_string(field.min) + ".." + std::to_string(field.max);
      const auto n = ParseDecimal(value.text);
      if (!n && !IsDecimal(value.text)) return where + ": not an integer (allowed: " + range + ")";
      if (!n || *n < field.min || *n > field.max)
        return where + ": " + value.text + " is outside the allowed range " + range;
      if (*n % field.multipleOf != 0)
        return where + ": " + value.text + " is not a multiple of " +
               std::to_string(field.multipleOf) + " (the reader keeps units of " +
               std::to_string(field.multipleOf) + "; allowed: " + range + ")";
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
    // Unsigned beyond the signed range stays its own text, which the range check refuses.
    if (j.is_number_unsigned()) return Value{false, std::to_string(j.get<unsigned long long>())};
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

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

std::vector<std::string> Refusals(const Profile& profile, const TextResolver& english) {
  std::vector<std::string> out;
  for (const GroupSpec& g : Groups()) {
    auto values = profile.groups.find(g.name);
    if (values == profile.groups.end()) continue;
    for (const FieldSpec& f : g.fields) {
      auto v = values->second.find(f.name);
      if (v == values->second.end()) continue;
      std::string why =
          CheckField(std::string(g.name) + "." + f.name, f, v->second, values->second, english);
      if (!why.empty()) out.push_back(std::move(why));
    }
  }
  return out;
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
  if (!profile.recordHex.empty()) {
    Json blanked = Json::array();
    for (const BlankedRange& r : RecordBlanked())
      blanked.push_back({{"from", r.from}, {"to", r.to}, {"what", r.what}});
    j["record_blanked"] = blanked;
    j["record"] = BlankRecord(Lower(profile.recordHex));
  }
  // A text that is not UTF-8 (a reader's label, say) is written with replacement characters.
  return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string CheckGroup(const GroupSpec& group, const GroupValues& values,
                       const TextResolver& english) {
  for (const auto& [name, value] : values) {
    bool known = false;
    for (const FieldSpec& f : group.fields) known = known || name == f.name;
    if (!known) {
      std::vector<std::string> names;
      for (const FieldSpec& f : group.fields) names.push_back(f.name);
      return std::string(group.name) + "." + OneLine(name) + ": unknown field (the group has " +
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

namespace {

std::optional<Profile> ParseChecked(const std::string& text, const TextResolver& english,
                                    std::string* error);

}  // namespace

std::optional<Profile> ParseProfile(const std::string& text, const TextResolver& english,
                                    std::string* error) {
  if (const auto fault = JsonFault(text)) {
    Fail(error, *fault);
    return std::nullopt;
  }
  // The first pass leaves nothing for the library to throw; should it still, the profile is
  // refused all the same.
  try {
    return ParseChecked(text, english, error);
  } catch (const std::exception& e) {
    Fail(error, std::string("not a profile: ") + e.what());
    return std::nullopt;
  }
}

namespace {

std::optional<Profile> ParseChecked(const std::string& text, const TextResolver& english,
                                    std::string* error) {
  Json j = Json::parse(text);
  if (!j.is_object()) return Fail(error, "not a profile: the JSON is not an object"), std::nullopt;
  static const std::set<std::string> keys = {"format", "version", "read_from",     "time",
                                             "groups", "record",  "record_blanked"};
  for (const auto& [key, value] : j.items())
    if (!keys.count(key)) return Fail(error, "unknown key " + Quoted(key)), std::nullopt;
  if (!j.contains("format") || j["format"] != kProfileFormat)
    return Fail(error, std::string("not a profile: \"format\" must be \"") + kProfileFormat + "\""),
           std::nullopt;
  if (!j.contains("version") || !j["version"].is_number_integer())
    return Fail(error, "the profile has no format version"), std::nullopt;
  const Json& version = j["version"];
  const bool known = !version.is_number_unsigned()
                         ? version.get<long long>() >= kOldestProfileVersion &&
                               version.get<long long>() <= kProfileVersion
                         : version.get<unsigned long long>() <= kProfileVersion &&
                               version.get<unsigned long long>() >= kOldestProfileVersion;
  if (!known)
    return Fail(error, "format version " + version.dump() + " is not supported (this " +
                           "program reads versions " + std::to_string(kOldestProfileVersion) +
                           " to " + std::to_string(kProfileVersion) + ")"),
           std::nullopt;
  if (j.contains("record_blanked") && !j["record_blanked"].is_array())
    return Fail(error, "record_blanked: not a list"), std::nullopt;

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
    if (p.recordHex.size() != 2 * DEV_PARAM_LEN || !IsHexDigits(p.recordHex))
      return Fail(error, "record: not 720 bytes in hexadecimal"), std::nullopt;
    // The record is the reference only; what no group describes is not kept, in any version.
    p.recordHex = BlankRecord(std::move(p.recordHex));
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

}  // namespace

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

// The calendar of the system clock, which counts UTC: no C library time zone call, so the same
// on every platform.
std::string ProfileTimeNow() {
  using namespace std::chrono;
  const auto now = floor<seconds>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

}  // namespace cli
