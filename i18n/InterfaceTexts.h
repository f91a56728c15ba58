// The interface text table: slot N holds interface text N of the current language, a
// NUL-terminated 8-bit (GBK) string of at most 255 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "i18n/TranslationTable.h"

// The length of the longest prefix of a GBK text made of whole characters (a lead byte 0x81 to
// 0xFE with the byte after it, or any other single byte) that is at most limit bytes long, so
// that a text cut there never ends in a lone lead byte.
std::size_t WholeCharacterPrefix(std::string_view text, std::size_t limit);

constexpr int kInterfaceTextCount = 512;
constexpr int kInterfaceTextSize = 256;

// Copies field `language` of row N into slot N for every N from 0 to 511 that the table provides;
// every other slot keeps what it held. A field longer than 255 bytes is cut to the longest prefix
// of whole GBK characters that fits in 255 bytes, so no lead byte is left without its trail byte.
void CopyLanguageColumn(const TranslationTable& table, std::uint32_t language,
                        char (&slots)[kInterfaceTextCount][kInterfaceTextSize]);
