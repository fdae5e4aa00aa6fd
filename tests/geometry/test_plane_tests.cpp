// The plane predicates' conventions: points on a line group with the points
// below (or, for a near-vertical line, to the left), the 0.001 vertical
// threshold, and what that means for triangle edges and gate crossings.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/plane_tests.h"

namespace quorvel {
namespace {

TEST(SideOfLine, HorizontalLineAboveOnBelowEitherEndFirst) {
  EXPECT_TRUE(SideOfLine(0, 0, 10, 0, 5, 1));
  EXPECT_FALSE(SideOfLine(0, 0, 10, 0, 5, 0));
  EXPECT_FALSE(SideOfLine(0, 0, 10, 0, 5, -1));
  EXPECT_TRUE(SideOfLine(10, 0, 0, 0, 5, 1));
  EXPECT_FALSE(SideOfLine(10, 0, 0, 0, 5, 0));
  EXPECT_FALSE(SideOfLine(10, 0, 0, 0, 5, -1));
}

TEST(SideOfLine, SlantedLineUsesTheLinesYAtPx) {
  // y = x through (0, 0) and (10, 10); the point may lie outside the segment.
  EXPECT_TRUE(SideOfLine(0, 0, 10, 10, 20, 20.5f));
  EXPECT_FALSE(SideOfLine(0, 0, 10, 10, 20, 20));
  EXPECT_FALSE(SideOfLine(10, 10, 0, 0, -3, -3.5f));
  EXPECT_TRUE(SideOfLine(10, 10, 0, 0, -3, -2.5f));
}

TEST(SideOfLine, LinesYIsRoundedToSingleBeforeComparing) {
  // Through (0, 0) and (3, 1) the line's y at x = 1 is 1/3; its single value
  // 0.333333343 lies above 1/3, so that point counts as on the line.
  const float third = 1.0f / 3.0f;
  ASSERT_GT(static_cast<double>(third), 1.0 / 3.0);
  EXPECT_FALSE(SideOfLine(0, 0, 3, 1, 1, third));
  EXPECT_TRUE(SideOfLine(0, 0, 3, 1, 1, std::nextafter(third, 1.0f)));
}

TEST(SideOfLine, VerticalLineComparesXWithFirstEnd) {
  // The gate line of the start of course 1.
  EXPECT_TRUE(SideOfLine(-1, 50, -1, -50, 0, 0));
  EXPECT_FALSE(SideOfLine(-1, 50, -1, -50, -1, 0));
  EXPECT_FALSE(SideOfLine(-1, 50, -1, -50, -2, 0));
  // y plays no part for a vertical line.
  EXPECT_TRUE(SideOfLine(-1, 50, -1, -50, 0, 1000));
  EXPECT_FALSE(SideOfLine(-1, 50, -1, -50, -2, -1000));
}

TEST(SideOfLine, NearlyVerticalBelowThresholdCountsAsVertical) {
  // |dx| = 0.0005: taken as vertical although slanted. The point (0.0003, 0)
  // is right of x1 = 0 but left of x1 = 0.0005 when the ends are swapped.
  EXPECT_TRUE(SideOfLine(0, -10, 0.0005f, 10, 0.0003f, 0));
  EXPECT_FALSE(SideOfLine(0.0005f, 10, 0, -10, 0.0003f, 0));
  // Far below the line's y at px, still "right of it".
  EXPECT_TRUE(SideOfLine(0, -10, 0.0005f, 10, 0.0003f, -1000));

  // |dx| = 0.002: a steep but ordinary line y = 10000 x - 10; at px = 0.001
  // its y is 0.
  EXPECT_TRUE(SideOfLine(0, -10, 0.002f, 10, 0.001f, 1));
  EXPECT_FALSE(SideOfLine(0, -10, 0.002f, 10, 0.001f, -1));
  EXPECT_FALSE(SideOfLine(0, -10, 0.002f, 10, 5, 0));
}

TEST(SideOfLine, ThresholdIsTheSingle0001Exclusive) {
  const float at = 0.001f;
  const float below = std::nextafter(at, 0.0f);
  // On the vertical path the answer depends only on px > x1: true here.
  // On the slanted path (0, 0)-(dx, -1000) lies far below (1, -5).
  EXPECT_TRUE(SideOfLine(0, 0, below, -1000, 1, -5e6f));  // vertical: 1 > 0
  EXPECT_FALSE(SideOfLine(0, 0, at, -1000, 1, -5e6f));    // slanted: yl = -1e6 > py
  EXPECT_TRUE(SideOfLine(0, 0, at, -1000, 1, -5e5f));
}

TEST(InTriangle, InsideOutsideAndEdgesBothWindings) {
  struct Case {
    float px, py;
    bool inside;
  };
  // Edges whose opposite corner lies above (or right) leave their points out.
  const Case cases[] = {{2, 2, true},  {20, 20, false}, {5, 0, false},
                        {0, 5, false}, {5, 5, true},    {-1, 2, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(InTriangle(0, 0, 10, 0, 0, 10, c.px, c.py), c.inside) << c.px << ", " << c.py;
    EXPECT_EQ(InTriangle(0, 10, 10, 0, 0, 0, c.px, c.py), c.inside) << c.px << ", " << c.py;
    EXPECT_EQ(InTriangle(10, 0, 0, 10, 0, 0, c.px, c.py), c.inside) << c.px << ", " << c.py;
  }
}

TEST(InTriangle, SharedEdgeIsClaimedByExactlyOneTriangle) {
  // Shared diagonal (0, 0)-(10, 10): the triangle below it owns it.
  EXPECT_TRUE(InTriangle(0, 0, 10, 0, 10, 10, 5, 5));
  EXPECT_FALSE(InTriangle(0, 0, 10, 10, 0, 10, 5, 5));
  // Shared edge on y = 0: the triangle below owns it.
  EXPECT_FALSE(InTriangle(0, 0, 10, 0, 5, 5, 5, 0));
  EXPECT_TRUE(InTriangle(0, 0, 10, 0, 5, -5, 5, 0));
  // Shared vertical edge x = 10: the triangle to its left owns it.
  EXPECT_TRUE(InTriangle(10, 0, 10, 10, 0, 5, 10, 5));
  EXPECT_FALSE(InTriangle(10, 0, 10, 10, 20, 5, 10, 5));
}

TEST(InTriangle, EveryPointOfAGridCellDiagonalBelongsToOneHalf) {
  // A 40 x 40 cell split along (40, 0)-(0, 40), as the grid courses store it.
  for (int i = 1; i < 40; ++i) {
    const auto x = static_cast<float>(i);
    const float y = 40 - x;
    const bool lower = InTriangle(0, 0, 40, 0, 0, 40, x, y);
    const bool upper = InTriangle(40, 0, 0, 40, 40, 40, x, y);
    EXPECT_NE(lower, upper) << "at (" << x << ", " << y << ")";
  }
}

TEST(SegmentsCross, MovementsAgainstAVerticalGateLine) {
  // Gate line (-1, 50)-(-1, -50); points on it count as left of it.
  auto crosses = [](float ax, float bx) { return SegmentsCross(ax, 0, bx, 0, -1, 50, -1, -50); };
  EXPECT_TRUE(crosses(-2, 0));    // left to right
  EXPECT_TRUE(crosses(0, -2));    // right to left
  EXPECT_FALSE(crosses(-2, -1));  // from the left onto the line
  EXPECT_TRUE(crosses(0, -1));    // from the right onto the line
  EXPECT_TRUE(crosses(-1, 0));    // off the line to the right
  EXPECT_FALSE(crosses(-1, -2));  // off the line to the left
  EXPECT_FALSE(crosses(-1, -1));  // standing on it
  EXPECT_FALSE(crosses(1, 2));    // entirely right
  // Passing beyond the line's ends is no crossing.
  EXPECT_FALSE(SegmentsCross(-2, 60, 0, 60, -1, 50, -1, -50));
  EXPECT_FALSE(SegmentsCross(-2, -51, 0, -51, -1, 50, -1, -50));
}

TEST(SegmentsCross, TouchAndReturnCountsTwiceFromRightNeverFromLeft) {
  auto crosses = [](float ax, float bx) { return SegmentsCross(ax, 0, bx, 0, -1, 50, -1, -50); };
  EXPECT_EQ(int{crosses(0, -1)} + int{crosses(-1, 0)}, 2);
  EXPECT_EQ(int{crosses(-2, -1)} + int{crosses(-1, -2)}, 0);
}

TEST(SegmentsCross, SlantedSegments) {
  EXPECT_TRUE(SegmentsCross(0, 0, 10, 10, 0, 10, 10, 0));
  EXPECT_TRUE(SegmentsCross(0, 10, 10, 0, 0, 0, 10, 10));
  EXPECT_FALSE(SegmentsCross(0, 0, 4, 4, 0, 10, 10, 0));  // stops short
}

TEST(SegmentsCross, ParallelCollinearAndZeroLengthNeverCross) {
  EXPECT_FALSE(SegmentsCross(0, 0, 10, 0, 0, 1, 10, 1));
  EXPECT_FALSE(SegmentsCross(0, 0, 10, 10, 0, 1, 10, 11));
  EXPECT_FALSE(SegmentsCross(0, 0, 10, 0, 5, 0, 15, 0));       // collinear, overlapping
  EXPECT_FALSE(SegmentsCross(3, -5, 3, 5, 3, 0, 3, 20));       // collinear vertical
  EXPECT_FALSE(SegmentsCross(-1, 0, -1, 0, -1, 50, -1, -50));  // standing on a gate line
  EXPECT_FALSE(SegmentsCross(5, 0, 5, 0, 0, 0, 10, 0));
  EXPECT_FALSE(SegmentsCross(0, -5, 0, 5, 0, 0, 0, 0));  // zero-length second segment
}

}  // namespace
}  // namespace quorvel
