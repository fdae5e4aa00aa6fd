#include "render/project_point.h"

#include <cmath>

#include "render/nearest_int32.h"

namespace quorvel {

namespace {

// The game's own value of pi: its half decides points straight along the y
// axis from the eye, and it is what a point behind the eye's x gains.
constexpr double kPi = 3.14159265358979;

bool WithinPictureBound(int32_t v) {
  return v >= -10000 && v <= 10000;
}

// Angle of (dx, dy) from +x towards +y, radians, rounded to single.
float BearingOf(double dx, double dy) {
  const float dx_single = static_cast<float>(dx);
  if (dx_single > 0) return static_cast<float>(std::atan(dy / dx));
  if (dx_single < 0) return static_cast<float>(std::atan(dy / dx) + kPi);
  if (dy > 0) return static_cast<float>(kPi / 2);
  if (dy < 0) return static_cast<float>(-(kPi / 2));
  return 0.0f;
}

}  // namespace

GroundProjection ProjectGroundPoint(const ProjectionView& view, float GroundX, float GroundY) {
  const double dx = static_cast<double>(GroundX) - static_cast<double>(view.eye_x);
  const double dy = static_cast<double>(GroundY) - static_cast<double>(view.eye_y);
  const float dist = static_cast<float>(std::sqrt(dx * dx + dy * dy));
  const float bearing = BearingOf(dx, dy);
  const float rel = static_cast<float>(static_cast<double>(bearing) - view.heading);
  const double cos_rel = std::cos(static_cast<double>(rel));

  // Written as "not usable" tests so that NaN anywhere also rejects the point.
  if (!(cos_rel > 0.2) || !(dist >= 0.1f)) return {{}, ProjectionOutcome::kNotWritten};

  const double sin_rel = std::sin(static_cast<double>(rel));
  const double w = view.width;
  const int32_t x = NearestInt32(((sin_rel * -1) / cos_rel + 1) * w / 1.8);
  const int32_t y =
      NearestInt32(((static_cast<double>(view.eye_height) / dist) / cos_rel + 1) * w / 1.8);
  return {{x, y},
          WithinPictureBound(y) && WithinPictureBound(x) ? ProjectionOutcome::kWrittenUsable
                                                         : ProjectionOutcome::kWrittenUnusable};
}

// ProjectGroundPoint rounds the bearing and the relative angle to single,
// so its cosine of the relative angle is off the true cosine by at most
// 6e-8 times (10 + |heading|), under 3e-4 for headings up to kSureHeading
// radians. A point whose true cosine is below 0.1897 (the root of
// kSureOutsideCos2) thus fails its test of "more than 0.2"; the double
// arithmetic of SurelyOutside is off by some 1e-15 only.
constexpr double kSureHeading = 4096;

ViewCone::ViewCone(const ProjectionView& view)
    : eye_x_(view.eye_x),
      eye_y_(view.eye_y),
      cos_(std::cos(static_cast<double>(view.heading))),
      sin_(std::sin(static_cast<double>(view.heading))),
      sure_(std::abs(static_cast<double>(view.heading)) <= kSureHeading &&
            std::isfinite(view.eye_x) && std::isfinite(view.eye_y)) {}

bool ProjectPoint(const RaceState& s, float SurfaceWidth, const float& GroundX,
                  const float& GroundY, int32_t& ScreenX, int32_t& ScreenY,
                  const float& EyeHeight) {
  const GroundProjection p =
      ProjectGroundPoint(ProjectionView::Of(s, SurfaceWidth, EyeHeight), GroundX, GroundY);
  if (p.outcome != ProjectionOutcome::kNotWritten) {
    ScreenX = p.screen.x;
    ScreenY = p.screen.y;
  }
  return p.outcome == ProjectionOutcome::kWrittenUsable;
}

}  // namespace quorvel
