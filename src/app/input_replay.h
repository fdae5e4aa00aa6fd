// Plays a recorded script back on the real windows: each tick of the game's
// timer takes the next `tick` line in place of the devices, and each period
// of the menu's timer the next `key` or `poll` line. The script is read as
// it plays, so a recording of any length starts at once, in bounded memory;
// a line that is malformed or does not fit, or a check line the game's race
// differs from, ends the replay there.
#pragma once

#include <optional>
#include <string>

#include "app/input_script.h"
#include "platform/platform.h"

namespace quorvel {

class InputReplay {
 public:
  // Reads the script from the descriptor `fd` (not closed here) and
  // compares its check lines with `race`, the game it plays. A last line cut
  // short (a recording's disk ran full) ends it like the end of the file.
  InputReplay(int fd, const RaceState& race) : script_(fd) {
    script_.VerifyAgainst(&race);
    script_.AcceptCutEnd();
  }

  // The platform's input filter. Esc, or the window's close button, ends
  // the replay and the game; the end of the script stops the ticks (the last
  // frame stays) and leaves an open menu as Esc would.
  std::optional<InputEvent> Take(const InputEvent& live, bool menu_open);
  // The input a picture between ticks is predicted with: the next tick
  // line's, so a replay is as smooth as the race was; nothing at the end of
  // the recording (no tick follows), `held` before a close or a bad line.
  // Reads that line ahead; Take hands it out in its turn.
  std::optional<InputEvent> Preview(const InputEvent& held);
  // Empty while the script has fitted the game; else one line naming the
  // script line that did not (the replay stopped there).
  const std::string& error() const { return error_; }

 private:
  // The next command, the one read ahead first.
  InputScript::Result Next(bool menu_open, InputEvent& e);

  InputScript script_;
  struct Ahead {
    InputScript::Result result;
    InputEvent event;
  };
  std::optional<Ahead> ahead_;
  bool ended_ = false;
  std::string error_;
};

}  // namespace quorvel
