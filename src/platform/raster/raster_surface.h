// The drawing surface's persistent off-screen image: an SDL_Surface whose
// pixels our own rasteriser (the primitives below) writes directly. Both
// platform implementations draw through this one class, so a headless frame
// is pixel for pixel what the window shows.
//
// Pixel coverage of each operation: see the primitives (in short,
// whole-number points are pixels; polygons include their outline; a
// rectangle from (x, y), w by h covers x <= px < x + w, y <= py < y + h, so
// the sky (0, 0, W + 1, H / 2 + 1) and the ground (0, H / 2, W + 1, H / 2 + 1)
// cover the whole image with the ground on the sky's last row).
//
// Calls are recorded and rasterised when image() looks at the
// image, with the same result as drawing at once; what later full-width
// rectangles have covered is never rasterised.
#pragma once

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <functional>

#include "platform/draw_op.h"
#include "platform/platform.h"

namespace quorvel {

// --- The primitives ---
// The drawing primitives of the drawing surface, written straight into a
// 32-bit ARGB8888 pixel buffer. Pixel convention (pixels): the point (x, y)
// with whole x and y is the pixel in column x and row y, as in the Windows
// graphics library. Colours are Windows colour values.
//
// All polygon and line arithmetic is exact in 64-bit integers for any int32
// corners, and anything wholly off the image is rejected by its bounding box
// before any per-pixel work.

// A width x height image whose rows lie `pitch` pixels apart.
struct PixelBuffer {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

// Whole pixels [x, x + w) x [y, y + h); empty when w or h is 0.
struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

// Whether the bounding box of `count` points lies wholly off the image, so
// that nothing drawn within it can touch a pixel. Inline: every polygon of
// a picture is tested, most of them more than once.
inline bool MissesImage(const PixelBuffer& image, const PolyPoint* points, int count) {
  int32_t min_x = points[0].x, max_x = points[0].x, min_y = points[0].y, max_y = points[0].y;
  for (int i = 1; i < count; ++i) {
    min_x = std::min(min_x, points[i].x);
    max_x = std::max(max_x, points[i].x);
    min_y = std::min(min_y, points[i].y);
    max_y = std::max(max_y, points[i].y);
  }
  return max_x < 0 || max_y < 0 || min_x >= image.width || min_y >= image.height;
}

// The opaque ARGB8888 pixel of a Windows colour value.
uint32_t PixelValue(Colour colour);

// Fill rule: the whole-number points strictly inside the triangle, and those
// exactly on a top edge (horizontal, the inside below it) or a left edge (not
// horizontal, the inside to its right) but on no other edge. So two
// triangles sharing an edge never both paint, nor both miss, a point of it,
// and a mesh paints every point inside it exactly once. A triangle of zero
// area paints nothing.
void FillTriangle(const PixelBuffer& image, const PolyPoint corners[3], uint32_t value);

// Bresenham line from a to b, both ends included: along the longer axis
// (x when the two spans are equal) every whole step between the ends gets
// the one pixel nearest to the line across it, a tie going to the smaller
// coordinate. The set is the same whichever end comes first; pixels off the
// image are skipped, so a clipped line lights exactly the pixels of the
// unclipped one that lie on the image.
void DrawLine(const PixelBuffer& image, PolyPoint a, PolyPoint b, uint32_t value);

// The triangle filled in `fill` by the fill rule, then its three edges drawn
// as lines in `pen`: the outline's pixels belong to the shape, so pieces
// sharing an edge leave no seam. Any corner order; a triangle of zero area
// (corners equal or in a line) is its outline only.
void RasterPolygon(const PixelBuffer& image, const PolyPoint corners[3], Colour fill, Colour pen);

// The pixel rectangle of a rectangle from (x, y), w by h pixels: the pixels
// (px, py) with x <= px < x + w and y <= py < y + h, within `width` x
// `height`; a negative w or h extends left or up. Empty (w or h 0) when
// nothing is covered or a value is not finite. So (0, 168.5, 338, 169.5)
// covers rows 169..337 and (0, 0, 338, 169.5) rows 0..169.
PixelRect RectPixels(float x, float y, float w, float h, int width, int height);

void FillPixels(const PixelBuffer& image, const PixelRect& rect, uint32_t value);

// The disc of the pixels whose distance from (x, y) is below r + 0.5 (so it
// rounds to at most r): its pixels with a left, right, upper or lower
// neighbour outside the disc in `outline`, the others in `fill`. Nothing for
// a negative or non-finite value.
void RasterCircle(const PixelBuffer& image, float x, float y, float r, Colour fill, Colour outline);
// The outline of RasterCircle's disc alone; the pixels inside stay.
void RasterRing(const PixelBuffer& image, float x, float y, float r, Colour outline);

// --- The surface ---

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

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace quorvel
