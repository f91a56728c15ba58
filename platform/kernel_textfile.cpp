// The C runtime's text mode on top of a binary stream: CR LF reads as LF, 0x1A ends the data.
#include <cstdio>

#include "platform/kernel.h"

namespace platform {

namespace {
constexpr int kEndOfData = 0x1A;
}

TextModeFile::~TextModeFile() {
  Close();
}

bool TextModeFile::Open(const char* path) {
  Close();
  file_ = OpenRegularFile(path);
  return file_ != nullptr;
}

long TextModeFile::Size() const {
  if (file_ == nullptr) return -1;
  long position = std::ftell(file_);
  if (position < 0 || std::fseek(file_, 0, SEEK_END) != 0) return -1;
  long size = std::ftell(file_);
  std::fseek(file_, position, SEEK_SET);
  return size;
}

std::size_t TextModeFile::Read(void* buffer, std::size_t n) {
  if (file_ == nullptr || buffer == nullptr) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t count = 0;
  while (count < n && !ended_) {
    int c = std::getc(file_);
    if (pendingCr_) {
      // The CR read last time (or just now) is kept unless a LF follows it.
      pendingCr_ = false;
      if (c == '\n') {
        out[count++] = '\n';
        continue;
      }
      out[count++] = '\r';
      if (c == EOF) break;
      if (count == n) {
        std::ungetc(c, file_);
        break;
      }
    }
    if (c == EOF) break;
    if (c == kEndOfData) {
      ended_ = true;
    } else if (c == '\r') {
      pendingCr_ = true;
    } else {
      out[count++] = static_cast<unsigned char>(c);
    }
  }
  return count;
}

void TextModeFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  pendingCr_ = false;
  ended_ = false;
}

}  // namespace platform
