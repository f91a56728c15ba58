// Where the settings file and the translation table live: the folder of the executable.
#pragma once

#include "platform/afxwin.h"

// The executable's folder: its full path cut before the last path separator ("." when the path
// has none, so that the files are never looked for at the root of the file system).
CString ExecutableFolder();
CString SettingsFilePath();     // folder + "/config.ini"
CString TranslationFilePath();  // folder + "/language.csv"
