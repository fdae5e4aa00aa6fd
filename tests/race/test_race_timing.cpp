// Race and lap times as watched from outside the race: each case is the
// race clock and lap after a run of ticks, and the times at the finish.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "race/race_timing.h"

namespace quorvel {
namespace {

// Ticks and Lap after a tick; the ticks before it, one each, keep the lap
// before. A crash's tick adds 40 to the clock at once.
struct Mark {
  int32_t ticks;
  int32_t lap;
  bool crash = false;
};

struct Case {
  const char* name;
  std::vector<Mark> marks;  // from a reset (-40, lap 1) on
  std::optional<RaceTimes> finish;
};

TEST(RaceTiming, TimesFromTheStepsThatRaiseTheLap) {
  const Case cases[] = {
      {"three laps", {{100, 2}, {200, 3}, {310, 4}}, RaceTimes{310, {100, 100, 110}}},
      // Lap 2 taken back at 105 and begun again at 120.
      {"a lap taken back",
       {{100, 2}, {105, 1}, {120, 2}, {220, 3}, {330, 4}},
       RaceTimes{330, {120, 100, 110}}},
      // Back over the line just after the start: lap 1 begins again.
      {"back over the line at the start",
       {{5, 0}, {9, 1}, {109, 2}, {209, 3}, {309, 4}},
       RaceTimes{309, {100, 100, 100}}},
      // The step at 150 crossed the line and then crashed: the clock reads
      // 189, the lap began at 150. The finishing step crashed likewise: the
      // race ends at the 339 the clock shows.
      {"crashes on the line",
       {{100, 2}, {189, 3, true}, {339, 4, true}},
       RaceTimes{339, {100, 50, 189}}},
      {"no finish", {{100, 2}, {200, 3}, {400, 3}}, std::nullopt},
  };
  for (const Case& c : cases) {
    RaceTiming timing;
    RaceState s;
    s.Ticks = -40;
    s.Lap = 1;
    timing.Observe(s);
    EXPECT_TRUE(timing.started()) << c.name;
    std::optional<RaceTimes> finish;
    int32_t lap = 1;
    for (const Mark& m : c.marks) {
      while (s.Ticks < (m.crash ? m.ticks - 40 : m.ticks - 1)) {
        ++s.Ticks;
        s.Lap = lap;
        if (timing.Observe(s)) ADD_FAILURE() << c.name << ": a finish at " << s.Ticks;
      }
      s.Ticks = m.ticks;
      s.Lap = lap = m.lap;
      if (const std::optional<RaceTimes> t = timing.Observe(s)) finish = t;
      EXPECT_FALSE(timing.started()) << c.name;
    }
    ASSERT_EQ(finish.has_value(), c.finish.has_value()) << c.name;
    if (finish) {
      EXPECT_EQ(finish->race, c.finish->race) << c.name;
      EXPECT_EQ(finish->laps, c.finish->laps) << c.name;
    }
  }
}

TEST(RaceTiming, AStartIsAResetOfAnotherMomentCourseOrCar) {
  RaceTiming timing;
  RaceState s;
  s.Ticks = -40;
  s.Lap = 1;
  timing.Observe(s);
  EXPECT_TRUE(timing.started());
  timing.Observe(s);  // a menu visit that changed nothing
  EXPECT_FALSE(timing.started());
  s.CourseChoice = 1;  // another course from the menu before the first tick
  timing.Observe(s);
  EXPECT_TRUE(timing.started());
  s.Ticks = 12;
  timing.Observe(s);
  s.Ticks = -40;  // the same course again, later
  timing.Observe(s);
  EXPECT_TRUE(timing.started());
}

}  // namespace
}  // namespace quorvel
