// Projection of a ground point onto the drawing surface, seen from the eye
// point Pos(2), Pos(3) looking along Heading.
#pragma once

#include <cstdint>

#include "race/race_state.h"

namespace quorvel {

// Maps (GroundX, GroundY) in world units to picture column ScreenX and row
// ScreenY in pixels, for an eye EyeHeight world units above the ground and a
// surface `SurfaceWidth` pixels wide (focal length and horizon row are both
// SurfaceWidth / 1.8). Returns false without writing the outputs when the
// point is too far to the side (cos of the relative angle <= 0.2), closer
// than 0.1 to the eye, or not a finite direction; otherwise writes both
// (rounded to nearest, ties to even, saturated to the int32 range) and
// returns whether both lie within +-10000. A point straight along the y axis
// from the eye has the bearing +-pi/2.
bool ProjectPoint(const RaceState& s, float SurfaceWidth, const float& GroundX,
                  const float& GroundY, int32_t& ScreenX, int32_t& ScreenY, const float& EyeHeight);

// What a projection reads besides the point: the eye Pos(2), Pos(3) and
// Heading, the surface width in pixels and the eye height in world units.
struct ProjectionView {
  float eye_x = 0;
  float eye_y = 0;
  float heading = 0;
  float width = 0;
  float eye_height = 0;

  static ProjectionView Of(const RaceState& s, float SurfaceWidth, float EyeHeight) {
    return {s.Pos[2], s.Pos[3], s.Heading, SurfaceWidth, EyeHeight};
  }
};

// ProjectPoint's work as a value, for callers that keep it: whether the
// outputs would be written, what they would be, and the result.
struct GroundProjection {
  bool written = false;  // false: beside or behind the view, too close, or no direction
  bool usable = false;   // the result: written, and both within +-10000
  int32_t x = 0;         // pixels; meaningful only when written
  int32_t y = 0;
};
GroundProjection ProjectGroundPoint(const ProjectionView& view, float GroundX, float GroundY);

}  // namespace quorvel
