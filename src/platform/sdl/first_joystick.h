// The first joystick SDL reports, polled the way the game expects: axes on
// the 0..65535 scale with 32768 the only neutral value, buttons 1 and 2 as
// bits 1 and 2. A joystick plugged in later is picked up at the next poll;
// with none (or after it is unplugged) every poll fails, silently.
// Needs SDL's joystick subsystem; without it every poll fails.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/platform.h"

namespace quorvel {

// SDL's axis range -32768..32767 onto 0..65535, SDL's 0 giving exactly 32768.
uint32_t AxisToJoyPos(int16_t axis);

// Buttons 1 and 2 (SDL's buttons 0 and 1) as bit values 1 and 2.
uint32_t ButtonBits(bool button1, bool button2);

class FirstJoystick {
 public:
  FirstJoystick() = default;
  ~FirstJoystick();
  FirstJoystick(const FirstJoystick&) = delete;
  FirstJoystick& operator=(const FirstJoystick&) = delete;

  // Fresh state of the first joystick; false when there is none.
  bool Poll(JoyReading& out);
  // Opens and closes the first joystick at once; true when it could be
  // opened. Leaves the device as it found it.
  bool Probe();
  // Follows SDL_JOYDEVICEADDED and SDL_JOYDEVICEREMOVED; other events are
  // ignored.
  void OnEvent(const SDL_Event& event);

 private:
  // Opens device 0 when nothing usable is open; returns whether one is.
  bool EnsureOpen();
  void Close();

  SDL_Joystick* joystick_ = nullptr;
};

}  // namespace quorvel
