// Course 2 as built: the cells against the course map, a few cells in full,
// and the gate table.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <utility>

#include "course/course_builders.h"
#include "course/course_checks.h"

namespace quorvel {
namespace {

RaceState BuiltCourse2() {
  RaceState s;
  BuildCourse2(s);
  return s;
}

// The course map, row 0 first: Y yellow, R red, B blue, W white, G grey,
// T teal, O olive, . off the road.
const char* const kMap[] = {
    "YYYYRR..WWW.",  // row 0
    "O....R..W.B.",  // row 1
    "T..RRR..W.B.",  // row 2
    "T..R....W.B.",  // row 3
    "T..BBBBBB.B.",  // row 4
    "T.........B.",  // row 5
    "T.....GGY.BB",  // row 6
    "T.....G.Y..B",  // row 7
    "T..TTTT.YRRB",  // row 8
    "TTTT........",  // row 9
};

char ColourLetter(float colour) {
  switch (static_cast<int32_t>(colour)) {
    case 65535:
      return 'Y';
    case 255:
      return 'R';
    case 16711680:
      return 'B';
    case 16777215:
      return 'W';
    case 8421504:
      return 'G';
    case 8421376:
      return 'T';
    case 4239536:
      return 'O';
    default:
      return '?';
  }
}

TEST(Course2, CellsCoverTheMapOnceEachInItsColours) {
  const RaceState s = BuiltCourse2();
  ASSERT_EQ(s.RoadTriCount, 112);
  std::set<std::pair<int, int>> seen;
  for (int k = 0; k < 56; ++k) {
    const auto lower = TriAt(s, 2 * k);
    const auto upper = TriAt(s, 2 * k + 1);
    const float x0 = lower[0];
    const float y0 = lower[1];
    const int col = static_cast<int>(x0) / 40;
    const int row = static_cast<int>(y0) / 40;
    ASSERT_EQ(x0, 40.0f * col) << "cell " << k << ": " << TriText(lower);
    ASSERT_EQ(y0, 40.0f * row) << "cell " << k << ": " << TriText(lower);
    EXPECT_EQ(lower, (std::array<float, 6>{x0, y0, x0 + 40, y0, x0, y0 + 40})) << "cell " << k;
    EXPECT_EQ(upper, (std::array<float, 6>{x0 + 40, y0, x0, y0 + 40, x0 + 40, y0 + 40}))
        << "cell " << k;
    ASSERT_TRUE(row >= 0 && row < 10 && col >= 0 && col < 12) << "cell " << k;
    EXPECT_EQ(ColourLetter(s.RoadColor[2 * k]), kMap[row][col])
        << "cell " << k << " at (" << col << ", " << row << ")";
    EXPECT_EQ(s.RoadColor[2 * k + 1], s.RoadColor[2 * k]) << "cell " << k;
    EXPECT_TRUE(seen.insert({col, row}).second)
        << "cell " << k << " repeats (" << col << ", " << row << ")";
  }
  size_t on_map = 0;
  for (const char* line : kMap) {
    for (const char* c = line; *c; ++c) on_map += *c != '.';
  }
  EXPECT_EQ(on_map, seen.size());
}

TEST(Course2, CellsFollowOneAnotherRoundTheLoop) {
  // Consecutive cells, and cell 55 with cell 0, share an edge.
  const RaceState s = BuiltCourse2();
  for (int k = 0; k < 56; ++k) {
    const int next = (k + 1) % 56;
    const float dx =
        s.RoadTri[static_cast<size_t>(12 * next)] - s.RoadTri[static_cast<size_t>(12 * k)];
    const float dy =
        s.RoadTri[static_cast<size_t>(12 * next + 1)] - s.RoadTri[static_cast<size_t>(12 * k + 1)];
    EXPECT_EQ(std::abs(dx) + std::abs(dy), 40.0f) << "cells " << k << " and " << next;
  }
}

TEST(Course2, SampleCellsInFull) {
  const RaceState s = BuiltCourse2();
  struct CellCase {
    int cell;
    std::array<float, 6> lower, upper;
    float colour;
  };
  const CellCase cases[] = {
      {0, {0, 0, 40, 0, 0, 40}, {40, 0, 0, 40, 40, 40}, 65535},
      {4, {160, 0, 200, 0, 160, 40}, {200, 0, 160, 40, 200, 40}, 255},
      {22, {400, 0, 440, 0, 400, 40}, {440, 0, 400, 40, 440, 40}, 16777215},
      {30, {440, 280, 480, 280, 440, 320}, {480, 280, 440, 320, 480, 320}, 16711680},
      {37, {280, 240, 320, 240, 280, 280}, {320, 240, 280, 280, 320, 280}, 8421504},
      {47, {0, 360, 40, 360, 0, 400}, {40, 360, 0, 400, 40, 400}, 8421376},
      {55, {0, 40, 40, 40, 0, 80}, {40, 40, 0, 80, 40, 80}, 4239536},
  };
  for (const CellCase& c : cases) {
    EXPECT_EQ(TriAt(s, 2 * c.cell), c.lower)
        << "cell " << c.cell << ": " << TriText(TriAt(s, 2 * c.cell));
    EXPECT_EQ(TriAt(s, 2 * c.cell + 1), c.upper)
        << "cell " << c.cell << ": " << TriText(TriAt(s, 2 * c.cell + 1));
    EXPECT_EQ(s.RoadColor[2 * c.cell], c.colour) << "cell " << c.cell;
    EXPECT_EQ(s.RoadColor[2 * c.cell + 1], c.colour) << "cell " << c.cell;
  }
}

TEST(Course2, GatesAndStartPose) {
  RaceState s;
  s.Pos = {5, 6, 7, 8};
  s.Heading = -1;
  BuildCourse2(s);
  ASSERT_EQ(s.Gates.size(), kCourse2Gates.size());
  for (size_t i = 0; i < kCourse2Gates.size(); ++i) {
    EXPECT_TRUE(SameGate(s.Gates[i], kCourse2Gates[i])) << "gate " << i;
  }
  EXPECT_TRUE(SameGate(s.StartGate, kCourse2Gates[0]));
  EXPECT_EQ(s.Pos[0], 0);
  EXPECT_EQ(s.Pos[1], 0);
  EXPECT_EQ(s.Heading, 0);
  EXPECT_EQ(s.Pos[2], 7);
  EXPECT_EQ(s.Pos[3], 8);
}

}  // namespace
}  // namespace quorvel
