// Test helpers for SDL images: owned surfaces and reading one pixel. Only
// for tests that link SDL (the platform and ship folders).
#pragma once

#include <SDL.h>

#include <memory>

#include "ui/layout.h"

namespace quorvel::testing {

using SurfacePtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

// A w x h ARGB8888 image, freed with its owner.
inline SurfacePtr NewImage(int w, int h) {
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888),
                    &SDL_FreeSurface);
}

// Colour of pixel (x, y) of a 32-bit surface.
inline Rgb PixelAt(SDL_Surface* s, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
  Rgb c;
  SDL_GetRGB(reinterpret_cast<const Uint32*>(row)[x], s->format, &c.r, &c.g, &c.b);
  return c;
}

}  // namespace quorvel::testing
