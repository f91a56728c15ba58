#include "tests/platform/fidelity/Probe.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Window.h"
#include "platform/afxwin.h"
#include "platform/kernel.h"

using platform::Window;
using platform::WindowKind;

namespace fidelity {
namespace {

class Printer {
 public:
  // Appends to the current line; a '\n' in the text ends it.
  void Printf(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char buffer[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    for (const char* p = buffer; *p; ++p) {
      if (*p == '\n') {
        lines_.push_back(current_);
        current_.clear();
      } else {
        current_ += *p;
      }
    }
  }
  void Hexdump(const char* tag, const unsigned char* p, std::size_t n) {
    Printf("%s:", tag);
    for (std::size_t i = 0; i < n; ++i) Printf(" %02x", p[i]);
    Printf("\n");
  }
  void Hexdump(const char* tag, const std::string& bytes) {
    Hexdump(tag, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  }
  void Wide(const char* tag, const char16_t* w, int n) {
    Printf("%s:", tag);
    for (int k = 0; k < n; ++k) Printf(" %04x", static_cast<unsigned>(w[k]));
    Printf("\n");
  }
  std::vector<std::string> Take() { return std::move(lines_); }

 private:
  std::vector<std::string> lines_;
  std::string current_;
};

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
  }
  return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

void WriteValue(const std::string& path, const char* value) {
  WriteFile(path, std::string("[themes]\r\nlanguage=") + value + "\r\n");
}

void Profile(Printer& out, const std::string& path) {
  std::remove(path.c_str());
  const char* p = path.c_str();
  out.Printf("int missing file: %u\n", GetPrivateProfileIntA("themes", "language", 7, p));
  WritePrivateProfileStringA("Version_Info", "Version", "20171001", p);
  WritePrivateProfileStringA("themes", "language", "2", p);
  out.Hexdump("file after two writes", ReadFile(path));
  out.Printf("read back: %u\n", GetPrivateProfileIntA("THEMES", "Language", 1, p));
  WritePrivateProfileStringA("themes", "language", "1", p);
  out.Hexdump("file after rewrite", ReadFile(path));
  const char* vals[] = {"",     " 2",  "-1",    "+1",      "4294967297", "42A", "B42",
                        "0x10", "'3'", "\"4\"", "8080 ;x", "  \t5",      "2 ",  "abc"};
  for (const char* v : vals) {
    WriteValue(path, v);
    out.Printf("int value [%s] default 9: %u\n", v,
               GetPrivateProfileIntA("themes", "language", 9, p));
  }
  WriteFile(path, "[ themes ]\r\n  language = 2\r\n");
  out.Printf("int spaced section/key: %u\n", GetPrivateProfileIntA("themes", "language", 9, p));
  WriteFile(path, "[themes]\nlanguage=2\n");
  out.Printf("int LF-only file: %u\n", GetPrivateProfileIntA("themes", "language", 9, p));
  WriteFile(path, "; comment\r\n[Other]\r\nx=1\r\n\r\n[themes]\r\nlanguage=2\r\n");
  WritePrivateProfileStringA("Version_Info", "Version", "20171001", p);
  WritePrivateProfileStringA("themes", "language", "1", p);
  out.Hexdump("existing file after writes", ReadFile(path));
  std::remove(p);
}

void TextMode(Printer& out, const std::string& path) {
  WriteFile(path, std::string("a,b\r\nc\r\rd\ne\x1a"
                              "f\n",
                              15));
  platform::TextModeFile f;
  f.Open(path.c_str());
  long size = f.Size();
  unsigned char buf[64];
  std::size_t n = f.Read(buf, sizeof buf);
  f.Close();
  out.Printf("text mode size %ld read %u\n", size, static_cast<unsigned>(n));
  out.Hexdump("text mode bytes", buf, n);
  std::remove(path.c_str());
}

void CodePages(Printer& out) {
  const char16_t w[] = {0x4E2D, 0xAC00, 0xD83D, 0xDE00, 0x20AC, 0x00E9, 0};
  char buf[32] = {};
  int n = WideCharToMultiByte(936, 0, w, -1, buf, sizeof buf, nullptr, nullptr);
  out.Hexdump("936 of U+4E2D U+AC00 U+1F600 U+20AC U+00E9", reinterpret_cast<unsigned char*>(buf),
              static_cast<std::size_t>(n));
  // "a", 0x80, "b": the hex escape ends where the literal does.
  const char* const aLoneContinuationB =
      "a\x80"
      "b";
  const char* bad[] = {aLoneContinuationB, "\xe4\xb8", "\xc0\x80", "\xed\xa0\x80"};
  for (int i = 0; i < 4; ++i) {
    char16_t ww[16] = {};
    int m = MultiByteToWideChar(65001, 0, bad[i], -1, ww, 16);
    out.Printf("utf8 bad %d ->", i);
    for (int k = 0; k < m; ++k) out.Printf(" %04x", static_cast<unsigned>(ww[k]));
    out.Printf("\n");
  }
  unsigned x = 0x99;
  int r = platform::CrtScanInteger("1g", 16, 2, &x);
  out.Printf("sscanf 1g: r=%d x=%02x\n", r, x);
  x = 0x99;
  r = platform::CrtScanInteger("g1", 16, 2, &x);
  out.Printf("sscanf g1: r=%d x=%02x\n", r, x);
  unsigned v = 0;
  r = platform::CrtScanInteger("  -12abc", 10, -1, &v);
  out.Printf("sscanf %%d '  -12abc': r=%d v=%d\n", r, static_cast<int>(v));
  r = platform::CrtScanInteger("", 10, -1, &v);
  out.Printf("sscanf %%d '': r=%d\n", r);
  auto atoi = [](const char* s) {
    unsigned value = 0;
    return platform::CrtScanInteger(s, 10, -1, &value) == 1 ? static_cast<int>(value) : 0;
  };
  out.Printf("atoi '115200'=%d '8'=%d 'NONE'=%d\n", atoi("115200"), atoi("8"), atoi("NONE"));
}

LRESULT Msg(Window* w, UINT msg, INT_PTR wp, LPARAM lp) {
  return w->Send(msg, static_cast<WPARAM>(wp), lp);
}

LPARAM Text(const char* s) {
  return reinterpret_cast<LPARAM>(s);
}

LPARAM Buf(void* p) {
  return reinterpret_cast<LPARAM>(p);
}

Window* Make(Window& top, WindowKind kind, DWORD style, int id) {
  return top.AddChild(kind, id, WS_CHILD | style, RECT{0, 0, 200, 200}, "");
}

void Controls(Printer& out) {
  Window top(WindowKind::Dialog, 0, 0, RECT{0, 0, 600, 400}, "top", nullptr);
  Window* cb = Make(top, WindowKind::ComboBox, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 1);
  const char* items[] = {"9600", "110", "1200", "115200", "ASCII"};
  for (int i = 0; i < 5; ++i) Msg(cb, CB_INSERTSTRING, i, Text(items[i]));
  char t[64];
  out.Printf("combo order:");
  for (int i = 0; i < 5; ++i) {
    Msg(cb, CB_GETLBTEXT, i, Buf(t));
    out.Printf(" %s", t);
  }
  out.Printf("\n");
  LRESULT i7 = Msg(cb, CB_INSERTSTRING, 7, Text("x"));
  LRESULT im2 = Msg(cb, CB_INSERTSTRING, -2, Text("x"));
  out.Printf("insert at 7 -> %d; insert at -2 -> %d\n", static_cast<int>(i7),
             static_cast<int>(im2));
  for (int bad : {9, -1, -5}) {
    Msg(cb, CB_SETCURSEL, 2, 0);
    LRESULT r = Msg(cb, CB_SETCURSEL, bad, 0);
    out.Printf("setcursel %d -> %d, getcursel %d\n", bad, static_cast<int>(r),
               static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));
  }
  const char* finds[] = {"11", "1152", "ascii", "", "96", "9"};
  for (const char* f : finds)
    out.Printf("findstring -1 '%s' -> %d\n", f,
               static_cast<int>(Msg(cb, CB_FINDSTRING, -1, Text(f))));
  out.Printf("findstring start 3 '1' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRING, 3, Text("1"))));
  Msg(cb, CB_SETCURSEL, 1, 0);
  Msg(cb, CB_INSERTSTRING, 0, Text("first"));
  out.Printf("insert before selection: getcursel %d\n",
             static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));
  Msg(cb, CB_RESETCONTENT, 0, 0);
  out.Printf("after reset: count %d getcursel %d\n", static_cast<int>(Msg(cb, CB_GETCOUNT, 0, 0)),
             static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));

