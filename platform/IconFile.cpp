#include "platform/IconFile.h"

#include <cstdint>

namespace platform {
namespace {

void Put16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// BITMAPINFOHEADER, the colour rows bottom up, then the AND mask (1 = transparent), each mask row
// padded to 32 bits.
std::string Bitmap(const IconPicture& picture) {
  const auto size = static_cast<std::uint32_t>(picture.size);
  const std::uint32_t maskStride = (size + 31) / 32 * 4;
  std::string out;
  Put32(out, 40);
  Put32(out, size);
  Put32(out, size * 2);  // colour and mask together
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, 0);  // BI_RGB
  Put32(out, size * size * 4 + maskStride * size);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (std::uint32_t row = size; row-- > 0;)
    for (std::uint32_t x = 0; x < size; ++x) Put32(out, picture.argb[row * size + x]);
  for (std::uint32_t row = size; row-- > 0;) {
    std::string mask(maskStride, '\0');
    for (std::uint32_t x = 0; x < size; ++x)
      if ((picture.argb[row * size + x] >> 24) == 0)
        mask[x / 8] = static_cast<char>(mask[x / 8] | (0x80 >> (x % 8)));
    out += mask;
  }
  return out;
}

}  // namespace

std::string EncodeIcoFile(const IconImage& icon) {
  std::string header;
  Put16(header, 0);
  Put16(header, 1);  // an icon
  Put16(header, static_cast<unsigned>(icon.pictures.size()));
  std::string images;
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * icon.pictures.size());
  for (const IconPicture& picture : icon.pictures) {
    const std::string bitmap = Bitmap(picture);
    header.push_back(static_cast<char>(picture.size >= 256 ? 0 : picture.size));
    header.push_back(static_cast<char>(picture.size >= 256 ? 0 : picture.size));
    header.push_back(0);  // no palette
    header.push_back(0);
    Put16(header, 1);   // planes
    Put16(header, 32);  // bits per pixel
    Put32(header, static_cast<std::uint32_t>(bitmap.size()));
    Put32(header, offset);
    offset += static_cast<std::uint32_t>(bitmap.size());
    images += bitmap;
  }
  return header + images;
}

}  // namespace platform
