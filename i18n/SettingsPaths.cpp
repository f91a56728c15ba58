#include "i18n/SettingsPaths.h"

#include <algorithm>
#include <vector>

namespace {
// Far beyond any path a file system accepts; a longer answer is taken as no answer.
constexpr std::size_t kMaxModulePath = std::size_t{1} << 20;
}  // namespace

CString ExecutableFolder() {
  // The path can be longer than MAX_PATH: a result that fills the buffer was cut, so the buffer
  // grows until the whole path fits. A path that cannot be obtained gives the folder ".".
  std::vector<char> path(MAX_PATH + 1);
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
    if (n == 0) return CString(".");
    if (n < size) break;
    if (path.size() >= kMaxModulePath) return CString(".");
    path.assign(path.size() * 2, '\0');
  }
  CString full(path.data());
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
