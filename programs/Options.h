// The options every program answers: --help and --version, and one clear line for any other.
#pragma once

#include <cstdio>
#include <cstring>

#ifndef KESTRIVAL_VERSION
#define KESTRIVAL_VERSION "unknown"
#endif

namespace programs {

// For a program without options of its own besides those accepted: prints help (standard output,
// status 0) or the version (status 0), or names an unknown option or argument (standard error,
// status 2). Returns -1 when the program goes on.
inline int StandardOptions(int argc, char** argv, const char* name, const char* help,
                           const char* const* accepted = nullptr) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      std::fputs(help, stdout);
      return 0;
    }
    if (std::strcmp(arg, "--version") == 0) {
      std::printf("%s %s\n", name, KESTRIVAL_VERSION);
      return 0;
    }
    bool known = false;
    for (const char* const* a = accepted; a && *a && !known; ++a) known = std::strcmp(arg, *a) == 0;
    if (!known) {
      std::fprintf(stderr, "%s: unknown option '%s' (try '%s --help')\n", name, arg, name);
      return 2;
    }
  }
  return -1;
}

}  // namespace programs
