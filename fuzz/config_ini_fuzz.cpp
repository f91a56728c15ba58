// config.ini of any content: reading the language as the tool does, and a rewrite that keeps
// the rest of the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/ScratchFile.h"
#include "platform/kernel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile scratch("config.ini");
  const std::string& path = scratch.path;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  GetPrivateProfileIntA("themes", "language", 1, path.c_str());
  GetPrivateProfileIntA("Version_Info", "Version", 0, path.c_str());
  char value[64];
  GetPrivateProfileStringA("themes", "language", "", value, sizeof value, path.c_str());
  WritePrivateProfileStringA("Version_Info", "Version", "20171001", path.c_str());
  WritePrivateProfileStringA("themes", "language", "2", path.c_str());
  // What was written reads back.
  if (GetPrivateProfileIntA("themes", "language", 7, path.c_str()) != 2) {
    std::fprintf(stderr, "language did not read back after a write\n");
    std::abort();
  }
  return 0;
}
