// The .ico file that the resource compiler takes: read back as Windows reads it, every picture
// of the group gives its own pixels, and the mask marks exactly the transparent ones.
#include "platform/IconFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::uint32_t Le(const std::string& bytes, std::size_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes.at(at + static_cast<std::size_t>(i)));
  return value;
}

platform::IconPicture Picture(int size, std::uint32_t seed) {
  platform::IconPicture p{size, {}};
  for (int i = 0; i < size * size; ++i) {
    const auto n = static_cast<std::uint32_t>(i) * 2654435761u + seed;
    p.argb.push_back(i % 5 == 0 ? (n & 0x00FFFFFFu) : (n | 0xFF000000u));  // some transparent
  }
  return p;
}

TEST(IconFile, EveryPictureReadsBackWithItsMask) {
  platform::IconImage icon{128, {Picture(16, 1), Picture(24, 2), Picture(32, 3), Picture(48, 4)}};
  const std::string ico = platform::EncodeIcoFile(icon);
  ASSERT_EQ(Le(ico, 0, 2), 0u);
  ASSERT_EQ(Le(ico, 2, 2), 1u) << "type: icon";
  ASSERT_EQ(Le(ico, 4, 2), icon.pictures.size());
  for (std::size_t k = 0; k < icon.pictures.size(); ++k) {
    const platform::IconPicture& p = icon.pictures[k];
    const auto size = static_cast<std::uint32_t>(p.size);
    const std::size_t entry = 6 + 16 * k;
    EXPECT_EQ(Le(ico, entry, 1), size);
    EXPECT_EQ(Le(ico, entry + 1, 1), size);
    EXPECT_EQ(Le(ico, entry + 6, 2), 32u) << "bits per pixel";
    const std::size_t at = Le(ico, entry + 12, 4);
    const std::uint32_t length = Le(ico, entry + 8, 4);
    ASSERT_LE(at + length, ico.size());
    EXPECT_EQ(Le(ico, at, 4), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(Le(ico, at + 4, 4), size);
    EXPECT_EQ(Le(ico, at + 8, 4), 2 * size) << "colour and mask";
    const std::size_t pixels = at + 40;
    const std::size_t mask = pixels + size * size * 4;
    const std::uint32_t maskStride = (size + 31) / 32 * 4;
    EXPECT_EQ(mask + maskStride * size, at + length);
    for (std::uint32_t y = 0; y < size; ++y) {
      for (std::uint32_t x = 0; x < size; ++x) {
        const std::uint32_t row = size - 1 - y;  // stored bottom up
        const std::uint32_t argb = p.argb[y * size + x];
        ASSERT_EQ(Le(ico, pixels + (row * size + x) * 4, 4), argb) << k << ": " << x << "," << y;
        const bool transparent =
            (static_cast<unsigned char>(ico[mask + row * maskStride + x / 8]) >> (7 - x % 8)) & 1;
        ASSERT_EQ(transparent, (argb >> 24) == 0) << k << ": " << x << "," << y;
      }
    }
  }
}

}  // namespace
