// The line protocol of kestrival-headless: one command per input line, one line of JSON per
// command. Texts of the window model (code page 936) are written as UTF-8 with their raw bytes
// as lowercase hex beside them ("text" and "text_hex").
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <iosfwd>
#include <iterator>
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

// The trace lines not yet handed out by a "trace" command: at most `keepLines` of them holding at
// most `keepBytes` of text, the oldest dropped first and counted, so that a driver that is never
// asked (a long soak, a flood of rejected datagrams) keeps a small, bounded store.
class TraceStore {
 public:
  static constexpr std::size_t kDefaultKeepLines = 10000;
  static constexpr std::size_t kDefaultKeepBytes = std::size_t{128} * 1024;
  explicit TraceStore(std::size_t keepLines = kDefaultKeepLines,
                      std::size_t keepBytes = kDefaultKeepBytes)
      : keepLines_(keepLines), keepBytes_(keepBytes) {}

  void Add(const std::string& text) {
    if (keepLines_ == 0 || text.size() > keepBytes_) {
      ++dropped_;
      return;
    }
    while (!lines_.empty() && (lines_.size() == keepLines_ || bytes_ + text.size() > keepBytes_)) {
      bytes_ -= lines_.front().size();
      lines_.pop_front();
      ++dropped_;
    }
    lines_.push_back(text);
    bytes_ += text.size();
  }
  // The kept lines, oldest first, and how many were dropped since the last call; both are
  // forgotten.
  std::vector<std::string> Take(std::size_t* dropped) {
    std::vector<std::string> out(std::make_move_iterator(lines_.begin()),
                                 std::make_move_iterator(lines_.end()));
    lines_.clear();
    lines_.shrink_to_fit();
    bytes_ = 0;
    if (dropped) *dropped = dropped_;
    dropped_ = 0;
    return out;
  }
  std::size_t Size() const { return lines_.size(); }
  std::size_t Bytes() const { return bytes_; }

 private:
  std::size_t keepLines_;
  std::size_t keepBytes_;
  std::deque<std::string> lines_;
  std::size_t bytes_ = 0;
  std::size_t dropped_ = 0;
};

class Driver {
 public:
  Driver(platform::MessageLoop& loop, DriverHost& host, std::istream& in, std::ostream& out);

  // Reads and answers one command (called whenever the modal loop is idle). Returns false at
  // "quit", at the end of the input and once the dialog has ended.
  bool Step(CDialog& dialog);
  // True once the dialog's modal loop has asked for a command.
  bool Started() const { return started_; }
  // Every OutputDebugStringA text goes here; "trace" hands the kept ones out once.
  void AddTrace(const std::string& text) { trace_.Add(text); }

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
  TraceStore trace_;
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
