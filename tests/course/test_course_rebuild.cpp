// Building one course over another: what is replaced and what is left.
#include <gtest/gtest.h>

#include <cstdint>

#include "course/course_builders.h"
#include "course/course_checks.h"

namespace quorvel {
namespace {

TEST(CourseRebuild, Course1AfterCourse2KeepsCourse2sSpareTriangles) {
  RaceState s;
  BuildCourse2(s);
  const RaceState course2 = s;
  BuildCourse1(s, 30);

  EXPECT_EQ(s.RoadTriCount, 102);
  ASSERT_EQ(s.Gates.size(), 16u);
  for (size_t i = 0; i < s.Gates.size(); ++i) {
    EXPECT_TRUE(SameGate(s.Gates[i], kCourse1Gates[i])) << "gate " << i;
  }
  EXPECT_TRUE(SameGate(s.Gates[0], s.StartGate));
  // Triangles 102..111: course 2's cells 51..55, column 0 from row 5 down to row 1.
  for (int i = 102; i < 112; ++i) {
    EXPECT_EQ(TriAt(s, i), TriAt(course2, i)) << "triangle " << i;
    EXPECT_EQ(s.RoadColor[i], course2.RoadColor[i]) << "triangle " << i;
  }
  EXPECT_EQ(TriAt(s, 110), (std::array<float, 6>{0, 40, 40, 40, 0, 80}));
}

TEST(CourseRebuild, Course2AfterCourse1ReplacesEveryGate) {
  RaceState s;
  BuildCourse1(s, 30);
  BuildCourse2(s);
  EXPECT_EQ(s.RoadTriCount, 112);
  ASSERT_EQ(s.Gates.size(), 29u);
  for (size_t i = 0; i < s.Gates.size(); ++i) {
    EXPECT_TRUE(SameGate(s.Gates[i], kCourse2Gates[i])) << "gate " << i;
  }
  EXPECT_TRUE(SameGate(s.Gates[0], s.StartGate));
}

TEST(CourseRebuild, StartGateIsGateZeroAfterEveryBuild) {
  RaceState s;
  const int32_t width = 30;
  for (int round = 0; round < 3; ++round) {
    BuildCourse1(s, width);
    EXPECT_TRUE(SameGate(s.Gates.at(0), s.StartGate)) << "round " << round;
    BuildCourse2(s);
    EXPECT_TRUE(SameGate(s.Gates.at(0), s.StartGate)) << "round " << round;
  }
  EXPECT_EQ(width, 30);
}

}  // namespace
}  // namespace quorvel
