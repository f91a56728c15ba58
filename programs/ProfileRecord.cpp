// The bytes of the reader's record that a profile keeps as zeros: those no group of the profile
// describes, among them the hidden cloud connection, which holds a secret.
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "params/Catalogue.h"
#include "params/DevParam.h"
#include "programs/Profile.h"

namespace cli {
namespace {

// What a person reading the profile learns of each blanked section.
std::string WhatIsBlanked(const ParamSection& section) {
  if (section.offset == SECTION_OPAQUE.offset) return "a block no program interprets";
  if (section.offset == SECTION_CLOUD.offset)
    return "the hidden cloud connection (provider, server address, product key, device name, "
           "device secret, topics): it holds a secret, and no user can reach it in the window";
  if (section.offset == SECTION_HIDDEN_CHOICE.offset)
    return "the hidden choice, which no user can reach in the window";
  return "no group of the profile describes these bytes";
}

std::vector<BlankedRange> MakeBlanked() {
  std::vector<ParamSection> sections = {SECTION_OPAQUE};
  for (const SetCommandSpec& c : SET_COMMAND_SPECS) sections.push_back(c.section);
  std::sort(sections.begin(), sections.end(),
            [](const ParamSection& a, const ParamSection& b) { return a.offset < b.offset; });
  std::vector<BlankedRange> out;
  for (const ParamSection& section : sections) {
    const bool described =
        std::any_of(std::begin(PARAM_FIELDS), std::end(PARAM_FIELDS), [&](const ParamField& f) {
          return f.group != nullptr && f.offset >= section.offset &&
                 f.offset < section.offset + section.len;
        });
    if (!described)
      out.push_back({section.offset, section.offset + section.len - 1, WhatIsBlanked(section)});
  }
  return out;
}

}  // namespace

const std::vector<BlankedRange>& RecordBlanked() {
  static const std::vector<BlankedRange> ranges = MakeBlanked();
  return ranges;
}

std::string BlankRecord(std::string recordHex) {
  if (recordHex.size() != 2 * DEV_PARAM_LEN) return recordHex;
  for (const BlankedRange& r : RecordBlanked())
    recordHex.replace(2 * r.from, 2 * (r.to - r.from + 1), 2 * (r.to - r.from + 1), '0');
  return recordHex;
}

}  // namespace cli
