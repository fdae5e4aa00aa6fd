// The landmarks of a race that several parts of the game look for.
#pragma once

#include <cstdint>

namespace quorvel {

// Ticks after a reset: the start of the 40-tick countdown.
inline constexpr int32_t kResetTicks = -40;
// Lap once the third lap is done: the race is over and stands still.
inline constexpr int32_t kFinishedLap = 4;
// The eye's height above the road, in world units, outside a crash's fall.
inline constexpr float kEyeHeight = 4.0f;

}  // namespace quorvel
