// The game's icon: the car marker of the beginner car (a dark green disc
// outlined in white, with a small white ring in its lower half) on a
// transparent background. One drawing in proportions of the icon's side,
// sampled afresh at every size, so a large icon has smooth outlines rather
// than the blocks of an enlarged small one; below 32 pixels it is sampled
// at pixel centres only, which keeps small icons crisp.
#pragma once

#include <SDL.h>

namespace quorvel {

// The title bar's icon size, in pixels.
inline constexpr int kWindowIconPixels = 16;

// A new `size` x `size` ARGB8888 surface (straight, not premultiplied alpha)
// that the caller frees, or nullptr when `size` is below 1 or SDL cannot
// allocate it. Needs no video subsystem.
SDL_Surface* CreateGameIcon(int size);

}  // namespace quorvel
