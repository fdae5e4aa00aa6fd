// Menu visits from the game window: choices, start, cancel, quit, and the
// keyboard and joystick latches across the two windows.
#include <gtest/gtest.h>

#include <vector>

#include "menu/menu_window.h"
#include "race/frame_tick.h"
#include "race/start_up.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

using testing::RecordingPlatform;

// One scripted menu event: a key-down, or a poll with a stick reading.
struct Ev {
  int key = 0;  // 0: a poll
  std::optional<JoyReading> joy;
};
Ev Key(int vk) {
  return {vk, std::nullopt};
}
Ev Poll(uint32_t x, uint32_t y, uint32_t buttons = 0) {
  return {0, JoyReading{x, y, buttons}};
}

class MenuVisit : public ::testing::Test {
 protected:
  void SetUp() override {
    Form1_Load(g, platform);
    platform.on_show_menu = [this](MenuWindow& menu) {
      menu.Form_Load();
      loaded_frames.push_back(menu.Frames());
      for (const Ev& e : script) {
        if (menu.Closed()) break;
        if (e.key != 0) {
          menu.Form_KeyDown(static_cast<int16_t>(e.key));
        } else {
          platform.joystick = e.joy;
          menu.Timer1_Timer(platform.joystick);
        }
        seen.push_back(*g.form2);
      }
      closed = menu.Closed();
    };
  }
  // Opens the menu with Enter and runs `events` in it.
  void Visit(std::vector<Ev> events) {
    script = std::move(events);
    seen.clear();
    platform.joystick.reset();
    platform.held_keys = {kVkReturn};
    Tick(g, platform);
    platform.held_keys.clear();
    Tick(g, platform);  // Enter released
  }

  Game g;
  RecordingPlatform platform;
  std::vector<Ev> script;
  std::vector<MenuState> seen;
  std::vector<MenuFrames> loaded_frames;
  bool closed = false;
};

TEST_F(MenuVisit, FirstVisitOpensOnCourse1AndTheBeginnerCar) {
  Visit({Key(kVkEscape)});
  ASSERT_EQ(loaded_frames.size(), 1u);
  EXPECT_EQ(loaded_frames[0].CursorLeft, 907.5f);
  EXPECT_EQ(loaded_frames[0].CursorTop, 60.0f);
  EXPECT_EQ(loaded_frames[0].CourseMarkLeft, 960.0f);
  EXPECT_EQ(loaded_frames[0].CarMarkLeft, 960.0f);
  EXPECT_EQ(loaded_frames[0].CarMarkTop, 600.0f);
  EXPECT_TRUE(closed);
}

TEST_F(MenuVisit, CancelledVisitsChangeNothing) {
  for (int i = 0; i < 8; ++i) Tick(g, platform);
  const RaceState before = g.s;
  const std::vector<std::vector<Ev>> cancels = {
      {Key(kVkRight), Key(kVkDown), Key(kVkRight), Key(kVkEscape)},
      {Key(kVkRight), Key(kVkDown), Key(kVkRight), Key(kVkDown), Key(kVkReturn)},  // キャンセル
      {Key(kVkRight), Key(kVkDown), Key(kVkRight), Poll(32768, 32768, 2)},
  };
  for (const auto& visit : cancels) {
    Visit(visit);
    ASSERT_TRUE(closed);
    EXPECT_EQ(g.s.CourseChoice, 0);
    EXPECT_EQ(g.s.CarChoice, 3);
    EXPECT_EQ(g.s.CarType, 0);
    EXPECT_EQ(g.s.RoadTriCount, 102);
    EXPECT_EQ(g.s.Pos, before.Pos);
  }
  // The next visit opens on the old choices again.
  Visit({Key(kVkEscape)});
  EXPECT_EQ(loaded_frames.back().CourseMarkLeft, 960.0f);
  EXPECT_EQ(loaded_frames.back().CarMarkLeft, 960.0f);
  // Only the ticks outside the menu visits moved the clock.
  EXPECT_EQ(g.s.Ticks, before.Ticks + 4);
}

TEST_F(MenuVisit, StartWithCourse2AndTheAdvancedCar) {
  Visit({Key(kVkRight), Key(kVkDown), Key(kVkRight), Key(kVkDown), Key(kVkLeft), Key(kVkReturn)});
  EXPECT_EQ(g.s.CourseChoice, 1);
  EXPECT_EQ(g.s.CarChoice, 4);
  EXPECT_EQ(g.s.CarType, 1);
  EXPECT_EQ(g.s.RoadTriCount, 112);
  EXPECT_EQ(g.s.Gates.size(), 29u);
  EXPECT_EQ(g.s.Pos[0], 160.0f);
  EXPECT_EQ(g.s.Pos[1], 20.0f);
  EXPECT_EQ(g.s.Ticks, -39) << "reset to -40, then the tick after the visit counted";
  // The next visit opens on the new choices.
  Visit({Key(kVkEscape)});
  EXPECT_EQ(loaded_frames.back().CursorLeft, 2347.5f);
  EXPECT_EQ(loaded_frames.back().CourseMarkLeft, 2400.0f);
  EXPECT_EQ(loaded_frames.back().CarMarkLeft, 2400.0f);
}

TEST_F(MenuVisit, StartWithUnchangedChoicesRestartsTheRace) {
  for (int i = 0; i < 60; ++i) {
    platform.held_keys = {kVkUp};
    Tick(g, platform);
  }
  ASSERT_GT(g.s.Pos[0], 0.0f);
  g.s.Lap = 4;
  g.form1.labels.Label3 = "ゴール";
  g.form1.labels.Label3Visible = true;
  Visit({Key(kVkDown), Key(kVkDown), Key(kVkLeft), Key(kVkReturn)});  // via キャンセル to start
  EXPECT_EQ(g.s.Lap, 1);
  EXPECT_EQ(g.s.Pos[0], 0.0f);
  EXPECT_EQ(g.s.Speed, 0.0f);
  EXPECT_FALSE(g.form1.labels.Label3Visible);
  EXPECT_EQ(g.s.CarType, 0);
}

