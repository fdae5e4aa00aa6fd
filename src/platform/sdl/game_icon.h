// The game window's own 16 x 16 icon: the car marker of the beginner car
// (a dark green disc outlined in white, with a small circle in its lower
// half) on a transparent background.
#pragma once

#include <SDL.h>

namespace quorvel {

// A new 16 x 16 ARGB8888 surface that the caller frees, or nullptr when SDL
// cannot allocate it.
SDL_Surface* CreateGameIcon();

}  // namespace quorvel
