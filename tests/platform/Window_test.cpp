// The controls of the window model against the Windows behaviour the tool relies on.
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::Window;
using platform::WindowKind;

namespace {

LRESULT Insert(Window& w, int at, const char* text) {
  return w.Send(CB_INSERTSTRING, static_cast<WPARAM>(static_cast<INT_PTR>(at)),
                reinterpret_cast<LPARAM>(text));
}

LRESULT Find(Window& w, int start, const char* text) {
  return w.Send(CB_FINDSTRING, static_cast<WPARAM>(static_cast<INT_PTR>(start)),
                reinterpret_cast<LPARAM>(text));
}

LRESULT SetSel(Window& w, int index) {
  return w.Send(CB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(index)), 0);
}

// A sorted combo box with the five observed items inserted at 0..4.
struct ObservedCombo : Window {
  ObservedCombo()
      : Window(WindowKind::ComboBox, 1036, CBS_DROPDOWNLIST | CBS_SORT, RECT{0, 0, 10, 10}, "",
               nullptr) {
    const char* items[] = {"9600", "110", "1200", "115200", "ASCII"};
    for (int i = 0; i < 5; ++i) Insert(*this, i, items[i]);
  }
};

}  // namespace

TEST(ComboBox, InsertKeepsThePositionEvenWithTheSortStyle) {
  ObservedCombo w;
  EXPECT_EQ(w.Items(), (std::vector<std::string>{"9600", "110", "1200", "115200", "ASCII"}));
  EXPECT_EQ(Insert(w, 7, "x"), CB_ERR);
  EXPECT_EQ(Insert(w, -2, "x"), CB_ERR);
  EXPECT_EQ(Insert(w, 5, "end"), 5);
  EXPECT_EQ(Insert(w, -1, "appended"), 6);
  EXPECT_EQ(w.ItemCount(), 7u);
}

struct FindRow {
  int start;
  const char* text;
  LRESULT expected;
};

class ComboFind : public ::testing::TestWithParam<FindRow> {};

