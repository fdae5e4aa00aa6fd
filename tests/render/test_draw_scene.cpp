#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "course/course_builders.h"
#include "race/frame_tick.h"
#include "race/reset_race.h"
#include "race/start_up.h"
#include "render/draw_scene.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::RecordingPlatform;
using testing::RecordingSurface;

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kDarkGreen = 0x008000;
constexpr Colour kRed = 255;

// Car at (10, 0) heading along +x with no steering or lean: the eye is at
// the origin, and with a 360-wide surface the centre column and the horizon
// row are both 200 and the car lands on (200, 280).
RaceState CarAhead() {
  RaceState s;
  s.Pos = {10, 0, 0, 0};
  s.Lap = 1;
  return s;
}

void AddTriangle(RaceState& s, float x1, float y1, float x2, float y2, float x3, float y3,
                 Colour colour) {
  const int i = s.RoadTriCount++;
  const float corners[6] = {x1, y1, x2, y2, x3, y3};
  for (int k = 0; k < 6; ++k) s.RoadTri[6 * i + k] = corners[k];
  s.RoadColor[i] = static_cast<float>(colour);
}

struct Frame {
  std::vector<DrawOp> ops;
  Form1Labels labels;
  RecordingPlatform platform;
};

void DrawInto(Frame& f, RaceState& s, float eye_height = 4) {
  DrawScene(s, f.labels, f.platform, eye_height);
  f.ops = f.platform.surface.ops;
}

TEST(DrawScene, PaintsSkyGroundRoadInIndexOrderThenMarkerThenRefreshes) {
  RaceState s = CarAhead();
  AddTriangle(s, 20, -10, 20, 10, 30, 0, 0x808080);
  AddTriangle(s, 20, -10, 20, 10, 30, 0, 0x0000FF);  // same place: painted over the first
  Frame f;
  f.platform.surface.height = 337;  // the height shapes only the two bands
  DrawInto(f, s);
  const DrawOp road = DrawOp::Poly({300, 240}, {100, 240}, {200, 227});
  const std::vector<DrawOp> expected = {
      DrawOp::Rect(0, 0, 361, 169.5f, 16776960),
      DrawOp::Rect(0, 168.5f, 361, 169.5f, 0),
      DrawOp::Fill(0x808080),
      DrawOp::Pen(0x808080),
      road,
      DrawOp::Fill(0x0000FF),
      DrawOp::Pen(0x0000FF),
      road,
      DrawOp::Fill(kDarkGreen),
      DrawOp::Circle(200, 260, 20, kWhite),
      DrawOp::Circle(200, 268, 5, kWhite),
      DrawOp::Refresh(),
  };
  EXPECT_EQ(f.ops, expected);
}

TEST(DrawScene, EmptyCourseDrawsBandsMarkerAndTextsOnly) {
  RaceState s = CarAhead();
  Frame f;
  DrawInto(f, s);
  const std::vector<DrawOp> expected = {
      DrawOp::Rect(0, 0, 361, 181, 16776960),
      DrawOp::Rect(0, 180, 361, 181, 0),
      DrawOp::Fill(kDarkGreen),
      DrawOp::Circle(200, 260, 20, kWhite),
      DrawOp::Circle(200, 268, 5, kWhite),
      DrawOp::Refresh(),
  };
  EXPECT_EQ(f.ops, expected);
  ASSERT_EQ(f.platform.label_calls.size(), 1u);
  EXPECT_EQ(f.platform.label_calls[0], f.labels);
  // The texts reach the window before the frame is shown.
  EXPECT_EQ(f.platform.label_call_ops[0], f.ops.size() - 1);
}

TEST(DrawScene, CountBeyondTheTablesDrawsOnlyTheWholeTriangles) {
  RaceState s = CarAhead();
  s.RoadTriCount = 32767;
  Frame f;
  DrawInto(f, s);
  EXPECT_EQ(f.platform.surface.Count(DrawOp::kPen), 120u);
  s.RoadTriCount = -5;
  Frame g;
  DrawInto(g, s);
  EXPECT_EQ(g.platform.surface.Count(DrawOp::kPen), 0u);
}

