// The file a file-reading fuzz target writes each input to, removed when the run ends.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

struct ScratchFile {
  explicit ScratchFile(const char* name)
      : path("/tmp/kestrival-fuzz-" + std::to_string(getpid()) + "-" + name) {}
  ~ScratchFile() { std::remove(path.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  std::string path;
};
