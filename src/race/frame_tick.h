// The game window's timer event: input polling, the menu visit, the
// countdown and one race step with its drawing.
#pragma once

#include "platform/platform.h"
#include "race/car_motion.h"
#include "race/game.h"

namespace quorvel {

// What one tick read from the keyboard and the first joystick.
struct TickInput {
  DirectionFlags flags;
  bool MenuRequest = false;  // Enter or button 1 newly pressed
};

// The directions a tick's keys and stick give: from the keyboard left wins
// over right and down over up; the stick only ever adds flags (below 32768
// is left/up, above is right/down, exactly 32768 neutral).
DirectionFlags DirectionsOf(const InputEvent& tick);

// Reads the tick's five keys and joystick reading, updating EnterLatch and
// JoyButtonLatch. From the keyboard left wins over right and down over up;
// the stick only ever adds flags (below 32768 is left/up, above is
// right/down, exactly 32768 neutral). A failed poll keeps JoyButtonLatch.
TickInput PollTickInput(RaceState& s, const InputEvent& tick);

// One tick of the game window's 80 ms timer, in this order of precedence:
// a new press of Enter or button 1 makes a menu visit (timer off, modal
// menu, timer on, unload when QuitRequested); a finished race (Lap 4) does
// nothing; a countdown tick only draws; any other tick runs a race step and
// draws.
void Timer1_Timer(Game& g, Platform& platform, const InputEvent& tick);

}  // namespace quorvel
