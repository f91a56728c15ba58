// A reader's configuration as a file a person can read, diff and keep: the groups of the dialog
// in their order, each field by name with the value the dialog shows (list items by their English
// text, addresses dotted, prefixes as their input format gives them), and the raw 720-byte record
// as the reference. Nothing here knows the dialog: the catalogue names the controls, and
// kestrival-cli puts the values into them and reads them back.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "i18n/Text.h"

class TranslationTable;

namespace cli {

inline constexpr int kProfileVersion = 1;
inline constexpr const char* kProfileFormat = "kestrival-profile";

enum class FieldKind {
  List,     // an option list: the English text of the selected item, null for no selection
  Text,     // an edit holding text (UTF-8 in the profile, code page 936 in the dialog)
  Prefix,   // a prefix or suffix edit: text, or hexadecimal pairs when its input format is "hex"
  Address,  // an IP address control: dotted IPv4
  Integer,  // an edit exchanged as an integer
};

// One item of an option list: a fixed text, or an interface text of the current language.
struct ListItem {
  const char* fixed = nullptr;
  Text text = Text::Set;
};

struct FieldSpec {
  const char* name;
  int control;
  FieldKind kind;
  std::vector<ListItem> items = {};   // List
  std::size_t maxBytes = 0;           // Text and Prefix: bytes in code page 936
  const char* formatField = nullptr;  // Prefix: the list of this group that chooses hex or text
  int multipleOf = 1;                 // Integer
};

// A Set button and the command its handler sends.
struct SetButton {
  int control;
  int command;
};

struct GroupSpec {
  const char* name;
  std::vector<SetButton> setButtons;  // pressed in this order
  std::vector<FieldSpec> fields;
};

// Every group a user can write, in the order of the dialog (top to bottom).
const std::vector<GroupSpec>& Groups();
const GroupSpec* FindGroup(const std::string& name);
// "network" is applied only when asked for by name.
inline constexpr const char* kNetworkGroup = "network";

// The English text of an interface text (from language.csv); the catalogue's list items need it.
using TextResolver = std::function<std::string(Text)>;
// The English column of a loaded language.csv; a text it lacks resolves to "".
TextResolver EnglishTexts(const TranslationTable& table);
// The items of a list field in English, position by position.
std::vector<std::string> ItemTexts(const FieldSpec& field, const TextResolver& english);

// A value as the profile holds it: null only for a list without selection; integers as their
// decimal text; texts in UTF-8.
struct Value {
  bool null = false;
  std::string text;
  friend bool operator==(const Value&, const Value&) = default;
};
using GroupValues = std::map<std::string, Value>;  // field name -> value

struct Profile {
  std::string label;    // the reader it was read from (UTF-8)
  std::string address;  // the address it answered from
  std::string time;     // when, ISO 8601 in UTC
  std::map<std::string, GroupValues> groups;
  std::string recordHex;  // the 720-byte record, lowercase hex; empty when absent
};

// The profile as JSON, groups and fields in the catalogue's order.
std::string ProfileToJson(const Profile& profile);

// Reads and checks a whole profile. On failure returns nothing and sets *error to one line that
// names the problem (the JSON position, the field, the allowed values, ...).
std::optional<Profile> ParseProfile(const std::string& json, const TextResolver& english,
                                    std::string* error);

// Checks one group's values against the catalogue; an empty text when they are sound.
std::string CheckGroup(const GroupSpec& group, const GroupValues& values,
                       const TextResolver& english);

// "a,b" -> the named groups, checked against the catalogue and the profile; empty -> every group
// of the profile but the network group. Sets *error and returns nothing for an unknown name.
std::optional<std::vector<const GroupSpec*>> ChooseGroups(const std::string& list,
                                                          const Profile& profile,
                                                          std::string* error);

// One field that the reader reports differently from the profile.
struct Difference {
  std::string field;  // "group.field"
  Value wanted;
  Value found;
};
// The fields of `group` whose values differ (hexadecimal prefixes compare without letter case).
std::vector<Difference> CompareGroup(const GroupSpec& group, const GroupValues& wanted,
                                     const GroupValues& found);

// "192.168.0.1" -> its four octets; nothing for anything but four decimal numbers 0..255.
std::optional<std::array<int, 4>> ParseDottedIpv4(const std::string& text);

}  // namespace cli
