// Gates, laps, the finish, the road test and the crash sequence, on course 1.
#include <gtest/gtest.h>

#include <cmath>

#include "course/course_builders.h"
#include "race/frame_tick.h"
#include "race/race_step.h"
#include "race/reset_race.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::RecordingPlatform;

class LapsAndCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildCourse1(s, 30);
    ResetRace(s, labels);
  }
  // Moves the car from (x0, y0) to (x1, y1) as one race step would.
  void Step(float x0, float y0, float x1, float y1) {
    s.Pos[0] = x0;
    s.Pos[1] = y0;
    LapsCrashAndRespawn(s, labels, platform, x1, y1);
  }
  RaceState s;
  Form1Labels labels;
  RecordingPlatform platform;
};

TEST_F(LapsAndCrash, ForwardCrossingAfterTheLastGateCountsALap) {
  s.PastStartLine = false;  // as the last gate leaves it
  s.LastGate = 15;
  Step(-5, 0, 2, 0);
  EXPECT_EQ(s.Lap, 2);
  EXPECT_TRUE(s.PastStartLine);
  EXPECT_EQ(s.LastGate, 0);
  EXPECT_EQ(s.Pos[0], 2.0f);
  EXPECT_EQ(platform.slept_ms, 0) << "no crash on the road";
}

TEST_F(LapsAndCrash, BackwardsOverTheLineTakesALapBackAndForwardsRestoresIt) {
  Step(0, 0, -3, 0);
  EXPECT_EQ(s.Lap, 0);
  EXPECT_FALSE(s.PastStartLine);
  Step(-3, 0, 1, 0);
  EXPECT_EQ(s.Lap, 1);
  EXPECT_TRUE(s.PastStartLine);
}

TEST_F(LapsAndCrash, GatesOneAndLastSetTheSideOfTheLine) {
  s.PastStartLine = false;
  Step(120, 40, 160, 80);  // over gate 1 on arc 1
  EXPECT_EQ(s.LastGate, 1);
  EXPECT_TRUE(s.PastStartLine);
  Step(-110, 0, -90, 0);  // over gate 15, the last
  EXPECT_EQ(s.LastGate, 15);
  EXPECT_FALSE(s.PastStartLine);
  Step(-210, 0, -190, 0);  // gate 14 changes nothing but LastGate
  EXPECT_EQ(s.LastGate, 14);
  EXPECT_FALSE(s.PastStartLine);
  EXPECT_EQ(s.Lap, 1);
}

TEST_F(LapsAndCrash, TwoGatesInOneStepCountTheLowerIndex) {
  Step(-310, 0, -190, 0);  // over gates 13 and 14
  EXPECT_EQ(s.LastGate, 13);
}

TEST_F(LapsAndCrash, ThirdLapShowsTheGoal) {
  s.Lap = 3;
  s.PastStartLine = false;
  Step(-5, 0, 2, 0);
  EXPECT_EQ(s.Lap, 4);
  EXPECT_EQ(labels.Label3, "ゴール");
  EXPECT_TRUE(labels.Label3Visible);
}

TEST_F(LapsAndCrash, CrashPlaysTheFallThenRestartsAtTheLastGate) {
  s.Speed = 2.5f;
  s.Steer = -6;
  s.CameraLag = 7;
  s.Ticks = 100;
  s.LastGate = 14;          // restart point (-200, 0), heading 0
  Step(-150, 0, -150, 20);  // off the straight, which is 15 wide
  EXPECT_EQ(s.Ticks, 100 + 19 + 20);
  EXPECT_EQ(platform.sleeps.size(), 20u);
  EXPECT_EQ(platform.slept_ms, 19 * 80 + 1600);
  EXPECT_EQ(platform.sleeps.back(), 1600);
  EXPECT_EQ(s.Pos[0], -200.0f);
  EXPECT_EQ(s.Pos[1], 0.0f);
  EXPECT_EQ(s.Heading, static_cast<float>(0 + 0.02));
  EXPECT_EQ(s.Speed, 0.0f);
  EXPECT_EQ(s.Steer, 0);
  EXPECT_EQ(s.CameraLag, 0);
  EXPECT_EQ(s.Lap, 1);
  EXPECT_EQ(s.LastGate, 14);

  // 19 drawn frames, then the black pause as a frame of its own.
  const auto& ops = platform.surface.ops;
  EXPECT_EQ(platform.surface.Count(DrawOp::kRefresh), 20u);
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[ops.size() - 2], DrawOp::Clear(0));
  EXPECT_EQ(ops.back(), DrawOp::Refresh());
  EXPECT_EQ(platform.surface.Count(DrawOp::kClear), 1u);
}

