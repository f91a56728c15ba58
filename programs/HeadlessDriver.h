// The line protocol of kestrival-headless: one command per input line, one line of JSON per
// command. Texts of the window model (code page 936) are written as UTF-8 with their raw bytes
// as lowercase hex beside them ("text" and "text_hex").
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/HeadlessHost.h"

class CDialog;

namespace headless {

// A headless host whose popup menus are answered by the next input line ("menu CMD" or
// "menu none"), through the chooser the driver installs.
class DriverHost : public platform::HeadlessHost {
 public:
  using platform::HeadlessHost::HeadlessHost;
  using Chooser = std::function<UINT(const platform::MenuObject&)>;
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }
  UINT TrackPopupMenu(const platform::MenuObject& menu, UINT flags, POINT screen,
                      HWND owner) override;

 private:
  Chooser chooser_;
};

class Driver {
 public:
  Driver(platform::MessageLoop& loop, DriverHost& host, std::istream& in, std::ostream& out);

  // Reads and answers one command (called whenever the modal loop is idle). Returns false at
  // "quit", at the end of the input and once the dialog has ended.
  bool Step(CDialog& dialog);
  // True once the dialog's modal loop has asked for a command.
  bool Started() const { return started_; }
  // Every OutputDebugStringA text goes here.
  void AddTrace(const std::string& text) { trace_.push_back(text); }

 private:
  std::string Execute(CDialog& dialog, const std::string& line, bool* stop);
  UINT ChooseFromMenu(const platform::MenuObject& menu);
  void Idle();

  platform::MessageLoop& loop_;
  DriverHost& host_;
  std::istream& in_;
  std::ostream& out_;
  bool started_ = false;
  bool inputEnded_ = false;
  std::vector<std::string> trace_;
  std::size_t traceTaken_ = 0;
  std::size_t boxesTaken_ = 0;
  bool popupShown_ = false;
  // The reply of the "menu" line that closed a popup, written once the loop is idle again.
  std::optional<std::string> menuReply_;
};

// JSON helpers (exposed for the driver's own use and its tests).
std::string JsonString(const std::string& utf8);
// "key":"utf-8 text","key_hex":"raw bytes" for an 8-bit text of code page 936.
std::string JsonText(const std::string& key, const std::string& cp936);

}  // namespace headless