TEST(DrawScene, EyeStandsBehindTheCarSwungByTheSteering) {
  RaceState s = CarAhead();
  Frame f;
  s.CameraLag = -15;
  DrawInto(f, s);
  EXPECT_EQ(s.Pos[2], 3.75f);
  EXPECT_EQ(s.Pos[3], 0.0f);
  s.CameraLag = 15;
  DrawInto(f, s);
  EXPECT_EQ(s.Pos[2], -3.75f);
  // Steering 10 swings the eye by 0.125 rad about the car; car unchanged.
  s.CameraLag = 0;
  s.Steer = 10;
  DrawInto(f, s);
  EXPECT_EQ(s.Pos[2], static_cast<float>(10 - 10 * std::cos(0.125)));
  EXPECT_EQ(s.Pos[3], static_cast<float>(0 - 10 * std::sin(0.125)));
  EXPECT_EQ(s.Pos[0], 10.0f);
  EXPECT_EQ(s.Pos[1], 0.0f);
}

TEST(DrawScene, MarkerColourFollowsCarTypeAndSmallCircleMovesAgainstSteering) {
  struct Case {
    int16_t car_type;
    int16_t steer;
    Colour fill;
    float small_offset;  // pixels from the large circle's centre column
  };
  for (const Case& c :
       {Case{0, 0, kDarkGreen, 0}, Case{1, 0, kRed, 0}, Case{0, 10, kDarkGreen, -5},
        Case{1, -10, kRed, 5}, Case{0, 3, kDarkGreen, -1.5f}, Case{0, -7, kDarkGreen, 3.5f}}) {
    RaceState s = CarAhead();
    s.CarType = c.car_type;
    s.Steer = c.steer;
    Frame f;
    DrawInto(f, s);
    const std::vector<DrawOp> circles = f.platform.surface.OpsOf(DrawOp::kCircle);
    ASSERT_EQ(circles.size(), 2u);
    const DrawOp& large = circles[0];
    const DrawOp& small = circles[1];
    SCOPED_TRACE(DrawLogText(large) + " " + DrawLogText(small));
    EXPECT_EQ(f.ops[f.ops.size() - 4], DrawOp::Fill(c.fill)) << "car type " << c.car_type;
    EXPECT_EQ(large.args[2], 20);
    EXPECT_EQ(small.args[2], 5);
    EXPECT_EQ(large.colour, kWhite);
    EXPECT_EQ(small.colour, kWhite);
    EXPECT_EQ(small.args[0] - large.args[0], c.small_offset) << "steer " << c.steer;
    EXPECT_EQ(small.args[1] - large.args[1], 8);
  }
}

TEST(DrawScene, FallingEyeMovesTheRoadButNotTheMarker) {
  RaceState s = CarAhead();
  AddTriangle(s, 40, -10, 40, 10, 50, 0, 0x808080);
  const DrawOp marker = DrawOp::Circle(200, 260, 20, kWhite);
  struct Case {
    float eye_height;
    DrawOp road;
  };
  for (const Case& c : {Case{4, DrawOp::Poly({250, 220}, {150, 220}, {200, 216})},
                        Case{0, DrawOp::Poly({250, 200}, {150, 200}, {200, 200})},
                        Case{-2.25f, DrawOp::Poly({250, 189}, {150, 189}, {200, 191})}}) {
    Frame f;
    DrawInto(f, s, c.eye_height);
    EXPECT_EQ(f.platform.surface.OpsOf(DrawOp::kPoly), std::vector<DrawOp>{c.road})
        << "eye height " << c.eye_height;
    EXPECT_EQ(f.platform.surface.OpsOf(DrawOp::kCircle)[0], marker)
        << "eye height " << c.eye_height;
  }
}

// The ghost's outline by its depth along the view, the car's being 10: the
// car's own marker where the car is, half of it twice as far (off the axis
// too), never below radii 2 and 1. Its steering is 4; x, y, r of both rings.
TEST(DrawScene, GhostOutlineIsSizedByItsDistanceAsTheRoadIs) {
  for (const auto& [at, rings] : std::vector<std::pair<GhostPose, std::vector<float>>>{
           {{10, 0, 4}, {200, 260, 20, 198, 268, 5}},
           {{20, 5, 4}, {150, 230, 10, 149, 234, 2.5f}},
           {{400, 0, 4}, {200, 200, 2, 199.8f, 200.8f, 1}}}) {
    RaceState s = CarAhead();
    testing::StandingGhost ghost(at);
    s.ghost = &ghost;
    Frame f;
    DrawInto(f, s);
    EXPECT_EQ(f.platform.surface.OpsOf(DrawOp::kRing),
              (std::vector<DrawOp>{DrawOp::Ring(rings[0], rings[1], rings[2], 0xFF00FF),
                                   DrawOp::Ring(rings[3], rings[4], rings[5], 0xFF00FF)}))
        << at.x;
  }
}

