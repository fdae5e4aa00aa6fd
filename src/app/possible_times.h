// Which race and lap times a race of a course can really make, so that a
// records file holding one no race can make (a single tick, a lap longer
// than a third of the race) is known for garbled: such a record could never
// be beaten.
#pragma once

#include <cstdint>

namespace quorvel {

// The fewest ticks a race of the course `course` (the menu's CourseChoice,
// 0 or 1) can take, worked out from its gates and the car's acceleration.
int32_t FastestRace(int32_t course);

// Whether a race of `course` can end with these times (ticks of 80 ms): no
// faster than FastestRace, three laps that fit in the race, and a best lap
// no shorter than the way from the start line to the last gate and back at
// the top speed the race allows.
bool PossibleTimes(int32_t course, int32_t race, int32_t lap);

}  // namespace quorvel
