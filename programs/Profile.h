// A reader's configuration as a file a person can read, diff and keep: the groups of the dialog
// in their order, each field by name with the value the dialog shows (list items by their English
// text, addresses dotted, prefixes as their input format gives them), and the raw 720-byte record
// as the reference, without the bytes no group describes (the hidden cloud connection holds a
// secret; see RecordBlanked). Nothing here knows the dialog: the catalogue names the controls, and
// kestrival-cli puts the values into them and reads them back.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "programs/ProfileCatalogue.h"

namespace cli {

// Version 1 kept the whole record; version 2 writes the bytes no group describes as zeros and
// names them. Both are read.
inline constexpr int kProfileVersion = 2;
inline constexpr int kOldestProfileVersion = 1;
inline constexpr const char* kProfileFormat = "kestrival-profile";

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
  friend bool operator==(const Profile&, const Profile&) = default;
};

// Bytes of the record that a profile writes as zeros, from `from` to `to` inclusive: the sections
// of the record in which no group has a field, in the order of the record.
struct BlankedRange {
  std::size_t from;
  std::size_t to;
  std::string what;  // for a person reading the profile
};
const std::vector<BlankedRange>& RecordBlanked();
// The record (lowercase hex of 720 bytes) with those bytes zeroed; any other text unchanged.
std::string BlankRecord(std::string recordHex);

// The time written into a profile: now, ISO 8601 in UTC ("2026-12-08T09:00:00Z").
std::string ProfileTimeNow();

// The profile as JSON, groups and fields in the catalogue's order.
std::string ProfileToJson(const Profile& profile);

// Reads and checks a whole profile of any content; it never throws. On failure returns nothing
// and sets *error to one line that names the problem (the JSON position, the field, the allowed
// values, ...). The record comes back with RecordBlanked's bytes zeroed, whatever the version.
std::optional<Profile> ParseProfile(const std::string& json, const TextResolver& english,
                                    std::string* error);

// Checks one group's values against the catalogue; an empty text when they are sound.
std::string CheckGroup(const GroupSpec& group, const GroupValues& values,
                       const TextResolver& english);

// Every field of the profile whose value ParseProfile would refuse, one line each ("group.field:
// why"); what `get` warns about when a reader holds a value the window would not send.
std::vector<std::string> Refusals(const Profile& profile, const TextResolver& english);

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

}  // namespace cli
