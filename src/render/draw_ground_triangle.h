// Drawing of one ground triangle in the surface's current fill and pen
// colours, culled by distance from the car and split at the edge of the
// usable view.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "race/race_state.h"
#include "render/projection_cache.h"

namespace quorvel {

// Draws the triangle (X1, Y1), (X2, Y2), (X3, Y3) in world units as one
// Polygon when all three corners project usably, nothing when none does or
// when every corner is farther than 400 from the car Pos(0), Pos(1), and
// otherwise as its four midpoint pieces, recursively, in the order (1, M12,
// M13), (2, M12, M23), (3, M13, M23), (M23, M12, M13). SplitDepth is 0 for a
// course triangle and must not be negative; pieces are split up to depth 5,
// so one call makes at most 1024 polygons. Corners are projected through
// `projections`, which the triangles of one picture share.
void DrawGroundTriangle(const RaceState& s, Surface& picture, ProjectionCache& projections,
                        const float& X1, const float& Y1, const float& X2, const float& Y2,
                        const float& X3, const float& Y3, const int32_t& SplitDepth,
                        const float& EyeHeight);

}  // namespace quorvel
