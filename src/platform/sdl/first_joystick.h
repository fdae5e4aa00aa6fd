// The first joystick SDL reports, polled the way the game expects: axes on
// the 0..65535 scale with 32768 the only neutral value, buttons 1 and 2 as
// bits 1 and 2. A joystick plugged in later is picked up at the next poll;
// with none (or after it is unplugged) every poll fails, silently.
//
// A pad SDL's game-controller layer knows (its built-in list,
// SDL_GAMECONTROLLERCONFIG, the player's gamecontrollerdb.txt) reads the same
// whatever its make: the left stick and the D-pad both drive X and Y, the
// south face button (A, Cross) is button 1 and the east one (B, Circle)
// button 2. Any other device is read raw: its first two axes and its buttons
// 0 and 1. Needs SDL's joystick subsystem, without which every poll fails;
// without the game-controller subsystem every device is read raw.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/platform.h"

namespace quorvel {

// SDL's axis range -32768..32767 onto 0..65535, SDL's 0 giving exactly 32768.
uint32_t AxisToJoyPos(int16_t axis);

// One axis of a known pad. A D-pad direction held alone gives full
// deflection (0 toward `toward_min`, 65535 toward `toward_max`) and wins over
// the stick on that axis, since a thumb on the D-pad means it; with neither
// or both held the stick decides.
uint32_t PadAxis(int16_t stick, bool toward_min, bool toward_max);

// Buttons 1 and 2 as bit values 1 and 2.
uint32_t ButtonBits(bool button1, bool button2);

class FirstJoystick {
 public:
  FirstJoystick() = default;
  ~FirstJoystick();
  FirstJoystick(const FirstJoystick&) = delete;
  FirstJoystick& operator=(const FirstJoystick&) = delete;

  // Fresh state of the first joystick; false when there is none. A button
  // pressed and released again since the last poll reads as held, once:
  // until a poll that takes the presses.
  bool Poll(JoyReading& out, bool take_presses = true);
  // Opens and closes the first joystick at once; true when it could be
  // opened. Leaves the device as it found it.
  bool Probe();
  // Follows SDL_JOYDEVICEADDED and SDL_JOYDEVICEREMOVED (sent for known pads
  // too) and notes button presses; other events are ignored.
  void OnEvent(const SDL_Event& event);

 private:
  // Opens device 0 when nothing usable is open; returns whether one is.
  bool EnsureOpen();
  void Close();

  SDL_GameController* pad_ = nullptr;  // set when device 0 is a known pad
  SDL_Joystick* joystick_ = nullptr;   // the device itself, owned by pad_ if set
  uint32_t pressed_ = 0;               // button bits pressed since the last poll
};

}  // namespace quorvel
