// The per-user store behind the private-profile functions: which file a read consults and which
// file a write changes, for the files of a program folder that cannot be written.
#include "platform/kernel_settings_store.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Runtime.h"
#include "platform/kernel.h"

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  std::size_t cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  std::size_t cut = path.rfind('/');
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithoutTrailingSlashes(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

bool Absolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

// Two names of one folder (a relative path, a link) count as the same folder.
bool SameFolder(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Makes every missing folder of path, owner-only as the base directory rules ask. On failure
// returns false with errno set by the step that failed.
bool MakeFolders(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  std::string parent = FolderOf(path);
  if (parent != path && !MakeFolders(parent)) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

void TraceNotKept(const std::string& file, const std::string& store, const char* why) {
  std::string line = "settings: " + FolderOf(file) + " cannot be written and the per-user copy " +
                     store + " cannot be written either (" + why + "): " + NameOf(file) +
                     " keeps no change\n";
  OutputDebugStringA(line.c_str());
}

}  // namespace

std::string UserSettingsFolder(const std::string& name) {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (Absolute(xdg)) {
    base = xdg;
  } else if (Absolute(home)) {
    base = WithoutTrailingSlashes(home) + "/.config";
  } else if (const passwd* user = ::getpwuid(::geteuid()); user && Absolute(user->pw_dir)) {
    base = WithoutTrailingSlashes(user->pw_dir) + "/.config";
  } else {
    return {};
  }
  return WithoutTrailingSlashes(base) + "/" + name;
}

bool ProfileIsRedirected(const std::string& file) {
  const Runtime& runtime = CurrentRuntime();
  if (runtime.userSettingsName.empty() || runtime.modulePath.empty()) return false;
  const std::string folder = FolderOf(file);
  if (!SameFolder(folder, FolderOf(runtime.modulePath))) return false;
  if (::access(folder.c_str(), W_OK) != 0) return true;
  return ::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0;
}

std::vector<std::string> ProfileReadPaths(const std::string& file) {
  if (!ProfileIsRedirected(file)) return {file};
  const std::string store = UserSettingsFolder(CurrentRuntime().userSettingsName);
  if (store.empty()) return {file};
  return {store + "/" + NameOf(file), file};
}

std::string ProfileWritePath(const std::string& file) {
  if (!ProfileIsRedirected(file)) return file;
  const std::string store = UserSettingsFolder(CurrentRuntime().userSettingsName);
  if (store.empty()) {
    TraceNotKept(file, "(none)", "no home folder is known");
    return {};
  }
  std::string copy = store + "/" + NameOf(file);
  if (!MakeFolders(store)) {
    TraceNotKept(file, copy, std::strerror(errno));
    return {};
  }
  if (::access(store.c_str(), W_OK) != 0 ||
      (::access(copy.c_str(), F_OK) == 0 && ::access(copy.c_str(), W_OK) != 0)) {
    TraceNotKept(file, copy, std::strerror(errno));
    return {};
  }
  return copy;
}

}  // namespace platform
