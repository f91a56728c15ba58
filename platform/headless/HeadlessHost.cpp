#include "platform/headless/HeadlessHost.h"

#include "platform/MessageLoop.h"
#include "platform/afxwin.h"

namespace platform {

void HeadlessHost::RunModal(CDialog& dialog) {
  while (!dialog.Ended()) {
    loop_.RunUntilIdle();
    if (dialog.Ended()) break;
    if (!driver_ || !driver_(dialog)) break;
  }
}

int HeadlessHost::MessageBox(const std::string& text, UINT) {
  messageBoxes_.push_back(text);
  return IDOK;
}

UINT HeadlessHost::TrackPopupMenu(const MenuObject& menu, UINT flags, POINT screen, HWND) {
  menus_.push_back(ShownMenu{menu, flags, screen});
  if (menuAnswers_.empty()) return 0;
  UINT answer = menuAnswers_.front();
  menuAnswers_.pop_front();
  // A separator or a command the menu does not hold closes it without a choice, as a click
  // beside the items would.
  for (const auto& item : menu.items)
    if (!item.separator && item.enabled && item.id == answer) return answer;
  return 0;
}

std::optional<std::string> HeadlessHost::ChooseFile(const FileChoice& choice, HWND) {
  fileChoosers_.push_back(choice);
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

}  // namespace platform
