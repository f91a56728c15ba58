// The file chooser of the platform, for the layers above: the host in force shows it.
//
//   platform::FileChoice choice{true, title, profileName, "*.json", "reader.json"};
//   if (auto path = platform::ChooseFile(choice, m_hWnd)) Save(*path);
#pragma once

#include <optional>
#include <string>

#include "platform/Host.h"

namespace platform {

// The chosen path (UTF-8), or nothing when the user cancelled or no host is installed.
std::optional<std::string> ChooseFile(const FileChoice& choice, HWND owner);

// The name of the "all files" choice (8-bit): the caller's, else "All files".
std::string AllFilesName(const FileChoice& choice);

}  // namespace platform
