#include "race/car_motion.h"

#include <cmath>

namespace quorvel {

namespace {
constexpr int16_t kSteerStep = 2;
constexpr int16_t kSteerLimit = 10;
constexpr int16_t kLeanLimit = 15;

// One unit toward zero.
int16_t Centre(int16_t v) {
  if (v < 0) return static_cast<int16_t>(v + 1);
  if (v > 0) return static_cast<int16_t>(v - 1);
  return v;
}
}  // namespace

MotionResult CarMotionStep(RaceState& s, const DirectionFlags& in) {
  MotionResult out;

  if (in.left) {
    if (s.Steer > -kSteerLimit) s.Steer = static_cast<int16_t>(s.Steer - kSteerStep);
    if (s.CarType == 0) out.TurnStep = 0.1f;
  } else if (in.right) {
    if (s.Steer < kSteerLimit) s.Steer = static_cast<int16_t>(s.Steer + kSteerStep);
    if (s.CarType == 0) out.TurnStep = -0.1f;
  }
  s.Steer = Centre(s.Steer);
  if (s.CarType == 1) out.TurnStep = static_cast<float>(s.Steer * -0.015);

  if (in.down) {
    out.SpeedStep = -0.1f;
    if (s.CameraLag > -kLeanLimit) s.CameraLag = static_cast<int16_t>(s.CameraLag - 1);
  } else if (in.up) {
    out.SpeedStep = 0.15f;
    if (s.CameraLag < kLeanLimit) s.CameraLag = static_cast<int16_t>(s.CameraLag + 1);
  } else {
    s.CameraLag = Centre(s.CameraLag);
  }

  // Speed is rounded to single after each of the two changes.
  s.Speed = static_cast<float>(static_cast<double>(s.Speed) + out.SpeedStep);
  s.Speed = static_cast<float>(static_cast<double>(s.Speed) - 0.05);
  if (s.Speed < 0) s.Speed = 0;

  s.Heading = static_cast<float>(static_cast<double>(s.Heading) + out.TurnStep * 0.5);

  const double speed = s.Speed;
  const double heading = s.Heading;
  out.NewX = static_cast<float>(s.Pos[0] + speed * std::cos(heading));
  out.NewY = static_cast<float>(s.Pos[1] + speed * std::sin(heading));
  return out;
}

}  // namespace quorvel
