// language.csv of any content: the loader and the copy into the 512 slots of 256 bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "i18n/InterfaceTexts.h"
#include "i18n/TranslationTable.h"

namespace {

// The file each input is written to, removed when the run ends.
struct ScratchFile {
  explicit ScratchFile(const char* name)
      : path("/tmp/kestrival-fuzz-" + std::to_string(getpid()) + "-" + name) {}
  ~ScratchFile() { std::remove(path.c_str()); }
  std::string path;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile scratch("language.csv");
  const std::string& path = scratch.path;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  TranslationTable table;
  if (!table.Load(path.c_str())) return 0;
  static char slots[512][256];
  for (std::uint32_t language : {0u, 1u, 2u, 3u}) {
    CopyLanguageColumn(table, language, slots);
    for (const auto& slot : slots) {
      // Every slot stays a terminated string of at most 255 bytes.
      if (std::memchr(slot, '\0', sizeof slot) == nullptr) std::abort();
    }
  }
  return 0;
}
