// Putting the car on the start line and clearing the race.
#pragma once

#include "race/race_state.h"
#include "ui/game_window.h"

namespace quorvel {

// Car at rest on StartGate's respawn pose (no heading offset), LastGate 0,
// Ticks -40 (the countdown), Lap 1, PastStartLine true, Steer and CameraLag
// 0; the goal banner emptied and hidden. Leaves the eye point, CarType, the
// menu choices, both latches, the course tables and the timer alone, and
// draws nothing.
void ResetRace(RaceState& s, Form1Labels& labels);

}  // namespace quorvel
