// The parameters of the control messages: an index in wParam, a text in lParam, and a text copied
// back into the caller's buffer.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "platform/windef.h"

namespace platform {

// The index a message carries in wParam (-1 and other negatives arrive sign-extended).
inline int IndexParam(WPARAM wParam) {
  return static_cast<int>(static_cast<INT_PTR>(wParam));
}

// The text an lParam points to; "" for a null pointer.
inline const char* TextParam(LPARAM lParam) {
  const char* text = reinterpret_cast<const char*>(lParam);
  return text ? text : "";
}

// Copies text into a caller's buffer of `size` bytes, keeping at most size - 1 bytes and a NUL.
// Returns the bytes copied; 0 without a buffer.
inline LRESULT CopyText(const std::string& text, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 0;
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<LRESULT>(n);
}

}  // namespace platform
