// The catalogue's own invariants, across all its rows, and its layout against the record's
// bytes as the tool documents them.
#include "params/Catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(Catalogue, EveryListHasItemsAndItsDefaultAmongThem) {
  for (const ParamField& f : PARAM_FIELDS) {
    SCOPED_TRACE(f.name);
    if (f.kind == FieldKind::List) {
      ASSERT_FALSE(f.items.empty());
      EXPECT_GE(f.defaultPos, 0);
      EXPECT_LT(static_cast<std::size_t>(f.defaultPos), f.items.size());
      for (const ListItem& item : f.items)
        EXPECT_TRUE(item.fixed == nullptr || *item.fixed != '\0') << "an empty item";
    } else {
      EXPECT_TRUE(f.items.empty());
    }
  }
}

TEST(Catalogue, FieldsLieInsideOneSetCommandsSectionWithoutOverlap) {
  for (const ParamField& a : PARAM_FIELDS) {
    SCOPED_TRACE(a.name);
    EXPECT_NE(SetCommandOfField(a), nullptr) << "no Set command writes the field";
    for (const ParamField& b : PARAM_FIELDS) {
      if (&a == &b) continue;
      EXPECT_FALSE(a.offset < b.offset + b.size && b.offset < a.offset + a.size) << b.name;
    }
  }
}

TEST(Catalogue, ProfileNamesAreUniqueAndPrefixesNameTheirFormatList) {
  std::set<std::string> names;
  for (const ParamField& f : PARAM_FIELDS) {
    if (f.group == nullptr) continue;
    EXPECT_TRUE(names.insert(std::string(f.group) + "." + f.name).second) << f.name;
    if (f.kind != FieldKind::Prefix) continue;
    bool found = false;
    for (const ParamField& list : PARAM_FIELDS)
      found = found || (list.group && std::string(list.group) == f.group &&
                        std::string(list.name) == f.formatField && list.kind == FieldKind::List);
    EXPECT_TRUE(found) << f.group << "." << f.name;
  }
}

TEST(Catalogue, EachReplyLeadsBackToItsRequest) {
  for (const SetCommandSpec& c : SET_COMMAND_SPECS) {
    SCOPED_TRACE(c.request);
    EXPECT_EQ(FindSetCommandByReply(c.reply), &c);
    EXPECT_EQ(FindSetCommandByReply(c.request), nullptr);
    // An echo is compared with the position of the list that begins the section.
    if (c.confirmation == Confirmation::ByEcho) {
      const ParamField* first = FirstFieldOf(c);
      ASSERT_NE(first, nullptr);
      EXPECT_EQ(first->kind, FieldKind::List);
    }
  }
}

TEST(Catalogue, ItemTextsResolveInterfaceTextsAndKeepFixedOnes) {
  const auto resolve = [](Text t) { return "#" + std::to_string(static_cast<int>(t)); };
  EXPECT_EQ(ListItemTexts(FieldOf(Field::QrCardNumberFormat).items, resolve),
            (std::vector<std::string>{
                "8H10D", "#" + std::to_string(static_cast<int>(Text::Decimal)), "2H3D+4H5D"}));
  const auto digits = ListItemTexts(FieldOf(Field::QrOutputFromDigit).items, resolve);
  ASSERT_EQ(digits.size(), 51u);
  for (std::size_t n = 0; n < digits.size(); ++n) EXPECT_EQ(digits[n], std::to_string(n));
}

}  // namespace
