// A test driver that keeps the car going round whatever course is loaded,
// aiming at the gates ahead, so tests can run whole races through the real
// tick with ordinary key presses.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "geometry/plane_tests.h"
#include "platform/platform.h"
#include "race/car_motion.h"
#include "race/game.h"
#include "race/race_state.h"
#include "support/recording_platform.h"

namespace quorvel::testing {

// Keeps the car going round the course so that laps and the finish happen:
// every tick it tries each steering choice, held over a short horizon on a
// copy of the race, and takes the one that stays on the road longest and
// ends nearest the restart point two gates ahead. Only the keys it returns
// reach the game.
class Autopilot {
 public:
  explicit Autopilot(float cruise_speed) : cruise_(cruise_speed) {}

  // The tick keys (TickKey bits) to hold this tick.
  uint8_t Keys(const RaceState& s) {
    sim_ = s;
    const GateRec& aim = s.Gates[(static_cast<std::size_t>(s.LastGate) + 2) % s.Gates.size()];
    uint8_t best_steer = 0;
    int best_on = -1;
    double best_dist = 0;
    for (const uint8_t steer : {uint8_t{0}, uint8_t{kTickLeft}, uint8_t{kTickRight}}) {
      sim_.Pos = s.Pos;
      sim_.Heading = s.Heading;
      sim_.Speed = s.Speed;
      sim_.Steer = s.Steer;
      sim_.CameraLag = s.CameraLag;
      int on = 0;
      for (; on < kHorizon; ++on) {
        DirectionFlags f;
        f.left = steer == kTickLeft;
        f.right = steer == kTickRight;
        f.up = sim_.Speed < cruise_;
        const MotionResult m = CarMotionStep(sim_, f);
        if (!OnRoadFrom(m.NewX, m.NewY)) break;
        sim_.Pos[0] = m.NewX;
        sim_.Pos[1] = m.NewY;
      }
      const double dist = std::hypot(sim_.Pos[0] - static_cast<double>(aim.RespawnX),
                                     sim_.Pos[1] - static_cast<double>(aim.RespawnY));
      if (on > best_on || (on == best_on && dist < best_dist)) {
        best_on = on;
        best_dist = dist;
        best_steer = steer;
      }
    }
    // Slows down where every choice runs off soon, but never to a stop.
    if (best_on < kHorizon / 2 && s.Speed > kMinSpeed) return best_steer | kTickDown;
    return best_steer | (s.Speed < cruise_ ? kTickUp : 0);
  }

 private:
  // The road test, trying first the triangle that held the last point: the
  // look-ahead asks about 90 neighbouring points per tick.
  bool OnRoadFrom(float x, float y) {
    const auto inside = [&](int i) {
      const float* t = &sim_.RoadTri[static_cast<std::size_t>(6 * i)];
      return InTriangle(t[0], t[1], t[2], t[3], t[4], t[5], x, y);
    };
    if (hint_ < sim_.RoadTriCount && inside(hint_)) return true;
    for (int i = 0; i < sim_.RoadTriCount; ++i) {
      if (inside(i)) {
        hint_ = i;
        return true;
      }
    }
    return false;
  }

  static constexpr int kHorizon = 30;       // ticks
  static constexpr float kMinSpeed = 0.6f;  // world units per tick
  float cruise_;                            // world units per tick
  RaceState sim_;
  int hint_ = 0;
};

// Plays `g` on with the autopilot until the race is over (or `max_ticks`),
// the frames' operations dropped, and returns the quorvel-sim script lines
// of the ticks played.
std::string AutopilotScript(Game& g, RecordingPlatform& platform, Autopilot& pilot, int max_ticks);

}  // namespace quorvel::testing
