// Whole races through the real tick, driven by ordinary key presses.
#include <gtest/gtest.h>

#include "menu/menu_window.h"
#include "race/frame_tick.h"
#include "race/start_up.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::Autopilot;
using testing::RecordingPlatform;

// Drives until the finish or `max_ticks`; returns the crashes seen.
int Drive(Game& g, RecordingPlatform& platform, Autopilot& pilot, int max_ticks) {
  int crashes = 0;
  for (int i = 0; i < max_ticks && g.s.Lap < 4; ++i) {
    platform.held_keys = pilot.Keys(g.s);
    const int slept = platform.slept_ms;
    Tick(g, platform);
    if (platform.slept_ms != slept) ++crashes;
    platform.surface.ops.clear();
  }
  return crashes;
}

TEST(FullRace, ThreeLapsOfCourse1FinishWithTheGoal) {
  Game g;
  RecordingPlatform platform;
  Form1_Load(g, platform);
  Autopilot pilot(testing::Course1CentreLine(), 2.5f);
  const int crashes = Drive(g, platform, pilot, 6000);
  EXPECT_EQ(g.s.Lap, 4);
  EXPECT_EQ(crashes, 0);
  EXPECT_EQ(g.form1.labels.Label3, "ゴール");
  EXPECT_TRUE(g.form1.labels.Label3Visible);
  EXPECT_EQ(g.form1.labels.Label4, "4周目");
  // Frozen afterwards.
  const RaceState done = g.s;
  for (int i = 0; i < 5; ++i) Tick(g, platform);
  EXPECT_EQ(g.s.Ticks, done.Ticks);
  EXPECT_EQ(g.s.Pos, done.Pos);
}

TEST(FullRace, ThreeLapsOfCourse2WithTheAdvancedCar) {
  Game g;
  RecordingPlatform platform;
  Form1_Load(g, platform);
  platform.on_show_menu = [](MenuWindow& menu) {
    menu.Form_Load();
    for (int vk : {kVkRight, kVkDown, kVkRight, kVkDown, kVkLeft, kVkReturn}) {
      menu.Form_KeyDown(static_cast<int16_t>(vk));
    }
  };
  platform.held_keys = {kVkReturn};
  Tick(g, platform);
  ASSERT_EQ(g.s.RoadTriCount, 112);
  ASSERT_EQ(g.s.CarType, 1);
  Autopilot pilot(testing::Course2CentreLine(), 1.5f);
  const int crashes = Drive(g, platform, pilot, 8000);
  EXPECT_EQ(g.s.Lap, 4);
  EXPECT_EQ(crashes, 0);
  EXPECT_TRUE(g.form1.labels.Label3Visible);
}

}  // namespace
}  // namespace quorvel
