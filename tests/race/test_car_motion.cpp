// Car motion: steering, throttle lean, speed and heading per tick.
#include <gtest/gtest.h>

#include <cmath>

#include "race/car_motion.h"

namespace quorvel {
namespace {

DirectionFlags Flags(bool left, bool right, bool down, bool up) {
  return DirectionFlags{left, right, down, up};
}

TEST(CarMotion, BeginnerUpAndLeftFromRest) {
  RaceState s;
  const float expected_speed[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f};
  MotionResult first;
  for (int tick = 1; tick <= 5; ++tick) {
    const MotionResult m = CarMotionStep(s, Flags(true, false, false, true));
    if (tick == 1) first = m;
    EXPECT_NEAR(s.Speed, expected_speed[tick - 1], 1e-6) << "tick " << tick;
    EXPECT_EQ(s.Steer, -tick) << "tick " << tick;
    EXPECT_EQ(s.CameraLag, tick) << "tick " << tick;
    EXPECT_EQ(m.SpeedStep, 0.15f);
    EXPECT_EQ(m.TurnStep, 0.1f);
  }
  EXPECT_NEAR(s.Heading, 0.25, 1e-6);
  EXPECT_NEAR(first.NewX, 0.099875, 1e-6);
  EXPECT_NEAR(first.NewY, 0.004998, 1e-6);
  // Motion never moves the car itself.
  EXPECT_EQ(s.Pos[0], 0.0f);
  EXPECT_EQ(s.Pos[1], 0.0f);
}

TEST(CarMotion, SpeedIsStoredAsSingleAfterEachChange) {
  // Speed + 0.15 and then - 0.05 are each rounded to single: the seventh
  // accelerating tick gives 0.699999988, not 0.7.
  RaceState s;
  for (int i = 0; i < 7; ++i) CarMotionStep(s, Flags(false, false, false, true));
  EXPECT_EQ(s.Speed, 0.699999988f);
}

TEST(CarMotion, CoastingAndBrakingStopAtZero) {
  RaceState s;
  s.Speed = 0.12f;
  CarMotionStep(s, {});
  EXPECT_NEAR(s.Speed, 0.07f, 1e-7);
  CarMotionStep(s, {});
  EXPECT_NEAR(s.Speed, 0.02f, 1e-7);
  CarMotionStep(s, {});
  EXPECT_EQ(s.Speed, 0.0f);

  s.Speed = 0.1f;
  CarMotionStep(s, Flags(false, false, true, false));
  EXPECT_EQ(s.Speed, 0.0f);
  EXPECT_EQ(s.CameraLag, -1);
}

TEST(CarMotion, StandingBeginnerCarTurnsOnTheSpot) {
  RaceState s;
  s.Pos = {5, 7, 0, 0};
  for (int i = 1; i <= 3; ++i) {
    const float before = s.Heading;
    const MotionResult m = CarMotionStep(s, Flags(true, false, false, false));
    EXPECT_EQ(s.Heading, static_cast<float>(before + 0.1f * 0.5));
    EXPECT_EQ(m.NewX, 5.0f);
    EXPECT_EQ(m.NewY, 7.0f);
  }
}

TEST(CarMotion, SteerOscillatesAtTheLimitAndRecentres) {
  RaceState s;
  const int expected[] = {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -9, -10, -9, -10};
  for (int e : expected) {
    CarMotionStep(s, Flags(true, false, false, false));
    EXPECT_EQ(s.Steer, e);
  }
  for (int e = 9; e >= 0; --e) {
    CarMotionStep(s, {});
    EXPECT_EQ(s.Steer, -e);
  }
  // Right is symmetric.
  for (int i = 0; i < 12; ++i) CarMotionStep(s, Flags(false, true, false, false));
  EXPECT_EQ(s.Steer, 10);
  CarMotionStep(s, Flags(false, true, false, false));
  EXPECT_EQ(s.Steer, 9);
}

TEST(CarMotion, AdvancedCarTurnsWithSteer) {
  RaceState s;
  s.CarType = 1;
  const double expected[] = {0.0075, 0.015, 0.0225, 0.03,  0.0375, 0.045,
                             0.0525, 0.06,  0.0675, 0.075, 0.0675, 0.075};
  for (double e : expected) {
    const float before = s.Heading;
    const MotionResult m = CarMotionStep(s, Flags(true, false, false, false));
    EXPECT_EQ(m.TurnStep, static_cast<float>(s.Steer * -0.015));
    EXPECT_NEAR(s.Heading - before, e, 1e-6);
  }
  // Released: the turn fades out with Steer.
  const MotionResult m = CarMotionStep(s, {});
  EXPECT_EQ(s.Steer, -9);
  EXPECT_EQ(m.TurnStep, static_cast<float>(-9 * -0.015));
}

TEST(CarMotion, LeftBeatsRightAndDownBeatsUp) {
  RaceState both, left_only;
  both.Speed = left_only.Speed = 1.0f;
  for (int i = 0; i < 4; ++i) {
    const MotionResult a = CarMotionStep(both, Flags(true, true, true, true));
    const MotionResult b = CarMotionStep(left_only, Flags(true, false, true, false));
    EXPECT_EQ(a.NewX, b.NewX);
    EXPECT_EQ(a.NewY, b.NewY);
  }
  EXPECT_EQ(both.Steer, left_only.Steer);
  EXPECT_EQ(both.Heading, left_only.Heading);
  EXPECT_EQ(both.Speed, left_only.Speed);
  EXPECT_EQ(both.CameraLag, -4);
}

TEST(CarMotion, CameraLagStaysWithinLimits) {
  RaceState s;
  s.CameraLag = 15;
  CarMotionStep(s, Flags(false, false, false, true));
  EXPECT_EQ(s.CameraLag, 15);
  s.CameraLag = -15;
  CarMotionStep(s, Flags(false, false, true, false));
  EXPECT_EQ(s.CameraLag, -15);
  CarMotionStep(s, {});
  EXPECT_EQ(s.CameraLag, -14);
}

}  // namespace
}  // namespace quorvel
