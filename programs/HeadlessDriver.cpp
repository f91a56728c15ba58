#include "programs/HeadlessDriver.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "app/resource.h"
#include "params/CodePage.h"
#include "platform/MessageLoop.h"
#include "platform/UserInput.h"
#include "platform/afxwin.h"
#include "programs/HeadlessReplies.h"
#include "programs/JsonLine.h"
#include "protocol/HexDump.h"

namespace headless {

namespace {

using platform::InputResult;
using platform::Window;
using platform::WindowKind;

std::string BadArguments(const std::string& verb) {
  return Fail("bad arguments for " + verb);
}

std::string Refusal(InputResult r) {
  return Fail(platform::InputResultName(r));
}

std::optional<int> ParseInt(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < -2147483647L - 1 || v > 2147483647L) return std::nullopt;
  return static_cast<int>(v);
}

// "192..0.1": four fields, an empty one blank.
std::optional<Window::IpFields> ParseIp(const std::string& text) {
  Window::IpFields fields{};
  std::size_t start = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const std::size_t dot = text.find('.', start);
    if ((i < 3) != (dot != std::string::npos)) return std::nullopt;
    const std::string part = text.substr(start, i < 3 ? dot - start : std::string::npos);
    if (!part.empty()) {
      auto v = ParseInt(part);
      if (!v || *v < 0) return std::nullopt;
      fields[i] = *v;
    }
    start = dot + 1;
  }
  return fields;
}

// The form of a command's arguments; a line whose words do not fit it is refused as "bad
// arguments" before the handler runs.
struct Arguments {
  int words;            // how many follow the verb; -1: any number, not checked
  std::size_t numbers;  // how many of the first ones must be integers
};
constexpr Arguments kAny{-1, 0};
constexpr Arguments kNumber{1, 1};
constexpr Arguments kTwoNumbers{2, 2};
constexpr Arguments kNumberAndWord{2, 1};
constexpr Arguments kWord{1, 0};

}  // namespace

struct Driver::Request {
  std::string line;
  std::string verb;
  std::vector<std::string> words;  // after the verb
  std::array<int, 2> number{};     // the integers the form of the arguments holds
  bool* stop = nullptr;            // set by quit
};

UINT DriverHost::TrackPopupMenu(const platform::MenuObject& menu, UINT flags, POINT screen,
                                HWND owner) {
  if (!chooser_) return platform::HeadlessHost::TrackPopupMenu(menu, flags, screen, owner);
  return chooser_(menu);
}

std::optional<std::string> DriverHost::ChooseFile(const platform::FileChoice& choice, HWND owner) {
  if (!fileAnswer_) return platform::HeadlessHost::ChooseFile(choice, owner);
  return fileAnswer_(choice);
}

Driver::Driver(platform::MessageLoop& loop, DriverHost& host, std::istream& in, std::ostream& out)
    : loop_(loop), host_(host), in_(in), out_(out) {
  host_.SetChooser([this](const platform::MenuObject& menu) { return ChooseFromMenu(menu); });
  host_.SetFileAnswer([this](const platform::FileChoice& choice) { return ChooseFile(choice); });
}

void Driver::Idle() {
  loop_.RunUntilIdle();
}

