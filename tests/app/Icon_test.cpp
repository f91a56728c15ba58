// The scalable icon and the pixel pictures are drawn from the same shapes: at the centre of every
// cell of a 16 x 16 grid (the shapes' edges lie on that grid), the topmost rectangle of the SVG
// has the colour of the 256-pixel picture, wherever that picture is opaque.
#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "app/KestrivalResources.h"

namespace {

struct SvgRect {
  double x, y, w, h;
  std::uint32_t rgb;
};

std::vector<SvgRect> Rects(const std::string& svg) {
  static const std::regex rect(
      R"re(<rect x="([0-9.]+)" y="([0-9.]+)" width="([0-9.]+)" height="([0-9.]+)" fill="#([0-9A-F]{6})"/>)re");
  std::vector<SvgRect> rects;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), rect); it != std::sregex_iterator();
       ++it) {
    const auto& m = *it;
    rects.push_back({std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]),
                     static_cast<std::uint32_t>(std::stoul(m[5], nullptr, 16))});
  }
  return rects;
}

TEST(Icon, ScalablePictureMatchesThePixelsCellByCell) {
  const std::string svg = KestrivalIconSvg();
  ASSERT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  ASSERT_NE(svg.find("</svg>"), std::string::npos);
  const std::vector<SvgRect> rects = Rects(svg);
  ASSERT_GE(rects.size(), 10u);
  const platform::IconPicture picture = RenderKestrivalIcon(256);
  ASSERT_EQ(picture.argb.size(), 256u * 256u);
  int compared = 0;
  for (int cy = 0; cy < 16; ++cy) {
    for (int cx = 0; cx < 16; ++cx) {
      const int px = cx * 16 + 8, py = cy * 16 + 8;
      const std::uint32_t pixel = picture.argb[static_cast<std::size_t>(py * 256 + px)];
      if ((pixel >> 24) != 0xFF) continue;  // a rounded corner
      std::uint32_t top = 0xFFFFFFFF;
      for (const SvgRect& r : rects) {
        if (px >= r.x && px < r.x + r.w && py >= r.y && py < r.y + r.h) top = r.rgb;
      }
      EXPECT_EQ(top, pixel & 0xFFFFFFu) << "cell " << cx << "," << cy;
      ++compared;
    }
  }
  EXPECT_GT(compared, 200);
}

TEST(Icon, EveryThemeSizeIsDrawnAtItsSize) {
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    const platform::IconPicture p = RenderKestrivalIcon(size);
    EXPECT_EQ(p.size, size);
    EXPECT_EQ(p.argb.size(), static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  }
  // The group's own pictures are the same drawing.
  for (const platform::IconPicture& p : KestrivalIcon().pictures)
    EXPECT_EQ(p.argb, RenderKestrivalIcon(p.size).argb) << p.size;
}

}  // namespace
