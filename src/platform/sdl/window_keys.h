// Keys that size the picture rather than play the game: they reach neither
// the race nor the menu.
#pragma once

#include <SDL.h>

namespace quorvel {

enum class WindowKey {
  kNone,              // the game's key
  kToggleFullscreen,  // F11, Alt+Enter
  kLeaveFullscreen,   // Esc in fullscreen while the menu is closed
  kScaleUp,           // Ctrl+Plus (also Ctrl+= , the plus key unshifted on many layouts)
  kScaleDown,         // Ctrl+Minus
  kScaleAuto,         // Ctrl+0: back to the display's own scale
};

// `typed` is the character the key gives with the Shift state in `mod` on
// the current layout (0 for none). SDL's key code names the key's unshifted
// character, and only the layout tells where plus and minus are: on a
// Japanese keyboard "+" is Shift+";", on a French one "-" is the 6 key.
WindowKey WindowKeyFor(SDL_Keycode key, Uint16 mod, char32_t typed, bool fullscreen,
                       bool menu_open);

// What the key gives when the layout cannot be asked: SDL's key code, which
// is its unshifted character for the keys that have one.
char32_t UnshiftedChar(SDL_Keycode key);

}  // namespace quorvel
