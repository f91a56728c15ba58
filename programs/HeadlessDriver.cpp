#include "programs/HeadlessDriver.h"

#include <cstdio>
#include <cstdlib>
#include <istream>
#include <memory>
#include <ostream>
#include <sstream>

#include "app/resource.h"
#include "params/CodePage.h"
#include "platform/MessageLoop.h"
#include "platform/UserInput.h"
#include "platform/afxwin.h"

namespace headless {

namespace {

using platform::InputResult;
using platform::Window;
using platform::WindowKind;

std::string Ok(const std::string& fields = {}) {
  return fields.empty() ? std::string("{\"ok\":true}") : "{\"ok\":true," + fields + "}";
}

std::string Fail(const std::string& error) {
  return "{\"ok\":false,\"error\":" + JsonString(error) + "}";
}

std::string Bool(bool b) {
  return b ? "true" : "false";
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 0x0F];
  }
  return out;
}

std::string ToUtf8(const std::string& cp936) {
  std::unique_ptr<char[]> utf8(AnsiToUtf8(cp936.c_str(), cp936.size()));
  return utf8 ? std::string(utf8.get()) : std::string();
}

std::string ToCp936(const std::string& utf8) {
  std::unique_ptr<char[]> text(Utf8ToAnsi(utf8.c_str(), utf8.size()));
  return text ? std::string(text.get()) : std::string();
}

// "a","b" and "61","62" for a list of 8-bit texts.
std::string JsonTexts(const std::string& key, const std::vector<std::string>& texts) {
  std::string plain, hex;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (i) {
      plain += ",";
      hex += ",";
    }
    plain += JsonString(ToUtf8(texts[i]));
    hex += "\"" + Hex(texts[i]) + "\"";
  }
  return "\"" + key + "\":[" + plain + "],\"" + key + "_hex\":[" + hex + "]";
}

