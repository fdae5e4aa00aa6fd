// A test driver that steers a car round a course's centre line, so tests
// can run whole races through the real tick with ordinary key presses.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "race/game.h"
#include "race/race_state.h"
#include "support/recording_platform.h"

namespace quorvel::testing {

struct Waypoint {
  float x, y;
};

// Centre lines in driving order from the start line, a few world units
// apart. Course 1 follows its arcs; course 2 runs through the cell centres.
std::vector<Waypoint> Course1CentreLine();
std::vector<Waypoint> Course2CentreLine();

class Autopilot {
 public:
  // `max_speed` in world units per tick.
  Autopilot(std::vector<Waypoint> line, float max_speed);
  // The keys (virtual-key codes) to hold this tick for the car in `s`.
  std::set<int> Keys(const RaceState& s);

 private:
  std::vector<Waypoint> line_;
  float max_speed_;
  std::size_t next_ = 0;
};

// Plays `g` on with the autopilot until the race is over (or `max_ticks`)
// and returns the quorvel-sim script lines of the ticks played.
std::string AutopilotScript(Game& g, RecordingPlatform& platform, Autopilot& pilot, int max_ticks);

}  // namespace quorvel::testing
