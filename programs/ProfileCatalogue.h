// The groups a user can write, as the dialog lays them out: each group's Set buttons (and the
// command each sends) and its fields, each field named, tied to its control and of one kind. The
// profile's format, the batch program's input into the controls and the read-back all follow
// this catalogue; nothing here knows the dialog beyond the control identifiers.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "i18n/Text.h"

class TranslationTable;

namespace cli {

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

}  // namespace cli
