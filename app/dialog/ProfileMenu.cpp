// The right-button menu's profile commands: the controls' values saved to a profile file, and a
// profile file's values put into the controls (ProfileFormat.h). Neither sends anything.
#include <string>

#include "app/KestrivalDlg.h"
#include "app/ProfileFormat.h"
#include "app/SetCommandTable.h"
#include "i18n/TextFormat.h"
#include "params/CodePage.h"
#include "platform/FileChooser.h"
#include "platform/kernel_files.h"

namespace {

// A profile file is small; anything larger is not one.
constexpr std::size_t kLargestProfile = 1 << 20;

// "<label>.json" with the characters a file name cannot hold on either system replaced.
std::string SuggestedName(const std::string& label) {
  std::string name = AnsiToUtf8String(label);
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || std::string("/\\:*?\"<>|").find(c) != std::string::npos) c = '_';
  }
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  return (name.empty() ? std::string("profile") : name) + ".json";
}

}  // namespace

bool CKestrivalDlg::ProfileCommandAllowed() {
  // The controls hold a reader's values only while the Set buttons are enabled: none was read
  // yet, or a language switch put the controls back at their defaults.
  if (!InstalledProfileFormat()) return false;
  const CWnd* set = GetDlgItem(SET_COMMANDS[0].button);
  if (set && set->IsWindowEnabled()) return true;
  SetStatusText(0, InterfaceText(Text::ReadParametersFirst));
  return false;
}

std::optional<std::string> CKestrivalDlg::ChooseProfileFile(bool save) {
  platform::FileChoice choice;
  choice.save = save;
  choice.title = InterfaceText(save ? Text::SaveProfile : Text::LoadProfile);
  choice.filterName = InterfaceText(Text::ProfileFiles);
  choice.pattern = "*.json";
  if (save) choice.suggestedName = SuggestedName(LabelText(m_selectedDevice));
  return platform::ChooseFile(choice, m_hWnd);
}

void CKestrivalDlg::OnSaveProfile() {
  if (!ProfileCommandAllowed()) return;
  const auto path = ChooseProfileFile(true);
  if (!path) return;
  const NetAddr& a = m_selectedDevice.ipAddr;
  const std::string address = std::to_string(a.octets[0]) + "." + std::to_string(a.octets[1]) +
                              "." + std::to_string(a.octets[2]) + "." + std::to_string(a.octets[3]);
  const std::string bytes =
      InstalledProfileFormat()->Write(m_hWnd, LabelText(m_selectedDevice), address);
  const bool written = platform::files::ReplaceWhole(*path, bytes);
  SetStatusText(0, InterfaceText(written ? Text::ProfileSaved : Text::ProfileNotSaved));
}

void CKestrivalDlg::OnLoadProfile() {
  if (!ProfileCommandAllowed()) return;
  const auto path = ChooseProfileFile(false);
  if (!path) return;
  std::string bytes, why;
  ProfileFormat::LoadResult result;
  if (!platform::files::ReadWhole(*path, &bytes, kLargestProfile, &why))
    result.refusal = *path + ": " + why;
  else
    result = InstalledProfileFormat()->Read(bytes, m_hWnd);
  if (!result.refusal.empty()) {
    const std::string text = std::string(InterfaceText(Text::ProfileCannotBeUsed)) + "\n" +
                             Utf8ToAnsiString(result.refusal);
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  if (result.skipped.empty()) {
    SetStatusText(0, InterfaceText(Text::ProfileLoaded));
    return;
  }
  std::string names;
  for (const std::string& field : result.skipped) names += (names.empty() ? "" : ", ") + field;
  SetStatusText(
      0, FormatInterfaceText(InterfaceText(Text::ProfileLoadedExcept), {names.c_str()}).c_str());
}
