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

int DisplayScale(int width, int height) {
  const int wanted = ScaleForDpi(DisplayDpi());
  if (wanted == 1) return 1;
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = SDL_Rect{};
  return ScaleThatFits(wanted, width, height, usable.w, usable.h);
}

}  // namespace quorvel