TEST_P(ComboFind, CaseInsensitivePrefixFromAfterStartWrapping) {
  ObservedCombo w;
  EXPECT_EQ(Find(w, GetParam().start, GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ObservedRows, ComboFind,
                         ::testing::Values(FindRow{-1, "11", 1}, FindRow{-1, "1152", 3},
                                           FindRow{-1, "ascii", 4}, FindRow{-1, "", CB_ERR},
                                           FindRow{-1, "96", 0}, FindRow{-1, "9", 0},
                                           FindRow{3, "1", 1}, FindRow{4, "9", 0},
                                           FindRow{0, "9600", 0}, FindRow{9, "110", 1},
                                           FindRow{-1, "12345", CB_ERR}));

TEST(ComboBox, SetCurSelOutsideTheListClearsTheSelection) {
  struct Row {
    int index;
    LRESULT result;
    int selection;
  } rows[] = {{2, 2, 2},        {-1, CB_ERR, -1}, {9, CB_ERR, -1},
              {-5, CB_ERR, -1}, {5, CB_ERR, -1},  {4, 4, 4}};
  ObservedCombo w;
  for (const Row& r : rows) {
    SetSel(w, 1);
    EXPECT_EQ(SetSel(w, r.index), r.result) << r.index;
    EXPECT_EQ(w.Send(CB_GETCURSEL, 0, 0), r.selection) << r.index;
  }
}

TEST(ComboBox, InsertingBeforeTheSelectionMovesItDown) {
  ObservedCombo w;
  SetSel(w, 1);
  Insert(w, 0, "first");
  EXPECT_EQ(w.Selection(), 2);
  Insert(w, 3, "after");
  EXPECT_EQ(w.Selection(), 2);
  w.Send(CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(w.ItemCount(), 0u);
  EXPECT_EQ(w.Send(CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST(ComboBox, FindStringExactIgnoresCaseButNotLength) {
  struct Row {
    int start;
    const char* text;
    LRESULT expected;
  } rows[] = {{-1, "1200", 2}, {-1, "ascii", 4}, {-1, "12", CB_ERR}, {-1, "", CB_ERR},
              {2, "1200", 2},  {3, "9600", 0},   {99, "110", 1},     {-1, "115200 ", CB_ERR}};
  ObservedCombo w;
  for (const Row& r : rows) {
    EXPECT_EQ(w.Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(static_cast<INT_PTR>(r.start)),
                     reinterpret_cast<LPARAM>(r.text)),
              r.expected)
        << r.start << " '" << r.text << "'";
  }
}

// Observed: an equal text added to a sorted combo box goes before the one already there.
TEST(ComboBox, SortedAddPutsAnEqualTextFirst) {
  Window w(WindowKind::ComboBox, 12, CBS_DROPDOWNLIST | CBS_SORT, RECT{0, 0, 10, 10}, "", nullptr);
  struct Row {
    const char* text;
    LRESULT at;
  } rows[] = {{"b", 0}, {"DUP", 1}, {"a", 0}, {"dup", 2}, {"B", 1}, {"Dup", 3}};
  for (const Row& r : rows)
    EXPECT_EQ(w.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.text)), r.at) << r.text;
  EXPECT_EQ(w.Items(), (std::vector<std::string>{"a", "B", "b", "Dup", "dup", "DUP"}));
}

TEST(ComboBox, GetLbTextCopiesTheItem) {
  ObservedCombo w;
  char buf[32] = "unchanged";
  EXPECT_EQ(w.Send(CB_GETLBTEXT, 3, reinterpret_cast<LPARAM>(buf)), 6);
  EXPECT_STREQ(buf, "115200");
  EXPECT_EQ(w.Send(CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(buf)), CB_ERR);
  EXPECT_EQ(w.Send(CB_GETLBTEXTLEN, 4, 0), 5);
}

TEST(SortedListBox, ReproducesTheObservedOrder) {
  Window w(WindowKind::ListBox, 1004, LBS_SORT | LBS_NOTIFY, RECT{0, 0, 10, 10}, "", nullptr);
  const char* added[] = {"R-b", "r-a", "R-10", "R-2", "DUP", "dup", "Reader", "reader",
                         "R_1", "R1",  "Z",    "a",   "B",   "R a", "R-ab"};
  for (const char* s : added) w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  EXPECT_EQ(w.Items(),
            (std::vector<std::string>{"a", "B", "dup", "DUP", "R a", "R_1", "R1", "R-10", "R-2",
                                      "r-a", "R-ab", "R-b", "reader", "Reader", "Z"}));
}

TEST(SortedListBox, SelectionTextAndReset) {
  Window w(WindowKind::ListBox, 1004, LBS_SORT, RECT{0, 0, 10, 10}, "", nullptr);
  EXPECT_EQ(w.Send(LB_GETCURSEL, 0, 0), LB_ERR);
  w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("beta"));
  w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("alpha"));
  EXPECT_EQ(w.Send(LB_SETCURSEL, 1, 0), 1);
  char buf[16];
  EXPECT_EQ(w.Send(LB_GETTEXT, static_cast<WPARAM>(w.Send(LB_GETCURSEL, 0, 0)),
                   reinterpret_cast<LPARAM>(buf)),
            4);
  EXPECT_STREQ(buf, "beta");
  // A new line before the selected one moves the selection with its line.
  w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("aaa"));
  EXPECT_EQ(w.Send(LB_GETCURSEL, 0, 0), 2);
  w.Send(LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(w.Send(LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(w.Send(LB_GETCURSEL, 0, 0), LB_ERR);
}

// Observed: -1 clears and answers LB_ERR; any other index outside the list answers LB_ERR and
// keeps the selection (unlike the combo box rule of the tool).
TEST(SortedListBox, SetCurSelOutsideTheListKeepsTheSelection) {
  struct Row {
    int index;
    LRESULT result;
    int selection;
  } rows[] = {{3, 3, 3}, {99, LB_ERR, 2}, {-1, LB_ERR, -1}, {-5, LB_ERR, 2}, {4, LB_ERR, 2}};
  Window w(WindowKind::ListBox, 13, LBS_SORT | LBS_NOTIFY, RECT{0, 0, 10, 10}, "", nullptr);
  for (const char* s : {"a", "b", "c", "d"}) w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  for (const Row& r : rows) {
    w.Send(LB_SETCURSEL, 2, 0);
    EXPECT_EQ(w.Send(LB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(r.index)), 0), r.result)
        << r.index;
    EXPECT_EQ(w.Send(LB_GETCURSEL, 0, 0), r.selection) << r.index;
  }
}

struct OrderRow {
  const char* name;
  std::vector<std::string> added;
  std::vector<std::string> order;
};

class SortedOrder : public ::testing::TestWithParam<OrderRow> {};

TEST_P(SortedOrder, MatchesTheObservedList) {
  Window w(WindowKind::ListBox, 14, LBS_SORT, RECT{0, 0, 10, 10}, "", nullptr);
  for (const std::string& s : GetParam().added)
    w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  EXPECT_EQ(w.Items(), GetParam().order);
}

// Punctuation in byte order, except that the plus sign (with < = >) comes after the tilde and
// before the digits; hyphens and apostrophes weigh nothing; addresses sort as text.
INSTANTIATE_TEST_SUITE_P(Observed, SortedOrder,
                         ::testing::Values(OrderRow{"punctuation",
                                                    {"R(1", "R.1", "R_1", "R 1", "R,1", "R@1",
                                                     "R+1", "R#1", "R1", "R~1", "R/1", "R:1"},
                                                    {"R 1", "R#1", "R(1", "R,1", "R.1", "R/1",
                                                     "R:1", "R@1", "R_1", "R~1", "R+1", "R1"}},
                                           OrderRow{"readers",
                                                    {"Reader 2", "Reader 10", "Reader-3", "reader2",
                                                     "Reader'1", "Reader", "READER 1"},
                                                    {"Reader", "READER 1", "Reader 10", "Reader 2",
                                                     "Reader'1", "reader2", "Reader-3"}},
                                           OrderRow{"addresses",
                                                    {"192.168.0.10", "192.168.0.9", "192.168.0.100",
                                                     "10.0.0.1", "192.168.1.2", "192.168.0.9"},
                                                    {"10.0.0.1", "192.168.0.10", "192.168.0.100",
                                                     "192.168.0.9", "192.168.0.9", "192.168.1.2"}},
                                           OrderRow{"math signs",
                                                    {"R1", "R>1", "R=1", "R<1", "R+1", "R~1"},
                                                    {"R~1", "R+1", "R<1", "R=1", "R>1", "R1"}}),
                         [](const auto& info) {
                           std::string n = info.param.name;
                           for (char& c : n)
                             if (c == ' ') c = '_';
                           return n;
                         });

// A dialog with two edits and a button whose procedure logs the edits' focus notifications as
// they arrive, with the focus at that moment; a kill-focus handler of edit 21 can take the focus
// back, as a handler that rejects the edit's text does.
struct FocusLog {
  Window top{WindowKind::Dialog, 0, WS_VISIBLE, RECT{0, 0, 100, 100}, "", nullptr};
  Window* e1 = top.AddChild(WindowKind::Edit, 21, WS_VISIBLE, RECT{}, "");
  Window* e2 = top.AddChild(WindowKind::Edit, 22, WS_VISIBLE, RECT{}, "");
  Window* bt = top.AddChild(WindowKind::Button, 23, WS_VISIBLE, RECT{}, "");
  std::string log;
  bool bounce = false;
  int kills = 0;

  FocusLog() {
    top.SetProcedure([this](UINT msg, WPARAM wp, LPARAM) -> LRESULT {
      if (msg != WM_COMMAND || (HIWORD(wp) != EN_SETFOCUS && HIWORD(wp) != EN_KILLFOCUS)) return 0;
      Window* f = top.Focus();
      log += std::string(HIWORD(wp) == EN_SETFOCUS ? " SET(" : " KILL(") +
             std::to_string(LOWORD(wp)) + ",focus=" + std::to_string(f ? f->Id() : 0) + ")";
      if (bounce && HIWORD(wp) == EN_KILLFOCUS && LOWORD(wp) == 21 && kills < 3) {
        ++kills;
        e1->SetFocusTo(e1);
        log += " back";
      }
      return 0;
    });
  }
};

TEST(Focus, NotificationsAreSentInTheObservedOrder) {
  struct Row {
    const char* name;
    bool bounce;
    std::vector<int> moves;  // the ids focused in turn, after the focus starts on `from`
    int from;
    const char* log;
    int finalFocus;
  } rows[] = {
      {"plain",
       false,
       {21, 22, 23},
       0,
       " SET(21,focus=21) | KILL(21,focus=22) SET(22,focus=22) | KILL(22,focus=23) |",
       23},
      {"bounce",
       true,
       {22},
       21,
       " KILL(21,focus=22) KILL(22,focus=21) SET(21,focus=21) back |",
       21},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    FocusLog f;
    if (r.from) f.top.SetFocusTo(f.top.Child(r.from));
    f.log.clear();
    f.bounce = r.bounce;
    for (int id : r.moves) {
      f.top.SetFocusTo(f.top.Child(id));
      f.log += " |";
    }
    EXPECT_EQ(f.log, r.log);
    ASSERT_NE(f.top.Focus(), nullptr);
    EXPECT_EQ(f.top.Focus()->Id(), r.finalFocus);
  }
}

// Two edits that each take the focus back when they lose it would nest without end; the
// nesting stops at a fixed depth and the focus stays on one of them.
TEST(Focus, HandlersThatBounceForeverStillEnd) {
  FocusLog f;
  int calls = 0;
  f.top.SetProcedure([&](UINT msg, WPARAM wp, LPARAM) -> LRESULT {
    if (msg == WM_COMMAND && HIWORD(wp) == EN_KILLFOCUS) {
      ++calls;
      Window* self = f.top.Child(LOWORD(wp));
      self->SetFocusTo(self);
    }
    return 0;
  });
  f.top.SetFocusTo(f.e1);
  f.top.SetFocusTo(f.e2);
  EXPECT_GT(calls, 1);
  EXPECT_LE(calls, 64);
  ASSERT_NE(f.top.Focus(), nullptr);
  EXPECT_TRUE(f.top.Focus() == f.e1 || f.top.Focus() == f.e2);
  // Afterwards the focus changes and notifies as before.
  calls = 0;
  f.top.SetProcedure([&](UINT msg, WPARAM, LPARAM) -> LRESULT {
    calls += msg == WM_COMMAND;
    return 0;
  });
  f.top.SetFocusTo(f.bt);
  EXPECT_EQ(calls, 1);
}

TEST(SortedListBox, TakesAHundredThousandLines) {
  Window w(WindowKind::ListBox, 1004, LBS_SORT, RECT{0, 0, 10, 10}, "", nullptr);
  char buf[16];
  for (unsigned i = 0; i < 100000; ++i) {
    std::snprintf(buf, sizeof buf, "R%06u", (i * 7919u) % 100000u);
    w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(buf));
  }
  ASSERT_EQ(w.ItemCount(), 100000u);
  for (std::size_t i = 1; i < w.ItemCount(); i += 997)
    EXPECT_LE(platform::CompareListText(w.Item(i - 1), w.Item(i)), 0);
  EXPECT_EQ(w.Item(0), "R000000");
  EXPECT_EQ(w.Item(99999), "R099999");
}

// Item data belongs to its line: sorted inserts before it (enough to split the storage) move
// the line and its value together; equal texts keep their own values.
TEST(SortedListBox, ItemDataFollowsItsLine) {
  Window w(WindowKind::ListBox, 1004, LBS_SORT, RECT{0, 0, 10, 10}, "", nullptr);
  auto add = [&](const std::string& text, LPARAM data) {
    const LRESULT at = w.Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_EQ(w.Send(LB_GETITEMDATA, static_cast<WPARAM>(at), 0), 0) << "a new line holds 0";
    EXPECT_EQ(w.Send(LB_SETITEMDATA, static_cast<WPARAM>(at), data), TRUE);
  };
  add("Twin", 1);
  add("Twin", 2);
  for (int i = 0; i < 300; ++i) add("A" + std::to_string(1000 + i), 100 + i);
  ASSERT_EQ(w.Send(LB_GETCOUNT, 0, 0), 302);
  for (int i = 0; i < 300; ++i)
    EXPECT_EQ(w.Send(LB_GETITEMDATA, static_cast<WPARAM>(i), 0), 100 + i) << i;
  // The later "Twin" went before the earlier one.
  EXPECT_EQ(w.Send(LB_GETITEMDATA, 300, 0), 2);
  EXPECT_EQ(w.Send(LB_GETITEMDATA, 301, 0), 1);

  const WPARAM outside[] = {302, static_cast<WPARAM>(INT_PTR{-2})};
  for (WPARAM index : outside) {
    EXPECT_EQ(w.Send(LB_GETITEMDATA, index, 0), LB_ERR);
    EXPECT_EQ(w.Send(LB_SETITEMDATA, index, 5), LB_ERR);
  }
  EXPECT_EQ(w.Send(LB_SETITEMDATA, static_cast<WPARAM>(INT_PTR{-1}), 7), TRUE);
  EXPECT_EQ(w.Send(LB_GETITEMDATA, 0, 0), 7);
  EXPECT_EQ(w.Send(LB_GETITEMDATA, 301, 0), 7);
  w.Send(LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(w.Send(LB_GETITEMDATA, 0, 0), LB_ERR);
  add("Again", 9);
  EXPECT_EQ(w.Send(LB_GETITEMDATA, 0, 0), 9);
}

TEST(IpAddressControl, FieldsAndAddress) {
  Window w(WindowKind::IpAddress, 1007, WS_TABSTOP, RECT{0, 0, 10, 10}, "", nullptr);
  DWORD v = 0xFFFFFFFF;
  EXPECT_EQ(w.Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&v)), 0);
  EXPECT_EQ(v, 0u);
  w.Send(IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(192, 168, 0, 1)));
  EXPECT_EQ(w.Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&v)), 4);
  EXPECT_EQ(v, 0xC0A80001u);
  char text[32];
  w.Send(WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "192.168.0.1");
  // A user's entry with a blank field: blank counts as 0, the count says 3.
  w.SetIpFieldsByUser({10, std::nullopt, 300, 7});
  EXPECT_EQ(w.Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&v)), 3);
  EXPECT_EQ(v, MAKEIPADDRESS(10, 0, 255, 7));
  w.Send(WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "10.0.255.7");  // a blank field reads as 0
  w.Send(IPM_CLEARADDRESS, 0, 0);
  EXPECT_EQ(w.Send(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&v)), 0);
  EXPECT_EQ(v, 0u);
  w.Send(WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "0.0.0.0");
  EXPECT_EQ(w.Send(IPM_ISBLANK, 0, 0), 1);
}

