// The menu of the right-button press (the languages, then the profile commands of ProfileMenu.cpp
// when a profile format is installed) and the two language commands.
#include "app/KestrivalDlg.h"
#include "app/ProfileFormat.h"

namespace {
constexpr const char* kChinese = "\xD6\xD0\xCE\xC4";  // 中文
constexpr const char* kEnglish = "\xD3\xA2\xCE\xC4";  // 英文
}  // namespace

void CKestrivalDlg::OnRightButtonDown(UINT, CPoint point) {
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, ID_LANGUAGE_CHINESE, kChinese);
  menu.AppendMenu(MF_STRING, ID_LANGUAGE_ENGLISH, kEnglish);
  menu.CheckMenuRadioItem(ID_LANGUAGE_CHINESE, ID_LANGUAGE_ENGLISH,
                          m_menuLanguage == 1 ? ID_LANGUAGE_CHINESE : ID_LANGUAGE_ENGLISH,
                          MF_BYCOMMAND);
  if (InstalledProfileFormat()) {
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_PROFILE_SAVE, InterfaceText(Text::SaveProfile));
    menu.AppendMenu(MF_STRING, ID_PROFILE_LOAD, InterfaceText(Text::LoadProfile));
  }
  ClientToScreen(&point);
  menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, point.x, point.y, this,
                      nullptr);
  Default();
  menu.DestroyMenu();
}

void CKestrivalDlg::OnLanguageChinese() {
  SaveLanguage(1);
  ApplyInterfaceTexts();
  // The controls are back at their defaults: a Set button left enabled would write those
  // defaults to the reader. The next parameter record shown enables them again.
  DisableSetButtons();
}

void CKestrivalDlg::OnLanguageEnglish() {
  SaveLanguage(2);
  ApplyInterfaceTexts();
  // The controls are back at their defaults: a Set button left enabled would write those
  // defaults to the reader. The next parameter record shown enables them again.
  DisableSetButtons();
}
