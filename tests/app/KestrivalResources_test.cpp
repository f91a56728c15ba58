// The other resources of the executable: icon group 128, string 103, the version; and where the
// minimised dialog draws its icon.
#include "app/KestrivalResources.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <set>
#include <stdexcept>

#include "app/PaintMath.h"
#include "app/resource.h"

namespace {

std::uint32_t Alpha(std::uint32_t argb) {
  return argb >> 24;
}

TEST(Resources, StringVersionAndTables) {
  const platform::ResourceModule& m = KestrivalResources();
  EXPECT_EQ(m.strings.at(IDP_SOCKETS_INIT_FAILED), "Windows");
  EXPECT_EQ(m.strings.size(), 1u);
  EXPECT_EQ(m.fileVersion, "1.0.0.1");
  EXPECT_EQ(m.icons.at(IDR_MAINFRAME), &KestrivalIcon());
  EXPECT_EQ(m.dialogs.at(IDD_KESTRIVAL_DIALOG), &KestrivalDialogTemplate());
}

TEST(Resources, IconGroupHasFourSquarePictures) {
  const platform::IconImage& icon = KestrivalIcon();
  EXPECT_EQ(icon.id, IDR_MAINFRAME);
  ASSERT_EQ(icon.pictures.size(), 4u);
  const int sizes[] = {16, 24, 32, 48};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(icon.pictures[i].size, sizes[i]);
    EXPECT_EQ(icon.pictures[i].argb.size(),
              static_cast<std::size_t>(sizes[i]) * static_cast<std::size_t>(sizes[i]));
  }
}

class IconPicture : public ::testing::TestWithParam<int> {
 protected:
  const platform::IconPicture& Picture() const {
    for (const auto& p : KestrivalIcon().pictures) {
      if (p.size == GetParam()) return p;
    }
    throw std::runtime_error("no picture of this size");
  }
  std::uint32_t At(int x, int y) const {
    const auto& p = Picture();
    return p.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(p.size) +
                  static_cast<std::size_t>(x)];
  }
};

TEST_P(IconPicture, RoundedSquareWithTransparentCorners) {
  const int n = GetParam();
  for (auto [x, y] : {std::pair{0, 0}, {n - 1, 0}, {0, n - 1}, {n - 1, n - 1}}) {
    EXPECT_LT(Alpha(At(x, y)), 0x80u) << x << "," << y;
  }
  // Opaque along the middle of every edge and across the inside.
  for (auto [x, y] : {std::pair{n / 2, 0}, {0, n / 2}, {n - 1, n / 2}, {n / 2, n - 1}}) {
    EXPECT_EQ(Alpha(At(x, y)), 0xFFu) << x << "," << y;
  }
  int opaque = 0;
  for (std::uint32_t v : Picture().argb) opaque += Alpha(v) == 0xFF;
  EXPECT_GT(opaque, n * n * 85 / 100);
}

TEST_P(IconPicture, ShowsTheMotifInDistinctColours) {
  const int n = GetParam();
  // The finder pattern's white ring at the top left, the orange scan line across the middle and
  // the blue background between them.
  const std::uint32_t ring = At(n * 2 / 16, n * 4 / 16);
  const std::uint32_t scan = At(n / 2, n / 2);
  const std::uint32_t background = At(n / 2, n * 3 / 16);
  EXPECT_EQ(ring, 0xFFFFFFFFu);
  EXPECT_EQ(scan & 0xFFFF0000u, 0xFFFF0000u) << std::hex << scan << ": strong red channel";
  EXPECT_LT((scan >> 0) & 0xFF, 0x40u) << std::hex << scan;
  EXPECT_LT((background >> 16) & 0xFF, 0x40u) << std::hex << background;
  EXPECT_GT(background & 0xFF, 0x90u) << std::hex << background;
  std::set<std::uint32_t> colours(Picture().argb.begin(), Picture().argb.end());
  EXPECT_GE(colours.size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, IconPicture, ::testing::Values(16, 24, 32, 48));

struct IconSpot {
  int width, height, iconW, iconH;
  int x, y;
};

void PrintTo(const IconSpot& s, std::ostream* os) {
  *os << s.width << "x" << s.height << " icon " << s.iconW << "x" << s.iconH;
}

class MinimisedIcon : public ::testing::TestWithParam<IconSpot> {};

TEST_P(MinimisedIcon, CentredWithTruncatingDivision) {
  const IconSpot& s = GetParam();
  POINT at = MinimisedIconPosition(s.width, s.height, s.iconW, s.iconH);
  EXPECT_EQ(at.x, s.x);
  EXPECT_EQ(at.y, s.y);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MinimisedIcon,
    ::testing::Values(IconSpot{36, 36, 32, 32, 2, 2}, IconSpot{35, 35, 32, 32, 2, 2},
                      IconSpot{0, 0, 32, 32, -15, -15}, IconSpot{32, 32, 32, 32, 0, 0},
                      IconSpot{31, 30, 32, 32, 0, -0}, IconSpot{29, 28, 32, 32, -1, -1},
                      IconSpot{100, 40, 16, 16, 42, 12}));

}  // namespace
