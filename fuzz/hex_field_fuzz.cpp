// Prefix and suffix text in either input format: never more than the field, never past the edit.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "params/Payloads.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (int format : {0, 1, -1}) {
    int pairs = 0;
    auto field = BuildFixField(format, text, [&](int i, int byte) {
      if (i != pairs++ || byte < 0 || byte > 255) std::abort();
    });
    if (format == 0 && pairs > 15) std::abort();
    (void)field;
  }
  auto card = BuildCardFixPayload({1, 0, text, text});
  (void)card;
  return 0;
}