  Window* lb = Make(top, WindowKind::ListBox, LBS_NOTIFY | LBS_SORT | WS_VSCROLL, 2);
  const char* labels[] = {"R-b", "r-a", "R-10", "R-2", "DUP", "dup", "Reader", "reader",
                          "R_1", "R1",  "Z",    "a",   "B",   "R a", "R-ab"};
  for (const char* l : labels) Msg(lb, LB_ADDSTRING, 0, Text(l));
  out.Printf("listbox order:");
  int cnt = static_cast<int>(Msg(lb, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < cnt; ++i) {
    Msg(lb, LB_GETTEXT, i, Buf(t));
    out.Printf(" [%s]", t);
  }
  out.Printf("\n");
  out.Printf("listbox getcursel none %d\n", static_cast<int>(Msg(lb, LB_GETCURSEL, 0, 0)));

  Window* ip = Make(top, WindowKind::IpAddress, 0, 3);
  DWORD a = 0;
  int k = static_cast<int>(Msg(ip, IPM_GETADDRESS, 0, Buf(&a)));
  out.Printf("ip new: getaddress %d value %08lx\n", k, static_cast<unsigned long>(a));
  Msg(ip, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(192, 168, 0, 1)));
  Msg(ip, WM_GETTEXT, 64, Buf(t));
  k = static_cast<int>(Msg(ip, IPM_GETADDRESS, 0, Buf(&a)));
  out.Printf("ip set 192.168.0.1: getaddress %d value %08lx text %s\n", k,
             static_cast<unsigned long>(a), t);
  Msg(ip, IPM_CLEARADDRESS, 0, 0);
  k = static_cast<int>(Msg(ip, IPM_GETADDRESS, 0, Buf(&a)));
  out.Printf("ip cleared: getaddress %d value %08lx\n", k, static_cast<unsigned long>(a));

