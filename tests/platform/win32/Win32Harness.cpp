#include "tests/platform/win32/Win32Harness.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "app/KestrivalResources.h"
#include "platform/kernel.h"
#include "platform/winsock2.h"
#include "sim/Demo.h"

namespace win32_testing {
namespace {

constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkHome = 0x24;
constexpr unsigned kVkDown = 0x28;

std::string WireLine(const platform::net::WireDatagram& d) {
  std::string bytes(d.payload.begin(), d.payload.end());
  return std::to_string(d.to.port) + ": " + testing_support::Hex(bytes);
}

}  // namespace

std::u16string U16(const std::string& acp) {
  const std::string utf8 = platform::AcpToUtf8(acp);
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < n && i + static_cast<std::size_t>(k) < utf8.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    i += static_cast<std::size_t>(n);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

Win32Harness::Win32Harness(bool withReaders) : toolHost_(&segment_.AddHost(sim::kDemoToolAddress)) {
  folder_.Write("language.csv", testing_support::BuiltLanguageCsv());
  if (withReaders) readers_ = sim::AddDemoReaders(segment_);
  segment_.SetObserver([this](const platform::net::WireDatagram& d) {
    if (d.from.addr == sim::kDemoToolAddress || d.from.addr == 0) wire_.push_back(WireLine(d));
  });
  host_ = std::make_unique<platform::win32::Win32Host>(loop_);
  runtime_ = testing_support::ToolRuntime(*host_, loop_, *toolHost_, folder_, &trace_);
  scoped_ = std::make_unique<platform::ScopedRuntime>(runtime_);
  dialog_ = std::make_unique<CKestrivalDlg>();
  dialog_->Create(IDD_KESTRIVAL_DIALOG);
  host_->Show(*dialog_);
  Settle();
}

Win32Harness::~Win32Harness() {
  host_->Hide();
  dialog_.reset();
  WSACleanup();
  segment_.SetObserver({});
  scoped_.reset();
}

void Win32Harness::Settle(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  int quiet = 0;
  while (quiet < 3 || std::chrono::steady_clock::now() < end) {
    host_->RunUntil([] { return false; }, 5);
    if (loop_.PendingPosted() == 0 && !loop_.PollSockets())
      ++quiet;
    else
      quiet = 0;
  }
}

void Win32Harness::Click(int id) {
  win32_testing::Click(Native(id));
  Settle();
}

void Win32Harness::FocusControl(int id) {
  Handle h = Native(id);
  if (Model(id)->Kind() == platform::WindowKind::IpAddress) h = Children(h).at(0);
  Focus(h);
  Settle();
}

void Win32Harness::TypeInto(int id, const std::u16string& text) {
  const Handle edit = Native(id);
  const Box box = ClientBox(edit);
  ClickAt(edit, 3, box.bottom / 2);
  Settle();
  SelectAll(edit);
  Type(edit, text);
  Settle();
}

void Win32Harness::ChooseByKeys(int id, int index) {
  const Handle box = Native(id);
  Focus(box);
  Settle();
  win32_testing::Key(box, kVkHome);
  for (int i = 0; i < index; ++i) win32_testing::Key(box, kVkDown);
  Settle();
}

void Win32Harness::ClickRow(int id, int row) {
  const Handle list = Native(id);
  const Box b = ListItemBox(list, row);
  ClickAt(list, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
  Settle();
}

void Win32Harness::DoubleClickRow(int id, int row) {
  const Handle list = Native(id);
  const Box b = ListItemBox(list, row);
  DoubleClickAt(list, (b.left + b.right) / 2, (b.top + b.bottom) / 2);
  Settle();
}

void Win32Harness::TypeIp(int id, const std::array<std::u16string, 4>& fields) {
  const std::vector<Handle> parts = Children(Native(id));
  for (std::size_t i = 0; i < fields.size() && i < parts.size(); ++i) {
    const Box box = ClientBox(parts[i]);
    ClickAt(parts[i], 2, box.bottom / 2);
    Settle();
    SelectAll(parts[i]);
    Type(parts[i], fields[i].empty() ? std::u16string(1, u'\b') : fields[i]);
    Settle();
  }
  // Leaving the control ends the entry of its last field.
  win32_testing::Key(FocusedWindow(), kVkTab);
  Settle();
}

void Win32Harness::Key(unsigned virtualKey) {
  const Handle target = FocusedWindow() ? FocusedWindow() : NativeDialog();
  win32_testing::Key(target, virtualKey);
  Settle();
}

bool Win32Harness::WithPrompt(const std::function<void()>& action,
                              const std::function<bool(const Prompt&)>& answer) {
  return win32_testing::WithPrompt(
      [&] {
        action();
        Settle(30);
      },
      answer);
}

bool Win32Harness::RightClick(POINT client, const std::function<bool(const Prompt&)>& answer) {
  return WithPrompt(
      [&] {
        // The press goes to the visible child under the point, at that child's own coordinates.
        const Handle target = ChildAt(NativeDialog(), client.x, client.y);
        int x = client.x;
        int y = client.y;
        for (const auto& c : Window()->Children()) {
          if (target == NativeDialog() || NativeOf(c.get()) != target) continue;
          const RECT r = host_->NativeRect(c.get());
          x -= r.left;
          y -= r.top;
          break;
        }
        RightClickAt(target, x, y);
        Settle();
      },
      answer);
}

void Win32Harness::SearchAndRead() {
  Click(IDC_BTN_SEARCH);
  Settle(50);
  ClickRow(IDC_LIST_DEVICES, 0);
  Click(IDC_BTN_GET_PARAMS);
  Settle(50);
}

std::string Win32Harness::Status(int part) const {
  return Model(IDC_STATUS_BAR)->PartText(part);
}

std::string Win32Harness::Screenshot(const std::string& name) {
  std::filesystem::path dir;
  if (const char* d = std::getenv("KESTRIVAL_SCREENSHOT_DIR"); d && *d) {
    dir = d;
  } else {
    const char* bin = std::getenv("KESTRIVAL_BINARY_DIR");
    dir = std::filesystem::path(bin ? bin : ".") / "screenshots";
  }
  std::filesystem::create_directories(dir);
  Settle(100);
  const std::string path = (dir / (name + ".png")).string();
  return SaveScreenshot(NativeDialog(), path) ? path : std::string();
}

}  // namespace win32_testing
