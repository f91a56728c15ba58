// Icon group 128, drawn by code: a blue rounded square with three white QR-code finder patterns,
// a few data modules and an orange scan line across the middle. Each picture is rendered from the
// same shapes in unit coordinates with 4 x 4 samples per pixel, so the small sizes stay legible.
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/KestrivalResources.h"
#include "app/resource.h"

namespace {

constexpr std::uint32_t kBlue = 0xFF1358B8;
constexpr std::uint32_t kDeepBlue = 0xFF0B3C82;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kOrange = 0xFFFF7A1A;
constexpr std::uint32_t kClear = 0x00000000;

constexpr int kSamples = 4;  // per pixel and axis

struct Box {
  double x0, y0, x1, y1;
  bool Contains(double x, double y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// The rounded background square, corner radius r.
bool InRoundedSquare(double x, double y, double inset, double r) {
  const double lo = inset, hi = 1.0 - inset;
  if (x < lo || x >= hi || y < lo || y >= hi) return false;
  const double cx = x < lo + r ? lo + r : x > hi - r ? hi - r : x;
  const double cy = y < lo + r ? lo + r : y > hi - r ? hi - r : y;
  const double dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= r * r;
}

// A finder pattern at (x, y) of side s: a white ring, a blue gap and a white centre.
std::uint32_t Finder(double px, double py, double x, double y, double s) {
  const Box outer{x, y, x + s, y + s};
  if (!outer.Contains(px, py)) return kClear;
  const double ring = s / 5.0;
  const Box gap{x + ring, y + ring, x + s - ring, y + s - ring};
  if (!gap.Contains(px, py)) return kWhite;
  const double core = s * 0.4;
  const Box centre{x + core, y + core, x + s - core, y + s - core};
  return centre.Contains(px, py) ? kWhite : kClear;
}

// The shapes, in unit coordinates; the pixel pictures and the scalable picture draw these.
constexpr double kCornerRadius = 0.1875;
constexpr double kFinder = 0.3125;  // side of a finder pattern
constexpr std::array<std::array<double, 2>, 3> kFinders{
    {{0.125, 0.125}, {0.5625, 0.125}, {0.125, 0.5625}}};
// Data modules in the fourth corner, a small checker. Edges fall on whole pixels at 16 px.
constexpr Box kModules[] = {{0.5625, 0.5625, 0.6875, 0.6875},
                            {0.75, 0.75, 0.875, 0.875},
                            {0.75, 0.5625, 0.875, 0.625},
                            {0.5625, 0.8125, 0.6875, 0.875}};
// The reader's scan line in the gap between the rows of finders.
constexpr Box kScanLine{0.0625, 0.4375, 0.9375, 0.5625};

// The background: blue above the middle, deep blue below.
std::uint32_t BackgroundAt(double y) {
  return y < 0.5 ? kBlue : kDeepBlue;
}

// The colour at a point of the unit square (painter's order: later shapes on top).
std::uint32_t ColourAt(double x, double y) {
  if (!InRoundedSquare(x, y, 0.0, kCornerRadius)) return kClear;
  std::uint32_t colour = BackgroundAt(y);
  for (auto [fx, fy] : kFinders) {
    if (std::uint32_t c = Finder(x, y, fx, fy, kFinder); c != kClear) colour = c;
  }
  for (const Box& m : kModules) {
    if (m.Contains(x, y)) colour = kWhite;
  }
  if (kScanLine.Contains(x, y)) colour = kOrange;
  return colour;
}

// SVG of a colour and of a box, on a 256-unit canvas.
std::string Rgb(std::uint32_t argb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(argb & 0xFFFFFFu));
  return text;
}
std::string Rect(const Box& b, std::uint32_t colour) {
  char text[160];
  std::snprintf(text, sizeof text,
                "  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" fill=\"%s\"/>\n", b.x0 * 256,
                b.y0 * 256, (b.x1 - b.x0) * 256, (b.y1 - b.y0) * 256, Rgb(colour).c_str());
  return text;
}

std::uint32_t Channel(std::uint32_t argb, int shift) {
  return (argb >> shift) & 0xFFu;
}

// Averages the samples of one pixel: alpha by coverage, colour weighted by alpha (straight alpha).
std::uint32_t Pixel(int px, int py, int size) {
  std::uint32_t sumA = 0, sumR = 0, sumG = 0, sumB = 0;
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const double x = (px + (sx + 0.5) / kSamples) / size;
      const double y = (py + (sy + 0.5) / kSamples) / size;
      const std::uint32_t c = ColourAt(x, y);
      const std::uint32_t a = Channel(c, 24);
      sumA += a;
      sumR += a * Channel(c, 16);
      sumG += a * Channel(c, 8);
      sumB += a * Channel(c, 0);
    }
  }
  if (sumA == 0) return kClear;
  constexpr std::uint32_t n = kSamples * kSamples;
  const std::uint32_t a = (sumA + n / 2) / n;
  const std::uint32_t r = (sumR + sumA / 2) / sumA;
  const std::uint32_t g = (sumG + sumA / 2) / sumA;
  const std::uint32_t b = (sumB + sumA / 2) / sumA;
  return a << 24 | r << 16 | g << 8 | b;
}

}  // namespace

platform::IconPicture RenderKestrivalIcon(int size) {
  platform::IconPicture picture{size, {}};
  picture.argb.reserve(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) picture.argb.push_back(Pixel(x, y, size));
  }
  return picture;
}

std::string KestrivalIconSvg() {
  std::string svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
      "viewBox=\"0 0 256 256\">\n"
      "  <clipPath id=\"square\"><rect width=\"256\" height=\"256\" rx=\"" +
      std::to_string(static_cast<int>(kCornerRadius * 256)) + "\"/></clipPath>\n" +
      "  <g clip-path=\"url(#square)\">\n";
  svg += Rect({0, 0, 1, 0.5}, BackgroundAt(0.0));
  svg += Rect({0, 0.5, 1, 1}, BackgroundAt(1.0));
  for (auto [fx, fy] : kFinders) {
    const double ring = kFinder / 5.0, core = kFinder * 0.4;
    svg += Rect({fx, fy, fx + kFinder, fy + kFinder}, kWhite);
    svg += Rect({fx + ring, fy + ring, fx + kFinder - ring, fy + kFinder - ring}, BackgroundAt(fy));
    svg += Rect({fx + core, fy + core, fx + kFinder - core, fy + kFinder - core}, kWhite);
  }
  for (const Box& m : kModules) svg += Rect(m, kWhite);
  svg += Rect(kScanLine, kOrange);
  svg += "  </g>\n</svg>\n";
  return svg;
}

const platform::IconImage& KestrivalIcon() {
  static const platform::IconImage icon{IDR_MAINFRAME,
                                        {RenderKestrivalIcon(16), RenderKestrivalIcon(24),
                                         RenderKestrivalIcon(32), RenderKestrivalIcon(48)}};
  return icon;
}
