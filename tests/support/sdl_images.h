// Test helpers for SDL images: owned surfaces and reading one pixel. Only
// for tests that link SDL (the platform and ship folders).
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/raster/raster_surface.h"
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

// Colour of pixel (x, y) of the drawing surface's image as a Windows colour
// value; -1 outside it.
inline Colour ColourAt(RasterSurface& surface, int x, int y) {
  SDL_Surface* image = surface.image();
  if (x < 0 || y < 0 || x >= image->w || y >= image->h) return -1;
  const auto* row = static_cast<const uint8_t*>(image->pixels) + y * image->pitch;
  const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[x];  // ARGB8888
  return static_cast<Colour>(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
}

// Whether `actual` shows `expected` pixel for pixel (RGB; any formats);
// else how many pixels differ and the first of them, expected and actual.
inline ::testing::AssertionResult SameRgb(SDL_Surface* actual, SDL_Surface* expected) {
  if (actual == nullptr) return ::testing::AssertionFailure() << "no image";
  if (actual->w != expected->w || actual->h != expected->h) {
    return ::testing::AssertionFailure() << "size " << actual->w << "x" << actual->h
                                         << ", expected " << expected->w << "x" << expected->h;
  }
  SurfacePtr a(SDL_ConvertSurfaceFormat(actual, SDL_PIXELFORMAT_ARGB8888, 0), &SDL_FreeSurface);
  SurfacePtr b(SDL_ConvertSurfaceFormat(expected, SDL_PIXELFORMAT_ARGB8888, 0), &SDL_FreeSurface);
  int differing = 0, first_x = 0, first_y = 0;
  for (int y = 0; y < a->h; ++y) {
    for (int x = 0; x < a->w; ++x) {
      const Rgb pa = PixelAt(a.get(), x, y), pb = PixelAt(b.get(), x, y);
      if ((pa.r != pb.r || pa.g != pb.g || pa.b != pb.b) && differing++ == 0) {
        first_x = x;
        first_y = y;
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  const Rgb pa = PixelAt(a.get(), first_x, first_y), pb = PixelAt(b.get(), first_x, first_y);
  return ::testing::AssertionFailure()
         << differing << " pixels differ, first at (" << first_x << ", " << first_y
         << "): expected " << int{pb.r} << "," << int{pb.g} << "," << int{pb.b} << ", got "
         << int{pa.r} << "," << int{pa.g} << "," << int{pa.b};
}

// What the window's renderer shows now (ARGB8888), or nullptr. On SDL's
// software renderer the last present stays readable.
inline SurfacePtr ShownImage(SDL_Window* window) {
  SDL_Renderer* renderer = window != nullptr ? SDL_GetRenderer(window) : nullptr;
  int w = 0, h = 0;
  if (renderer == nullptr || SDL_GetRendererOutputSize(renderer, &w, &h) != 0) {
    return SurfacePtr(nullptr, &SDL_FreeSurface);
  }
  SurfacePtr out = NewImage(w, h);
  if (out != nullptr && SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888,
                                             out->pixels, out->pitch) != 0) {
    out.reset();
  }
  return out;
}

// The game's windows as SDL has them: the game window is the first one with
// a frame, the menu window the borderless one (nullptr before the first
// menu visit).
inline SDL_Window* FindWindow(bool borderless) {
  for (Uint32 id = 1; id < 64; ++id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (w != nullptr && ((SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS) != 0) == borderless) {
      return w;
    }
  }
  return nullptr;
}
inline SDL_Window* GameWindow() {
  return FindWindow(false);
}
inline SDL_Window* MenuWindow() {
  return FindWindow(true);
}

}  // namespace quorvel::testing
