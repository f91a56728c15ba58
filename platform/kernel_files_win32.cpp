// The file-system calls of the kernel stand-ins on Windows: UTF-8 paths turned into UTF-16 for
// the W functions. Real Windows headers only.
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/kernel_files.h"

namespace platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0)
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Utf8(const wchar_t* text, std::size_t length) {
  if (length == 0) return {};
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                      nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                          nullptr);
  return out;
}

std::string Utf8(const std::wstring& text) {
  return Utf8(text.data(), text.size());
}

struct Handle {
  HANDLE h;
  explicit Handle(HANDLE handle) : h(handle) {}
  ~Handle() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return h != INVALID_HANDLE_VALUE; }
};

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  if (cut == std::string::npos) return ".";
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

}  // namespace

std::FILE* OpenRegularFile(const char* path) {
  if (path == nullptr) return nullptr;
  HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;  // a folder fails here too
  // A pipe or a device counts as missing, as on POSIX.
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    return nullptr;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(h);
    return nullptr;
  }
  std::FILE* file = ::_fdopen(fd, "rb");
  if (file == nullptr) ::_close(fd);
  return file;
}

std::string ExecutablePath() {
  // A result that fills the buffer was cut: grow and ask again.
  for (DWORD size = MAX_PATH; size <= (DWORD{1} << 16); size *= 2) {
    std::wstring buf(size, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), size);
    if (n == 0) return {};
    if (n < size) return Utf8(buf.data(), n);
  }
  return {};
}

void SendToSystemDebugger(const std::string& text) {
  ::OutputDebugStringA(text.c_str());
}

namespace files {

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

bool ReplaceWhole(const std::string& path, const std::string& bytes) {
  const std::wstring target = Wide(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  static std::atomic<unsigned> serial{0};
  std::wstring temp;
  HANDLE h = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    temp = target + L".tmp" + std::to_wstring(::GetCurrentProcessId()) + L"." +
           std::to_wstring(serial++);
    h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
    if (h == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    ok = ::WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  if (ok) ok = ::FlushFileBuffers(h) != 0;
  if (!::CloseHandle(h)) ok = false;
  if (ok) {
    ok = ::MoveFileExW(temp.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (!ok) ::DeleteFileW(temp.c_str());
  return ok;
}

bool ReadWhole(const std::string& path, std::string* bytes, std::size_t limit, std::string* why) {
  std::string read;
  const auto fail = [&](const std::string& reason) {
    if (bytes) bytes->clear();
    if (why) *why = reason;
    return false;
  };
  const std::wstring wide = Wide(path);
  const DWORD attributes =
      wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = wide.empty() ? ERROR_FILE_NOT_FOUND : ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME)
      return fail("no such file");
    return fail(LastErrorText());
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return fail("a folder, not a file");
  Handle h(::CreateFileW(wide.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.Valid()) return fail(LastErrorText());
  if (::GetFileType(h.h) != FILE_TYPE_DISK) return fail("not a regular file");
  const std::string tooLarge = "larger than " + std::to_string(limit) + " bytes";
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(h.h, &size)) return fail(LastErrorText());
  if (static_cast<unsigned long long>(size.QuadPart) > limit) return fail(tooLarge);
  read.reserve(static_cast<std::size_t>(size.QuadPart));
  // Up to one byte past the limit: a file that grew meanwhile is refused as well.
  char buffer[65536];
  for (;;) {
    const std::size_t left = limit - read.size();  // read.size() <= limit here
    const std::size_t want = left < sizeof buffer ? left + 1 : sizeof buffer;
    DWORD n = 0;
    if (!::ReadFile(h.h, buffer, static_cast<DWORD>(want), &n, nullptr))
      return fail(LastErrorText());
    if (n == 0) break;
    read.append(buffer, n);
    if (read.size() > limit) return fail(tooLarge);
  }
  if (bytes) *bytes = std::move(read);
  return true;
}

bool SameFolder(const std::string& a, const std::string& b) {
  auto open = [](const std::string& path) {
    return ::CreateFileW(Wide(path).c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  };
  Handle ha(open(a));
  Handle hb(open(b));
  if (!ha.Valid() || !hb.Valid()) return false;
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (!::GetFileInformationByHandle(ha.h, &ia) || !::GetFileInformationByHandle(hb.h, &ib))
    return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

// Asked by making a file there: a folder's attributes do not say whether this user may write it
// (Program Files for a user who is not an administrator).
bool FolderWritable(const std::string& folder) {
  static std::atomic<unsigned> serial{0};
  const std::wstring probe = Wide(folder) + L"\\.kestrival-write-test" +
                             std::to_wstring(::GetCurrentProcessId()) + L"." +
                             std::to_wstring(serial++);
  HANDLE h = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(h);
  return true;
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileWritable(const std::string& path) {
  Handle h(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return h.Valid();
}

bool MakeFolders(const std::string& path, std::string* why) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return true;
    if (why) *why = "not a folder";
    return false;
  }
  const std::string parent = FolderOf(path);
  if (parent != path && parent.size() > 2 && !MakeFolders(parent, why)) return false;
  if (::CreateDirectoryW(wide.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
    return true;
  if (why) *why = LastErrorText();
  return false;
}

std::string UserSettingsFolder(const std::string& name) {
  PWSTR folder = nullptr;
  std::wstring base;
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)) && folder)
    base = folder;
  ::CoTaskMemFree(folder);
  if (base.empty()) {
    wchar_t value[32768];
    const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", value, 32768);
    if (n == 0 || n >= 32768) return {};
    base.assign(value, n);
  }
  while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
  return Utf8(base) + "\\" + name;
}

std::string LastErrorText() {
  const DWORD error = ::GetLastError();
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = n && text ? std::wstring(text, n) : L"";
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                              message.back() == L' ' || message.back() == L'.'))
    message.pop_back();
  return message.empty() ? "error " + std::to_string(error) : Utf8(message);
}

}  // namespace files
}  // namespace platform
