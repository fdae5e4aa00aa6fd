// Course 1: five circular arcs and a straight, one road colour, a thin start
// line, 102 triangles and 16 gates. Positions are world units, angles radians.
#include <cmath>
#include <cstdint>
#include <vector>

#include "course/course_builders.h"
#include "course/course_store.h"

namespace quorvel {

namespace {

// The course's own value of pi: angles built from it put the corners at
// +-pi/2 about 1e-13 units off the axis, and those values are kept.
constexpr double kPi = 3.14159265358979;

constexpr int32_t kRoadColor = 8421504;      // grey (128, 128, 128)
constexpr int32_t kStartLineColor = 255;     // red
constexpr int16_t kRoadTriCount = 102;       // five arcs, the straight, the start line
constexpr int32_t kLastGate = 15;            // gates 0..15
constexpr int32_t kStraightFirstTri = 80;    // ten pieces 40 long, x -400..0
constexpr int32_t kStartLineFirstTri = 100;  // x -1..0, over the last straight piece

// Single-precision headings nearest to the multiples of pi; the computed
// arc-gate headings round to the same values.
constexpr float kQuarterPi = 0.7853982f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kThreeQuarterPi = 2.3561945f;
constexpr float kPiF = 3.1415927f;

// How an arc's start angle enters its step angles; kept as an operation
// rather than a signed constant so each arc adds exactly what it always has.
enum class StartAngle { MinusHalfPi, PlusHalfPi, PlusPi, None };

struct Arc {
  int32_t first_tri;
  double cx, cy;   // centre
  int32_t radius;  // centre line
  int32_t steps;   // pi/10 each
  StartAngle start;
};

constexpr Arc kArcs[] = {
    {0, 0, 200, 200, 10, StartAngle::MinusHalfPi},    {20, 0, 300, 100, 5, StartAngle::PlusHalfPi},
    {30, -200, 300, 100, 10, StartAngle::PlusPi},     {50, -400, 300, 100, 5, StartAngle::None},
    {60, -400, 200, 200, 10, StartAngle::PlusHalfPi},
};

double StepAngle(const Arc& arc, int32_t step) {
  const double turned = (static_cast<double>(step) / 10) * kPi;
  switch (arc.start) {
    case StartAngle::MinusHalfPi:
      return turned - kPi / 2;
    case StartAngle::PlusHalfPi:
      return turned + kPi / 2;
    case StartAngle::PlusPi:
      return turned + kPi;
    case StartAngle::None:
      break;
  }
  return turned;
}

struct Corner {
  float x, y;
};

Corner ArcCorner(const Arc& arc, int32_t r, double theta) {
  return {static_cast<float>(r * std::cos(theta) + arc.cx),
          static_cast<float>(r * std::sin(theta) + arc.cy)};
}

void StoreArc(RaceState& s, const Arc& arc, int32_t half_width) {
  const int32_t ri = arc.radius - half_width;
  const int32_t ro = arc.radius + half_width;
  for (int32_t step = 0; step < arc.steps; ++step) {
    const double theta0 = StepAngle(arc, step);
    const double theta1 = StepAngle(arc, step + 1);
    const Corner i0 = ArcCorner(arc, ri, theta0);
    const Corner i1 = ArcCorner(arc, ri, theta1);
    const Corner o0 = ArcCorner(arc, ro, theta0);
    const Corner o1 = ArcCorner(arc, ro, theta1);
    SetRoadTri(s, arc.first_tri + 2 * step, i0.x, i0.y, i1.x, i1.y, o0.x, o0.y, kRoadColor);
    SetRoadTri(s, arc.first_tri + 2 * step + 1, o0.x, o0.y, o1.x, o1.y, i1.x, i1.y, kRoadColor);
  }
}

// A gate on arc 1 or arc 5 (radius 200) at angle phi from the arc's centre:
// restart point on the centre line, gate line from radius 150 to 250.
void SetArcGate(RaceState& s, int32_t index, double cx, double cy, double phi, float heading) {
  const double c = std::cos(phi);
  const double sn = std::sin(phi);
  SetGate(s, index, static_cast<float>(cx + 200 * c), static_cast<float>(cy + 200 * sn), heading,
          static_cast<float>(cx + 150 * c), static_cast<float>(cy + 150 * sn),
          static_cast<float>(cx + 250 * c), static_cast<float>(cy + 250 * sn));
}

}  // namespace

void BuildCourse1(RaceState& s, const int32_t& RoadWidth) {
  s.Pos[0] = 0;
  s.Pos[1] = 0;
  s.Heading = 0;
  s.RoadTriCount = kRoadTriCount;

  s.Gates = std::vector<GateRec>(static_cast<size_t>(kLastGate) + 1);
  s.StartGate = GateRec{0, 0, -1, 50, -1, -50, 0.0f};
  s.Gates[0] = s.StartGate;

  // Gates 1-3 around arc 1's centre (0, 200), 9-11 around arc 5's (-400, 200).
  SetArcGate(s, 1, 0, 200, -(kPi / 4), kQuarterPi);
  SetArcGate(s, 2, 0, 200, 0, kHalfPi);
  SetArcGate(s, 3, 0, 200, kPi / 4, kThreeQuarterPi);
  SetGate(s, 4, 0, 400, kPiF, 0, 350, 0, 450);
  SetGate(s, 5, -100, 300, -kHalfPi, -70, 300, -130, 300);
  SetGate(s, 6, -200, 200, kPiF, -200, 230, -200, 170);
  SetGate(s, 7, -300, 300, kHalfPi, -270, 300, -330, 300);
  SetGate(s, 8, -400, 400, kPiF, -400, 350, -400, 450);
  SetArcGate(s, 9, -400, 200, 3 * kPi / 4, -kThreeQuarterPi);
  SetArcGate(s, 10, -400, 200, kPi, -kHalfPi);
  SetArcGate(s, 11, -400, 200, -(3 * kPi / 4), -kQuarterPi);
  SetGate(s, 12, -400, 0, 0.0f, -400, 50, -400, -50);
  SetGate(s, 13, -300, 0, 0.0f, -300, 50, -300, -50);
  SetGate(s, 14, -200, 0, 0.0f, -200, 50, -200, -50);
  SetGate(s, 15, -100, 0, 0.0f, -100, 50, -100, -50);

  const auto h = static_cast<int32_t>(std::nearbyint(static_cast<double>(RoadWidth) / 2));

  for (const Arc& arc : kArcs) StoreArc(s, arc, h);

  const auto fh = static_cast<float>(h);
  for (int32_t step = 0; step < 10; ++step) {
    const auto xa = static_cast<float>(40 * step - 400);
    const auto xb = static_cast<float>(40 * step - 360);
    SetRoadTri(s, kStraightFirstTri + 2 * step, xa, -fh, xb, -fh, xa, fh, kRoadColor);
    SetRoadTri(s, kStraightFirstTri + 2 * step + 1, xa, fh, xb, fh, xb, -fh, kRoadColor);
  }

  SetRoadTri(s, kStartLineFirstTri, 0, fh, 0, -fh, -1, fh, kStartLineColor);
  SetRoadTri(s, kStartLineFirstTri + 1, 0, -fh, -1, fh, -1, -fh, kStartLineColor);
}

}  // namespace quorvel
