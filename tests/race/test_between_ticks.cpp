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

// A slalom on course 1, five pictures a tick (the window's at 60 Hz), the
// keys changing at the tick (as in quorvel-sim) or after picture 1, 2 or 3.
// A point standing far ahead, drawn as a ghost, shows in its column how the
// picture turns; drawn at 8 times the size, in eighths of a pixel at scale 1.
// A key let go mid-turn turns it back by at most 3.5 pixels a picture (all
// the turn drawn went back at once, up to 6), and the picture at 1 is the
// next tick's own.
TEST(BetweenTicks, KeysChangedBetweenTicksTurnThePictureBackInSmallSteps) {
  constexpr uint8_t L = kTickLeft, R = kTickRight;
  constexpr uint8_t kSlalom[] = {L, L, L, 0, R, R, R, 0, L, L, L, 0, R, R, 0, 0};
  for (int run = 0; run < 8; ++run) {
    Game g;
    RecordingPlatform platform;
    testing::RecordingSurface& picture = platform.surface;
    picture.width = picture.height = 337 * 8;
    Form1_Load(g, platform);
    g.s.CarType = static_cast<int16_t>(run / 4);
    testing::StandingGhost far({4944, 747, 0});
    g.s.ghost = &far;
    float column = NAN, moved = 0, back = 0;
    InputEvent tick, next;
    std::vector<DrawOp> at_one;
    for (int t = 0; t < 120; ++t) {
      picture.ops.clear();
      Timer1_Timer(g, platform, tick);
      if (!at_one.empty()) {
        ASSERT_EQ(picture.ops, at_one) << run << ", tick " << g.s.Ticks;
      }
      const bool moves = MovesBetweenTicks(g);
      next.keys = moves ? kSlalom[t % 16] | (g.s.Speed < 1 ? kTickUp : 0) : 0;
      for (int i = 0; i <= 5 && moves; ++i) {
        if (i > 0) {
          picture.ops.clear();
          DrawBetweenTicks(g, picture, i <= run % 4 ? tick : next, i / 5.0);
        }
        if (i == 5) at_one = picture.ops;
        if (i == 5 || picture.ops.empty()) continue;
        const float to = picture.OpsOf(DrawOp::kRing).at(0).args[0] / 8;
        if ((to - column) * moved < 0) back = std::max(back, std::fabs(to - column));
        moved = to - column;
        column = to;
      }
      tick = next;
    }
    EXPECT_LE(back, 3.5) << "car type " << run / 4 << ", keys changed after picture " << run % 4;
  }
}

}  // namespace
}  // namespace quorvel
