// The whole-number scale at which both windows are shown. Every pixel of
// the 96-dpi picture becomes a scale x scale block, so a high-density screen
// shows the same game, only bigger; the game itself still draws on its
// 337 x 337 surface.
#pragma once

#include <SDL.h>

namespace quorvel {

// The frame a window manager draws around a client area (title bar and
// borders), in screen pixels; all 0 without one.
struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
};

// 1 below 144 dpi (also for an unknown, non-positive or non-finite dpi);
// from 144 dpi on, the whole number nearest to dpi / 96 with halves rounded
// up: 144 -> 2, 192 -> 2, 240 -> 3, 288 -> 3; at most 16.
int ScaleForDpi(double dpi);

// The largest scale, at most `scale` and at least 1, at which a window
// whose client area is `width` x `height` pixels at scale 1 fits in
// `avail_width` x `avail_height` pixels. A bogus dpi (a television that
// reports a few centimetres of screen) must not open a window larger than
// the screen. Unknown room (a size of 0 or less) leaves `scale` as it is.
int ScaleThatFits(int scale, int width, int height, int avail_width, int avail_height);

// The largest scale, 1 to 16, at which that window fits in `avail_width` x
// `avail_height` pixels; `fallback` (at least 1) when the room is unknown
// (0 or less: the lookup failed), never the largest of all.
int LargestScaleIn(int fallback, int width, int height, int avail_width, int avail_height);

// The client area's new top-left corner, in screen pixels, when the client
// area `old` (screen pixels) becomes `width` x `height`: the centre stays
// where it was, so that growing and shrinking again puts the window back
// exactly; then moved just enough to keep the window and its `frame` inside
// `usable` (the top-left corner wins where it cannot fit, so the title bar
// stays reachable). An empty `usable` (unknown) moves nothing.
SDL_Point CentreKeptIn(const SDL_Rect& old, int width, int height, const SDL_Rect& usable,
                       const FrameExtents& frame);

// The scale for the display SDL has opened, for a window whose client area
// is `width` x `height` pixels at scale 1: the dpi as DisplayDpi() finds it,
// limited to what fits the first display's usable area.
int DisplayScale(int width, int height);

}  // namespace quorvel
