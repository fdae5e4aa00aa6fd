// Pictures between ticks: the tick's own at alpha 0, and with steady input
// exactly the next tick's at alpha 1, so the race never jumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "race/between_ticks.h"
#include "race/frame_tick.h"
#include "race/start_up.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"
#include "support/standing_ghost.h"

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

// A slalom on course 1 with five pictures a tick, the window's at 60 Hz, the
// keys changing at the tick (as quorvel-sim has them) or after picture 1, 2
// or 3 between ticks. A point standing far ahead, drawn as a ghost, shows in
// its column how the picture turns (pixels at scale 1). Where a key is let go
// mid-turn, no picture turns back more than 3 pixels against the way it was
// turning (it took back all the turn drawn in one step, up to 6 pixels), and
// the picture at 1 after the change is the next tick's own.
TEST(BetweenTicks, KeysChangedBetweenTicksTurnThePictureBackInSmallSteps) {
  constexpr uint8_t L = kTickLeft, R = kTickRight;
  constexpr uint8_t kSlalom[] = {L, L, L, 0, R, R, R, 0, L, L, L, 0, R, R, 0, 0};
  for (const int16_t car : {0, 1}) {
    for (int change = 1; change < 5; ++change) {
      Game g;
      RecordingPlatform platform;
      platform.surface.width = platform.surface.height = 337;
      Form1_Load(g, platform);
      g.s.CarType = car;
      testing::StandingGhost far({4944, 747, 0});
      g.s.ghost = &far;
      while (!MovesBetweenTicks(g)) Timer1_Timer(g, platform, InputEvent{});
      float column = platform.surface.OpsOf(DrawOp::kRing).at(0).args[0], moved = 0, back = 0;
      const auto look = [&](const testing::RecordingSurface& picture) {
        const float to = picture.OpsOf(DrawOp::kRing).at(0).args[0];
        if ((to - column) * moved < 0) back = std::max(back, std::fabs(to - column));
        moved = to - column;
        column = to;
      };
      InputEvent tick, next;
      std::vector<DrawOp> at_one;
      for (int t = 0; t < 80; ++t) {
        platform.surface.ops.clear();
        Timer1_Timer(g, platform, tick);
        look(platform.surface);
        if (t > 0) {
          ASSERT_EQ(at_one, Picture(platform.surface.ops)) << car << change << " " << t;
        }
        next.keys = kSlalom[(t + 1) % 16] | (g.s.Speed < 1 ? kTickUp : 0);
        testing::RecordingSurface picture = platform.surface;
        for (int i = 1; i <= 5; ++i) {
          picture.ops.clear();
          DrawBetweenTicks(g, picture, i < change ? tick : next, i / 5.0);
          if (i < 5 && !picture.ops.empty()) look(picture);
        }
        at_one = Picture(picture.ops);
        tick = next;
      }
      EXPECT_LE(back, 3) << "car type " << car << ", keys changed after picture " << change - 1;
    }
  }
}

}  // namespace
}  // namespace quorvel
