// The two courses. Each builder replaces StartGate, Gates (re-dimensioned,
// old gates discarded) and RoadTriCount, overwrites the triangles it uses
// and leaves the triangles beyond its count as they were. It sets the car's
// Pos(0), Pos(1) and Heading to 0; ResetRace puts the car on the start pose.
#pragma once

#include <cstdint>

#include "race/race_state.h"

namespace quorvel {

// Course 1: five arcs and a straight in grey, red start line, 102 triangles,
// 16 gates. RoadWidth (world units) changes only the triangles.
void BuildCourse1(RaceState& s, const int32_t& RoadWidth);

// Course 2: 56 cells of 40 x 40 on a grid in seven colours, 112 triangles,
// 29 gates.
void BuildCourse2(RaceState& s);

}  // namespace quorvel
