// The real main dialog on a virtual segment, driven as a user would: a runtime with a headless
// host, a message loop, a folder of its own for the executable (config.ini, language.csv) and
// the debug trace collected.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/KestrivalDlg.h"
#include "platform/MessageLoop.h"
#include "platform/Runtime.h"
#include "platform/UserInput.h"
#include "platform/headless/HeadlessHost.h"
#include "platform/net/VirtualSegment.h"
#include "tests/support/TempFolder.h"

namespace testing_support {

// The folder the build puts the programs in (KESTRIVAL_BINARY_DIR/bin, else this program's own).
std::filesystem::path BuiltProgramsFolder();
// The language.csv built beside the programs (code page 936).
std::string BuiltLanguageCsv();

// The runtime of the tool started from folder (its executable folder/kestrival): this host, loop
// and network, the tool's resources, trace lines appended to *trace (dropped when null).
platform::Runtime ToolRuntime(platform::Host& host, platform::MessageLoop& loop,
                              platform::net::Backend& net, const TempFolder& folder,
                              std::vector<std::string>* trace);

// Address of the tool's host on the virtual segment.
constexpr std::uint32_t kToolAddress = 0xC0A8000A;  // 192.168.0.10

class DialogHarness {
 public:
  struct Options {
    bool installLanguageCsv = true;  // copy the built language.csv beside the executable
    bool createDialog = true;        // create and initialise the dialog at once
    // The network the dialog's sockets reach; nullptr: the tool's host on the virtual segment.
    platform::net::Backend* network = nullptr;
    bool collectTrace = true;  // false: trace lines are dropped (long measurements)
  };
  DialogHarness();
  explicit DialogHarness(Options options);
  ~DialogHarness();

  // Creates and initialises the dialog (OnInitDialog), then delivers what is pending.
  void Start();
  CKestrivalDlg& Dlg() { return *dialog_; }
  HWND Window() const { return dialog_->m_hWnd; }
  platform::Window* Control(int id) const;

  // User actions; each runs the loop until idle afterwards.
  platform::InputResult Click(int id);
  platform::InputResult Type(int id, const std::string& text);
  platform::InputResult Select(int id, int index);
  platform::InputResult SetIp(int id, int a, int b, int c, int d);
  platform::InputResult Focus(int id);
  platform::InputResult DoubleClick(int id);
  // Right-click at a client point answering the popup with `choice` (0 = none).
  platform::InputResult RightClick(POINT client, UINT choice);
  void Enter();
  void Escape();
  // Delivers pending messages and datagrams; Pump(ms) also waits for late ones.
  void Pump();
  void Pump(int milliseconds);

  // What the user sees.
  std::string Text(int id) const;
  int Selection(int id) const;
  std::string SelectedText(int id) const;
  std::vector<std::string> Items(int id) const;
  bool Enabled(int id) const;
  bool Visible(int id) const;
  std::string Status(int part) const;
  std::string Title() const;
  std::string IpText(int id) const;

  // Trace lines since the last call.
  std::vector<std::string> TakeTrace();
  const std::vector<std::string>& Trace() const { return trace_; }
  // Interface text N of the loaded language.
  std::string InterfaceText(::Text text) const { return dialog_->InterfaceText(text); }

  platform::net::VirtualSegment& Segment() { return segment_; }
  platform::net::VirtualHost& ToolHost() { return *toolHost_; }
  platform::HeadlessHost& Host() { return host_; }
  platform::MessageLoop& Loop() { return loop_; }
  const TempFolder& Folder() const { return folder_; }

 private:
  TempFolder folder_;
  platform::net::VirtualSegment segment_;
  platform::net::VirtualHost* toolHost_;
  platform::MessageLoop loop_;
  platform::HeadlessHost host_;
  platform::Runtime runtime_;
  std::unique_ptr<platform::ScopedRuntime> scoped_;
  std::vector<std::string> trace_;
  std::size_t traceTaken_ = 0;
  std::unique_ptr<CKestrivalDlg> dialog_;
};

// "58 58 58 58 ..." style hex of bytes, for assertions.
std::string Hex(const std::string& bytes);
std::string Hex(const std::vector<std::uint8_t>& bytes);
// Lowercase hex pairs without separators ("5858..."), as the headless driver writes raw bytes.
std::string HexLower(const std::string& bytes);

}  // namespace testing_support
