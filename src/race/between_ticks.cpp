#include "race/between_ticks.h"

#include <algorithm>
#include <optional>

#include "race/car_motion.h"
#include "race/frame_tick.h"
#include "race/ghost_car.h"
#include "race/race_constants.h"
#include "render/draw_scene.h"

namespace quorvel {

namespace {

// The ghost as a picture between ticks shows it: part of the way to its
// next tick's place, as the car is.
class GhostBetweenTicks final : public GhostCar {
 public:
  GhostBetweenTicks(GhostCar& ghost, double alpha) : ghost_(ghost), alpha_(alpha) {}
  std::optional<GhostPose> PoseAt(int32_t ticks) override {
    return ghost_.PoseBetween(ticks, alpha_);
  }

 private:
  GhostCar& ghost_;
  double alpha_;
};

constexpr int32_t kFirstMovingTicks = -2;  // the next tick runs the first race step
}  // namespace

bool MovesBetweenTicks(const Game& g) {
  return !g.form1.Unloaded && g.form1.Timer1Enabled && !g.form2 && g.s.Lap != kFinishedLap &&
         g.s.Ticks >= kFirstMovingTicks;
}

void DrawBetweenTicks(Game& g, Surface& picture, const InputEvent& held, double alpha) {
  if (!MovesBetweenTicks(g)) return;
  const RaceState& now = g.s;
  RaceState next = now;
  const MotionResult m = CarMotionStep(next, DirectionsOf(held));
  const PicturePose tick{now.Pos[0], now.Pos[1], now.Heading, static_cast<double>(now.Steer),
                         static_cast<double>(now.CameraLag)};
  const PicturePose target{m.NewX, m.NewY, next.Heading, static_cast<double>(next.Steer),
                           static_cast<double>(next.CameraLag)};
  BetweenTicks& way = g.form1.between;
  // A picture asked for earlier in the tick than the last one: the pictures
  // start again from the tick's own (after a pause, which holds it).
  if (way.started && alpha < way.last_alpha) way = {};
  if (!way.started) {
    way = {.started = true, .from = tick, .to = target, .last = tick};
  } else if (target != way.to) {
    way.from = way.last;
    way.from_alpha = way.last_alpha;
    way.to = target;
  }
  // From the tick (from_alpha 0) this is alpha itself, so that pictures with
  // unchanged input are exactly those of a blend from the tick's pose.
  const double along = way.from_alpha >= 1
                           ? 1
                           : std::clamp((alpha - way.from_alpha) / (1 - way.from_alpha), 0.0, 1.0);
  way.last_alpha = std::clamp(alpha, way.from_alpha, 1.0);
  // A car standing still shows the tick's own picture, which is up already.
  if (way.from == tick && way.to == tick) return;
  const auto blend = [along](double from, double to) { return from + along * (to - from); };
  // The predicted copy becomes the pose drawn: the picture reads only its
  // position, heading and road tables, with steering and lean passed in.
  const double steer = blend(way.from.steer, way.to.steer);
  const double lean = blend(way.from.lean, way.to.lean);
  next.Pos[0] = static_cast<float>(blend(way.from.x, way.to.x));
  next.Pos[1] = static_cast<float>(blend(way.from.y, way.to.y));
  next.Heading = static_cast<float>(blend(way.from.heading, way.to.heading));
  way.last = {next.Pos[0], next.Pos[1], next.Heading, steer, lean};
  std::optional<GhostBetweenTicks> ghost;
  if (now.ghost != nullptr) next.ghost = &ghost.emplace(*now.ghost, alpha);
  DrawScenePicture(next, steer, lean, picture, kEyeHeight);
  picture.Refresh();
}

}  // namespace quorvel
