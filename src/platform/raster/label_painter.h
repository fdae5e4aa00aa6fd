// Painting of single controls onto an SDL_Surface at a whole-number pixel
// scale: labels as a Windows label draws them, and outline-only rectangle
// shapes. Used by the window painter.
#pragma once

#include <SDL.h>

#include "platform/raster/fonts.h"
#include "ui/layout.h"

namespace quorvel {

// Labels with no font of their own use the default user-interface font at
// this size (points).
inline constexpr float kDefaultFontPoints = 9.0f;

// Twips to pixels at `scale` pixels per 96-dpi pixel: rounded down to a
// whole 96-dpi pixel first, then scaled, so a scaled window is the 96-dpi
// one in scale x scale blocks. Half-twip frame positions (907.5 twips =
// 60.5 px) land on 60 (120 at scale 2), which centres a 1455-twip cursor
// frame exactly on a 1335-, 1695- or 1815-twip item.
int TwipsToPixels(double twips, int scale);

// The label's rectangle in pixels.
SDL_Rect LabelRect(const LabelLayout& label, int scale);

// Paints `label` with `caption` (UTF-8): its background unless transparent,
// then the text in one line from the label's top, aligned left, right or
// centred, clipped to the label. A caption wider than the label is narrowed
// horizontally just enough to fit, so no character is cut. A label that is not enabled shows its
// text greyed and embossed, as Windows draws a disabled label. Without a font only the background
// is painted.
// `origin`: where `out`'s top-left pixel lies in the window, for painting
// one label into an image of its own box.
void PaintLabel(SDL_Surface* out, const LabelLayout& label, const char* caption, FontCache& fonts,
                int scale, SDL_Point origin = {0, 0});

// Outlines the rectangle (left, top, width, height in twips) with lines
// `pen_pixels` pixels wide lying inside it, in `colour`.
void PaintShapeOutline(SDL_Surface* out, double left, double top, double width, double height,
                       int pen_pixels, Rgb colour, int scale);

}  // namespace quorvel
