// Where the private-profile functions keep a file of the program folder. A program installed
// into a folder its users cannot write (/usr/lib/kestrival) still keeps each user's settings: the
// writes that the folder refuses go to a per-user copy, and reads take that copy first and the
// program folder's own file for whatever the copy lacks, as the target platform does for old
// programs that write beside themselves. A writable program folder keeps its file as it is.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The per-user folder for the settings of the program called name: $XDG_CONFIG_HOME/name, or
// $HOME/.config/name when XDG_CONFIG_HOME is unset, empty or not absolute (the home folder from
// the user database when HOME is not set either). Empty when no home folder is known.
std::string UserSettingsFolder(const std::string& name);

// True when file lives in the program folder, the runtime names a per-user folder, and the
// program folder (or the file itself) cannot be written by this process.
bool ProfileIsRedirected(const std::string& file);

// The files a profile read consults, in order: the per-user copy first when the file is
// redirected, then the file itself.
std::vector<std::string> ProfileReadPaths(const std::string& file);

// The file a profile write goes to: the file itself, or its per-user copy when the file is
// redirected (the per-user folder is made, owner-only, as needed). Empty, after a trace line
// saying why, when the per-user copy cannot be written.
std::string ProfileWritePath(const std::string& file);

}  // namespace platform
