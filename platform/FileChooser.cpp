#include "platform/FileChooser.h"

#include "platform/Runtime.h"

namespace platform {

std::optional<std::string> ChooseFile(const FileChoice& choice, HWND owner) {
  Host* host = CurrentRuntime().host;
  if (!host) return std::nullopt;
  return host->ChooseFile(choice, owner);
}

std::string AllFilesName(const FileChoice& choice) {
  return choice.allFilesName.empty() ? std::string("All files") : choice.allFilesName;
}

}  // namespace platform
