// Pictures between two 80 ms ticks, for a display that refreshes faster:
// the scene from a pose part of the way from the last tick's to the one the
// next tick will give if the player's input stays as it is now. The race
// itself is untouched: only ticks move it.
#pragma once

#include "platform/platform.h"
#include "race/game.h"

namespace quorvel {

// Whether a picture between ticks would differ from the tick's own: a race
// is running (not the countdown, not the finished race, no menu). Between
// the countdown's ticks, the crash's pictures and those of the frozen
// finish, the picture stays the tick's.
bool MovesBetweenTicks(const Game& g);

// Draws and refreshes the picture at `alpha` (0 = the last tick, 1 = the
// next) of the way to the pose the car-motion step gives with `held`, the
// keys and stick held now; position, heading, steering and throttle lean
// are blended as reals. The labels are left as the tick set them. At alpha
// 0 the pixels are the tick's own. Does nothing where MovesBetweenTicks is
// false, or where the pose would not change (a car standing still).
void DrawBetweenTicks(const Game& g, Surface& picture, const InputEvent& held, double alpha);

}  // namespace quorvel
