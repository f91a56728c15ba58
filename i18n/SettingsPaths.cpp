#include "i18n/SettingsPaths.h"

#include <algorithm>

CString ExecutableFolder() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH + 1);
  CString full(path);
  int cut = std::max(full.ReverseFind('\\'), full.ReverseFind('/'));
  if (cut < 0) return CString(".");
  return full.Left(cut);
}

CString SettingsFilePath() {
  CString p = ExecutableFolder();
  p += PATH_SEPARATOR;
  p += "config.ini";
  return p;
}

CString TranslationFilePath() {
  CString p = ExecutableFolder();
  p += PATH_SEPARATOR;
  p += "language.csv";
  return p;
}
