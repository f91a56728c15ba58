// The per-user store behind the private-profile functions: which file a read consults and which
// file a write changes, for the files of a program folder that cannot be written.
#include "platform/kernel_settings_store.h"

#include <string>

#include "platform/Runtime.h"
#include "platform/kernel.h"
#include "platform/kernel_files.h"

namespace platform {
namespace {

std::size_t LastSeparator(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (files::IsSeparator(path[i - 1])) return i - 1;
  return std::string::npos;
}

std::string FolderOf(const std::string& path) {
  const std::size_t cut = LastSeparator(path);
  if (cut == std::string::npos) return ".";
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  const std::size_t cut = LastSeparator(path);
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

void TraceNotKept(const std::string& file, const std::string& store, const std::string& why) {
  std::string line = "settings: " + FolderOf(file) + " cannot be written and the per-user copy " +
                     store + " cannot be written either (" + why + "): " + NameOf(file) +
                     " keeps no change\n";
  OutputDebugStringA(line.c_str());
}

}  // namespace

std::string UserSettingsFolder(const std::string& name) {
  return files::UserSettingsFolder(name);
}

bool ProfileIsRedirected(const std::string& file) {
  const Runtime& runtime = CurrentRuntime();
  if (runtime.userSettingsName.empty() || runtime.modulePath.empty()) return false;
  const std::string folder = FolderOf(file);
  if (!files::SameFolder(folder, FolderOf(runtime.modulePath))) return false;
  if (!files::FolderWritable(folder)) return true;
  return files::Exists(file) && !files::FileWritable(file);
}

std::vector<std::string> ProfileReadPaths(const std::string& file) {
  if (!ProfileIsRedirected(file)) return {file};
  const std::string store = UserSettingsFolder(CurrentRuntime().userSettingsName);
  if (store.empty()) return {file};
  return {store + PATH_SEPARATOR + NameOf(file), file};
}

std::string ProfileWritePath(const std::string& file) {
  if (!ProfileIsRedirected(file)) return file;
  const std::string store = UserSettingsFolder(CurrentRuntime().userSettingsName);
  if (store.empty()) {
    TraceNotKept(file, "(none)", "no home folder is known");
    return {};
  }
  std::string copy = store + PATH_SEPARATOR + NameOf(file);
  std::string why;
  if (!files::MakeFolders(store, &why)) {
    TraceNotKept(file, copy, why);
    return {};
  }
  if (!files::FolderWritable(store) || (files::Exists(copy) && !files::FileWritable(copy))) {
    TraceNotKept(file, copy, files::LastErrorText());
    return {};
  }
  return copy;
}

}  // namespace platform
