// Painting of both windows' client areas onto SDL_Surfaces: the game window
// (drawing surface image with the labels over it) and the menu window
// (items, fixed labels and frames in their stacking order). `scale` is the
// whole-number pixel scale (1 at 96 dpi).
//
// Painting of single controls onto an SDL_Surface at a whole-number pixel
// scale: labels as a Windows label draws them, and outline-only rectangle
// shapes. Used by the window painter.
#pragma once

#include <SDL.h>

#include <span>
#include <vector>

#include "platform/platform.h"
#include "platform/raster/fonts.h"
#include "ui/game_window.h"
#include "ui/layout.h"

namespace quorvel {

// --- Single controls ---

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

// --- Whole windows ---

// Paints Form1's client area (339 x 339 at scale 1) into `out`: window
// background, the picture image at (0, 0), then the four labels.
void PaintForm1(SDL_Surface* out, SDL_Surface* picture, const Form1Labels& labels,
                const Form1Notes& notes, FontCache& fonts, int scale = 1);

// The game window's client area as the layers a renderer stacks, which
// together show exactly what PaintForm1 paints, from the bottom up:
//  1. the picture, enlarged scale x scale by the renderer (nearest pixel);
//  2. each see-through label's box: the enlarged picture under it with its
//     text over it, painted for every picture;
//  3. the overlay's rectangles (Form1OverlayRects), painted only when a text
//     or the scale changes: the window background right of and below the
//     picture, and the opaque labels.
// Every layer is copied as it is, with no blending, so that any renderer
// shows the same pixels. A see-through label must come before every opaque
// label it overlaps in the paint order, as it does in the game window.
std::span<const LabelLayout* const> Form1SeeThroughLabels();
// Paints the see-through `label`'s box (LabelRect at `scale`, which is
// `out`'s size): `picture` enlarged under it, then its text.
void PaintSeeThroughLabel(SDL_Surface* out, const LabelLayout& label, SDL_Surface* picture,
                          const Form1Labels& labels, FontCache& fonts, int scale);
// Paints the overlay into `out` (the client area's size): what its
// rectangles show.
void PaintForm1Overlay(SDL_Surface* out, const Form1Labels& labels, const Form1Notes& notes,
                       FontCache& fonts, int scale);
// The overlay's rectangles for a picture of `picture_w` x `picture_h`
// pixels before enlarging, in client-area pixels, in paint order.
std::vector<SDL_Rect> Form1OverlayRects(int picture_w, int picture_h, const Form1Labels& labels,
                                        const Form1Notes& notes, int scale);

// Paints Form2's client area (313 x 162 at scale 1) into `out`.
void PaintForm2(SDL_Surface* out, const MenuFrames& frames, FontCache& fonts, int scale = 1);

}  // namespace quorvel
