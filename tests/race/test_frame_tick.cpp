// The game window's tick: polling, latches, precedence, countdown, the menu
// visit and start-up.
#include <gtest/gtest.h>

#include "race/frame_tick.h"
#include "race/start_up.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::RecordingPlatform;
using testing::SurfaceOp;

class FrameTick : public ::testing::Test {
 protected:
  void SetUp() override {
    Form1_Load(g, platform);
    // A menu visit that only presses Esc.
    platform.on_show_menu = [](MenuWindow& menu) {
      menu.Form_Load();
      menu.Form_KeyDown(kVkEscape);
    };
  }
  void Tick(std::set<int> keys = {}, std::optional<JoyReading> joy = std::nullopt) {
    platform.held_keys = std::move(keys);
    platform.joystick = joy;
    testing::Tick(g, platform);
  }
  void SkipCountdown() {
    for (int i = 0; i < 38; ++i) Tick();
  }
  std::size_t Draws() const { return platform.surface.Count(SurfaceOp::kRefresh); }

  Game g;
  RecordingPlatform platform;
};

JoyReading Stick(uint32_t x, uint32_t y, uint32_t buttons = 0) {
  return {x, y, buttons};
}

TEST_F(FrameTick, StartUpLeavesTheCarOnCourse1sStartLine) {
  const RaceState& s = g.s;
  EXPECT_EQ(s.Pos[0], 0.0f);
  EXPECT_EQ(s.Pos[1], 0.0f);
  EXPECT_EQ(s.Heading, 0.0f);
  EXPECT_EQ(s.Speed, 0.0f);
  EXPECT_EQ(s.Lap, 1);
  EXPECT_EQ(s.Ticks, -40);
  EXPECT_TRUE(s.PastStartLine);
  EXPECT_EQ(s.LastGate, 0);
  EXPECT_EQ(s.CarType, 0);
  EXPECT_EQ(s.CourseChoice, 0);
  EXPECT_EQ(s.CarChoice, 3);
  EXPECT_EQ(s.RoadTriCount, 102);
  EXPECT_EQ(platform.joy_probes, 1);
  EXPECT_EQ(Draws(), 1u);
  EXPECT_EQ(g.form1.labels.Label1, "0");
  EXPECT_EQ(g.form1.labels.Label2, "-4");
  EXPECT_EQ(g.form1.labels.Label4, "1周目");
  EXPECT_FALSE(g.form1.labels.Label3Visible);
  EXPECT_EQ(g.form1.labels.Label3, "");
}

TEST_F(FrameTick, CountdownDraws38TimesThenRaces) {
  for (int i = 1; i <= 38; ++i) {
    Tick({kVkUp, kVkLeft});
    EXPECT_EQ(g.s.Ticks, -40 + i);
    EXPECT_EQ(g.s.Speed, 0.0f) << "the car waits for the start";
    EXPECT_EQ(g.s.Steer, 0);
  }
  EXPECT_EQ(Draws(), 1u + 38u);
  Tick({kVkUp});
  EXPECT_EQ(g.s.Ticks, -1);
  EXPECT_GT(g.s.Speed, 0.0f);
  EXPECT_GT(g.s.Pos[0], 0.0f);
  EXPECT_EQ(Draws(), 1u + 39u);
}

TEST_F(FrameTick, HoldingEnterOpensTheMenuOnce) {
  for (int i = 0; i < 5; ++i) Tick({kVkReturn});
  EXPECT_EQ(platform.menu_shows, 1);
  Tick();
  Tick({kVkReturn});
  EXPECT_EQ(platform.menu_shows, 2);
}

TEST_F(FrameTick, EnterAndButton1TogetherOpenTheMenuOnce) {
  Tick({kVkReturn}, Stick(32768, 32768, 1));
  Tick({kVkReturn}, Stick(32768, 32768, 1));
  EXPECT_EQ(platform.menu_shows, 1);
  EXPECT_TRUE(g.s.EnterLatch);
  EXPECT_TRUE(g.s.JoyButtonLatch);
}

