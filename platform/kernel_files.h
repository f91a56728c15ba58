// The file-system calls under the kernel stand-ins, one part per platform (kernel_files_posix.cpp,
// kernel_files_win32.cpp). Paths are 8-bit strings: on POSIX the bytes the system takes, on
// Windows UTF-8, turned into UTF-16 for the W functions (a user's folder may hold characters
// outside code page 936).
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform::files {

// A separator between a folder and a name: '/' everywhere, '\\' also on Windows.
bool IsSeparator(char c);

// Replaces the file's whole content through a temporary file in the same folder, so that a
// failure leaves the old file whole; keeps an existing file's permissions and writes through a
// symbolic link. False when it cannot be written.
bool ReplaceWhole(const std::string& path, const std::string& bytes);

// Reads the whole file into *bytes. False, with the reason in *why and *bytes empty, when the
// path names nothing ("no such file"), a folder ("a folder, not a file") or another thing that
// is no regular file ("not a regular file", never waiting for a named pipe's writer), when the
// file holds more than limit bytes ("larger than <limit> bytes"), or when it cannot be read (the
// system's text).
bool ReadWhole(const std::string& path, std::string* bytes, std::size_t limit, std::string* why);

// Two names of one folder (a relative path, a link) count as the same folder.
bool SameFolder(const std::string& a, const std::string& b);
// True when this process can make files in the folder.
bool FolderWritable(const std::string& folder);
bool Exists(const std::string& path);
// True when this process can write the existing file.
bool FileWritable(const std::string& path);
// Makes every missing folder of path (owner-only where the system has such a mode). On failure
// false, with the reason in *why.
bool MakeFolders(const std::string& path, std::string* why);

// The per-user folder for the settings of the program called name: on POSIX
// $XDG_CONFIG_HOME/name, or $HOME/.config/name when XDG_CONFIG_HOME is unset, empty or not
// absolute (the home folder from the user database when HOME is not set either); on Windows
// %APPDATA%\name. Empty when none is known.
std::string UserSettingsFolder(const std::string& name);

// The system's text for the last failed call of this thread.
std::string LastErrorText();

}  // namespace platform::files
