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
  // For a picture between the ticks `ticks` and `ticks` + 1, `alpha` (0 to 1)
  // of the way: the pose at `ticks` moved that part of the way to the next
  // tick's, where the ghost's race steps on by one tick (not across a crash
  // of its own, nor while it waits); else the pose at `ticks`.
  virtual std::optional<GhostPose> PoseBetween(int32_t ticks, double /*alpha*/) {
    return PoseAt(ticks);
  }
};

}  // namespace quorvel
