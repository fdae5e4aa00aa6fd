// The lines of the race being raced, as the recorder writes them, kept from
// the race's start so that a finished race can be kept as a recording of its
// own: one that plays from a fresh start of the game to the finish.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "race/race_state.h"

namespace quorvel {

// The lines that take a freshly loaded game (course 1, beginner car, menu
// cursor on course 1) through the menu to the start of a race of `s`'s
// course and car, leaving the two press latches as `s` has them, so that the
// race's own lines play on as they did. Empty for the race the load starts
// (course 1 and the beginner car, both latches released), which needs none.
std::vector<std::string> RaceStartLines(const RaceState& s);

class RaceLines {
 public:
  // `race` is the game whose input is kept; its check lines are read from it.
  explicit RaceLines(const RaceState& race) : race_(race) {}

  // Every event the game takes, before it takes it.
  void Take(const InputEvent& e, bool menu_open);
  // A race has just started: the lines so far give way to RaceStartLines,
  // or to none for the race of the game's load.
  void StartRace(bool at_load);
  // The race so far as a recording: `version`, the comment `header`, the
  // lines, and a check of the race as it stands now. Empty for a race whose
  // lines outgrew kMaxBytes (hours of play): those are not kept.
  std::string RecordingText(const std::string& header) const;

  // At most this many bytes of lines are kept for one race, some four
  // hours of ticks; a kept run is read back whole by the next race.
  static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

 private:
  void AddCheckIfDue(bool at_end);

  const RaceState& race_;
  std::vector<std::string> lines_;
  long ticks_unchecked_ = 0;  // tick lines since the last check line
  std::size_t bytes_ = 0;     // of the lines kept
  bool overflowed_ = false;   // the race's lines outgrew kMaxBytes and were dropped
};

}  // namespace quorvel
