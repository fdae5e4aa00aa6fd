// Painting of both windows' client areas onto SDL_Surfaces: the game window
// (drawing surface image with the labels over it) and the menu window
// (items, fixed labels and frames in their stacking order). `scale` is the
// whole-number pixel scale (1 at 96 dpi).
#pragma once

#include <SDL.h>

#include "platform/platform.h"
#include "platform/raster/fonts.h"
#include "ui/game_window.h"

namespace quorvel {

// Paints Form1's client area (339 x 339 at scale 1) into `out`: window
// background, the picture image at (0, 0), then the four labels.
void PaintForm1(SDL_Surface* out, SDL_Surface* picture, const Form1Labels& labels, FontCache& fonts,
                int scale = 1);

// Paints Form2's client area (313 x 162 at scale 1) into `out`.
void PaintForm2(SDL_Surface* out, const MenuFrames& frames, FontCache& fonts, int scale = 1);

}  // namespace quorvel
