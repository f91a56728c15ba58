// The groups a user can write, as the dialog lays them out: each group's Set buttons (and the
// command each sends) and its fields, each field named, tied to its control and of one kind. The
// groups are built from the rows of params/Catalogue.h and the dialog's bindings of those rows
// (app/FieldControls.h, app/SetCommandTable.h). The
// profile's format, the batch program's input into the controls and the read-back all follow
// this catalogue; nothing here knows the dialog beyond the control identifiers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "i18n/Text.h"
#include "params/Catalogue.h"

class TranslationTable;

namespace cli {

// The kinds and list items of the fields are the catalogue's (params/Catalogue.h).
using ::FieldKind;
using ::ListItem;

struct FieldSpec {
  const char* name;
  int control;
  FieldKind kind;
  std::vector<ListItem> items = {};   // List
  std::size_t maxBytes = 0;           // Text and Prefix: bytes in code page 936
  const char* formatField = nullptr;  // Prefix: the list of this group that chooses hex or text
  int multipleOf = 1;                 // Integer
  std::int64_t min = 0;               // Integer: the allowed range
  std::int64_t max = 0;
};

// A Set button, the command its handler sends and the reply that answers it.
struct SetButton {
  int control;
  int command;
  int reply;
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