TEST(Edit, TextIntoAnNByteBufferKeepsNMinusOne) {
  Window w(WindowKind::Edit, 1049, WS_TABSTOP, RECT{0, 0, 10, 10}, "", nullptr);
  std::string forty(40, 'x');
  w.Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(forty.c_str()));
  char buf[32];
  EXPECT_EQ(w.Send(WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 31);
  EXPECT_EQ(std::string(buf), std::string(31, 'x'));
  EXPECT_EQ(w.Send(WM_GETTEXTLENGTH, 0, 0), 40);
}

TEST(StatusBar, PartsKeepTheirTexts) {
  Window w(WindowKind::StatusBar, 2, WS_VISIBLE, RECT{0, 0, 700, 20}, "", nullptr);
  int edges[2] = {220, -1};
  w.Send(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  w.Send(SB_SETTEXT, 0, reinterpret_cast<LPARAM>("zero"));
  w.Send(SB_SETTEXT, 1 | (0 << 8), reinterpret_cast<LPARAM>("one"));
  EXPECT_EQ(w.PartEdges(), (std::vector<int>{220, -1}));
  EXPECT_EQ(w.PartText(0), "zero");
  EXPECT_EQ(w.PartText(1), "one");
  w.Send(SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  EXPECT_EQ(w.PartText(1), "one");
}

// The list storage against a plain vector: the same operations give the same sequence.
TEST(ItemList, MatchesAPlainVectorUnderRandomEdits) {
  platform::ItemList list;
  std::vector<std::string> model;
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  for (int step = 0; step < 20000; ++step) {
    unsigned r = next();
    if (model.empty() || r % 4 != 0) {
      std::size_t at = model.empty() ? 0 : (next() % (model.size() + 1));
      std::string text = "t" + std::to_string(step);
      list.insert(at, text);
      model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), text);
    } else {
      std::size_t at = next() % model.size();
      list.erase(at);
      model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ASSERT_EQ(list.size(), model.size());
    if (step % 1000 == 0) {
      ASSERT_EQ(list.ToVector(), model);
      for (std::size_t i = 0; i < model.size(); i += 37) ASSERT_EQ(list[i], model[i]);
    }
  }
  EXPECT_EQ(list.ToVector(), model);
  list.clear();
  EXPECT_TRUE(list.empty());
  list.insert(0, "again");
  EXPECT_EQ(list[0], "again");
}
