#include "programs/ProfileCatalogue.h"

#include <algorithm>
#include <cstdint>

#include "app/FieldControls.h"
#include "app/SetCommandTable.h"
#include "i18n/TranslationTable.h"
#include "params/CodePage.h"

namespace cli {

namespace {

FieldSpec MakeField(const ParamField& row) {
  FieldSpec f{row.name, ControlOf(row.field), row.kind};
  f.items.assign(row.items.begin(), row.items.end());
  f.maxBytes = row.maxBytes;
  f.formatField = row.formatField;
  f.multipleOf = row.multipleOf;
  f.min = row.min;
  f.max = row.max;
  return f;
}

// The catalogue's fields that the profile carries, grouped in the order of their rows; each
// group presses the Set buttons of the commands that write its fields, in the order of the fields.
std::vector<GroupSpec> MakeGroups() {
  std::vector<GroupSpec> groups;
  for (const ParamField& row : PARAM_FIELDS) {
    if (row.group == nullptr) continue;
    auto g = std::find_if(groups.begin(), groups.end(),
                          [&](const GroupSpec& s) { return std::string(s.name) == row.group; });
    if (g == groups.end()) g = groups.insert(groups.end(), GroupSpec{row.group, {}, {}});
    g->fields.push_back(MakeField(row));
    const SetCommandSpec* command = SetCommandOfField(row);
    const SetCommand* bound = command ? FindSetCommand(command->request) : nullptr;
    if (bound == nullptr) continue;
    const bool listed =
        std::any_of(g->setButtons.begin(), g->setButtons.end(),
                    [&](const SetButton& b) { return b.command == bound->request; });
    if (!listed) g->setButtons.push_back(SetButton{bound->button, bound->request, bound->reply});
  }
  return groups;
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
  return ListItemTexts(field.items, english);
}

}  // namespace cli
