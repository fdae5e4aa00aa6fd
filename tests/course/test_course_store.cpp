// The store operations: exact triangle layout and rounding, gate rounding
// with ties to even, and the stop on any call outside the tables.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "course/course_checks.h"
#include "course/course_store.h"

namespace quorvel {
namespace {

RaceState StateWithGates(size_t count) {
  RaceState s;
  s.Gates.resize(count);
  return s;
}

TEST(SetRoadTri, StoresCornersInOrderAndColourAsSingle) {
  RaceState s;
  s.RoadTri.fill(-7);
  SetRoadTri(s, 3, 1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f, 16777215);
  EXPECT_EQ(TriAt(s, 3), (std::array<float, 6>{1.5f, 2.5f, 3.5f, 4.5f, 5.5f, 6.5f}));
  EXPECT_EQ(s.RoadColor[3], 16777215.0f);
  EXPECT_EQ(s.RoadTri[17], -7);
  EXPECT_EQ(s.RoadTri[24], -7);
}

TEST(SetRoadTri, LastTriangleLeavesTheSpareElement) {
  RaceState s;
  s.RoadTri[720] = 42;
  SetRoadTri(s, 119, 1, 2, 3, 4, 5, 6, 255);
  EXPECT_EQ(s.RoadTri[714], 1);
  EXPECT_EQ(s.RoadTri[719], 6);
  EXPECT_EQ(s.RoadTri[720], 42);
  EXPECT_EQ(s.RoadColor[119], 255);
}

TEST(AddRoadQuad, SplitsTheCellAlongItsFallingDiagonal) {
  RaceState s;
  const int32_t size = 40;
  AddRoadQuad(s, 10, 3, 2, size, 65535);
  EXPECT_EQ(TriAt(s, 10), (std::array<float, 6>{120, 80, 160, 80, 120, 120}));
  EXPECT_EQ(TriAt(s, 11), (std::array<float, 6>{160, 80, 120, 120, 160, 120}));
  EXPECT_EQ(s.RoadColor[10], 65535);
  EXPECT_EQ(s.RoadColor[11], 65535);

  AddRoadQuad(s, 0, 0, 0, size, 255);
  EXPECT_EQ(TriAt(s, 0), (std::array<float, 6>{0, 0, 40, 0, 0, 40}));
  EXPECT_EQ(TriAt(s, 1), (std::array<float, 6>{40, 0, 0, 40, 40, 40}));
  EXPECT_EQ(size, 40);
}

TEST(AddRoadQuad, EdgesAreRoundedToSingleOnceFromDouble) {
  // Rounding a * P to single before adding P would give 538.054199.
  RaceState s;
  const int32_t size = 40;
  const float col = 12.451354f;
  AddRoadQuad(s, 0, col, 0, size, 0);
  EXPECT_EQ(s.RoadTri[2], 538.054138f);
  EXPECT_EQ(s.RoadTri[2], static_cast<float>(static_cast<double>(col) * 40 + 40));
  EXPECT_EQ(s.RoadTri[0], static_cast<float>(static_cast<double>(col) * 40));
}

TEST(AddRoadQuad, LastCellFitsTheTable) {
  RaceState s;
  const int32_t size = 40;
  AddRoadQuad(s, 118, 1, 1, size, 255);
  EXPECT_EQ(TriAt(s, 119), (std::array<float, 6>{80, 40, 40, 80, 80, 80}));
  EXPECT_EQ(s.RoadTri[720], 0);
}

TEST(SetGate, RoundsCoordinatesToNearestTiesToEven) {
  RaceState s = StateWithGates(2);
  SetGate(s, 1, 141.421f, 58.5786f, 0, 2.5f, 3.5f, -2.5f, -541.421f);
  const GateRec expected{141, 59, 2, 4, -2, -541, 0.0f};
  EXPECT_TRUE(SameGate(s.Gates[1], expected));
  EXPECT_TRUE(SameGate(s.Gates[0], GateRec{}));

  SetGate(s, 0, 32767.4f, -32768.5f, 0, 0.5f, -0.5f, 1.5f, -1.5f);
  EXPECT_TRUE(SameGate(s.Gates[0], GateRec{32767, -32768, 0, 0, 2, -2, 0.0f}));
}

TEST(SetGate, KeepsTheHeadingBitForBit) {
  RaceState s = StateWithGates(1);
  const float headings[] = {0.7853982f, -0.0f, 1e-30f, std::numeric_limits<float>::denorm_min(),
                            std::bit_cast<float>(0x7fc12345u)};
  for (const float h : headings) {
    SetGate(s, 0, 0, 0, h, 0, 0, 0, 0);
    EXPECT_EQ(std::bit_cast<uint32_t>(s.Gates[0].RespawnHeading), std::bit_cast<uint32_t>(h));
  }
}

using CourseStoreDeathTest = ::testing::Test;

TEST_F(CourseStoreDeathTest, TriangleIndexOutsideTheTableStops) {
  RaceState s;
  const int32_t size = 40;
  EXPECT_DEATH(SetRoadTri(s, 120, 0, 0, 0, 0, 0, 0, 0), "SetRoadTri.*120");
  EXPECT_DEATH(SetRoadTri(s, -1, 0, 0, 0, 0, 0, 0, 0), "SetRoadTri.*-1");
  EXPECT_DEATH(AddRoadQuad(s, 119, 0, 0, size, 0), "AddRoadQuad.*119");
  EXPECT_DEATH(AddRoadQuad(s, -2, 0, 0, size, 0), "AddRoadQuad.*-2");
}

TEST_F(CourseStoreDeathTest, GateIndexOutsideGatesStops) {
  RaceState none;
  EXPECT_DEATH(SetGate(none, 0, 0, 0, 0, 0, 0, 0, 0), "SetGate.*index 0.* 0 gates");
  RaceState s = StateWithGates(16);
  EXPECT_DEATH(SetGate(s, 16, 0, 0, 0, 0, 0, 0, 0), "SetGate.*index 16.* 16 gates");
  EXPECT_DEATH(SetGate(s, -1, 0, 0, 0, 0, 0, 0, 0), "SetGate.*index -1");
}

TEST_F(CourseStoreDeathTest, GateCoordinateOutside16BitsStops) {
  RaceState s = StateWithGates(1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_DEATH(SetGate(s, 0, 32767.5f, 0, 0, 0, 0, 0, 0), "SetGate.*RespawnX 32767.5");
  EXPECT_DEATH(SetGate(s, 0, 0, -32769, 0, 0, 0, 0, 0), "SetGate.*RespawnY -32769");
  EXPECT_DEATH(SetGate(s, 0, 0, 0, 0, nan, 0, 0, 0), "SetGate.*LineX1 nan");
  EXPECT_DEATH(SetGate(s, 0, 0, 0, 0, 0, 0, 0, -inf), "SetGate.*LineY2 -inf");
}

}  // namespace
}  // namespace quorvel