std::string TimeText(int32_t ticks) {
  RaceState s = CarAhead();
  s.Ticks = ticks;
  Frame f;
  DrawInto(f, s);
  return f.labels.Label2;
}

std::string SpeedText(float speed) {
  RaceState s = CarAhead();
  s.Speed = speed;
  Frame f;
  DrawInto(f, s);
  return f.labels.Label1;
}

TEST(DrawScene, TimeTextIsWholeSecondsRoundedDown) {
  EXPECT_EQ(TimeText(-40), "-4");
  EXPECT_EQ(TimeText(-39), "-4");
  EXPECT_EQ(TimeText(-1), "-1");
  for (int32_t t = 0; t <= 12; ++t) EXPECT_EQ(TimeText(t), "0") << "ticks " << t;
  EXPECT_EQ(TimeText(13), "1");
  EXPECT_EQ(TimeText(25), "2");
  EXPECT_EQ(TimeText(2147483647), "171798691");
  EXPECT_EQ(TimeText(-2147483647 - 1), "-171798692");
}

TEST(DrawScene, SpeedTextIsTenthsRoundedDownFromTheSingle) {
  EXPECT_EQ(SpeedText(0), "0");
  EXPECT_EQ(SpeedText(-0.0f), "0");
  EXPECT_EQ(SpeedText(0.3f), "3");
  EXPECT_EQ(SpeedText(std::nextafter(0.3f, 0.0f)), "2");
  EXPECT_EQ(SpeedText(0.699999988f), "6");
  EXPECT_EQ(SpeedText(12.5f), "125");
  // No upper limit on speed: still plain digits, no overflow.
  EXPECT_EQ(SpeedText(1e20f), "1000000020040877342720");
}

TEST(DrawScene, LapTextAndLabelsHandedToTheWindow) {
  RaceState s = CarAhead();
  s.Lap = 4;
  s.Ticks = 25;
  s.Speed = 1.5f;
  Frame f;
  f.labels.Label3 = "ゴール";
  f.labels.Label3Visible = true;
  DrawInto(f, s);
  Form1Labels expected;
  expected.Label1 = "15";
  expected.Label2 = "2";
  expected.Label3 = "ゴール";  // the goal banner is not the drawing's business
  expected.Label3Visible = true;
  expected.Label4 = "4周目";
  EXPECT_EQ(f.labels, expected);
  ASSERT_EQ(f.platform.label_calls.size(), 1u);
  EXPECT_EQ(f.platform.label_calls[0], expected);

  s.Lap = -2;
  DrawInto(f, s);
  EXPECT_EQ(f.labels.Label4, "-2周目");
}

// Kept projections change no picture: after every tick of a whole race on
// each course, the picture between that tick and the next, at eye heights
// of the crash's fall and several surface widths, drawn with plain
// projections and with the corners kept, in one cache for the whole race
// so that it also meets every change of eye, height and width.
TEST(DrawScene, KeptProjectionsChangeNoPictureOfAWholeRace) {
  const float eye_heights[] = {4, 3.75f, 1.75f, 0, -2.25f, -26.25f, -77};
  const float widths[] = {337, 360, 1011};
  for (const int course : {1, 2}) {
    Game g;
    RecordingPlatform platform;
    Form1_Load(g, platform);
    if (course == 2) {
      BuildCourse2(g.s);
      ResetRace(g.s, g.form1.labels);
    }
    testing::Autopilot pilot(2.0f);
    ProjectionCache kept_projections;
    for (int i = 0; g.s.Lap < 4 && i < 8000; ++i) {
      InputEvent tick;
      tick.keys = pilot.Keys(g.s);
      Timer1_Timer(g, platform, tick);
      platform.surface.ops.clear();
      RaceState kept_race = g.s, plain_race = g.s;
      RecordingSurface kept, plain;
      kept.width = plain.width = widths[i / 8 % std::size(widths)];
      const float eye_height = eye_heights[i / 3 % std::size(eye_heights)];
      ProjectionCache plain_projections(ProjectionCache::kPlain);
      DrawScenePicture(plain_race, g.s.Steer + 0.5, g.s.CameraLag - 0.25, plain, eye_height,
                       plain_projections);
      DrawScenePicture(kept_race, g.s.Steer + 0.5, g.s.CameraLag - 0.25, kept, eye_height,
                       kept_projections);
      ASSERT_EQ(kept.ops, plain.ops) << "course " << course << ", tick " << g.s.Ticks;
    }
    EXPECT_EQ(g.s.Lap, 4) << "course " << course;
  }
}

}  // namespace
}  // namespace quorvel
