// One race step: the car motion, then gates and laps, the move, the finish,
// the road test and, when the car has left the road, the crash sequence.
#pragma once

#include "platform/platform.h"
#include "race/car_motion.h"
#include "race/race_state.h"
#include "ui/game_window.h"

namespace quorvel {

// The second half of a race step, after CarMotionStep gave (NewX, NewY):
// counts the lowest-index gate the step crosses, moves the car, shows
// "ゴール" when Lap reaches 4, and runs the crash sequence when the new
// position lies in no road triangle (19 fall frames, each drawn and followed
// by an 80 ms sleep, a black 1600 ms pause, 39 ticks charged, restart at
// LastGate). Does not draw the final frame: the tick does that.
void LapsCrashAndRespawn(RaceState& s, Form1Labels& labels, Platform& platform, float NewX,
                         float NewY);

// Whether (x, y) lies in at least one of the road triangles in use.
bool OnRoad(const RaceState& s, float x, float y);

// CarMotionStep followed by LapsCrashAndRespawn.
void RaceStep(RaceState& s, Form1Labels& labels, Platform& platform, const DirectionFlags& in);

}  // namespace quorvel
