#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "render/draw_ground_triangle.h"
#include "render/project_point.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::RecordingSurface;

struct Corner {
  float x, y;
};

// Car at `car`, eye at `eye`, looking along +x; surface 360 wide, so the
// centre column and the horizon row are both 200.
RaceState Pose(Corner car = {0, 0}, Corner eye = {0, 0}) {
  RaceState s;
  s.Pos = {car.x, car.y, eye.x, eye.y};
  return s;
}

std::vector<DrawOp> Draw(const RaceState& s, Corner a, Corner b, Corner c, int32_t depth = 0,
                         float eye_height = 4) {
  RecordingSurface surface;
  ProjectionCache projections;
  DrawGroundTriangle(s, surface, projections, a.x, a.y, b.x, b.y, c.x, c.y, depth, eye_height);
  return surface.ops;
}

// The polygon of three corners as ProjectPoint places them; fails the test
// if one of them is not usable.
DrawOp ProjectedPoly(const RaceState& s, Corner a, Corner b, Corner c) {
  PolyPoint p[3];
  const Corner corners[3] = {a, b, c};
  for (int k = 0; k < 3; ++k) {
    EXPECT_TRUE(ProjectPoint(s, 360, corners[k].x, corners[k].y, p[k].x, p[k].y, 4))
        << "corner " << k;
  }
  return DrawOp::Poly(p[0], p[1], p[2]);
}

TEST(DrawGroundTriangle, DistanceCullMeasuresFromTheCarWith400Inclusive) {
  // Car 10 ahead of the eye: the corner ahead is 400 from the car and 410
  // from the eye. Looking along +x, then along +y.
  const RaceState east = Pose({10, 0}, {0, 0});
  const std::vector<DrawOp> expected = {DrawOp::Poly({200, 202}, {196, 202}, {204, 202})};
  EXPECT_EQ(Draw(east, {410, 0}, {510, 10}, {510, -10}), expected);
  EXPECT_EQ(Draw(east, {410.001f, 0}, {510, 10}, {510, -10}), std::vector<DrawOp>{});

  RaceState north = Pose({0, 0}, {0, -10});
  north.Heading = static_cast<float>(3.14159265358979 / 2);
  EXPECT_EQ(Draw(north, {0, 400}, {-10, 500}, {10, 500}), expected);
  EXPECT_EQ(Draw(north, {0, 400.001f}, {-10, 500}, {10, 500}), std::vector<DrawOp>{});

  // Corners all beyond 400 although the triangle covers the car and the view.
  EXPECT_EQ(Draw(east, {10, 401}, {-400, -300}, {420, -300}), std::vector<DrawOp>{});
}

TEST(DrawGroundTriangle, AllCornersUsableIsOnePolygonAtAnyDepth) {
  const RaceState s = Pose();
  const std::vector<DrawOp> expected = {DrawOp::Poly({300, 240}, {100, 240}, {200, 227})};
  for (int32_t depth : {0, 3, 5}) {
    EXPECT_EQ(Draw(s, {20, -10}, {20, 10}, {30, 0}, depth), expected) << "depth " << depth;
  }
  EXPECT_EQ(Draw(s, {20, -10}, {20, 10}, {30, 0}, 6), std::vector<DrawOp>{});
  EXPECT_EQ(Draw(s, {20, -10}, {20, 10}, {30, 0}, 100), std::vector<DrawOp>{});
}

TEST(DrawGroundTriangle, NoUsableCornerDrawsNothingEvenOverTheView) {
  // Two corners far to the side, one behind; the inside reaches (4, 0) ahead.
  EXPECT_EQ(Draw(Pose(), {5, 100}, {5, -100}, {-100, 0}), std::vector<DrawOp>{});
}

TEST(DrawGroundTriangle, StraddlingTriangleIsPaintedInNestedSplitOrder) {
  const RaceState s = Pose();
  // The third corner lies behind the eye; all midpoints are in view.
  const Corner c1{20, -10}, c2{20, 10}, c3{-2, 0};
  const Corner m12{20, 0}, m13{9, -5}, m23{9, 5};
  const std::vector<DrawOp> ops = Draw(s, c1, c2, c3);
  ASSERT_GE(ops.size(), 4u);
  EXPECT_EQ(ops[0], ProjectedPoly(s, c1, m12, m13));
  EXPECT_EQ(ops[1], ProjectedPoly(s, c2, m12, m23));
  EXPECT_EQ(ops.back(), ProjectedPoly(s, m23, m12, m13));

  // The third piece in between is the same piece drawn on its own at depth 1.
  std::vector<DrawOp> third = Draw(s, c3, m13, m23, 1);
  ASSERT_FALSE(third.empty());
  std::vector<DrawOp> expected = {ops[0], ops[1]};
  expected.insert(expected.end(), third.begin(), third.end());
  expected.push_back(ops.back());
  EXPECT_EQ(ops, expected);
}

TEST(DrawGroundTriangle, PiecesStillStraddlingAtDepthFiveAreLeftOut) {
  const RaceState s = Pose();
  // Straddles, but its pieces would be at depth 6.
  EXPECT_EQ(Draw(s, {20, -10}, {20, 10}, {-2, 0}, 5), std::vector<DrawOp>{});

  // From depth 4 only the three fully usable pieces come out.
  const Corner c1{20, -10}, c2{20, 10}, c3{-2, 0};
  const Corner m12{20, 0}, m13{9, -5}, m23{9, 5};
  const std::vector<DrawOp> expected = {ProjectedPoly(s, c1, m12, m13),
                                        ProjectedPoly(s, c2, m12, m23),
                                        ProjectedPoly(s, m23, m12, m13)};
  EXPECT_EQ(Draw(s, c1, c2, c3, 4), expected);
}

TEST(DrawGroundTriangle, CornerBeyondThePictureBoundForcesASplit) {
  // Falling eye: the near corner projects to row -76800, which fails the bound.
  const RaceState s = Pose();
  const std::vector<DrawOp> ops = Draw(s, {0.2f, 0}, {100, 10}, {100, -10}, 0, -77);
  ASSERT_FALSE(ops.empty());
  EXPECT_GT(ops.size(), 1u);
  for (const DrawOp& op : ops) {
    for (const PolyPoint& p : op.points) {
      ASSERT_LE(std::abs(p.x), 10000) << DrawLogText(op);
      ASSERT_LE(std::abs(p.y), 10000) << DrawLogText(op);
    }
  }
}

}  // namespace
}  // namespace quorvel
