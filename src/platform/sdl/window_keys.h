// Keys that size the picture rather than play the game: they reach neither
// the race nor the menu.
#pragma once

#include <SDL.h>

namespace quorvel {

enum class WindowKey {
  kNone,              // the game's key
  kToggleFullscreen,  // F11, Alt+Enter
  kLeaveFullscreen,   // Esc in fullscreen while the menu is closed
  kScaleUp,           // Ctrl+Plus (also Ctrl+= , the same key unshifted)
  kScaleDown,         // Ctrl+Minus
  kScaleAuto,         // Ctrl+0: back to the display's own scale
};

WindowKey WindowKeyFor(SDL_Keycode key, Uint16 mod, bool fullscreen, bool menu_open);

}  // namespace quorvel
