#include "race/between_ticks.h"

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

void DrawBetweenTicks(const Game& g, Surface& picture, const InputEvent& held, double alpha) {
  if (!MovesBetweenTicks(g)) return;
  const RaceState& now = g.s;
  RaceState next = now;
  const MotionResult m = CarMotionStep(next, DirectionsOf(held));
  // A car standing still shows the tick's own picture, which is up already.
  if (m.NewX == now.Pos[0] && m.NewY == now.Pos[1] && next.Heading == now.Heading &&
      next.Steer == now.Steer && next.CameraLag == now.CameraLag) {
    return;
  }
  const auto blend = [alpha](double from, double to) { return from + alpha * (to - from); };
  // The predicted copy becomes the pose drawn: the picture reads only its
  // position, heading and road tables, with steering and lean passed in.
  const double steer = blend(now.Steer, next.Steer);
  const double lean = blend(now.CameraLag, next.CameraLag);
  next.Pos[0] = static_cast<float>(blend(now.Pos[0], m.NewX));
  next.Pos[1] = static_cast<float>(blend(now.Pos[1], m.NewY));
  next.Heading = static_cast<float>(blend(now.Heading, next.Heading));
  std::optional<GhostBetweenTicks> ghost;
  if (now.ghost != nullptr) next.ghost = &ghost.emplace(*now.ghost, alpha);
  DrawScenePicture(next, steer, lean, picture, kEyeHeight);
  picture.Refresh();
}

}  // namespace quorvel
