#include "platform/sdl/game_icon.h"

#include <cmath>
#include <cstdint>

namespace quorvel {

namespace {

struct Argb {
  double a, r, g, b;  // 0..1
};

constexpr Argb kWhite{1, 1, 1, 1};
constexpr Argb kDarkGreen{1, 0, 128.0 / 255.0, 0};

// The drawing in icon-side units (the icon is 1 x 1): roughly the game's
// marker (radius 20, small circle of radius 5 centred 8 below the large
// one's centre), as first drawn on 16 pixels (radius 8, small ring centred
// 3 below, radius 2.5, outlines 1.1 pixels wide).
constexpr double kCentre = 0.5;
constexpr double kRadius = 0.5;
constexpr double kSmallCentreY = kCentre + 3.0 / 16;
constexpr double kSmallRadius = 2.5 / 16;
constexpr double kOutline = 1.1 / 16;

// Samples per pixel along each axis; the colour is their mean. Small icons
// take one sample at the pixel's centre: smoothed, their 1-pixel outlines
// would turn to a grey blur, and the title bar's 16 x 16 icon stays the
// crisp one it was first drawn as. From 32 pixels on, edges are smooth.
int SamplesPerAxis(int size) {
  return size < 32 ? 1 : 4;
}

// The drawing's colour at (x, y) in icon-side units; nothing outside the disc.
bool DrawingAt(double x, double y, Argb& colour) {
  const double big = std::hypot(x - kCentre, y - kCentre);
  if (big > kRadius) return false;
  const double small = std::hypot(x - kCentre, y - kSmallCentreY);
  const bool outline =
      big > kRadius - kOutline || (small <= kSmallRadius && small > kSmallRadius - kOutline);
  colour = outline ? kWhite : kDarkGreen;
  return true;
}

uint32_t Channel(double v, int shift) {
  return static_cast<uint32_t>(std::lround(v * 255.0)) << shift;
}

uint32_t IconPixel(int x, int y, int size) {
  const int samples = SamplesPerAxis(size);
  Argb sum{0, 0, 0, 0};
  for (int sy = 0; sy < samples; ++sy) {
    for (int sx = 0; sx < samples; ++sx) {
      Argb c{};
      const double px = (x + (sx + 0.5) / samples) / size;
      const double py = (y + (sy + 0.5) / samples) / size;
      if (!DrawingAt(px, py, c)) continue;
      sum.a += c.a;
      sum.r += c.r;
      sum.g += c.g;
      sum.b += c.b;
    }
  }
  if (sum.a == 0) return 0;
  // Colours are averaged over the covered samples only: straight alpha.
  const double alpha = sum.a / (samples * samples);
  return Channel(alpha, 24) | Channel(sum.r / sum.a, 16) | Channel(sum.g / sum.a, 8) |
         Channel(sum.b / sum.a, 0);
}

}  // namespace

SDL_Surface* CreateGameIcon(int size) {
  if (size < 1) return nullptr;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return nullptr;
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
    for (int x = 0; x < size; ++x) row[x] = IconPixel(x, y, size);
  }
  return icon;
}

}  // namespace quorvel
