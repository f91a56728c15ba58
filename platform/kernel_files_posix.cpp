// The file-system calls of the kernel stand-ins on POSIX.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "platform/Runtime.h"
#include "platform/kernel.h"
#include "platform/kernel_files.h"

namespace platform {

std::FILE* OpenRegularFile(const char* path) {
  if (path == nullptr) return nullptr;
  // Without O_NONBLOCK, opening a named pipe waits for a writer that never comes.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return file;
}

std::string ExecutablePath() {
  // readlink cuts silently: a result that fills the buffer may have been cut, so grow and retry.
  for (std::size_t size = 4096; size <= (std::size_t{1} << 24); size *= 2) {
    std::string buf(size, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), size);
    if (n <= 0) return {};
    if (static_cast<std::size_t>(n) < size) {
      buf.resize(static_cast<std::size_t>(n));
      return buf;
    }
  }
  return {};
}

void SendToSystemDebugger(const std::string&) {}

namespace files {
namespace {

std::string WithoutTrailingSlashes(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

bool Absolute(const char* path) {
  return path != nullptr && path[0] == '/';
}

std::string FolderOf(const std::string& path) {
  std::size_t cut = path.rfind('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

}  // namespace

bool IsSeparator(char c) {
  return c == '/';
}

bool ReplaceWhole(const std::string& path, const std::string& bytes) {
  std::string target = path;
  struct stat st {};
  bool existed = ::stat(path.c_str(), &st) == 0;
  if (existed) {
    if (::access(path.c_str(), W_OK) != 0) return false;
    if (char* real = ::realpath(path.c_str(), nullptr)) {  // write through a symbolic link
      target = real;
      std::free(real);
    }
  }
  // Created with 0666 so that a new file gets the permissions the umask gives; an existing file's
  // mode is copied below.
  std::string temp;
  int fd = -1;
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(serial++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = !existed || ::fchmod(fd, st.st_mode & 07777) == 0;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool ReadWhole(const std::string& path, std::string* bytes, std::size_t limit, std::string* why) {
  std::string read;
  const auto fail = [&](const std::string& reason) {
    if (bytes) bytes->clear();
    if (why) *why = reason;
    return false;
  };
  // Without O_NONBLOCK, opening a named pipe waits for a writer that never comes.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return fail(errno == ENOENT || errno == ENOTDIR ? "no such file" : std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) return fail(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return fail("a folder, not a file");
  if (!S_ISREG(st.st_mode)) return fail("not a regular file");
  const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes";
  if (static_cast<unsigned long long>(st.st_size) > limit) return fail(tooLarge);
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  read.reserve(static_cast<std::size_t>(st.st_size));
  // Up to one byte past the limit: a file that grew meanwhile is refused as well.
  char buffer[65536];
  for (;;) {
    const std::size_t left = limit - read.size();  // read.size() <= limit here
    const std::size_t want = left < sizeof buffer ? left + 1 : sizeof buffer;
    const ssize_t n = ::read(fd, buffer, want);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::strerror(errno));
    if (n == 0) break;
    read.append(buffer, static_cast<std::size_t>(n));
    if (read.size() > limit) return fail(tooLarge);
  }
  if (bytes) *bytes = std::move(read);
  return true;
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool FolderWritable(const std::string& folder) {
  return ::access(folder.c_str(), W_OK) == 0;
}

bool Exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

bool FileWritable(const std::string& path) {
  return ::access(path.c_str(), W_OK) == 0;
}

bool MakeFolders(const std::string& path, std::string* why) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return true;
    if (why) *why = std::strerror(ENOTDIR);
    return false;
  }
  std::string parent = FolderOf(path);
  if (parent != path && !MakeFolders(parent, why)) return false;
  // Owner-only, as the base directory rules ask.
  if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST) return true;
  if (why) *why = std::strerror(errno);
  return false;
}

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

std::string LastErrorText() {
  return std::strerror(errno);
}

}  // namespace files
}  // namespace platform
