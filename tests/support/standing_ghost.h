// A ghost car that stands at one place for the whole race.
#pragma once

#include <optional>

#include "race/ghost_car.h"

namespace quorvel::testing {

class StandingGhost final : public GhostCar {
 public:
  explicit StandingGhost(GhostPose at) : at_(at) {}
  std::optional<GhostPose> PoseAt(int32_t /*ticks*/) override { return at_; }

 private:
  GhostPose at_;
};

}  // namespace quorvel::testing