TEST_F(MenuVisit, SwitchingOnlyTheCarChangesCarType) {
  Visit({Key(kVkDown), Key(kVkRight), Key(kVkDown), Key(kVkLeft), Key(kVkReturn)});
  EXPECT_EQ(g.s.CarType, 1);
  EXPECT_EQ(g.s.CarChoice, 4);
  EXPECT_EQ(g.s.CourseChoice, 0);
  EXPECT_EQ(g.s.RoadTriCount, 102);
}

TEST_F(MenuVisit, EnterOnAChoiceItemOnlySetsTheLatch) {
  g.s.EnterLatch = false;
  Visit({Key(kVkReturn), Key(kVkReturn), Key(kVkEscape)});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_FALSE(seen[0].Closed);
  EXPECT_FALSE(seen[1].Closed);
  EXPECT_EQ(platform.menu_shows, 1);
}

TEST_F(MenuVisit, OtherKeysAreIgnored) {
  Visit({Key(65), Key(16), Key(kVkEscape)});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].CurrentItem, 0);
  EXPECT_FALSE(seen[1].Closed);
}

TEST_F(MenuVisit, AHeldStickDirectionMovesOnceUntilReleased) {
  Visit({Poll(0, 32768), Poll(0, 32768), Poll(32768, 32768), Poll(0, 32768), Key(kVkEscape)});
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].CurrentItem, 1) << "held left at the first poll acts once";
  EXPECT_EQ(seen[0].PendingCourse, 1);
  EXPECT_EQ(seen[1].CurrentItem, 1) << "still held: no move";
  EXPECT_EQ(seen[2].CurrentItem, 1);
  EXPECT_EQ(seen[3].CurrentItem, 0) << "pushed again";
}

TEST_F(MenuVisit, StickThresholdsAreExact) {
  Visit({Poll(32767, 32768), Poll(32768, 32768), Poll(32769, 32768), Poll(32768, 32768),
         Poll(32768, 32769), Key(kVkEscape)});
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].CurrentItem, 1) << "32767 is left";
  EXPECT_EQ(seen[1].CurrentItem, 1) << "32768 is neutral";
  EXPECT_EQ(seen[2].CurrentItem, 0) << "32769 is right";
  EXPECT_EQ(seen[4].CurrentItem, 3) << "32769 on Y is down";
}

TEST_F(MenuVisit, ADiagonalMovesHorizontallyThenVertically) {
  Visit({Poll(0, 65535), Key(kVkEscape)});
  ASSERT_EQ(seen.size(), 2u);
  // Left first: course 2 chosen; then down to the pending car.
  EXPECT_EQ(seen[0].PendingCourse, 1);
  EXPECT_EQ(seen[0].CurrentItem, 3);
}

TEST_F(MenuVisit, NoJoystickPollDoesNothing) {
  Visit({Poll(0, 0), {0, std::nullopt}, Key(kVkEscape)});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].CurrentItem, seen[0].CurrentItem);
  EXPECT_EQ(seen[1].JoyLeftLatch, true);
}

TEST_F(MenuVisit, Button1ThatOpenedTheMenuConfirmsNothingUntilPressedAgain) {
  script = {Poll(32768, 32768, 1), Key(kVkDown),          Key(kVkDown),         Key(kVkLeft),
            Poll(32768, 32768, 1), Poll(32768, 32768, 0), Poll(32768, 32768, 1)};
  // Button 1 opens the menu from the game window.
  platform.joystick = JoyReading{32768, 32768, 1};
  Tick(g, platform);
  ASSERT_EQ(platform.menu_shows, 1);
  ASSERT_EQ(seen.size(), 7u);
  EXPECT_EQ(seen[4].CurrentItem, kItemStart);
  EXPECT_FALSE(seen[4].Closed) << "still held from the game window";
  EXPECT_TRUE(seen[6].Closed) << "a new press starts the race";
  EXPECT_EQ(g.s.Ticks, -40);
  EXPECT_TRUE(g.s.JoyButtonLatch);

  // Still held when the menu has closed: the game window does not reopen it.
  platform.joystick = JoyReading{32768, 32768, 1};
  Tick(g, platform);
  Tick(g, platform);
  EXPECT_EQ(platform.menu_shows, 1);
  EXPECT_EQ(g.s.Ticks, -38);
  platform.joystick = JoyReading{32768, 32768, 0};
  Tick(g, platform);
  platform.joystick = JoyReading{32768, 32768, 1};
  script = {Key(kVkEscape)};
  Tick(g, platform);
  EXPECT_EQ(platform.menu_shows, 2);
}

TEST_F(MenuVisit, Button2ClosesAtEveryPollItIsHeld) {
  Visit({Poll(32768, 32768, 2)});
  EXPECT_TRUE(closed);
  EXPECT_EQ(g.s.CourseChoice, 0);
}

TEST_F(MenuVisit, EnterThatStartsTheRaceDoesNotReopenTheMenu) {
  script = {Key(kVkDown), Key(kVkDown), Key(kVkLeft), Key(kVkReturn)};
  platform.held_keys = {kVkReturn};
  Tick(g, platform);
  ASSERT_EQ(platform.menu_shows, 1);
  Tick(g, platform);  // Enter still held after the start
  EXPECT_EQ(platform.menu_shows, 1);
  EXPECT_EQ(g.s.Ticks, -39);
}

}  // namespace
}  // namespace quorvel
