#include "platform/sdl/game_icon.h"

#include <cmath>
#include <cstdint>

namespace quorvel {

namespace {

constexpr int kSize = 16;  // pixels
constexpr uint32_t kTransparent = 0x00000000;
constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kDarkGreen = 0xFF008000;

// Roughly the marker's proportions (radius 20, small circle radius 5 centred 8 below
// the large one's centre) scaled to the icon, in pixels from its top left.
constexpr double kCentre = 8.0;
constexpr double kRadius = 8.0;
constexpr double kSmallCentreY = kCentre + 3.0;
constexpr double kSmallRadius = 2.5;
constexpr double kOutline = 1.1;

uint32_t IconPixel(int x, int y) {
  const double px = x + 0.5;
  const double py = y + 0.5;
  const double big = std::hypot(px - kCentre, py - kCentre);
  if (big > kRadius) return kTransparent;
  if (big > kRadius - kOutline) return kWhite;
  const double small = std::hypot(px - kCentre, py - kSmallCentreY);
  if (small <= kSmallRadius && small > kSmallRadius - kOutline) return kWhite;
  return kDarkGreen;
}

}  // namespace

SDL_Surface* CreateGameIcon() {
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, kSize, kSize, 32, SDL_PIXELFORMAT_ARGB8888);
  if (icon == nullptr) return nullptr;
  for (int y = 0; y < kSize; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(icon->pixels) + y * icon->pitch);
    for (int x = 0; x < kSize; ++x) row[x] = IconPixel(x, y);
  }
  return icon;
}

}  // namespace quorvel