TEST_F(LapsAndCrash, CarRollsOnDuringTheFall) {
  s.Speed = 1.0f;
  s.Heading = 1.5707964f;  // +y
  Step(-150, 0, -150, 20);
  // Each fall frame is drawn with its texts; the last one 18 units further
  // on, so its eye point (10 units behind the car) stands at y = 28.
  EXPECT_EQ(platform.label_calls.size(), 19u);
  EXPECT_NEAR(s.Pos[3], 28.0f, 1e-4);
  EXPECT_NEAR(s.Pos[2], -150.0f, 1e-4);
}

TEST_F(LapsAndCrash, FallMovesAreWorkedOutInDoubleAndStoredAsSingle) {
  s.Speed = 2.71999979f;
  s.Heading = 0.59f;
  s.Steer = 0;
  s.CameraLag = 0;
  Step(-150, 10, -150, 16);
  // A pose where cos and sin rounded to single would move the car
  // elsewhere. The last fall frame drew the car after 18 moves; its eye point stands
  // 10 units behind it.
  float x = -150, y = 16;
  for (int i = 0; i < 18; ++i) {
    x = static_cast<float>(x + 2.71999979f * std::cos(static_cast<double>(0.59f)));
    y = static_cast<float>(y + 2.71999979f * std::sin(static_cast<double>(0.59f)));
  }
  EXPECT_EQ(s.Pos[2], static_cast<float>(x - 10 * std::cos(static_cast<double>(0.59f))));
  EXPECT_EQ(s.Pos[3], static_cast<float>(y - 10 * std::sin(static_cast<double>(0.59f))));
}

TEST_F(LapsAndCrash, RoadTestNeverReadsPastTheTable) {
  s.RoadTriCount = 32767;  // not a course; the test must still stay in bounds
  EXPECT_TRUE(OnRoad(s, 0, 0));
}

TEST_F(LapsAndCrash, CrashRightAfterABackwardsCrossingGivesTheLapBack) {
  Step(0, 0, -3, 0);
  ASSERT_EQ(s.Lap, 0);
  Step(-3, 0, -3, 20);
  EXPECT_EQ(s.LastGate, 0);
  EXPECT_TRUE(s.PastStartLine);
  EXPECT_EQ(s.Lap, 1);
  EXPECT_EQ(s.Pos[0], 0.0f);
  EXPECT_EQ(s.Heading, 0.02f);
}

TEST_F(LapsAndCrash, CrashOnTheFinishingStepKeepsTheGoal) {
  s.Lap = 3;
  s.PastStartLine = false;
  Step(-5, 10, 2, 16);  // over the line and off the road at once
  EXPECT_EQ(s.Lap, 4);
  EXPECT_TRUE(labels.Label3Visible);
  EXPECT_EQ(platform.slept_ms, 3120);
}

TEST(RoadTest, EmptyRoadIsOffRoadEverywhere) {
  RaceState s;
  EXPECT_FALSE(OnRoad(s, 0, 0));
  BuildCourse1(s, 30);
  EXPECT_TRUE(OnRoad(s, 0, 0));
  EXPECT_TRUE(OnRoad(s, 200, 200));
  EXPECT_FALSE(OnRoad(s, 0, 200));  // the middle of arc 1
}

}  // namespace
}  // namespace quorvel
