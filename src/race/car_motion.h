// The first half of a race step: steering, throttle lean, speed, heading and
// the point the car moves to in this tick.
#pragma once

#include "race/race_state.h"

namespace quorvel {

// The tick's direction flags. Both of a pair may be set (one from the
// keyboard, one from the stick); left wins over right, down over up.
struct DirectionFlags {
  bool left = false;
  bool right = false;
  bool down = false;  // brake
  bool up = false;    // accelerate
};

struct MotionResult {
  float NewX = 0;  // target point, world units
  float NewY = 0;
  float SpeedStep = 0;  // speed change chosen in this step, world units per tick
  float TurnStep = 0;   // heading change before halving, radians
};

// Updates Steer, CameraLag, Speed and Heading from the flags and returns the
// target point Pos + Speed * (cos Heading, sin Heading) with the new speed
// and heading. Never touches Pos; reads CarType.
MotionResult CarMotionStep(RaceState& s, const DirectionFlags& in);

}  // namespace quorvel
