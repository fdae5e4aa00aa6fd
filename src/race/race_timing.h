// Lap and race times of one race, kept by watching the race state after
// each tick; the race itself is never touched. Units: ticks of 80 ms.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "race/race_state.h"

namespace quorvel {

// The times of a race that reached the finish.
struct RaceTimes {
  // The race clock at the finish: `Ticks` after the step that completed the
  // third lap, crash penalties included (one in that very step too). The
  // clock reads 0 one step after the first race step (which runs at -1), so
  // this is the time the race clock shows, and the same offset holds for
  // every race.
  int32_t race = 0;
  // Each lap from the tick it began to the tick the next began; lap 1
  // begins when the clock reads 0, the others when `Lap` was raised to
  // their number for the last time (a lap taken back by crossing the start
  // line backwards begins again when the line is crossed forwards).
  std::array<int32_t, 3> laps{};
  int32_t best_lap() const;
};

class RaceTiming {
 public:
  // The race state as it stands now (after the load, a tick or a menu
  // visit). Returns the times once, at the tick whose step finished the
  // race; a race started afresh (a reset) starts the timing afresh.
  std::optional<RaceTimes> Observe(const RaceState& s);

  // True when the last Observe saw a new race start: the state at a reset
  // (`Ticks` -40) of another course, car or point in time than before.
  bool started() const { return started_; }

 private:
  static constexpr int32_t kLaps = 3;
  bool seen_ = false;  // a state has been observed
  bool started_ = false;
  int32_t ticks_ = 0, lap_ = 0, course_ = 0, car_ = 0;  // as last observed
  std::array<int32_t, kLaps + 2> lap_begin_{};          // indexed by lap number 1..4
};

}  // namespace quorvel
