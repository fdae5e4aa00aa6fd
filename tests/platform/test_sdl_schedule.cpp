// The window timers' scheduling, driven by a fake clock in microseconds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/sdl/sdl_platform.h"

namespace quorvel {
namespace {

constexpr int64_t kPeriod = 80'000;  // us
constexpr int64_t kWakeLate = 700;   // us: the event wait wakes in whole ms

// Runs the event loop's rule until `end_us`; the n-th handler takes
// `handler_us(n)`. Returns the times the events started.
template <typename HandlerTime>
std::vector<int64_t> FireUntil(PeriodicSchedule& schedule, int64_t now, int64_t end_us,
                               HandlerTime handler_us) {
  std::vector<int64_t> fired;
  while (now < end_us && schedule.deadline()) {
    if (schedule.Due(now)) {
      fired.push_back(now);
      schedule.BeginRun();
      now += handler_us(fired.size() - 1);
      schedule.EndRun(now);
    } else {
      now = std::max(now, *schedule.deadline()) + kWakeLate;
    }
  }
  return fired;
}

TEST(PeriodicSchedule, LateWakeUpsDoNotAccumulateOverManyPeriods) {
  PeriodicSchedule schedule(kPeriod);
  schedule.SetEnabled(true, 5'000);
  const auto fired = FireUntil(schedule, 5'000, 5'000 + 10'000 * kPeriod + kWakeLate + 1,
                               [](size_t) { return int64_t{3'000}; });
  ASSERT_EQ(fired.size(), 10'000u);
  for (size_t i = 0; i < fired.size(); ++i) {
    ASSERT_EQ(fired[i], 5'000 + int64_t(i + 1) * kPeriod + kWakeLate) << "event " << i;
  }
}

TEST(PeriodicSchedule, LongHandlerIsFollowedByOneEventAPeriodLaterNotABurst) {
  PeriodicSchedule schedule(kPeriod);
  schedule.SetEnabled(true, 0);
  // The third event runs 3.12 s, as the crash sequence does.
  const auto fired = FireUntil(schedule, 0, 4'000'000, [](size_t n) {
    return n == 2 ? int64_t{3'120'000} : int64_t{1'000};
  });
  ASSERT_GE(fired.size(), 5u);
  EXPECT_EQ(fired[3], fired[2] + 3'120'000 + kPeriod + kWakeLate);
  EXPECT_EQ(fired[4] - fired[3], kPeriod) << "then the normal period again";
}

TEST(PeriodicSchedule, NothingRunsWhileOffAndSwitchingOnRestartsAFullPeriod) {
  PeriodicSchedule schedule(kPeriod);
  EXPECT_FALSE(schedule.Due(1'000'000'000)) << "starts switched off";

  // A tick's menu visit: off, a modal menu for 2 s, on again.
  schedule.SetEnabled(true, 0);
  ASSERT_TRUE(schedule.Due(kPeriod));
  schedule.BeginRun();
  schedule.SetEnabled(false, kPeriod + 100);
  EXPECT_FALSE(schedule.Due(kPeriod + 1'000'000));
  EXPECT_FALSE(schedule.deadline().has_value());
  schedule.SetEnabled(true, kPeriod + 2'000'000);
  schedule.EndRun(kPeriod + 2'000'100);
  EXPECT_EQ(schedule.deadline(), kPeriod + 2'000'000 + kPeriod);
  schedule.SetEnabled(true, kPeriod + 2'050'000);
  EXPECT_EQ(schedule.deadline(), kPeriod + 2'000'000 + kPeriod) << "on while on changes nothing";

  // A handler that only switches it off leaves it off.
  schedule.BeginRun();
  schedule.SetEnabled(false, 0);
  schedule.EndRun(10 * kPeriod);
  EXPECT_FALSE(schedule.deadline().has_value());
}

}  // namespace
}  // namespace quorvel