std::optional<std::string> Driver::ReadLine() {
  std::string line;
  if (!std::getline(in_, line)) {
    inputEnded_ = true;
    return std::nullopt;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

UINT Driver::ChooseFromMenu(const platform::MenuObject& menu) {
  popupShown_ = true;
  Json items = Json::array();
  for (const auto& item : menu.items) {
    Json one;
    if (item.separator) {
      one["separator"] = true;
      items.push_back(one);
      continue;
    }
    one["command"] = item.id;
    PutText(one, "text", item.text);
    one["checked"] = item.checked;
    one["radio"] = item.radio;
    one["enabled"] = item.enabled;
    items.push_back(one);
  }
  Json listing = Ok();
  listing["menu"] = items;
  out_ << programs::JsonLine(listing) << std::endl;

  const std::optional<std::string> line = ReadLine();
  if (!line) return 0;
  std::istringstream words(*line);
  std::string verb, choice, extra;
  words >> verb >> choice;
  if (verb != "menu" || choice.empty() || (words >> extra)) {
    laterReplies_.push_back(
        Fail("a popup menu is open: expected \"menu CMD\" or \"menu none\"; it closed"));
    return 0;
  }
  Json chosen = Ok();
  if (choice == "none") {
    chosen["command"] = nullptr;
    laterReplies_.push_back(programs::JsonLine(chosen));
    return 0;
  }
  auto id = ParseInt(choice);
  if (!id || *id <= 0) {
    laterReplies_.push_back(Fail("not a menu command: " + choice + "; the menu closed"));
    return 0;
  }
  bool found = false;
  for (const auto& item : menu.items)
    found = found || (!item.separator && static_cast<int>(item.id) == *id);
  if (!found) {
    laterReplies_.push_back(Fail("the menu has no command " + choice + "; it closed"));
    return 0;
  }
  chosen["command"] = *id;
  laterReplies_.push_back(programs::JsonLine(chosen));
  return static_cast<UINT>(*id);
}

std::optional<std::string> Driver::ChooseFile(const platform::FileChoice& choice) {
  Json shown;
  shown["save"] = choice.save;
  PutText(shown, "title", choice.title);
  PutText(shown, "filter", choice.filterName);
  shown["pattern"] = choice.pattern;
  shown["suggested"] = choice.suggestedName;
  Json listing = Ok();
  listing["file_chooser"] = shown;
  out_ << programs::JsonLine(listing) << std::endl;

  const std::optional<std::string> line = ReadLine();
  if (!line) return std::nullopt;
  // "file PATH": the path is the rest of the line after one space, blanks and all.
  static const std::string kVerb = "file ";
  if (line->compare(0, kVerb.size(), kVerb) != 0 || line->size() == kVerb.size()) {
    laterReplies_.push_back(Fail(
        "a file chooser is open: expected \"file PATH\" or \"file cancel\"; it was cancelled"));
    return std::nullopt;
  }
  const std::string path = line->substr(kVerb.size());
  Json chosen = Ok();
  if (path == "cancel") {
    chosen["file"] = nullptr;
    laterReplies_.push_back(programs::JsonLine(chosen));
    return std::nullopt;
  }
  chosen["file"] = path;
  laterReplies_.push_back(programs::JsonLine(chosen));
  return path;
}

bool Driver::Step(CDialog& dialog) {
  started_ = true;
  if (inputEnded_ || dialog.Ended()) return false;
  std::string line;
  if (!std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  bool stop = false;
  const std::string reply = Execute(dialog, line, &stop);
  if (!reply.empty()) out_ << reply << std::endl;
  for (const std::string& later : laterReplies_) out_ << later << std::endl;
  laterReplies_.clear();
  return !stop && !inputEnded_ && !dialog.Ended();
}

std::string Driver::Execute(CDialog& dialog, const std::string& line, bool* stop) {
  struct Command {
    const char* verb;
    Arguments arguments;
    Handler handler;
  };
  static const Command kCommands[] = {
      {"quit", kAny, &Driver::Quit},
      {"click", kNumber, &Driver::Click},
      {"focus", kNumber, &Driver::Focus},
      {"dblclick", kNumber, &Driver::DoubleClick},
      {"notify", kTwoNumbers, &Driver::Notify},
      {"select", kTwoNumbers, &Driver::Select},
      {"type", kAny, &Driver::Type},  // the text is the rest of the line, blanks and all
      {"ip", kNumberAndWord, &Driver::SetIp},
      {"rclick", kTwoNumbers, &Driver::RightClick},
      {"menu", kAny, &Driver::MenuWithoutPopup},
      {"file", kAny, &Driver::FileWithoutChooser},  // the path is the rest of the line
      {"key", kWord, &Driver::Key},
      {"pump", kNumber, &Driver::Pump},
      {"get", kNumber, &Driver::Get},
      {"status", kAny, &Driver::Status},
      {"title", kAny, &Driver::Title},
      {"trace", kAny, &Driver::Trace},
      {"msgbox", kAny, &Driver::MessageBoxes},
      {"dump", kAny, &Driver::Dump},
  };

  Request r;
  r.line = line;
  r.stop = stop;
  std::istringstream words(line);
  words >> r.verb;
  for (std::string w; words >> w;) r.words.push_back(w);
  if (r.verb.empty()) return Fail("empty command");
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return r.verb == c.verb; });
  if (command == std::end(kCommands)) return Fail("unknown command " + r.verb);

  const Arguments& form = command->arguments;
  if (form.words >= 0) {
    if (r.words.size() != static_cast<std::size_t>(form.words)) return BadArguments(r.verb);
    for (std::size_t i = 0; i < form.numbers; ++i) {
      const auto n = ParseInt(r.words[i]);
      if (!n) return BadArguments(r.verb);
      r.number[i] = *n;
    }
  }
  return (this->*command->handler)(dialog, r);
}

std::string Driver::Quit(CDialog&, const Request& r) {
  *r.stop = true;
  return Done();
}

std::string Driver::AfterInput(InputResult result) {
  if (result != InputResult::Ok) return Refusal(result);
  Idle();
  return Done();
}

std::string Driver::Click(CDialog& dialog, const Request& r) {
  return AfterInput(platform::UserClick(dialog.m_hWnd, r.number[0]));
}

std::string Driver::Focus(CDialog& dialog, const Request& r) {
  return AfterInput(platform::UserFocus(dialog.m_hWnd, r.number[0]));
}

std::string Driver::DoubleClick(CDialog& dialog, const Request& r) {
  return AfterInput(platform::UserDoubleClick(dialog.m_hWnd, r.number[0]));
}

std::string Driver::Notify(CDialog& dialog, const Request& r) {
  const int code = r.number[1];
  if (code < 0 || code > 0xFFFF) return BadArguments(r.verb);
  Window* w = dialog.m_hWnd->Child(r.number[0]);
  if (!w) return Fail("no such control");
  w->NotifyParent(static_cast<UINT>(code));
  Idle();
  return Done();
}

std::string Driver::Select(CDialog& dialog, const Request& r) {
  return AfterInput(platform::UserSelect(dialog.m_hWnd, r.number[0], r.number[1]));
}

std::string Driver::Type(CDialog& dialog, const Request& r) {
  // The text is the rest of the line after the identifier and one space.
  const std::string& line = r.line;
  const std::size_t idStart = line.find_first_not_of(' ', r.verb.size());
  if (idStart == std::string::npos) return BadArguments(r.verb);
  const std::size_t idEnd = line.find(' ', idStart);
  auto n = ParseInt(
      line.substr(idStart, idEnd == std::string::npos ? std::string::npos : idEnd - idStart));
  if (!n) return BadArguments(r.verb);
  const std::string text = idEnd == std::string::npos ? std::string() : line.substr(idEnd + 1);
  return AfterInput(platform::UserType(dialog.m_hWnd, *n, Utf8ToAnsiString(text)));
}

std::string Driver::SetIp(CDialog& dialog, const Request& r) {
  auto fields = ParseIp(r.words[1]);
  if (!fields) return Fail("not an address A.B.C.D: " + r.words[1]);
  return AfterInput(platform::UserSetIp(dialog.m_hWnd, r.number[0], *fields));
}

std::string Driver::RightClick(CDialog& dialog, const Request& r) {
  popupShown_ = false;
  const InputResult result = platform::UserRightClick(
      dialog.m_hWnd, POINT{r.number[0], r.number[1]}, host_.DialogBaseUnits());
  if (result != InputResult::Ok) return Refusal(result);
  Idle();
  // With a popup, its listing was the reply and the "menu" line's reply follows.
  if (popupShown_) return std::string();
  Json reply = Ok();
  reply["menu"] = nullptr;
  return programs::JsonLine(reply);
}

std::string Driver::MenuWithoutPopup(CDialog&, const Request&) {
  return Fail("no popup menu is open");
}

std::string Driver::FileWithoutChooser(CDialog&, const Request&) {
  return Fail("no file chooser is open");
}

std::string Driver::Key(CDialog& dialog, const Request& r) {
  if (r.words[0] == "enter") {
    platform::UserKeyEnter(dialog.m_hWnd);
  } else if (r.words[0] == "esc") {
    platform::UserKeyEscape(dialog.m_hWnd);
  } else {
    return BadArguments(r.verb);
  }
  Idle();
  Json reply = Ok();
  reply["ended"] = dialog.Ended();
  return programs::JsonLine(reply);
}

std::string Driver::Pump(CDialog&, const Request& r) {
  if (r.number[0] < 0) return BadArguments(r.verb);
  loop_.RunFor(std::chrono::milliseconds(r.number[0]));
  Idle();
  return Done();
}

std::string Driver::Get(CDialog& dialog, const Request& r) {
  Window* w = dialog.m_hWnd->Child(r.number[0]);
  if (!w) return Fail("no such control");
  Json reply = Ok();
  PutControl(reply, *w);
  return programs::JsonLine(reply);
}

std::string Driver::Status(CDialog& dialog, const Request&) {
  Window* bar = dialog.m_hWnd->Child(IDC_STATUS_BAR);
  if (!bar) return Fail("no status bar");
  Json reply = Ok();
  PutText(reply, "part0", bar->PartText(0));
  PutText(reply, "part1", bar->PartText(1));
  return programs::JsonLine(reply);
}

std::string Driver::Title(CDialog& dialog, const Request&) {
  Json reply = Ok();
  PutText(reply, "title", dialog.m_hWnd->Text());
  return programs::JsonLine(reply);
}

std::string Driver::Trace(CDialog&, const Request&) {
  std::size_t dropped = 0;
  const std::vector<std::string> lines = trace_.Take(&dropped);
  Json reply = Ok();
  PutTexts(reply, "lines", lines);
  reply["dropped"] = dropped;
  return programs::JsonLine(reply);
}

std::string Driver::MessageBoxes(CDialog&, const Request&) {
  const auto& all = host_.MessageBoxes();
  const std::vector<std::string> boxes(all.begin() + static_cast<std::ptrdiff_t>(boxesTaken_),
                                       all.end());
  boxesTaken_ = all.size();
  Json reply = Ok();
  PutTexts(reply, "boxes", boxes);
  return programs::JsonLine(reply);
}

std::string Driver::Dump(CDialog& dialog, const Request&) {
  Json controls = Json::array();
  for (const auto& child : dialog.m_hWnd->Children()) {
    Json one;
    PutControl(one, *child);
    controls.push_back(one);
  }
  Json reply = Ok();
  reply["controls"] = controls;
  return programs::JsonLine(reply);
}

}  // namespace headless