TEST_F(FrameTick, MenuVisitSwitchesTheTimerOffAndOnAndNeitherCountsNorDraws) {
  const int32_t ticks = g.s.Ticks;
  const std::size_t draws = Draws();
  bool timer_during_menu = true;
  platform.on_show_menu = [&](MenuWindow& menu) {
    timer_during_menu = platform.timer_enabled;
    menu.Form_Load();
    menu.Form_KeyDown(kVkEscape);
  };
  Tick({kVkReturn});
  EXPECT_FALSE(timer_during_menu);
  EXPECT_EQ(platform.timer_calls, (std::vector<bool>{false, true}));
  EXPECT_TRUE(g.form1.Timer1Enabled);
  EXPECT_EQ(g.s.Ticks, ticks);
  EXPECT_EQ(Draws(), draws);
  EXPECT_FALSE(g.form2.has_value()) << "the menu window is unloaded after the visit";
  EXPECT_FALSE(platform.unloaded);
}

TEST_F(FrameTick, QuitFromTheMenuUnloadsTheGameWindow) {
  platform.on_show_menu = [](MenuWindow& menu) {
    menu.Form_Load();
    menu.Form_KeyDown(kVkUp);  // course row -> "ゲームの終了"
    menu.Form_KeyDown(kVkReturn);
  };
  Tick({kVkReturn});
  EXPECT_TRUE(g.s.QuitRequested);
  EXPECT_TRUE(platform.unloaded);
  EXPECT_TRUE(g.form1.Unloaded);
  EXPECT_TRUE(platform.timer_enabled) << "the timer is on again before the unload";
}

TEST_F(FrameTick, EnterDuringTheCountdownAndAfterTheFinishOpensTheMenu) {
  Tick({kVkReturn});
  EXPECT_EQ(platform.menu_shows, 1);
  Tick();
  g.s.Lap = 4;
  Tick({kVkReturn});
  EXPECT_EQ(platform.menu_shows, 2);
}

TEST_F(FrameTick, FinishedRaceNeitherMovesCountsNorDraws) {
  SkipCountdown();
  g.s.Lap = 4;
  g.s.Speed = 3;
  const RaceState before = g.s;
  const std::size_t draws = Draws();
  for (int i = 0; i < 10; ++i) Tick({kVkUp, kVkLeft});
  EXPECT_EQ(g.s.Ticks, before.Ticks);
  EXPECT_EQ(g.s.Pos, before.Pos);
  EXPECT_EQ(g.s.Speed, before.Speed);
  EXPECT_EQ(Draws(), draws);
}

TEST_F(FrameTick, StickThresholdsHaveNoDeadZone) {
  SkipCountdown();
  Tick({}, Stick(32767, 32768));
  EXPECT_EQ(g.s.Steer, -1) << "32767 is already left";
  Tick({}, Stick(32768, 32768));
  EXPECT_EQ(g.s.Steer, 0) << "only 32768 is neutral";
  Tick({}, Stick(32769, 32768));
  EXPECT_EQ(g.s.Steer, 1);
  Tick({}, Stick(32768, 0));
  EXPECT_EQ(g.s.CameraLag, 1) << "stick up accelerates";
  Tick({}, Stick(32768, 65535));
  EXPECT_EQ(g.s.CameraLag, 0) << "stick down brakes";
}

TEST_F(FrameTick, KeyboardRightWithStickLeftSteersLeft) {
  SkipCountdown();
  Tick({kVkRight}, Stick(0, 32768));
  EXPECT_EQ(g.s.Steer, -1);
  Tick({kVkLeft, kVkRight});
  EXPECT_EQ(g.s.Steer, -2);
}

TEST_F(FrameTick, NoJoystickIsSilentAndKeepsTheButtonLatch) {
  g.s.JoyButtonLatch = true;
  Tick({kVkUp});
  EXPECT_TRUE(g.s.JoyButtonLatch);
  Tick({}, Stick(32768, 32768, 0));
  EXPECT_FALSE(g.s.JoyButtonLatch);
}

TEST_F(FrameTick, CrashTickRaisesTheClockBy40) {
  SkipCountdown();
  g.s.Ticks = 10;
  g.s.Heading = 1.5707964f;  // straight off the side of the straight
  g.s.Speed = 20;
  platform.slept_ms = 0;
  Tick();
  EXPECT_EQ(g.s.Ticks, 50);
  EXPECT_EQ(platform.slept_ms, 3120);
  EXPECT_EQ(g.s.Speed, 0.0f);
  EXPECT_EQ(g.s.Heading, 0.02f);
}

}  // namespace
}  // namespace quorvel
