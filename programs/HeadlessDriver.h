// The line protocol of kestrival-headless: one command per input line, one line of JSON per
// command. Texts of the window model (code page 936) are written as UTF-8 with their raw bytes
// as lowercase hex beside them ("text" and "text_hex"); bytes that are not UTF-8 are written as
// U+FFFD.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <iosfwd>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserInput.h"
#include "platform/headless/HeadlessHost.h"

class CDialog;

namespace headless {

// A headless host whose popup menus are answered by the next input line ("menu CMD" or
// "menu none"), through the chooser the driver installs, and whose file choosers likewise
// ("file PATH" or "file cancel").
class DriverHost : public platform::HeadlessHost {
 public:
  using platform::HeadlessHost::HeadlessHost;
  using Chooser = std::function<UINT(const platform::MenuObject&)>;
  using FileAnswer = std::function<std::optional<std::string>(const platform::FileChoice&)>;
  void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }
  void SetFileAnswer(FileAnswer answer) { fileAnswer_ = std::move(answer); }
  UINT TrackPopupMenu(const platform::MenuObject& menu, UINT flags, POINT screen,
                      HWND owner) override;
  std::optional<std::string> ChooseFile(const platform::FileChoice& choice, HWND owner) override;

 private:
  Chooser chooser_;
  FileAnswer fileAnswer_;
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
  // One input line: the verb, the words after it, the numbers its arguments hold.
  struct Request;
  using Handler = std::string (Driver::*)(CDialog& dialog, const Request& request);

  // Finds the verb in the command table (HeadlessDriver.cpp), checks the form of its arguments
  // and runs its handler: the reply line, or nothing when the reply comes later (a popup menu).
  std::string Execute(CDialog& dialog, const std::string& line, bool* stop);
  // A popup menu or file chooser that opens during a command: its listing is written at once and
  // the next input line answers it; that line's reply follows the command's.
  UINT ChooseFromMenu(const platform::MenuObject& menu);
  std::optional<std::string> ChooseFile(const platform::FileChoice& choice);
  // The next input line, without a line end's CR; nothing (and the input ended) at its end.
  std::optional<std::string> ReadLine();
  void Idle();

  // The reply to a user input: why it was refused, or ok once the loop is idle again.
  std::string AfterInput(platform::InputResult result);

  // The handlers of the command table; each checks what its arguments must hold beyond their form.
  std::string Quit(CDialog& dialog, const Request& request);
  std::string Click(CDialog& dialog, const Request& request);
  std::string Focus(CDialog& dialog, const Request& request);
  std::string DoubleClick(CDialog& dialog, const Request& request);
  std::string Notify(CDialog& dialog, const Request& request);
  std::string Select(CDialog& dialog, const Request& request);
  std::string Type(CDialog& dialog, const Request& request);
  std::string SetIp(CDialog& dialog, const Request& request);
  std::string RightClick(CDialog& dialog, const Request& request);
  std::string MenuWithoutPopup(CDialog& dialog, const Request& request);
  std::string FileWithoutChooser(CDialog& dialog, const Request& request);
  std::string Key(CDialog& dialog, const Request& request);
  std::string Pump(CDialog& dialog, const Request& request);
  std::string Get(CDialog& dialog, const Request& request);
  std::string Status(CDialog& dialog, const Request& request);
  std::string Title(CDialog& dialog, const Request& request);
  std::string Trace(CDialog& dialog, const Request& request);
  std::string MessageBoxes(CDialog& dialog, const Request& request);
  std::string Dump(CDialog& dialog, const Request& request);

  platform::MessageLoop& loop_;
  DriverHost& host_;
  std::istream& in_;
  std::ostream& out_;
  bool started_ = false;
  bool inputEnded_ = false;
  TraceStore trace_;
  std::size_t boxesTaken_ = 0;
  bool popupShown_ = false;
  // The replies of the "menu" and "file" lines that closed a popup or a chooser, in the order
  // the lines were read, written once the loop is idle again.
  std::vector<std::string> laterReplies_;
};

}  // namespace headless
