// The ghost: a kept best run (or any recording) played by a game state of
// its own, in step with the race being raced, on a platform that draws
// nowhere and sleeps not at all.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "race/ghost_car.h"

namespace quorvel {

class GhostRun final : public GhostCar {
 public:
  ~GhostRun() override;

  // A ghost of the recording `text`, once the whole recording has been
  // played through on a game state of its own and found to replay: every
  // line reads (no newer format), fits the state it comes in and every
  // check line matches. Nothing, with one line in `error` naming the line
  // that did not, otherwise.
  static std::unique_ptr<GhostRun> Load(std::string_view text, std::string& error);

  std::optional<GhostPose> PoseAt(int32_t ticks) override;
  std::optional<GhostPose> PoseBetween(int32_t ticks, double alpha) override;

  // How the recording's race stood when it had been played through: its
  // course and car (menu items) and whether it reached the finish.
  struct Ending {
    int32_t CourseChoice = 0;
    int32_t CarChoice = 0;
    bool finished = false;
  };
  const Ending& ending() const;

  // The ghost's own race clock now (ticks).
  int32_t ticks() const;

 private:
  struct Impl;
  explicit GhostRun(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
