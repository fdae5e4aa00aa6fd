// The game window's load handler: where the program's own logic begins.
#pragma once

#include "platform/platform.h"
#include "race/game.h"

namespace quorvel {

// Sets the menu choices to course item 0 and car item 3, probes the
// joystick, selects the beginner car, builds course 1 with road width 30,
// resets the race and draws the first frame. EnterLatch is left alone.
void Form1_Load(Game& g, Platform& platform);

}  // namespace quorvel
