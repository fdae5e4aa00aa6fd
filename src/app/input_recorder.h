// Writes the game's input as it consumes it, as a script quorvel-sim and
// `quorvel --replay` play: `version 1`, a comment naming the game, then every
// event the game receives, one line each, with a `check` line of the race
// state after every kTicksPerCheck tick lines and before the end.
#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "race/race_state.h"

namespace quorvel {

class InputRecorder {
 public:
  // Writes to the file descriptor `fd` (not closed here), beginning with
  // `header` as a comment line; the check lines are read from `race`, the
  // game being recorded. Every line goes to the file with a write of its own
  // as soon as the game takes the event, so a kill or a crash loses nothing
  // played before it (a line every 80 or 100 ms costs nothing to speak of).
  // A line that cannot be written whole is cut off again where the file is
  // a regular one, so that the recording always ends with a whole line.
  // `failed`, when given, is told why at the first write that fails, as it
  // happens; the game goes on unrecorded.
  InputRecorder(int fd, const RaceState& race, const std::string& header,
                std::function<void(const std::string& error)> failed = {});

  // The platform's input filter: the live input, written down as the game
  // receives it. A close while the menu is open ends the recording there:
  // the script has no such line, and its end leaves the menu as Esc would.
  std::optional<InputEvent> Take(const InputEvent& live, bool menu_open);
  // The program is ending: a `close` line when the game window went without
  // one while the menu was closed (destroyed by another program), unless
  // the game unloaded itself (a quit from the menu). False with `error()`
  // set when some of the recording could not be written.
  bool Finish(bool unloaded);
  const std::string& error() const { return error_; }

 private:
  void WriteLine(const std::string& line);
  // The check of the state the game is in now, before a line that needs
  // the menu closed; due after every kTicksPerCheck ticks and at the end.
  void WriteCheckIfDue(bool at_end);

  int fd_;
  const RaceState& race_;
  std::function<void(const std::string& error)> failed_;
  std::string error_;
  bool regular_ = false;  // a regular file: a cut line can be taken back
  off_t whole_ = 0;       // bytes of whole lines written
  bool menu_open_ = false;
  bool closed_ = false;
  long ticks_unchecked_ = 0;  // tick lines since the last check line
};

}  // namespace quorvel
