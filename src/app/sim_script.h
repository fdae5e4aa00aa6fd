// Parsing of quorvel-sim script lines.
#pragma once

#include <optional>
#include <set>
#include <string>

#include "platform/platform.h"

namespace quorvel {

struct SimCommand {
  enum Kind { kSkip, kTick, kKey, kPoll, kClose } kind = kSkip;
  std::set<int> keys;             // tick: virtual-key codes held
  std::optional<JoyReading> joy;  // tick, poll: nullopt = no joystick
  int16_t key = 0;                // key: virtual-key code
};

// Parses one script line. Empty lines and comments give kSkip. Returns
// false with `error` set for a malformed line.
bool ParseSimLine(const std::string& line, SimCommand& out, std::string& error);

}  // namespace quorvel
