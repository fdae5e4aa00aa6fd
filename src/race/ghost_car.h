// The car of a kept best run, raced against: a second race elsewhere tells
// the scene drawing where that car is. It is no part of this race; nothing
// in the race step reads it.
#pragma once

#include <cstdint>
#include <optional>

namespace quorvel {

// Where the ghost car stands: position in world units and its steering
// (-10..10), which places the small circle of its marker.
struct GhostPose {
  float x = 0;
  float y = 0;
  int16_t Steer = 0;
  friend bool operator==(const GhostPose&, const GhostPose&) = default;
};

class GhostCar {
 public:
  virtual ~GhostCar() = default;
  // The ghost's pose once its own race clock has caught up with `ticks`, the
  // race clock of the race being drawn: its race runs on, a tick at a time,
  // until its clock reads `ticks` or more (a crash of its own puts it up to
  // 39 ticks ahead, and it waits there). Nothing once its race is over or
  // has stopped.
  virtual std::optional<GhostPose> PoseAt(int32_t ticks) = 0;
};

}  // namespace quorvel
