// Plays a recorded script back on the real windows: each tick of the game's
// timer takes the next `tick` line in place of the devices, and each period
// of the menu's timer the next `key` or `poll` line. The script is read as
// it plays, so a recording of any length starts at once, in bounded memory;
// a line that is malformed or does not fit ends the replay there.
#pragma once

#include <istream>
#include <optional>
#include <string>

#include "app/input_script.h"
#include "platform/platform.h"

namespace quorvel {

class InputReplay {
 public:
  explicit InputReplay(std::istream& script) : script_(script) {}

  // The platform's input filter. Esc, or the window's close button, ends
  // the replay and the game; the end of the script stops the ticks (the last
  // frame stays) and leaves an open menu as Esc would.
  std::optional<InputEvent> Take(const InputEvent& live, bool menu_open);
  // Empty while the script has fitted the game; else one line naming the
  // script line that did not (the replay stopped there).
  const std::string& error() const { return error_; }

 private:
  InputScript script_;
  bool ended_ = false;
  std::string error_;
};

}  // namespace quorvel
