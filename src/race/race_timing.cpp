#include "race/race_timing.h"

#include <algorithm>

#include "race/race_constants.h"

namespace quorvel {

namespace {}  // namespace

int32_t RaceTimes::best_lap() const {
  return *std::min_element(laps.begin(), laps.end());
}

std::optional<RaceTimes> RaceTiming::Observe(const RaceState& s) {
  started_ = s.Ticks == kResetTicks && s.Lap == 1 &&
             (!seen_ || ticks_ != kResetTicks || course_ != s.CourseChoice || car_ != s.CarChoice);
  // The tick of the step just run. A crash in that step has already added
  // its 39 ticks of penalty to Ticks; a lap still begins at the step itself,
  // where the car crossed the line.
  const int32_t step_tick = ticks_ + 1;
  std::optional<RaceTimes> finished;
  if (started_) {
    lap_begin_.fill(0);
  } else if (seen_ && s.Lap > lap_ && s.Lap >= 1 && s.Lap <= kFinishedLap) {
    // The race ends at the clock the player sees at the finish: a crash in
    // the finishing step counts, as it does on the time label.
    lap_begin_[static_cast<std::size_t>(s.Lap)] = s.Lap == kFinishedLap ? s.Ticks : step_tick;
    if (s.Lap == kFinishedLap) {
      RaceTimes t;
      t.race = s.Ticks;
      for (std::size_t i = 0; i < t.laps.size(); ++i)
        t.laps[i] = lap_begin_[i + 2] - lap_begin_[i + 1];
      finished = t;
    }
  }
  seen_ = true;
  ticks_ = s.Ticks;
  lap_ = s.Lap;
  course_ = s.CourseChoice;
  car_ = s.CarChoice;
  return finished;
}

}  // namespace quorvel
