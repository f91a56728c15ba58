#include "platform/ListBox.h"

#include "platform/MessageParams.h"
#include "platform/Window.h"

namespace platform {
namespace {

int CharClass(unsigned char c) {
  if (c >= '0' && c <= '9') return 1;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80) return 2;
  return 0;  // space, underscore and other punctuation
}

// Order among punctuation: the word sort puts the plus, less-than, equals and greater-than
// signs after the other punctuation (after the tilde, before the digits); the rest in byte order.
int PunctuationRank(unsigned char c) {
  switch (c) {
    case '+':
      return 0x80;
    case '<':
      return 0x81;
    case '=':
      return 0x82;
    case '>':
      return 0x83;
    default:
      return c;
  }
}

// Lower case of ASCII letters only: list texts are 8-bit code page 936 bytes, whose lead and trail
// bytes must never be changed by a locale's idea of case.
int AsciiLower(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int Count(const ListBoxState& list) {
  return static_cast<int>(list.items.size());
}

bool Inside(const ListBoxState& list, int index) {
  return index >= 0 && index < Count(list);
}

const std::string& ItemAt(const ListBoxState& list, int index) {
  return list.items[static_cast<std::size_t>(index)];
}

// Where a sorted list takes a new text: a binary search over [lo, hi] with the midpoint rounded
// down; an equal text goes before the equal item it lands on (which of several equal items that
// is depends on this midpoint).
int SortedPosition(const ListBoxState& list, const std::string& text) {
  int lo = 0, hi = Count(list) - 1;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareListText(ItemAt(list, mid), text);
    if (c == 0) return mid;
    if (c > 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return lo;
}

LRESULT InsertAt(Window& window, ListBoxState& list, int at, std::string text) {
  list.items.insert(static_cast<std::size_t>(at), std::move(text));
  if (list.selection >= at) ++list.selection;  // the selection moves with its item
  window.Invalidate();
  return at;
}

LRESULT AddString(Window& window, ListBoxState& list, std::string text) {
  const int at = list.sorted ? SortedPosition(list, text) : Count(list);
  return InsertAt(window, list, at, std::move(text));
}

// Never sorts, whatever the style: the position is the caller's; -1 appends.
LRESULT InsertString(Window& window, ListBoxState& list, int index, const char* text) {
  const int at = index == -1 ? Count(list) : index;
  if (at < 0 || at > Count(list)) return LB_ERR;
  return InsertAt(window, list, at, text);
}

// Returns the number of items left.
LRESULT DeleteString(Window& window, ListBoxState& list, int index) {
  if (!Inside(list, index)) return LB_ERR;
  list.items.erase(static_cast<std::size_t>(index));
  if (list.selection == index)
    list.selection = -1;
  else if (list.selection > index)
    --list.selection;
  window.Invalidate();
  return Count(list);
}

LRESULT ResetContent(Window& window, ListBoxState& list) {
  list.items.clear();
  list.selection = -1;
  window.Invalidate();
  return 0;
}

// -1 clears; another index outside the list keeps the selection. Both answer LB_ERR.
LRESULT SetCurSel(Window& window, ListBoxState& list, int index) {
  if (index == -1) {
    list.selection = -1;
    window.Invalidate();
    return LB_ERR;
  }
  if (!Inside(list, index)) return LB_ERR;
  list.selection = index;
  window.Invalidate();
  return index;
}

LRESULT GetCurSel(const ListBoxState& list) {
  return list.selection < 0 ? LB_ERR : list.selection;
}

LRESULT GetText(const ListBoxState& list, int index, char* buffer) {
  if (!Inside(list, index)) return LB_ERR;
  return CopyText(ItemAt(list, index), buffer, ItemAt(list, index).size() + 1);
}

LRESULT GetTextLen(const ListBoxState& list, int index) {
  if (!Inside(list, index)) return LB_ERR;
  return static_cast<LRESULT>(ItemAt(list, index).size());
}

// The first item that matches, beginning after `start`, wrapping around and checking the start
// item last; a start outside the list searches from item 0.
template <typename Match>
LRESULT Find(const ListBoxState& list, int start, Match matches) {
  const int count = Count(list);
  if (!Inside(list, start)) start = -1;
  for (int k = 1; k <= count; ++k) {
    const int i = (start + k) % count;
    if (matches(ItemAt(list, i))) return i;
  }
  return LB_ERR;
}

// A case-insensitive prefix; an empty text finds nothing.
LRESULT FindString(const ListBoxState& list, int start, const std::string& prefix) {
  if (prefix.empty()) return LB_ERR;
  return Find(list, start, [&](const std::string& item) { return StartsWithNoCase(item, prefix); });
}

// The whole text, case ignored.
LRESULT FindStringExact(const ListBoxState& list, int start, const std::string& text) {
  return Find(list, start, [&](const std::string& item) {
    return item.size() == text.size() && StartsWithNoCase(item, text);
  });
}

// The value stays with its item when sorted inserts move it; -1 sets every item.
LRESULT SetItemData(ListBoxState& list, int index, LPARAM value) {
  if (index == -1) {
    for (std::size_t i = 0; i < list.items.size(); ++i) list.items.set_data(i, value);
    return TRUE;
  }
  if (!Inside(list, index)) return LB_ERR;
  list.items.set_data(static_cast<std::size_t>(index), value);
  return TRUE;
}

LRESULT GetItemData(const ListBoxState& list, int index) {
  if (!Inside(list, index)) return LB_ERR;
  return list.items.data(static_cast<std::size_t>(index));
}

}  // namespace

int CompareListText(const std::string& a, const std::string& b) {
  auto skip = [](const std::string& s, std::size_t i) {
    while (i < s.size() && (s[i] == '-' || s[i] == '\'')) ++i;
    return i;
  };
  std::size_t i = skip(a, 0), j = skip(b, 0);
  while (i < a.size() && j < b.size()) {
    unsigned char p = static_cast<unsigned char>(a[i]), q = static_cast<unsigned char>(b[j]);
    int cp = CharClass(p), cq = CharClass(q);
    if (cp != cq) return cp < cq ? -1 : 1;
    int lp = cp == 0 ? PunctuationRank(p) : AsciiLower(p);
    int lq = cq == 0 ? PunctuationRank(q) : AsciiLower(q);
    if (lp != lq) return lp < lq ? -1 : 1;
    i = skip(a, i + 1);
    j = skip(b, j + 1);
  }
  if (i >= a.size() && j >= b.size()) return 0;
  return i >= a.size() ? -1 : 1;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(static_cast<unsigned char>(text[i])) !=
        AsciiLower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

LRESULT ListBoxProc(Window& window, ListBoxState& list, UINT msg, WPARAM wParam, LPARAM lParam) {
  const int index = IndexParam(wParam);
  switch (msg) {
    case LB_GETCOUNT:
      return Count(list);
    case LB_RESETCONTENT:
      return ResetContent(window, list);
    case LB_ADDSTRING:
      return AddString(window, list, TextParam(lParam));
    case LB_INSERTSTRING:
      return InsertString(window, list, index, TextParam(lParam));
    case LB_DELETESTRING:
      return DeleteString(window, list, index);
    case LB_SETCURSEL:
      return SetCurSel(window, list, index);
    case LB_GETCURSEL:
      return GetCurSel(list);
    case LB_GETTEXT:
      return GetText(list, index, reinterpret_cast<char*>(lParam));
    case LB_GETTEXTLEN:
      return GetTextLen(list, index);
    case LB_FINDSTRING:
      return FindString(list, index, TextParam(lParam));
    case LB_FINDSTRINGEXACT:
      return FindStringExact(list, index, TextParam(lParam));
    case LB_SETITEMDATA:
      return SetItemData(list, index, lParam);
    case LB_GETITEMDATA:
      return GetItemData(list, index);
    default:
      return window.DefWindowProc(msg, wParam, lParam);
  }
}

}  // namespace platform
