// A host without drawing: message boxes, popup menus and file choosers are recorded and answered
// from a script, and the modal loop runs until the dialog ends (or until a driver says stop).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "platform/Window.h"

namespace platform {

class MessageLoop;

class HeadlessHost : public Host {
 public:
  explicit HeadlessHost(MessageLoop& loop) : loop_(loop) {}

  // The modal loop: delivers messages until the dialog ends. A driver, when set, is called
  // whenever the loop is idle; it returns false to stop waiting (the dialog stays as it is).
  void RunModal(CDialog& dialog) override;
  int MessageBox(const std::string& text, UINT type) override;
  UINT TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND owner) override;
  std::optional<std::string> ChooseFile(const FileChoice& choice, HWND owner) override;
  SIZE DialogBaseUnits() const override { return SIZE{6, 13}; }
  POINT ClientOrigin(HWND) const override { return POINT{100, 80}; }

  void SetDriver(std::function<bool(CDialog&)> driver) { driver_ = std::move(driver); }
  // The command the next popup menu answers with (0 = closed without a choice); without an
  // answer in the queue a popup closes without a choice.
  void AnswerNextMenu(UINT command) { menuAnswers_.push_back(command); }
  // The path the next file chooser answers with (nothing = cancelled); without an answer in the
  // queue a chooser is cancelled.
  void AnswerNextFileChooser(std::optional<std::string> path) {
    fileAnswers_.push_back(std::move(path));
  }

  struct ShownMenu {
    MenuObject menu;
    UINT flags;
    POINT screen;
  };
  const std::vector<std::string>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<ShownMenu>& Menus() const { return menus_; }
  const std::vector<FileChoice>& FileChoosers() const { return fileChoosers_; }
  void ClearRecords() {
    messageBoxes_.clear();
    menus_.clear();
    fileChoosers_.clear();
  }

 private:
  MessageLoop& loop_;
  std::function<bool(CDialog&)> driver_;
  std::deque<UINT> menuAnswers_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::vector<std::string> messageBoxes_;
  std::vector<ShownMenu> menus_;
  std::vector<FileChoice> fileChoosers_;
};

}  // namespace platform
