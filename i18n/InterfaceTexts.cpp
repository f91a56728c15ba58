#include "i18n/InterfaceTexts.h"

#include <cstring>
#include <string>

#include "platform/kernel.h"

std::size_t WholeCharacterPrefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t length = 0;
  while (length < text.size()) {
    auto lead = static_cast<BYTE>(text[length]);
    std::size_t width = IsDBCSLeadByte(lead) && length + 1 < text.size() ? 2 : 1;
    if (length + width > limit) break;
    length += width;
  }
  return length;
}

void CopyLanguageColumn(const TranslationTable& table, std::uint32_t language,
                        char (&slots)[kInterfaceTextCount][kInterfaceTextSize]) {
  for (std::uint32_t n = 0; n < static_cast<std::uint32_t>(kInterfaceTextCount); ++n) {
    const std::string* text = table.Field(n, language);
    if (text == nullptr) continue;
    std::size_t length = WholeCharacterPrefix(*text, kInterfaceTextSize - 1);
    std::memcpy(slots[n], text->data(), length);
    slots[n][length] = '\0';
  }
}
