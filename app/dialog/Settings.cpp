// The dialog's settings file and translation table: ReadSettings, LoadLanguageTexts and
// SaveLanguage.
#include "app/KestrivalDlg.h"
#include "i18n/BuiltInTable.h"
#include "i18n/InterfaceTexts.h"
#include "i18n/SettingsPaths.h"
#include "i18n/TranslationTable.h"

void CKestrivalDlg::ReadSettings() {
  m_settingsPath = SettingsFilePath();
  m_textLanguage = GetPrivateProfileIntA("themes", "language", 0, m_settingsPath);
}

void CKestrivalDlg::LoadLanguageTexts() {
  m_settingsPath = SettingsFilePath();
  const CString tablePath = TranslationFilePath();
  UINT language = GetPrivateProfileIntA("themes", "language", 1, m_settingsPath);
  m_textLanguage = language;
  m_menuLanguage = language;
  DebugTrace("path:%s language:%d\n", static_cast<const char*>(m_settingsPath),
             static_cast<int>(language));
  TranslationTable table;
  // Lines past the last slot are not read; a file that cannot be read at all gives way to the copy
  // built into the program, so that the window keeps its captions.
  if (!table.Load(tablePath, kInterfaceTextCount - 1)) {
    DebugTrace("language.csv: %s cannot be read, the built-in table is used\n",
               static_cast<const char*>(tablePath));
    table.Parse(BuiltInLanguageTable());
  }
  CopyLanguageColumn(table, m_textLanguage, m_interfaceText);
}

void CKestrivalDlg::SaveLanguage(UINT language) {
  static const char* const kNumbers[] = {"0", "1", "2", "3", "4", "5", "6"};
  m_menuLanguage = language;
  const CString path = SettingsFilePath();
  WritePrivateProfileStringA("Version_Info", "Version", "20171001", path);
  // Only the seven numbers of the list can be written; any other leaves the key as it was.
  if (language < sizeof kNumbers / sizeof kNumbers[0])
    WritePrivateProfileStringA("themes", "language", kNumbers[language], path);
}
