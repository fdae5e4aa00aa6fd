// Pictures between ticks: the tick's own at alpha 0, and with steady input
// exactly the next tick's at alpha 1, so the race never jumps.
#include <gtest/gtest.h>

#include <vector>

#include "race/between_ticks.h"
#include "race/frame_tick.h"
#include "race/start_up.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::RecordingPlatform;

// The picture's drawing calls, less the refresh that shows them.
std::vector<DrawOp> Picture(const std::vector<DrawOp>& ops) {
  std::vector<DrawOp> out(ops);
  if (!out.empty() && out.back().kind == DrawOp::kRefresh) out.pop_back();
  return out;
}

// A whole race on each course, driven by the autopilot: every picture
// between two ticks whose input is the same at both ends, predicted at
// alpha 1, is the next tick's own; at alpha 0 it is the last tick's.
TEST(BetweenTicks, SteadyInputMeetsTheNextTickExactly) {
  for (const bool course2 : {false, true}) {
    SCOPED_TRACE(course2 ? "course 2" : "course 1");
    Game g;
    RecordingPlatform platform;
    Form1_Load(g, platform);
    if (course2) {
      platform.on_show_menu = [](MenuWindow& menu) {
        menu.Form_Load();
        for (int vk : {kVkRight, kVkDown, kVkDown, kVkLeft, kVkReturn}) {
          menu.Form_KeyDown(static_cast<int16_t>(vk));
        }
      };
      InputEvent enter;
      enter.keys = kTickEnter;
      Timer1_Timer(g, platform, enter);
    }
    testing::Autopilot pilot(course2 ? 1.0f : 2.0f);
    int compared = 0;
    for (int i = 0; i < 16000 && g.s.Lap < 4; ++i) {
      InputEvent tick;
      tick.keys = pilot.Keys(g.s);
      const bool moving = MovesBetweenTicks(g);
      const std::vector<DrawOp> last = Picture(platform.surface.ops);
      RecordingPlatform at0, at1;
      DrawBetweenTicks(g, at0.surface, tick, 0);
      DrawBetweenTicks(g, at1.surface, tick, 1);
      platform.surface.ops.clear();
      const int slept = platform.slept_ms;
      Timer1_Timer(g, platform, tick);
      if (!moving || platform.slept_ms != slept || last.empty()) continue;
      ASSERT_EQ(Picture(at0.surface.ops), last) << "alpha 0, tick " << g.s.Ticks;
      ASSERT_EQ(Picture(at1.surface.ops), Picture(platform.surface.ops))
          << "alpha 1, tick " << g.s.Ticks;
      ++compared;
    }
    EXPECT_EQ(g.s.Lap, 4);
    EXPECT_GT(compared, 1000);
  }
}

}  // namespace
}  // namespace quorvel