  Window* ed = Make(top, WindowKind::Edit, ES_AUTOHSCROLL, 4);
  Msg(ed, WM_SETTEXT, 0, Text("0123456789012345678901234567890123456789"));
  int got = static_cast<int>(Msg(ed, WM_GETTEXT, 32, Buf(t)));
  out.Printf("edit 40 chars into 32: got %d len %u\n", got, static_cast<unsigned>(std::strlen(t)));

  Window* sb =
      top.AddChild(WindowKind::StatusBar, 2, WS_CHILD | WS_VISIBLE, RECT{0, 0, 600, 20}, "");
  int edges[2] = {220, -1};
  Msg(sb, SB_SETPARTS, 2, Buf(edges));
  // Part 0 starts at x = 0 and ends at its right edge.
  out.Printf("status part0 rect %ld..%ld\n", 0L, static_cast<long>(sb->PartEdges().at(0)));
}

// Extended questions.

void ProfileExt(Printer& out, const std::string& path) {
  const char* p = path.c_str();
  const char* vals[] = {" 12",   "-3",  "99999999999", "0b11", "0o17",
                        "0X1A",  "1 2", "+-1",         "12;c", "'5",
                        "\"6'",  "007", "   ",         "=5",   "000000000000000000000000000000005",
                        "\t7\t", "- 5", "2147483648"};
  for (const char* v : vals) {
    WriteValue(path, v);
    out.Printf("x int value [%s] default 9: %u\n", v,
               GetPrivateProfileIntA("themes", "language", 9, p));
  }
  struct {
    const char *name, *bytes;
  } layouts[] = {
      {"key without =", "[themes]\r\nlanguage\r\n"},
      {"duplicate key", "[themes]\r\nlanguage=3\r\nlanguage=4\r\n"},
      {"key in second same-named section", "[themes]\r\nx=1\r\n[themes]\r\nlanguage=3\r\n"},
      {"both sections have key", "[themes]\r\nlanguage=5\r\n[themes]\r\nlanguage=3\r\n"},
      {"tabs around key", "[themes]\r\n\tlanguage\t=\t6\r\n"},
      {"comment after header", "[themes] ; c\r\nlanguage=2\r\n"},
      {"header without ]", "[themes\r\nlanguage=2\r\n"},
      {"commented key", "[themes]\r\n;language=2\r\n"},
      {"CR-only line ends", "[themes]\rlanguage=2\r"},
      {"UTF-8 BOM", "\xEF\xBB\xBF[themes]\r\nlanguage=2\r\n"},
      {"no final newline", "[themes]\r\nlanguage=2"},
  };
  for (const auto& l : layouts) {
    WriteFile(path, l.bytes);
    out.Printf("x int layout %s: %u\n", l.name, GetPrivateProfileIntA("themes", "language", 9, p));
  }
  struct {
    const char *name, *bytes, *sec, *key, *val;
  } writes[] = {
      {"rewrite odd spelling", "[THEMES]\r\n  Language = 7\r\n", "themes", "language", "1"},
      {"append after no final newline", "[themes]\r\nlanguage=2", "Version_Info", "Version",
       "20171001"},
      {"rewrite in LF file", "[themes]\nlanguage=2\nx=1\n", "themes", "language", "1"},
      {"new key before blank line", "[themes]\r\nx=1\r\n\r\n[Other]\r\ny=2\r\n", "themes",
       "language", "1"},
      {"rewrite keeps comment lines", "[themes]\r\n; c\r\nlanguage=2\r\n", "themes", "language",
       "3"},
      {"rewrite value with spaces", "[themes]\r\nlanguage=2\r\n", "themes", "language", " 4 "},
  };
  for (const auto& w : writes) {
    WriteFile(path, w.bytes);
    BOOL ok = WritePrivateProfileStringA(w.sec, w.key, w.val, p);
    char tag[128];
    std::snprintf(tag, sizeof tag, "x write %s (ret %d)", w.name, ok ? 1 : 0);
    out.Hexdump(tag, ReadFile(path));
  }
  std::remove(p);
}

void TextModeExt(Printer& out, const std::string& path) {
  const std::string cases[] = {std::string("a\r", 2),
                               std::string("a\r\x1a"
                                           "b",
                                           4),
                               std::string("\r\r\n", 3),
                               std::string("\x1a"
                                           "abc",
                                           4),
                               std::string("x\r\n\r\ny", 6),
                               std::string("\xd6\xd0,\xce\xc4\r\n", 7)};
  unsigned i = 0;
  for (const std::string& c : cases) {
    WriteFile(path, c);
    platform::TextModeFile f;
    f.Open(path.c_str());
    long size = f.Size();
    unsigned char buf[64];
    std::size_t n = f.Read(buf, sizeof buf);
    f.Close();
    char tag[64];
    std::snprintf(tag, sizeof tag, "x text case %u size %ld read %u", i++, size,
                  static_cast<unsigned>(n));
    out.Hexdump(tag, buf, n);
  }
  std::remove(path.c_str());
}

void CodePageExt(Printer& out) {
  const char16_t w1[] = {0x00B7, 0x2014, 0xFF0C, 0x3000, 0x2026, 0x00A0, 0xFFFD, 0xD800, 0x0041, 0};
  char buf[64] = {};
  int n = WideCharToMultiByte(936, 0, w1, -1, buf, sizeof buf, nullptr, nullptr);
  out.Hexdump("x 936 of B7 2014 FF0C 3000 2026 A0 FFFD D800 41",
              reinterpret_cast<unsigned char*>(buf), static_cast<std::size_t>(n));
  const char* mb[] = {"\x81\x30\x81\x30", "\xd6",         "\x80",     "\xff",
                      "\xa1\xa1",         "\xd6\xd0\x41", "\xa1\x7f", "\xfe\xfe"};
  for (int i = 0; i < 8; ++i) {
    char16_t ww[16] = {};
    int m = MultiByteToWideChar(936, 0, mb[i], -1, ww, 16);
    char tag[32];
    std::snprintf(tag, sizeof tag, "x 936 to wide %d", i);
    out.Wide(tag, ww, m);
  }
  const char16_t w2[] = {0xD800, 0x0041, 0xD83D, 0xDE00, 0xDC00, 0};
  n = WideCharToMultiByte(65001, 0, w2, -1, buf, sizeof buf, nullptr, nullptr);
  out.Hexdump("x utf8 of D800 41 D83D-DE00 DC00", reinterpret_cast<unsigned char*>(buf),
              static_cast<std::size_t>(n));
  const char* bad[] = {"\xf4\x90\x80\x80", "\xef\xbf\xbe", "\xe4\xb8\xadx", "\xf0\x9f\x98"};
  for (int i = 0; i < 4; ++i) {
    char16_t ww[16] = {};
    int m = MultiByteToWideChar(65001, 0, bad[i], -1, ww, 16);
    char tag[32];
    std::snprintf(tag, sizeof tag, "x utf8 more %d", i);
    out.Wide(tag, ww, m);
  }
  out.Printf("x utf8 size query 'a\\x80b': %d\n", MultiByteToWideChar(65001, 0,
                                                                      "a\x80"
                                                                      "b",
                                                                      -1, nullptr, 0));
  const char16_t w3[] = {0x4E2D, 0x6587, 0};
  out.Printf("x 936 size query U+4E2D U+6587: %d\n",
             WideCharToMultiByte(936, 0, w3, -1, nullptr, 0, nullptr, nullptr));
}

void ScanfExt(Printer& out) {
  const char* hx[] = {"0x", "0x1F", "x1", "-1", "+f", " 1b", "fF", "1", "", "\xd6\xd0"};
  for (const char* h : hx) {
    unsigned x = 0x99;
    int r = platform::CrtScanInteger(h, 16, 2, &x);
    out.Printf("x sscanf %%2x '%s': r=%d x=%02x\n", h, r, x);
  }
}

// MFC's DDX_Text for an int, through the framework's own exchange on an edit of a dialog.
void DdxInt(Printer& out, CWnd& dialog, Window* ed, const char* text) {
  ed->Send(WM_SETTEXT, 0, Text(text));
  int v = 12345;
  bool ok = true;
  CDataExchange dx(&dialog, TRUE);
  try {
    DDX_Text(&dx, ed->Id(), v);
  } catch (const CUserException&) {
    ok = false;
  }
  if (ok)
    out.Printf("x ddx int '%s': ok v=%d\n", text, v);
  else
    out.Printf("x ddx int '%s': fail\n", text);
}

struct FocusState {
  Window* top = nullptr;
  std::string log;
  bool bounce = false;
  int kills = 0;
};

void ControlsExt(Printer& out) {
  FocusState focus;
  Window top(WindowKind::Dialog, 0, WS_VISIBLE, RECT{0, 0, 600, 400}, "top", nullptr);
  focus.top = &top;
  top.SetProcedure([&focus](UINT msg, WPARAM wp, LPARAM) -> LRESULT {
    if (msg == WM_COMMAND && (HIWORD(wp) == EN_SETFOCUS || HIWORD(wp) == EN_KILLFOCUS)) {
      Window* f = focus.top->Focus();
      char e[64];
      std::snprintf(e, sizeof e, " %s(%d,focus=%d)", HIWORD(wp) == EN_SETFOCUS ? "SET" : "KILL",
                    LOWORD(wp), f ? f->Id() : 0);
      focus.log += e;
      if (focus.bounce && HIWORD(wp) == EN_KILLFOCUS && LOWORD(wp) == 21 && focus.kills < 3) {
        ++focus.kills;
        focus.top->SetFocusTo(focus.top->Child(21));
        focus.log += " back";
      }
    }
    return 0;
  });
  char t[128];

  Window* cb = Make(top, WindowKind::ComboBox, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 11);
  const char* items[] = {"9600", "110", "1200", "115200", "ASCII"};
  for (int i = 0; i < 5; ++i) Msg(cb, CB_INSERTSTRING, i, Text(items[i]));
  out.Printf("x combo getlbtextlen:");
  for (int i = -1; i <= 5; ++i) out.Printf(" %d", static_cast<int>(Msg(cb, CB_GETLBTEXTLEN, i, 0)));
  out.Printf("\n");
  t[0] = 'Q';
  t[1] = 0;
  int r3 = static_cast<int>(Msg(cb, CB_GETLBTEXT, 3, Buf(t)));
  out.Printf("x combo getlbtext 3 -> %d '%s'\n", r3, t);
  std::strcpy(t, "keep");
  int r9 = static_cast<int>(Msg(cb, CB_GETLBTEXT, 9, Buf(t)));
  out.Printf("x combo getlbtext 9 -> %d '%s'\n", r9, t);
  out.Printf("x findstring start 4 '9' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRING, 4, Text("9"))));
  out.Printf("x findstring start 5 '1' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRING, 5, Text("1"))));
  out.Printf("x findstring start 99 'A' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRING, 99, Text("A"))));
  out.Printf("x findstring start 0 '9600' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRING, 0, Text("9600"))));
  out.Printf("x findstring -1 '115200 ' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRING, -1, Text("115200 "))));
  out.Printf("x findstringexact -1 '1200' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRINGEXACT, -1, Text("1200"))));
  out.Printf("x findstringexact -1 'ascii' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRINGEXACT, -1, Text("ascii"))));
  out.Printf("x findstringexact -1 '12' -> %d\n",
             static_cast<int>(Msg(cb, CB_FINDSTRINGEXACT, -1, Text("12"))));
  Msg(cb, CB_SETCURSEL, 2, 0);
  int r5 = static_cast<int>(Msg(cb, CB_SETCURSEL, 5, 0));
  out.Printf("x setcursel count(5) -> %d, getcursel %d\n", r5,
             static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));
  Msg(cb, CB_SETCURSEL, 4, 0);
  int ra = static_cast<int>(Msg(cb, CB_INSERTSTRING, -1, Text("APPEND")));
  out.Printf("x insert -1 -> %d, count %d, getcursel %d\n", ra,
             static_cast<int>(Msg(cb, CB_GETCOUNT, 0, 0)),
             static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));
  int r4 = static_cast<int>(Msg(cb, CB_INSERTSTRING, 4, Text("AT4")));
  out.Printf("x insert at selected(4) -> %d, getcursel %d\n", r4,
             static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));
  Msg(cb, CB_RESETCONTENT, 0, 0);
  Msg(cb, CB_INSERTSTRING, 0, Text("one"));
  out.Printf("x after reset+insert: getcursel %d\n", static_cast<int>(Msg(cb, CB_GETCURSEL, 0, 0)));

  Window* cbs = Make(top, WindowKind::ComboBox, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL, 12);
  const char* adds[] = {"b", "DUP", "a", "dup", "B", "Dup"};
  out.Printf("x sorted combo addstring returns:");
  for (const char* s : adds)
    out.Printf(" %d", static_cast<int>(Msg(cbs, CB_ADDSTRING, 0, Text(s))));
  out.Printf("\nx sorted combo order:");
  for (int i = 0; i < 6; ++i) {
    Msg(cbs, CB_GETLBTEXT, i, Buf(t));
    out.Printf(" [%s]", t);
  }
  out.Printf("\n");

  Window* lb = Make(top, WindowKind::ListBox, LBS_NOTIFY | LBS_SORT | WS_VSCROLL, 13);
  const char* labels[] = {"192.168.0.10", "192.168.0.9", "192.168.0.100",
                          "10.0.0.1",     "192.168.1.2", "192.168.0.9"};
  out.Printf("x ip labels addstring returns:");
  for (const char* l : labels)
    out.Printf(" %d", static_cast<int>(Msg(lb, LB_ADDSTRING, 0, Text(l))));
  out.Printf("\nx ip labels order:");
  int cnt = static_cast<int>(Msg(lb, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < cnt; ++i) {
    Msg(lb, LB_GETTEXT, i, Buf(t));
    out.Printf(" [%s]", t);
  }
  out.Printf("\n");
  int s3 = static_cast<int>(Msg(lb, LB_SETCURSEL, 3, 0));
  int a0 = static_cast<int>(Msg(lb, LB_ADDSTRING, 0, Text("0.0.0.0")));
  out.Printf("x lb setcursel 3 -> %d; add before -> %d, getcursel %d\n", s3, a0,
             static_cast<int>(Msg(lb, LB_GETCURSEL, 0, 0)));
  int az = static_cast<int>(Msg(lb, LB_ADDSTRING, 0, Text("zz")));
  out.Printf("x lb add after -> %d, getcursel %d\n", az,
             static_cast<int>(Msg(lb, LB_GETCURSEL, 0, 0)));
  Msg(lb, LB_SETCURSEL, 2, 0);
  int s99 = static_cast<int>(Msg(lb, LB_SETCURSEL, 99, 0));
  out.Printf("x lb setcursel 99 -> %d, getcursel %d\n", s99,
             static_cast<int>(Msg(lb, LB_GETCURSEL, 0, 0)));
  Msg(lb, LB_SETCURSEL, 2, 0);
  int sm1 = static_cast<int>(Msg(lb, LB_SETCURSEL, -1, 0));
  out.Printf("x lb setcursel -1 -> %d, getcursel %d\n", sm1,
             static_cast<int>(Msg(lb, LB_GETCURSEL, 0, 0)));
  out.Printf("x lb gettextlen 0 -> %d, 99 -> %d\n", static_cast<int>(Msg(lb, LB_GETTEXTLEN, 0, 0)),
             static_cast<int>(Msg(lb, LB_GETTEXTLEN, 99, 0)));
  Msg(lb, LB_SETCURSEL, 1, 0);
  Msg(lb, LB_RESETCONTENT, 0, 0);
  out.Printf("x lb after reset: count %d getcursel %d\n",
             static_cast<int>(Msg(lb, LB_GETCOUNT, 0, 0)),
             static_cast<int>(Msg(lb, LB_GETCURSEL, 0, 0)));

  Window* lbp = Make(top, WindowKind::ListBox, LBS_NOTIFY | LBS_SORT | WS_VSCROLL, 14);
  const char* punct[] = {"R(1", "R.1", "R_1", "R 1", "R,1", "R@1",
                         "R+1", "R#1", "R1",  "R~1", "R/1", "R:1"};
  for (const char* s : punct) Msg(lbp, LB_ADDSTRING, 0, Text(s));
  out.Printf("x punctuation order:");
  for (int i = 0; i < 12; ++i) {
    Msg(lbp, LB_GETTEXT, i, Buf(t));
    out.Printf(" [%s]", t);
  }
  out.Printf("\n");
  Window* lbd = Make(top, WindowKind::ListBox, LBS_NOTIFY | LBS_SORT | WS_VSCROLL, 15);
  const char* dig[] = {"Reader 2", "Reader 10", "Reader-3", "reader2",
                       "Reader'1", "Reader",    "READER 1"};
  for (const char* s : dig) Msg(lbd, LB_ADDSTRING, 0, Text(s));
  out.Printf("x reader labels order:");
  for (int i = 0; i < 7; ++i) {
    Msg(lbd, LB_GETTEXT, i, Buf(t));
    out.Printf(" [%s]", t);
  }
  out.Printf("\n");

  Window* ip = Make(top, WindowKind::IpAddress, 0, 16);
  Msg(ip, WM_GETTEXT, 64, Buf(t));
  out.Printf("x ip new: isblank %d text '%s'\n", static_cast<int>(Msg(ip, IPM_ISBLANK, 0, 0)), t);
  Msg(ip, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(10, 0, 0, 255)));
  Msg(ip, WM_GETTEXT, 64, Buf(t));
  out.Printf("x ip set: isblank %d text '%s'\n", static_cast<int>(Msg(ip, IPM_ISBLANK, 0, 0)), t);
  Msg(ip, IPM_CLEARADDRESS, 0, 0);
  Msg(ip, WM_GETTEXT, 64, Buf(t));
  out.Printf("x ip cleared: isblank %d text '%s'\n", static_cast<int>(Msg(ip, IPM_ISBLANK, 0, 0)),
             t);
  Msg(ip, IPM_SETADDRESS, 0, 0);
  DWORD a = 1;
  int k = static_cast<int>(Msg(ip, IPM_GETADDRESS, 0, Buf(&a)));
  Msg(ip, WM_GETTEXT, 64, Buf(t));
  out.Printf("x ip set 0: getaddress %d value %08lx text '%s'\n", k, static_cast<unsigned long>(a),
             t);

  Window* ed = Make(top, WindowKind::Edit, ES_AUTOHSCROLL, 17);
  Msg(ed, WM_SETTEXT, 0, Text("0123456789012345678901234567890123456789"));
  t[0] = 'Q';
  int g1 = static_cast<int>(Msg(ed, WM_GETTEXT, 1, Buf(t)));
  out.Printf("x edit read size 1: got %d len %u; length %d\n", g1,
             static_cast<unsigned>(std::strlen(t)),
             static_cast<int>(Msg(ed, WM_GETTEXTLENGTH, 0, 0)));
  CWnd dialog;
  dialog.Attach(&top);
  const char* ints[] = {
      "99999999999", "2147483648",
      "-2147483649", "4294967296",
      " +7",         "- 5",
      "0x10",        "1e3",
      "\t-0",        "12abc",
      "abc",         "",
      "+",           "0000000000000000000000000000000000000000000000000000000000000000012"};
  for (const char* s : ints) DdxInt(out, dialog, ed, s);
  {
    int minimum = INT32_MIN;
    CDataExchange dx(&dialog, FALSE);
    DDX_Text(&dx, ed->Id(), minimum);
    Msg(ed, WM_GETTEXT, 64, Buf(t));
    out.Printf("x ddx write INT_MIN: '%s'\n", t);
  }

  Window* sb =
      top.AddChild(WindowKind::StatusBar, 18, WS_CHILD | WS_VISIBLE, RECT{0, 0, 600, 20}, "");
  Msg(sb, SB_SETTEXTA, 0, Text("zero"));
  int edges[2] = {220, -1};
  Msg(sb, SB_SETPARTS, 2, Buf(edges));
  Msg(sb, SB_SETTEXTA, 1, Text("abc"));
  int gotParts[4] = {};
  int np = static_cast<int>(Msg(sb, SB_GETPARTS, 4, Buf(gotParts)));
  out.Printf("x status getparts %d edges %d %d\n", np, gotParts[0], gotParts[1]);
  t[0] = 0;
  LRESULT l0 = Msg(sb, SB_GETTEXTA, 0, Buf(t));
  out.Printf("x status part0 after setparts: ret %08lx '%s'\n", static_cast<unsigned long>(l0), t);
  t[0] = 0;
  LRESULT l1 = Msg(sb, SB_GETTEXTA, 1, Buf(t));
  out.Printf("x status part1: ret %08lx '%s' len %d\n", static_cast<unsigned long>(l1), t,
             static_cast<int>(Msg(sb, SB_GETTEXTLENGTHA, 1, 0)));

  Window* e1 = Make(top, WindowKind::Edit, ES_AUTOHSCROLL | WS_VISIBLE, 21);
  Window* e2 = Make(top, WindowKind::Edit, ES_AUTOHSCROLL | WS_VISIBLE, 22);
  Window* bt = Make(top, WindowKind::Button, BS_PUSHBUTTON | WS_VISIBLE, 23);
  top.SetFocusTo(nullptr);
  focus.log.clear();
  top.SetFocusTo(e1);
  focus.log += " |";
  top.SetFocusTo(e2);
  focus.log += " |";
  top.SetFocusTo(bt);
  focus.log += " | pump:";  // nothing waits: every notification was sent
  out.Printf("x focus log:%s\n", focus.log.c_str());
  top.SetFocusTo(e1);
  focus.log.clear();
  focus.bounce = true;
  focus.kills = 0;
  top.SetFocusTo(e2);
  focus.log += " | pump:";
  focus.bounce = false;
  Window* ff = top.Focus();
  out.Printf("x focus bounce log:%s; final focus %d\n", focus.log.c_str(), ff ? ff->Id() : 0);
  dialog.Detach();
}

}  // namespace

std::vector<std::string> RunProbe(const std::string& folder) {
  Printer out;
  const std::string ini = folder + "/probe-config.ini";
  const std::string csv = folder + "/probe-text.csv";
  Profile(out, ini);
  TextMode(out, csv);
  CodePages(out);
  Controls(out);
  ProfileExt(out, ini);
  TextModeExt(out, csv);
  CodePageExt(out);
  ScanfExt(out);
  ControlsExt(out);
  return out.Take();
}

}  // namespace fidelity
