// The drawing surface's persistent off-screen image: an SDL_Surface whose
// pixels our own rasteriser (raster_primitives.h) writes directly. Both
// platform implementations draw through this one class, so a headless frame
// is pixel for pixel what the window shows.
//
// Pixel coverage of each operation: see raster_primitives.h (in short,
// whole-number points are pixels; polygons include their outline; a
// rectangle from (x, y), w by h covers x <= px < x + w, y <= py < y + h, so
// the sky (0, 0, W + 1, H / 2 + 1) and the ground (0, H / 2, W + 1, H / 2 + 1)
// cover the whole image with the ground on the sky's last row).
//
// Calls are recorded and rasterised when image() or PixelAt() looks at the
// image, with the same result as drawing at once; what later full-width
// rectangles have covered is never rasterised.
#pragma once

#include <SDL.h>

#include <functional>

#include "platform/draw_op.h"

namespace quorvel {

class RasterSurface final : public DrawOpSurface {
 public:
  // An image of width x height pixels (the surface's inner size), cleared to
  // black, fill and pen colours black. Needs no video subsystem. Sizes below
  // 1 are taken as 1.
  RasterSurface(int width, int height);
  ~RasterSurface() override;
  RasterSurface(const RasterSurface&) = delete;
  RasterSurface& operator=(const RasterSurface&) = delete;

  float ScaleWidth() const override;
  float ScaleHeight() const override;
  // A refresh calls the refresh hook (the platform shows the image there).
  void Draw(const DrawOp& op) override;

  void SetRefreshHook(std::function<void()> hook);
  // The image, 32-bit ARGB8888, owned by this object.
  SDL_Surface* image() const;
  // Colour of one pixel as a Windows colour value (for tests); -1 outside
  // the image.
  Colour PixelAt(int x, int y) const;

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace quorvel
