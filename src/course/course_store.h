// Store operations that fill the course tables of a RaceState. A call outside
// the tables (triangle index above 119, gate index outside Gates, a gate
// coordinate whose rounded value does not fit 16 bits) is a programming
// error: it stops the program with a message naming the call, and never
// writes out of bounds.
#pragma once

#include <cstdint>

#include "race/race_state.h"

namespace quorvel {

// Stores triangle `Index` (corners in world units) and its colour.
void SetRoadTri(RaceState& s, int32_t Index, float X1, float Y1, float X2, float Y2, float X3,
                float Y3, int32_t Color);

// Stores the square grid cell (Col, Row) of side CellSize as triangles Index
// and Index + 1, split along the diagonal from (x1, y0) to (x0, y1).
void AddRoadQuad(RaceState& s, int32_t Index, float Col, float Row, const int32_t& CellSize,
                 int32_t Color);

// Stores gate `Index`; the six coordinates are rounded to the nearest
// integer, ties to even; the heading is kept bit for bit.
void SetGate(RaceState& s, int32_t Index, float RespawnX, float RespawnY, float RespawnHeading,
             float LineX1, float LineY1, float LineX2, float LineY2);

}  // namespace quorvel
