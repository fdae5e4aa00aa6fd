// Side-of-line, point-in-triangle and segment-crossing tests on the ground
// plane. The two composite tests call SideOfLine and nothing else, so its
// vertical threshold and its "on the line counts as below" rule decide how
// road edges and gate lines behave.
#include "geometry/plane_tests.h"

#include <cmath>

namespace quorvel {

namespace {

// Lines closer to vertical than this (in world units of x over the two given
// points) are compared by x only; it also keeps the division below away from
// tiny denominators.
constexpr float kVerticalThreshold = 0.001f;

}  // namespace

bool SideOfLine(float x1, float y1, float x2, float y2, float px, float py) {
  const float d = static_cast<float>(std::fabs(static_cast<double>(x2) - x1));
  if (d < kVerticalThreshold) return px > x1;
  // The line's y at px, evaluated wide and rounded to single once, so that a
  // point whose y equals the stored value counts as on the line.
  const double wide_yl =
      ((static_cast<double>(px) - x1) * y2 + (static_cast<double>(x2) - px) * y1) /
      (static_cast<double>(x2) - x1);
  const float yl = static_cast<float>(wide_yl);
  return yl < py;
}

bool InTriangle(float x1, float y1, float x2, float y2, float x3, float y3, float px, float py) {
  const bool s1 = SideOfLine(x1, y1, x3, y3, x2, y2);
  const bool s2 = SideOfLine(x1, y1, x3, y3, px, py);
  const bool s3 = SideOfLine(x1, y1, x2, y2, x3, y3);
  const bool s4 = SideOfLine(x1, y1, x2, y2, px, py);
  const bool s5 = SideOfLine(x2, y2, x3, y3, x1, y1);
  const bool s6 = SideOfLine(x2, y2, x3, y3, px, py);
  return s1 == s2 && s3 == s4 && s5 == s6;
}

bool SegmentsCross(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy) {
  const bool t1 = SideOfLine(ax, ay, bx, by, cx, cy);
  const bool t2 = SideOfLine(ax, ay, bx, by, dx, dy);
  const bool t3 = SideOfLine(cx, cy, dx, dy, ax, ay);
  const bool t4 = SideOfLine(cx, cy, dx, dy, bx, by);
  return t1 != t2 && t3 != t4;
}

}  // namespace quorvel
