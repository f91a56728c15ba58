// Things that stand where a file is expected but are no regular file: a folder or a named pipe.
// Opening a named pipe for reading waits for a writer; WithoutWriter runs a call and, should it
// still wait after a while, plays that writer once so that the test fails instead of hanging.
// Header only, for the platform, i18n and dialog test programs alike.
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

namespace testing_support {

enum class SpecialFile { kFolder, kNamedPipe };

inline const char* SpecialFileName(SpecialFile kind) {
  return kind == SpecialFile::kFolder ? "Folder" : "NamedPipe";
}

// False where the system cannot put such a thing at a path in a folder (Windows keeps its named
// pipes apart, under \\.\pipe\).
inline bool SpecialFileAvailable(SpecialFile kind) {
#ifdef _WIN32
  return kind == SpecialFile::kFolder;
#else
  static_cast<void>(kind);
  return true;
#endif
}

// Makes a folder or a named pipe at path; true when it stands there.
inline bool MakeSpecialFile(const std::filesystem::path& path, SpecialFile kind) {
  if (kind == SpecialFile::kFolder) return std::filesystem::create_directory(path);
#ifdef _WIN32
  return false;
#else
  return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

// Makes the special file at path in a test, or skips the test where the system has none.
#define KESTRIVAL_MAKE_SPECIAL_FILE(path, kind)                                               \
  do {                                                                                        \
    if (!testing_support::SpecialFileAvailable(kind))                                         \
      GTEST_SKIP() << "no " << testing_support::SpecialFileName(kind) << " in a folder here"; \
    ASSERT_TRUE(testing_support::MakeSpecialFile(path, kind));                                \
  } while (0)

// Runs call; true when it returned within the time without anybody writing to the pipe at path.
template <typename Call>
bool WithoutWriter(const std::filesystem::path& path, Call call,
                   std::chrono::milliseconds patience = std::chrono::milliseconds(3000)) {
  auto done = std::async(std::launch::async, call);
  if (done.wait_for(patience) == std::future_status::ready) {
    done.get();
    return true;
  }
  // The call waits for a writer: open and close the pipe once so that it can go on.
#ifndef _WIN32
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
#else
  static_cast<void>(path);
#endif
  done.get();
  return false;
}

}  // namespace testing_support
