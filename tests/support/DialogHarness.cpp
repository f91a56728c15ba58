#include "tests/support/DialogHarness.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "app/KestrivalResources.h"

namespace testing_support {

std::filesystem::path BuiltProgramsFolder() {
  const char* bin = std::getenv("KESTRIVAL_BINARY_DIR");
  return bin ? std::filesystem::path(bin) / "bin"
             : std::filesystem::path(platform::ExecutablePath()).parent_path();
}

std::string BuiltLanguageCsv() {
  std::ifstream in(BuiltProgramsFolder() / "language.csv", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

DialogHarness::DialogHarness() : DialogHarness(Options{}) {}

platform::Runtime ToolRuntime(platform::Host& host, platform::MessageLoop& loop,
                              platform::net::Backend& net, const TempFolder& folder,
                              std::vector<std::string>* trace) {
  platform::Runtime runtime;
  runtime.host = &host;
  runtime.loop = &loop;
  runtime.net = &net;
  if (trace)
    runtime.debug = [trace](const std::string& text) { trace->push_back(text); };
  else
    runtime.debug = [](const std::string&) {};
  runtime.modulePath = (folder.Path() / "kestrival").string();
  runtime.resources = &KestrivalResources();
  return runtime;
}

DialogHarness::DialogHarness(Options options)
    : toolHost_(&segment_.AddHost(kToolAddress)), host_(loop_) {
  if (options.installLanguageCsv) folder_.Write("language.csv", BuiltLanguageCsv());
  runtime_ = ToolRuntime(host_, loop_, options.network ? *options.network : *toolHost_, folder_,
                         options.collectTrace ? &trace_ : nullptr);
  scoped_ = std::make_unique<platform::ScopedRuntime>(runtime_);
  dialog_ = std::make_unique<CKestrivalDlg>();
  if (options.createDialog) Start();
}

DialogHarness::~DialogHarness() {
  dialog_.reset();
  WSACleanup();
  scoped_.reset();
}

void DialogHarness::Start() {
  dialog_->Create(IDD_KESTRIVAL_DIALOG);
  Pump();
}

platform::Window* DialogHarness::Control(int id) const {
  return Window() ? Window()->Child(id) : nullptr;
}

platform::InputResult DialogHarness::Click(int id) {
  auto r = platform::UserClick(Window(), id);
  Pump();
  return r;
}

platform::InputResult DialogHarness::Type(int id, const std::string& text) {
  auto r = platform::UserType(Window(), id, text);
  Pump();
  return r;
}

platform::InputResult DialogHarness::Select(int id, int index) {
  auto r = platform::UserSelect(Window(), id, index);
  Pump();
  return r;
}

platform::InputResult DialogHarness::SetIp(int id, int a, int b, int c, int d) {
  auto r = platform::UserSetIp(Window(), id, {a, b, c, d});
  Pump();
  return r;
}

platform::InputResult DialogHarness::Focus(int id) {
  auto r = platform::UserFocus(Window(), id);
  Pump();
  return r;
}

platform::InputResult DialogHarness::DoubleClick(int id) {
  auto r = platform::UserDoubleClick(Window(), id);
  Pump();
  return r;
}

platform::InputResult DialogHarness::RightClick(POINT client, UINT choice) {
  host_.AnswerNextMenu(choice);
  auto r = platform::UserRightClick(Window(), client, host_.DialogBaseUnits());
  Pump();
  return r;
}

void DialogHarness::Enter() {
  platform::UserKeyEnter(Window());
  Pump();
}

void DialogHarness::Escape() {
  platform::UserKeyEscape(Window());
  Pump();
}

void DialogHarness::Pump() {
  loop_.RunUntilIdle();
}

void DialogHarness::Pump(int milliseconds) {
  loop_.RunFor(std::chrono::milliseconds(milliseconds));
}

std::string DialogHarness::Text(int id) const {
  platform::Window* w = Control(id);
  return w ? w->Text() : std::string();
}

int DialogHarness::Selection(int id) const {
  platform::Window* w = Control(id);
  return w ? w->Selection() : -2;
}

std::string DialogHarness::SelectedText(int id) const {
  platform::Window* w = Control(id);
  if (!w || w->Selection() < 0 || w->Selection() >= static_cast<int>(w->Items().size())) return {};
  return w->Items()[static_cast<std::size_t>(w->Selection())];
}

std::vector<std::string> DialogHarness::Items(int id) const {
  platform::Window* w = Control(id);
  return w ? w->Items() : std::vector<std::string>{};
}

bool DialogHarness::Enabled(int id) const {
  platform::Window* w = Control(id);
  return w && w->Enabled();
}

bool DialogHarness::Visible(int id) const {
  platform::Window* w = Control(id);
  return w && w->ReallyVisible();
}

std::string DialogHarness::Status(int part) const {
  platform::Window* w = Control(IDC_STATUS_BAR);
  return w ? w->PartText(part) : std::string();
}

std::string DialogHarness::Title() const {
  return Window() ? Window()->Text() : std::string();
}

std::string DialogHarness::IpText(int id) const {
  platform::Window* w = Control(id);
  if (!w) return {};
  char buf[32];
  w->Send(WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
  return buf;
}

std::vector<std::string> DialogHarness::TakeTrace() {
  std::vector<std::string> out(trace_.begin() + static_cast<std::ptrdiff_t>(traceTaken_),
                               trace_.end());
  traceTaken_ = trace_.size();
  return out;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, out.empty() ? "%02X" : " %02X", c);
    out += b;
  }
  return out;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  return Hex(std::string(bytes.begin(), bytes.end()));
}

std::string HexLower(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

}  // namespace testing_support
