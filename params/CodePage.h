// Code-page conversion of texts between UTF-8 and the system's 8-bit code page (CP_ACP, GBK),
// on MultiByteToWideChar / WideCharToMultiByte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Each returns a new[]-allocated, NUL-terminated text that the caller releases with delete[];
// the input is not changed. Characters the target cannot hold are replaced as the platform's
// conversion does with flags 0 ('?' in GBK, U+FFFD for invalid UTF-8). A conversion that fails
// gives an empty text, never an unterminated one.
char* Utf8ToAnsi(const char* text);
char* AnsiToUtf8(const char* text);

// The same for a fixed-width field: the text ends at its first NUL or after len bytes, and
// nothing past field + len is read (a 32-byte cloud field without NUL converts its 32 bytes).
char* Utf8ToAnsi(const char* field, std::size_t len);
char* AnsiToUtf8(const char* field, std::size_t len);

// The same conversions for a caller that keeps the result: the text ends at its first NUL or at
// its end, and there is nothing to release.
std::string Utf8ToAnsiString(std::string_view text);
std::string AnsiToUtf8String(std::string_view text);
