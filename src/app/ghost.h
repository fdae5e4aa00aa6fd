// The ghost: a kept best run (or any recording) played by a second game of
// its own on the headless platform, its output off, in step with the race
// being raced. The recording is read as the ghost races, and its check
// lines verify it as it goes: a check that fails, or a line that does not
// fit, ends the ghost there with one warning. Nothing plays a run through
// ahead of the race.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "app/recording.h"
#include "platform/headless/headless_platform.h"
#include "race/game.h"
#include "race/ghost_car.h"

namespace quorvel {

class Ghost final : public GhostCar {
 public:
  // Races the recording `reader` reads (from a descriptor that must stay
  // open as long as the ghost, or from text). The ghost's game is loaded and
  // taken through the menu visit that starts its race, if the recording has
  // one, so that its course and car are known.
  explicit Ghost(RecordingReader reader);

  // Once a line of the recording has not fitted (or its check failed): one
  // line saying where and why; the ghost stands no more from there on.
  const std::string& error() const { return error_; }
  // The course and car (menu items) of the ghost's race.
  int32_t CourseChoice() const { return game_.s.CourseChoice; }
  int32_t CarChoice() const { return game_.s.CarChoice; }

  std::optional<GhostPose> PoseAt(int32_t ticks) override;
  std::optional<GhostPose> PoseBetween(int32_t ticks, double alpha) override;

  // The ghost's race clock at the step that first took its race to gate
  // `gate` (the gate crossed last, `LastGate`) in lap `lap`, its race run on
  // as far as that needs but not past `until` on its clock; nothing when it
  // does not get there by then (or has stopped fitting its recording). The
  // times come from the run as it is raced: nothing is kept beside it.
  std::optional<int32_t> TicksAt(int32_t lap, int32_t gate, int32_t until);

 private:
  bool Step();
  std::optional<InputEvent> NextMenuEvent();
  void Note();
  const std::pair<int32_t, GhostPose>* At(int32_t ticks);

  Game game_;
  HeadlessPlatform platform_{337, 337, false};
  RecordingReader reader_;
  std::string error_;
  bool ended_ = false;  // the recording has run out, stopped fitting, or closed the game
  // The ghost's race clock and pose after each step from the one before
  // the race's clock on, oldest first: a picture between ticks looks one tick
  // ahead, the tick that follows still finds its own pose here, and a ghost
  // run on ahead for a gate's time keeps its poses until the race gets there.
  std::deque<std::pair<int32_t, GhostPose>> recent_;
  // Lap and gate, and the clock at the step that first took its race there.
  std::map<std::pair<int32_t, int32_t>, int32_t> passed_;
};

}  // namespace quorvel
