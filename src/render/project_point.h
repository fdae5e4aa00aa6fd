// Projection of a ground point onto the drawing surface, seen from the eye
// point Pos(2), Pos(3) looking along Heading.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/platform.h"
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

// What a projection did: left the picture point alone, or wrote it and
// found it unusable or usable. 0 is none of them, for keepers of outcomes.
enum class ProjectionOutcome : uint8_t { kNotWritten = 1, kWrittenUnusable, kWrittenUsable };

// ProjectPoint from `view` as a value: ScreenX, ScreenY as one picture
// point (meaningful unless not written), and what ProjectPoint did, which
// tells apart the two ways it returns false.
struct GroundProjection {
  PolyPoint screen;  // pixels
  ProjectionOutcome outcome;
};
GroundProjection ProjectGroundPoint(const ProjectionView& view, float GroundX, float GroundY);

// A test for points well beside or behind the view, which spares them the
// arctangent, sine and cosine of the projection. Most points beside the
// view lie close to its edge, where the pieces of split triangles crowd,
// but a good part lie well away.
class ViewCone {
 public:
  explicit ViewCone(const ProjectionView& view);
  // True only where ProjectGroundPoint(view, GroundX, GroundY) writes
  // nothing; false says nothing either way.
  bool SurelyOutside(float GroundX, float GroundY) const {
    const double dx = static_cast<double>(GroundX) - eye_x_;
    const double dy = static_cast<double>(GroundY) - eye_y_;
    const double length2 = dx * dx + dy * dy;
    // Non-finite points take the projection's own way.
    if (!sure_ || !(length2 < std::numeric_limits<double>::infinity())) return false;
    const double along = dx * cos_ + dy * sin_;  // length times the cosine off the view
    return along < 0 || along * along < kSureOutsideCos2 * length2;
  }

 private:
  // The cosine off the view, squared, below which a point surely fails the
  // projection's test of "more than 0.2" (see project_point.cpp).
  static constexpr double kSureOutsideCos2 = 0.036;

  double eye_x_ = 0;  // world units
  double eye_y_ = 0;
  double cos_ = 0;  // of the heading
  double sin_ = 0;
  bool sure_ = false;  // whether the test can be made for this view at all
};

}  // namespace quorvel
