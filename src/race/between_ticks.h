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
// are blended as reals. While `held` gives the same next pose as for the
// pictures before, the way runs from the tick's pose, so at alpha 0 the
// pixels are the tick's own. Once it gives another, the rest of the way runs
// from the pose last shown (g.form1.between) to the new one, reached at
// alpha 1: what the pictures before showed and the next tick will not is
// taken back in even steps over the pictures left, never in one jump. The
// labels are left as the tick set them. Does nothing where MovesBetweenTicks
// is false, or while the picture would stay the tick's (a car standing
// still).
void DrawBetweenTicks(Game& g, Surface& picture, const InputEvent& held, double alpha);

}  // namespace quorvel
