#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "render/nearest_int32.h"
#include "render/project_point.h"

namespace quorvel {
namespace {

constexpr int32_t kUntouched = 12345;

struct Projection {
  bool usable = false;
  int32_t x = kUntouched;
  int32_t y = kUntouched;
  friend bool operator==(const Projection&, const Projection&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Projection& p) {
    return os << (p.usable ? "usable" : "unusable") << " (" << p.x << ", " << p.y << ")";
  }
};

Projection Written(bool usable, int32_t x, int32_t y) {
  return {usable, x, y};
}
Projection Rejected() {
  return {false, kUntouched, kUntouched};
}

// Eye at (eye_x, eye_y) looking along `heading`; width 360 makes the focal
// length and the horizon row 200 pixels.
Projection Project(float gx, float gy, float eye_height = 4, float heading = 0, float eye_x = 0,
                   float eye_y = 0, float width = 360) {
  RaceState s;
  s.Pos = {123, 456, eye_x, eye_y};  // the car position must not matter
  s.Heading = heading;
  Projection p;
  p.usable = ProjectPoint(s, width, gx, gy, p.x, p.y, eye_height);
  return p;
}

TEST(ProjectPoint, KnownPointsFromEyeAtOrigin) {
  EXPECT_EQ(Project(10, 0), Written(true, 200, 280));
  EXPECT_EQ(Project(10, 10), Written(true, 0, 280));
  EXPECT_EQ(Project(10, -10), Written(true, 400, 280));
  EXPECT_EQ(Project(20, 5), Written(true, 150, 240));
  EXPECT_EQ(Project(400, 0).y, 202);
  EXPECT_EQ(Project(10, 48.98f).x, -780);
  EXPECT_TRUE(Project(10, 48.98f).usable);
}

TEST(ProjectPoint, PointsBehindBesideOrTooCloseLeaveOutputsUntouched) {
  EXPECT_EQ(Project(-10, 0), Rejected());
  EXPECT_EQ(Project(10, 49), Rejected());  // cos just below 0.2
  EXPECT_EQ(Project(0.05f, 0.05f), Rejected());
  EXPECT_EQ(Project(0, 0), Rejected());
  // 0.1f itself is near enough; a float just below is not.
  EXPECT_TRUE(Project(0.1f, 0).usable);
  EXPECT_EQ(Project(std::nextafter(0.1f, 0.0f), 0), Rejected());
  // Measured from the eye, wherever the eye is.
  EXPECT_EQ(Project(110, 50, 4, 0, 100, 50), Written(true, 200, 280));
  EXPECT_EQ(Project(90, 50, 4, 0, 100, 50), Rejected());
}

TEST(ProjectPoint, EyeHeightMovesRowsAboutTheHorizon) {
  EXPECT_EQ(Project(10, 0, -2.25f), Written(true, 200, 155));
  EXPECT_EQ(Project(10, 0, 0), Written(true, 200, 200));
  EXPECT_EQ(Project(37, -12, 0).y, 200);
  // Too high above the picture: unusable, but both coordinates written.
  EXPECT_EQ(Project(0.2f, 0, -77), Written(false, 200, -76800));
}

TEST(ProjectPoint, PictureBoundIsInclusiveAt10000) {
  // Straight ahead with eye height 0 both coordinates equal width / 1.8.
  EXPECT_EQ(Project(10, 0, 0, 0, 0, 0, 18000), Written(true, 10000, 10000));
  EXPECT_EQ(Project(10, 0, 0, 0, 0, 0, 18001.8f), Written(false, 10001, 10001));
  // Column alone out of bound (eye height -10 puts the row at 0).
  EXPECT_EQ(Project(10, 0, -10, 0, 0, 0, 18001.8f), Written(false, 10001, 0));
  // Row alone, below and above the picture.
  EXPECT_EQ(Project(10, 0, 490), Written(true, 200, 10000));
  EXPECT_EQ(Project(10, 0, 490.05f), Written(false, 200, 10001));
  EXPECT_EQ(Project(10, 0, -510), Written(true, 200, -10000));
  EXPECT_EQ(Project(10, 0, -510.05f), Written(false, 200, -10001));
}

TEST(ProjectPoint, PointOnTheEyesNorthSouthLineUsesAQuarterTurn) {
  const float north = static_cast<float>(3.14159265358979 / 2);
  // Looking north or south, a point straight ahead lands on the centre column.
  EXPECT_EQ(Project(0, 10, 4, north), Written(true, 200, 280));
  EXPECT_EQ(Project(0, -10, 4, -north), Written(true, 200, 280));
  EXPECT_EQ(Project(5, 10, 4, north, 5, 0), Written(true, 200, 280));
  // Looking east, the same point lies 90 degrees to the side.
  EXPECT_EQ(Project(0, 10, 4, 0), Rejected());
  // No jump against points a hair off the line on either side.
  const float tilted = north - 0.3f;
  const Projection on_line = Project(0, 10, 4, tilted);
  ASSERT_TRUE(on_line.usable);
  for (float off : {1e-4f, -1e-4f}) {
    const Projection near = Project(off, 10, 4, tilted);
    EXPECT_NEAR(near.x, on_line.x, 1) << "off " << off;
    EXPECT_NEAR(near.y, on_line.y, 1) << "off " << off;
  }
}

TEST(ProjectPoint, WholeTurnsAddedToHeadingChangeNothing) {
  const float points[][2] = {{10, 0}, {10, 10}, {20, 5}, {-30, 4}, {7, -40}, {0, 25}};
  for (float base : {0.0f, 0.3f, 2.0f, -1.2f}) {
    for (int turns : {1, -1, 3}) {
      const float turned = static_cast<float>(base + turns * 2 * std::numbers::pi);
      for (const auto& p : points) {
        EXPECT_EQ(Project(p[0], p[1], 4, turned), Project(p[0], p[1], 4, base))
            << "point (" << p[0] << ", " << p[1] << ") heading " << base << " turns " << turns;
      }
    }
  }
}

TEST(ProjectPoint, NonFiniteInputsAreRejectedWithoutUndefinedConversions) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Project(nan, 0), Rejected());
  EXPECT_EQ(Project(10, 0, 4, inf), Rejected());
  EXPECT_FALSE(Project(10, 0, nan).usable);
  EXPECT_FALSE(Project(10, 0, 1e30f).usable);
  EXPECT_FALSE(Project(10, 0, -1e30f).usable);
}

TEST(NearestInt32, TiesGoToEvenAndOutOfRangeSaturates) {
  EXPECT_EQ(NearestInt32(2.5), 2);
  EXPECT_EQ(NearestInt32(3.5), 4);
  EXPECT_EQ(NearestInt32(-2.5), -2);
  EXPECT_EQ(NearestInt32(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(NearestInt32(-1e300), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(NearestInt32(std::nan("")), std::numeric_limits<int32_t>::min());
}

}  // namespace
}  // namespace quorvel
