// Drawing of one ground triangle in the surface's current fill and pen
// colours, culled by distance from the car and split at the edge of the
// usable view.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "race/race_state.h"

namespace quorvel {

// Draws the triangle (X1, Y1), (X2, Y2), (X3, Y3) in world units. SplitDepth
// is 0 for a course triangle; pieces are split up to depth 5.
void DrawGroundTriangle(const RaceState& s, Surface& picture, const float& X1, const float& Y1,
                        const float& X2, const float& Y2, const float& X3, const float& Y3,
                        const int32_t& SplitDepth, const float& EyeHeight);

}  // namespace quorvel
