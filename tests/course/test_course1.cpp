// Course 1 as built: the triangle check values, the gate table, the road
// width rule and what a build replaces and leaves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "course/course_builders.h"
#include "course/course_checks.h"

namespace quorvel {
namespace {

RaceState BuiltCourse1(int32_t road_width = 30) {
  RaceState s;
  BuildCourse1(s, road_width);
  return s;
}

struct CheckRow {
  int tri;
  std::array<double, 6> corners;
};

// A stored value, in thousandths of a unit, rounded half away from zero.
long long Thousandths(double v) {
  return std::llround(v * 1000);
}

// Corners to three decimals; the 0.000 entries stand for values near 1e-13.
const CheckRow kCheckValues[] = {
    {0, {0.000, 15.000, 57.168, 24.055, 0.000, -15.000}},
    {1, {0.000, -15.000, 66.439, -4.477, 57.168, 24.055}},
    {9, {204.477, 133.561, 215.000, 200.000, 185.000, 200.000}},
    {10, {185.000, 200.000, 175.945, 257.168, 215.000, 200.000}},
    {19, {66.439, 404.477, 0.000, 415.000, 0.000, 385.000}},
    {20, {0.000, 385.000, -26.266, 380.840, 0.000, 415.000}},
    {29, {-109.371, 335.537, -115.000, 300.000, -85.000, 300.000}},
    {30, {-285.000, 300.000, -280.840, 273.734, -315.000, 300.000}},
    {39, {-235.537, 190.628, -200.000, 185.000, -200.000, 215.000}},
    {40, {-200.000, 215.000, -173.734, 219.160, -200.000, 185.000}},
    {49, {-90.629, 264.463, -85.000, 300.000, -115.000, 300.000}},
    {50, {-315.000, 300.000, -319.160, 326.266, -285.000, 300.000}},
    {59, {-364.463, 409.371, -400.000, 415.000, -400.000, 385.000}},
    {60, {-400.000, 385.000, -457.168, 375.945, -400.000, 415.000}},
    {69, {-604.477, 266.439, -615.000, 200.000, -585.000, 200.000}},
    {79, {-466.439, -4.477, -400.000, -15.000, -400.000, 15.000}},
    {80, {-400, -15, -360, -15, -400, 15}},
    {99, {-40, 15, 0, 15, 0, -15}},
    {100, {0, 15, 0, -15, -1, 15}},
    {101, {0, -15, -1, 15, -1, -15}},
};

TEST(Course1, TrianglesMatchTheCheckValues) {
  const RaceState s = BuiltCourse1();
  for (const CheckRow& row : kCheckValues) {
    const std::array<float, 6> actual = TriAt(s, row.tri);
    for (int k = 0; k < 6; ++k) {
      EXPECT_EQ(Thousandths(actual[k]), Thousandths(row.corners[k]))
          << "triangle " << row.tri << " value " << k << ": " << TriText(actual);
    }
  }
}

TEST(Course1, ColoursAreGreyRoadAndRedStartLine) {
  const RaceState s = BuiltCourse1();
  for (int i = 0; i < 100; ++i) EXPECT_EQ(s.RoadColor[i], 8421504.0f) << "triangle " << i;
  EXPECT_EQ(s.RoadColor[100], 255.0f);
  EXPECT_EQ(s.RoadColor[101], 255.0f);
}

TEST(Course1, CornersAtRightAnglesKeepTheCoursePisResidue) {
  // cos(-pi/2) with pi = 3.14159265358979 is about 1.6e-15: the first
  // corners of arc 1 sit about 3e-13 units right of the straight's end.
  const RaceState s = BuiltCourse1();
  for (const float x : {s.RoadTri[0], s.RoadTri[4]}) {
    EXPECT_GT(x, 1e-13f);
    EXPECT_LT(x, 1e-12f);
  }
  EXPECT_EQ(s.RoadTri[1], 15.0f);
  EXPECT_EQ(s.RoadTri[5], -15.0f);
}

TEST(Course1, ArcPiecesShareTheirCornersExactly) {
  const RaceState s = BuiltCourse1();
  struct Range {
    int first, steps;
  };
  for (const Range arc : {Range{0, 10}, Range{20, 5}, Range{30, 10}, Range{50, 5}, Range{60, 10}}) {
    for (int step = 0; step < arc.steps; ++step) {
      const auto a = TriAt(s, arc.first + 2 * step);
      const auto b = TriAt(s, arc.first + 2 * step + 1);
      // Outer corner at theta0 and inner corner at theta1 are shared.
      EXPECT_EQ(a[4], b[0]);
      EXPECT_EQ(a[5], b[1]);
      EXPECT_EQ(a[2], b[4]);
      EXPECT_EQ(a[3], b[5]);
      if (step + 1 < arc.steps) {
        const auto next = TriAt(s, arc.first + 2 * step + 2);
        EXPECT_EQ(next[0], a[2]) << "arc at " << arc.first << " step " << step;
        EXPECT_EQ(next[1], a[3]);
        EXPECT_EQ(next[4], b[2]);
        EXPECT_EQ(next[5], b[3]);
      }
    }
  }
}

TEST(Course1, GatesAndStartPose) {
  RaceState s;
  s.Pos = {5, 6, 7, 8};
  s.Heading = 2;
  BuildCourse1(s, 30);
  ASSERT_EQ(s.Gates.size(), kCourse1Gates.size());
  for (size_t i = 0; i < kCourse1Gates.size(); ++i) {
    EXPECT_TRUE(SameGate(s.Gates[i], kCourse1Gates[i])) << "gate " << i;
  }
  EXPECT_TRUE(SameGate(s.StartGate, kCourse1Gates[0]));
  EXPECT_EQ(s.RoadTriCount, 102);
  EXPECT_EQ(s.Pos[0], 0);
  EXPECT_EQ(s.Pos[1], 0);
  EXPECT_EQ(s.Heading, 0);
  EXPECT_EQ(s.Pos[2], 7);  // the eye is placed by the next drawing
  EXPECT_EQ(s.Pos[3], 8);
}

TEST(Course1, ArcGateHeadingsAreTheComputedDirectionOfTravel) {
  // Gate heading = phi + pi/2 taken into -pi..pi, phi from the arc's centre.
  const double pi = 3.14159265358979;
  struct ArcGate {
    int gate;
    double phi;
  };
  const ArcGate gates[] = {{1, -(pi / 4)},  {2, 0},   {3, pi / 4},
                           {9, 3 * pi / 4}, {10, pi}, {11, -(3 * pi / 4)}};
  const RaceState s = BuiltCourse1();
  for (const ArcGate& g : gates) {
    double heading = g.phi + pi / 2;
    if (heading > pi) heading -= 2 * pi;
    EXPECT_EQ(static_cast<float>(heading), s.Gates[static_cast<size_t>(g.gate)].RespawnHeading)
        << "gate " << g.gate;
  }
}

TEST(Course1, RoadWidthChangesOnlyTheTrianglesAndRoundsTiesToEven) {
  struct WidthCase {
    int32_t width;
    float half;
  };
  for (const WidthCase c : {WidthCase{29, 14}, WidthCase{31, 16}, WidthCase{30, 15}}) {
    const RaceState s = BuiltCourse1(c.width);
    EXPECT_EQ(TriAt(s, 80), (std::array<float, 6>{-400, -c.half, -360, -c.half, -400, c.half}))
        << "width " << c.width;
    // Arc 1's first inner corner sits at radius 200 - h below the centre (0, 200).
    EXPECT_EQ(s.RoadTri[1], c.half);
    // Arc 2's first inner corner: radius 100 - h above (0, 300).
    EXPECT_FLOAT_EQ(s.RoadTri[6 * 20 + 1], 300 + (100 - c.half));
    ASSERT_EQ(s.Gates.size(), kCourse1Gates.size());
    for (size_t i = 0; i < kCourse1Gates.size(); ++i) {
      EXPECT_TRUE(SameGate(s.Gates[i], kCourse1Gates[i])) << "gate " << i;
    }
    EXPECT_EQ(s.RoadTriCount, 102);
  }
}

TEST(Course1, LeavesTrianglesBeyondItsCountAndRegrowsTheGateTable) {
  RaceState s;
  s.RoadTri.fill(-3.5f);
  s.RoadColor.fill(77);
  s.Gates.assign(40, GateRec{1, 2, 3, 4, 5, 6, 7.0f});
  BuildCourse1(s, 30);
  for (size_t i = 6 * 102; i < s.RoadTri.size(); ++i) EXPECT_EQ(s.RoadTri[i], -3.5f) << i;
  for (size_t i = 102; i < s.RoadColor.size(); ++i) EXPECT_EQ(s.RoadColor[i], 77) << i;
  ASSERT_EQ(s.Gates.size(), 16u);
  EXPECT_TRUE(SameGate(s.Gates[0], s.StartGate));
}

}  // namespace
}  // namespace quorvel
