// The list box messages by position (also those a combo box passes on to its list): insert,
// delete and find, with the selection following its item.
#include "platform/ListBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Window.h"

using platform::Window;
using platform::WindowKind;

namespace {

struct PositionRow {
  const char* name;
  UINT msg;
  int index;
  const char* text;
  LRESULT result;
  std::vector<std::string> items;
  LRESULT selection;  // LB_GETCURSEL afterwards
};

class ListBoxByPosition : public ::testing::TestWithParam<PositionRow> {};

// A sorted list box holding a, b, c, d with c selected.
TEST_P(ListBoxByPosition, AnswersAndKeepsTheSelectionWithItsItem) {
  const PositionRow& r = GetParam();
  Window w(WindowKind::ListBox, 1004, LBS_SORT | LBS_NOTIFY, RECT{0, 0, 10, 10}, "", nullptr);
  for (const char* s : {"d", "b", "c", "a"}) w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  w.Send(LB_SETCURSEL, 2, 0);
  EXPECT_EQ(w.Send(r.msg, static_cast<WPARAM>(static_cast<INT_PTR>(r.index)),
                   reinterpret_cast<LPARAM>(r.text)),
            r.result);
  EXPECT_EQ(w.Items(), r.items);
  EXPECT_EQ(w.Send(LB_GETCURSEL, 0, 0), r.selection);
}

const std::vector<std::string> kAbcd{"a", "b", "c", "d"};

INSTANTIATE_TEST_SUITE_P(
    Rows, ListBoxByPosition,
    ::testing::Values(
        PositionRow{"insert_appends", LB_INSERTSTRING, -1, "0", 4, {"a", "b", "c", "d", "0"}, 2},
        PositionRow{"insert_never_sorts", LB_INSERTSTRING, 3, "0", 3, {"a", "b", "c", "0", "d"}, 2},
        PositionRow{"insert_at_the_selection_moves_it",
                    LB_INSERTSTRING,
                    2,
                    "x",
                    2,
                    {"a", "b", "x", "c", "d"},
                    3},
        PositionRow{"insert_at_count", LB_INSERTSTRING, 4, "x", 4, {"a", "b", "c", "d", "x"}, 2},
        PositionRow{"insert_past_count", LB_INSERTSTRING, 5, "x", LB_ERR, kAbcd, 2},
        PositionRow{"insert_below_minus_one", LB_INSERTSTRING, -2, "x", LB_ERR, kAbcd, 2},
        PositionRow{"delete_before_the_selection", LB_DELETESTRING, 0, "", 3, {"b", "c", "d"}, 1},
        PositionRow{"delete_the_selection", LB_DELETESTRING, 2, "", 3, {"a", "b", "d"}, LB_ERR},
        PositionRow{"delete_after_the_selection", LB_DELETESTRING, 3, "", 3, {"a", "b", "c"}, 2},
        PositionRow{"delete_past_the_end", LB_DELETESTRING, 4, "", LB_ERR, kAbcd, 2},
        PositionRow{"delete_minus_one", LB_DELETESTRING, -1, "", LB_ERR, kAbcd, 2},
        PositionRow{"find_prefix_any_case", LB_FINDSTRING, -1, "C", 2, kAbcd, 2},
        PositionRow{"find_wraps_past_the_start", LB_FINDSTRING, 2, "a", 0, kAbcd, 2},
        PositionRow{"find_empty_text", LB_FINDSTRING, -1, "", LB_ERR, kAbcd, 2},
        PositionRow{"find_exact_any_case", LB_FINDSTRINGEXACT, 0, "D", 3, kAbcd, 2},
        PositionRow{"find_exact_needs_the_length", LB_FINDSTRINGEXACT, -1, "d ", LB_ERR, kAbcd, 2}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
