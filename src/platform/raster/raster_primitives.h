// The drawing primitives of the drawing surface, done with SDL's software
// renderer on the renderer's target. Pixel convention (pixels): the point
// (x, y) with whole x and y is the pixel in column x and row y, as in the
// Windows graphics library. Colours are Windows colour values.
#pragma once

#include <SDL.h>

#include "platform/platform.h"

namespace quorvel {

// Corners beyond this many pixels from the origin are clipped away before
// SDL sees them: SDL's triangle setup multiplies 32-bit coordinates at twice
// the pixel resolution, which stays exact only up to about 11585 pixels.
inline constexpr int32_t kPolygonGuard = 11000;

// The pixels strictly inside the triangle in `fill`, then the three one-pixel
// lines between the corners in `pen`, so the corners and edges belong to the
// shape and pieces sharing an edge leave no seam. Any corner order, any
// coordinates (beyond kPolygonGuard clipped first). Where an edge leaves the
// image SDL clips its line, which can move those outline pixels by up to two
// pixels; no pixel inside is ever left unpainted.
void RasterPolygon(SDL_Renderer* renderer, const PolyPoint points[3], Colour fill, Colour pen);

// The pixel rectangle of a rectangle from (x, y), w by h pixels: the pixels
// (px, py) with x <= px < x + w and y <= py < y + h, within `width` x
// `height`; a negative w or h extends left or up. Empty (w or h 0) when
// nothing is covered or a value is not finite. So (0, 168.5, 338, 169.5)
// covers rows 169..337 and (0, 0, 338, 169.5) rows 0..169.
SDL_Rect RectPixels(float x, float y, float w, float h, int width, int height);

// The disc of the pixels whose distance from (x, y) is below r + 0.5 (so it
// rounds to at most r): its pixels with a left, right, upper or lower
// neighbour outside the disc in `outline`, the others in `fill`. Nothing for
// a negative or non-finite value.
void RasterCircle(SDL_Renderer* renderer, int width, int height, float x, float y, float r,
                  Colour fill, Colour outline);

SDL_Color ToSdlColour(Colour colour);

}  // namespace quorvel