std::string ControlFields(Window& w) {
  std::string text = w.Text();
  if (w.Kind() == WindowKind::IpAddress) {
    char buf[32] = {};
    w.Send(WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    text = buf;
  }
  std::string f = "\"id\":" + std::to_string(w.Id()) + ",\"kind\":\"" +
                  platform::WindowKindName(w.Kind()) + "\"," + JsonText("text", text);
  if (w.Kind() == WindowKind::ComboBox || w.Kind() == WindowKind::ListBox) {
    f += "," + JsonTexts("items", w.Items()) + ",\"sel\":" + std::to_string(w.Selection());
  }
  if (w.Kind() == WindowKind::IpAddress) {
    int filled = 0;
    std::string address;
    for (std::size_t i = 0; i < 4; ++i) {
      const auto& field = w.Ip()[i];
      filled += field.has_value();
      address += (i ? "." : "") + std::to_string(field.value_or(0));
    }
    f += ",\"address\":\"" + address + "\",\"filled\":" + std::to_string(filled);
  }
  if (w.Kind() == WindowKind::StatusBar) {
    f += "," + JsonText("part0", w.PartText(0)) + "," + JsonText("part1", w.PartText(1));
  }
  f += ",\"enabled\":" + Bool(w.Enabled()) + ",\"visible\":" + Bool(w.ReallyVisible());
  return f;
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

std::string Refusal(InputResult r) {
  return Fail(platform::InputResultName(r));
}

}  // namespace

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char b[8];
          std::snprintf(b, sizeof b, "\\u%04x", c);
          out += b;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonText(const std::string& key, const std::string& cp936) {
  return "\"" + key + "\":" + JsonString(ToUtf8(cp936)) + ",\"" + key + "_hex\":\"" + Hex(cp936) +
         "\"";
}

UINT DriverHost::TrackPopupMenu(const platform::MenuObject& menu, UINT flags, POINT screen,
                                HWND owner) {
  if (!chooser_) return platform::HeadlessHost::TrackPopupMenu(menu, flags, screen, owner);
  return chooser_(menu);
}

Driver::Driver(platform::MessageLoop& loop, DriverHost& host, std::istream& in, std::ostream& out)
    : loop_(loop), host_(host), in_(in), out_(out) {
  host_.SetChooser([this](const platform::MenuObject& menu) { return ChooseFromMenu(menu); });
}

void Driver::Idle() {
  loop_.RunUntilIdle();
}

UINT Driver::ChooseFromMenu(const platform::MenuObject& menu) {
  popupShown_ = true;
  std::string items;
  for (const auto& item : menu.items) {
    if (!items.empty()) items += ",";
    items += "{\"command\":" + std::to_string(item.id) + "," + JsonText("text", item.text) +
             ",\"checked\":" + Bool(item.checked) + ",\"radio\":" + Bool(item.radio) +
             ",\"enabled\":" + Bool(item.enabled) + "}";
  }
  out_ << Ok("\"menu\":[" + items + "]") << std::endl;

  std::string line;
  if (!std::getline(in_, line)) {
    inputEnded_ = true;
    return 0;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::istringstream words(line);
  std::string verb, choice, extra;
  words >> verb >> choice;
  if (verb != "menu" || choice.empty() || (words >> extra)) {
    menuReply_ = Fail("a popup menu is open: expected \"menu CMD\" or \"menu none\"; it closed");
    return 0;
  }
  if (choice == "none") {
    menuReply_ = Ok("\"command\":null");
    return 0;
  }
  auto id = ParseInt(choice);
  if (!id || *id <= 0) {
    menuReply_ = Fail("not a menu command: " + choice + "; the menu closed");
    return 0;
  }
  bool found = false;
  for (const auto& item : menu.items) found = found || static_cast<int>(item.id) == *id;
  if (!found) {
    menuReply_ = Fail("the menu has no command " + choice + "; it closed");
    return 0;
  }
  menuReply_ = Ok("\"command\":" + std::to_string(*id));
  return static_cast<UINT>(*id);
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
  if (menuReply_) {
    out_ << *menuReply_ << std::endl;
    menuReply_.reset();
  }
  return !stop && !inputEnded_ && !dialog.Ended();
}

std::string Driver::Execute(CDialog& dialog, const std::string& line, bool* stop) {
  HWND hwnd = dialog.m_hWnd;
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  std::vector<std::string> args;
  for (std::string w; words >> w;) args.push_back(w);
  auto id = [&](std::size_t i) { return i < args.size() ? ParseInt(args[i]) : std::nullopt; };
  const std::string badArgs = "bad arguments for " + verb;

  if (verb.empty()) return Fail("empty command");
  if (verb == "quit") {
    *stop = true;
    return Ok();
  }
  if (verb == "click" || verb == "focus" || verb == "dblclick") {
    auto n = id(0);
    if (!n || args.size() != 1) return Fail(badArgs);
    InputResult r = verb == "click"   ? platform::UserClick(hwnd, *n)
                    : verb == "focus" ? platform::UserFocus(hwnd, *n)
                                      : platform::UserDoubleClick(hwnd, *n);
    if (r != InputResult::Ok) return Refusal(r);
    Idle();
    return Ok();
  }
  if (verb == "notify") {
    auto n = id(0);
    auto code = id(1);
    if (!n || !code || args.size() != 2 || *code < 0 || *code > 0xFFFF) return Fail(badArgs);
    Window* w = hwnd->Child(*n);
    if (!w) return Fail("no such control");
    w->NotifyParent(static_cast<UINT>(*code));
    Idle();
    return Ok();
  }
  if (verb == "select") {
    auto n = id(0);
    auto pos = id(1);
    if (!n || !pos || args.size() != 2) return Fail(badArgs);
    InputResult r = platform::UserSelect(hwnd, *n, *pos);
    if (r != InputResult::Ok) return Refusal(r);
    Idle();
    return Ok();
  }
  if (verb == "type") {
    // The text is the rest of the line after the identifier and one space.
    const std::size_t idStart = line.find_first_not_of(' ', verb.size());
    if (idStart == std::string::npos) return Fail(badArgs);
    const std::size_t idEnd = line.find(' ', idStart);
    auto n = ParseInt(
        line.substr(idStart, idEnd == std::string::npos ? std::string::npos : idEnd - idStart));
    if (!n) return Fail(badArgs);
    const std::string text = idEnd == std::string::npos ? std::string() : line.substr(idEnd + 1);
    InputResult r = platform::UserType(hwnd, *n, ToCp936(text));
    if (r != InputResult::Ok) return Refusal(r);
    Idle();
    return Ok();
  }
  if (verb == "ip") {
    auto n = id(0);
    if (!n || args.size() != 2) return Fail(badArgs);
    auto fields = ParseIp(args[1]);
    if (!fields) return Fail("not an address A.B.C.D: " + args[1]);
    InputResult r = platform::UserSetIp(hwnd, *n, *fields);
    if (r != InputResult::Ok) return Refusal(r);
    Idle();
    return Ok();
  }
  if (verb == "rclick") {
    auto x = id(0);
    auto y = id(1);
    if (!x || !y || args.size() != 2) return Fail(badArgs);
    popupShown_ = false;
    InputResult r = platform::UserRightClick(hwnd, POINT{*x, *y}, host_.DialogBaseUnits());
    if (r != InputResult::Ok) return Refusal(r);
    Idle();
    // With a popup, its listing was the reply and the "menu" line's reply follows.
    return popupShown_ ? std::string() : Ok("\"menu\":null");
  }
  if (verb == "menu") return Fail("no popup menu is open");
  if (verb == "key") {
    if (args.size() != 1 || (args[0] != "enter" && args[0] != "esc")) return Fail(badArgs);
    if (args[0] == "enter") {
      platform::UserKeyEnter(hwnd);
    } else {
      platform::UserKeyEscape(hwnd);
    }
    Idle();
    return Ok("\"ended\":" + Bool(dialog.Ended()));
  }
  if (verb == "pump") {
    auto ms = id(0);
    if (!ms || *ms < 0 || args.size() != 1) return Fail(badArgs);
    loop_.RunFor(std::chrono::milliseconds(*ms));
    Idle();
    return Ok();
  }
  if (verb == "get") {
    auto n = id(0);
    if (!n || args.size() != 1) return Fail(badArgs);
    Window* w = hwnd->Child(*n);
    if (!w) return Fail("no such control");
    return Ok(ControlFields(*w));
  }
  if (verb == "status") {
    Window* bar = hwnd->Child(IDC_STATUS_BAR);
    if (!bar) return Fail("no status bar");
    return Ok(JsonText("part0", bar->PartText(0)) + "," + JsonText("part1", bar->PartText(1)));
  }
  if (verb == "title") return Ok(JsonText("title", hwnd->Text()));
  if (verb == "trace") {
    std::size_t dropped = 0;
    const std::vector<std::string> lines = trace_.Take(&dropped);
    return Ok(JsonTexts("lines", lines) + ",\"dropped\":" + std::to_string(dropped));
  }
  if (verb == "msgbox") {
    const auto& all = host_.MessageBoxes();
    std::vector<std::string> boxes(all.begin() + static_cast<std::ptrdiff_t>(boxesTaken_),
                                   all.end());
    boxesTaken_ = all.size();
    return Ok(JsonTexts("boxes", boxes));
  }
  if (verb == "dump") {
    std::string controls;
    for (const auto& child : hwnd->Children()) {
      if (!controls.empty()) controls += ",";
      controls += "{" + ControlFields(*child) + "}";
    }
    return Ok("\"controls\":[" + controls + "]");
  }
  return Fail("unknown command " + verb);
}

}  // namespace headless
