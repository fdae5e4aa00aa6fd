#include "platform/sdl/display_scale.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/sdl/x11_queries.h"

namespace quorvel {

namespace {

constexpr double kBaseDpi = 96.0;  // the density the layout's pixels are meant for
constexpr double kHighDpi = 144.0;
constexpr int kMaxScale = 16;  // far beyond any screen; keeps window sizes in int range

}  // namespace

int ScaleForDpi(double dpi) {
  if (!std::isfinite(dpi) || dpi < kHighDpi) return 1;
  const double nearest = std::floor(dpi / kBaseDpi + 0.5);
  return static_cast<int>(std::clamp(nearest, 1.0, static_cast<double>(kMaxScale)));
}

int ScaleThatFits(int scale, int width, int height, int avail_width, int avail_height) {
  scale = std::clamp(scale, 1, kMaxScale);
  if (avail_width <= 0 || avail_height <= 0 || width <= 0 || height <= 0) return scale;
  while (scale > 1 && (width * scale > avail_width || height * scale > avail_height)) --scale;
  return scale;
}

int LargestScaleIn(int fallback, int width, int height, int avail_width, int avail_height) {
  if (avail_width <= 0 || avail_height <= 0) return std::clamp(fallback, 1, kMaxScale);
  return ScaleThatFits(kMaxScale, width, height, avail_width, avail_height);
}

namespace {

// `at` moved as little as possible into [low, high]; `low` when that is empty.
int Within(int at, int low, int high) {
  return std::max(std::min(at, high), low);
}

}  // namespace

SDL_Point CentreKeptIn(const SDL_Rect& old, int width, int height, const SDL_Rect& usable,
                       const FrameExtents& frame) {
  // Halved towards zero both ways, so the step and its reverse cancel.
  SDL_Point at{old.x + (old.w - width) / 2, old.y + (old.h - height) / 2};
  if (usable.w <= 0 || usable.h <= 0) return at;
  at.x = Within(at.x, usable.x + frame.left, usable.x + usable.w - frame.right - width);
  at.y = Within(at.y, usable.y + frame.top, usable.y + usable.h - frame.bottom - height);
  return at;
}

int DisplayScale(int width, int height) {
  const int wanted = ScaleForDpi(DisplayDpi());
  if (wanted == 1) return 1;
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = SDL_Rect{};
  return ScaleThatFits(wanted, width, height, usable.w, usable.h);
}

}  // namespace quorvel
