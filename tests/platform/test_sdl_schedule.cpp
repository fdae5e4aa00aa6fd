// The window timers' scheduling, driven by a fake clock in microseconds.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/sdl/periodic_schedule.h"

namespace quorvel {
namespace {

constexpr int64_t kPeriod = 80'000;  // us

// Runs the event loop's rule against a fake clock: fires whenever due, the
// handler taking `handler_us(n)` for the n-th event, until `end_us`.
// Returns the times events started.
template <typename HandlerTime>
std::vector<int64_t> FireUntil(PeriodicSchedule& schedule, int64_t& now, int64_t end_us,
                               HandlerTime handler_us) {
  std::vector<int64_t> fired;
  while (now < end_us) {
    if (schedule.Due(now)) {
      fired.push_back(now);
      schedule.BeginRun();
      now += handler_us(fired.size() - 1);
      schedule.EndRun(now);
    } else if (auto deadline = schedule.deadline()) {
      // The event wait wakes up to 1 ms late (whole milliseconds).
      now = std::max(now, *deadline) + 700;
    } else {
      now = end_us;
    }
  }
  return fired;
}

TEST(PeriodicSchedule, KeepsItsGridOverManyPeriodsDespiteLateWakeUps) {
  PeriodicSchedule schedule(kPeriod);
  int64_t now = 5'000;
  schedule.SetEnabled(true, now);
  const auto fired = FireUntil(schedule, now, 5'000 + 10'000 * kPeriod + 1'000,
                               [](size_t) { return int64_t{3'000}; });
  ASSERT_EQ(fired.size(), 10'000u);
  for (size_t i = 0; i < fired.size(); ++i) {
    // Each event 0.7 ms after its own deadline: lateness never accumulates.
    ASSERT_EQ(fired[i], 5'000 + int64_t(i + 1) * kPeriod + 700) << "event " << i;
  }
}

TEST(PeriodicSchedule, LongHandlerIsFollowedByOneEventAPeriodLaterNotABurst) {
  PeriodicSchedule schedule(kPeriod);
  int64_t now = 0;
  schedule.SetEnabled(true, now);
  // The third event runs 3.12 s, as the crash sequence does.
  const auto fired = FireUntil(schedule, now, 4'000'000, [](size_t n) {
    return n == 2 ? int64_t{3'120'000} : int64_t{1'000};
  });
  ASSERT_GE(fired.size(), 5u);
  const int64_t crash_end = fired[2] + 3'120'000;
  EXPECT_EQ(fired[3], crash_end + kPeriod + 700) << "first event after the long handler";
  EXPECT_EQ(fired[4] - fired[3], kPeriod) << "then the normal period again";
}

TEST(PeriodicSchedule, NothingFiresWhileOffAndOnRestartsAFullPeriod) {
  PeriodicSchedule schedule(kPeriod);
  EXPECT_FALSE(schedule.Due(1'000'000'000)) << "starts switched off";
  EXPECT_FALSE(schedule.deadline().has_value());

  int64_t now = 0;
  schedule.SetEnabled(true, now);
  schedule.SetEnabled(false, 10'000);
  EXPECT_FALSE(schedule.Due(10 * kPeriod));
  EXPECT_FALSE(schedule.deadline().has_value());

  schedule.SetEnabled(true, 500'000);
  EXPECT_FALSE(schedule.Due(500'000 + kPeriod - 1));
  EXPECT_TRUE(schedule.Due(500'000 + kPeriod));
  // Switching on again while on keeps the deadline.
  schedule.SetEnabled(true, 550'000);
  EXPECT_EQ(schedule.deadline(), 500'000 + kPeriod);
}

TEST(PeriodicSchedule, HandlerThatSwitchesOffAndOnRestartsFromThatMoment) {
  // The game's menu visit: timer off, modal menu for 2 s, timer on.
  PeriodicSchedule schedule(kPeriod);
  schedule.SetEnabled(true, 0);
  ASSERT_TRUE(schedule.Due(kPeriod));
  schedule.BeginRun();
  schedule.SetEnabled(false, kPeriod + 100);
  schedule.SetEnabled(true, kPeriod + 2'000'000);
  schedule.EndRun(kPeriod + 2'000'100);
  EXPECT_EQ(schedule.deadline(), kPeriod + 2'000'000 + kPeriod);

  // A handler that only switches it off leaves it off.
  schedule.BeginRun();
  schedule.SetEnabled(false, 0);
  schedule.EndRun(10 * kPeriod);
  EXPECT_FALSE(schedule.deadline().has_value());
}

}  // namespace
}  // namespace quorvel
