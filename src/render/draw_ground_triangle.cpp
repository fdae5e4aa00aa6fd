#include "render/draw_ground_triangle.h"

#include <cmath>

#include "render/project_point.h"

namespace quorvel {

namespace {

constexpr int32_t kMaxSplitDepth = 5;
constexpr double kCullRadius = 400;  // world units from the car, not from the eye

// False also for a NaN distance, so a corner with NaN coordinates counts as far.
bool NearCar(const RaceState& s, float x, float y) {
  const double dy = static_cast<double>(y) - s.Pos[1];
  const double dx = static_cast<double>(x) - s.Pos[0];
  return std::sqrt(dy * dy + dx * dx) <= kCullRadius;
}

float Midpoint(float a, float b) {
  return static_cast<float>((static_cast<double>(a) + static_cast<double>(b)) / 2);
}

}  // namespace

void DrawGroundTriangle(const RaceState& s, Surface& picture, const float& X1, const float& Y1,
                        const float& X2, const float& Y2, const float& X3, const float& Y3,
                        const int32_t& SplitDepth, const float& EyeHeight) {
  if (SplitDepth > kMaxSplitDepth) return;
  if (!NearCar(s, X1, Y1) && !NearCar(s, X2, Y2) && !NearCar(s, X3, Y3)) return;

  // An unusable corner keeps the zero (or half-written) point; such a
  // triangle is never handed to Polygon as a whole.
  PolyPoint points[3] = {};
  const float width = picture.ScaleWidth();
  const bool usable1 = ProjectPoint(s, width, X1, Y1, points[0].x, points[0].y, EyeHeight);
  const bool usable2 = ProjectPoint(s, width, X2, Y2, points[1].x, points[1].y, EyeHeight);
  const bool usable3 = ProjectPoint(s, width, X3, Y3, points[2].x, points[2].y, EyeHeight);

  if (usable1 && usable2 && usable3) {
    picture.Polygon(points);
    return;
  }
  if (!usable1 && !usable2 && !usable3) return;

  const float m12x = Midpoint(X1, X2), m12y = Midpoint(Y1, Y2);
  const float m13x = Midpoint(X1, X3), m13y = Midpoint(Y1, Y3);
  const float m23x = Midpoint(X2, X3), m23y = Midpoint(Y2, Y3);
  const int32_t depth = SplitDepth + 1;
  DrawGroundTriangle(s, picture, X1, Y1, m12x, m12y, m13x, m13y, depth, EyeHeight);
  DrawGroundTriangle(s, picture, X2, Y2, m12x, m12y, m23x, m23y, depth, EyeHeight);
  DrawGroundTriangle(s, picture, X3, Y3, m13x, m13y, m23x, m23y, depth, EyeHeight);
  DrawGroundTriangle(s, picture, m23x, m23y, m12x, m12y, m13x, m13y, depth, EyeHeight);
}

}  // namespace quorvel
