// language.csv of any content: the loader and the copy into the 512 slots of 256 bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/ScratchFile.h"
#include "i18n/InterfaceTexts.h"
#include "i18n/TranslationTable.h"

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
