// Which keys size the window instead of playing.

#include <gtest/gtest.h>

#include "platform/sdl/sdl_input.h"

namespace quorvel {
namespace {

TEST(WindowKeys, SizeKeysAreTheWindowsAndEscOnlyInFullscreenOutsideTheMenu) {
  constexpr Uint16 kCtrlShift = KMOD_LCTRL | KMOD_LSHIFT;
  struct Case {
    SDL_Keycode key;
    Uint16 mod;
    bool fullscreen, menu_open;
    WindowKey want;
    char32_t typed = 0;  // what the layout gives for the key; 0: the key's own character
  };
  const Case cases[] = {
      {SDLK_F11, 0, false, true, WindowKey::kToggleFullscreen},
      {SDLK_RETURN, KMOD_LALT, false, false, WindowKey::kToggleFullscreen},
      {SDLK_RETURN, 0, true, false, WindowKey::kNone},
      {SDLK_ESCAPE, 0, true, false, WindowKey::kLeaveFullscreen},
      {SDLK_ESCAPE, 0, true, true, WindowKey::kNone},
      {SDLK_ESCAPE, 0, false, false, WindowKey::kNone},
      {SDLK_EQUALS, KMOD_LCTRL, false, false, WindowKey::kScaleUp},
      {SDLK_KP_PLUS, KMOD_RCTRL, false, true, WindowKey::kScaleUp},
      {SDLK_MINUS, KMOD_LCTRL, false, false, WindowKey::kScaleDown},
      {SDLK_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto},
      {SDLK_0, 0, false, false, WindowKey::kNone},
      {SDLK_UP, KMOD_LCTRL, false, false, WindowKey::kNone},
      // Japanese layout: "+" is Shift+";".
      {SDLK_SEMICOLON, kCtrlShift, false, false, WindowKey::kScaleUp, U'+'},
      {SDLK_SEMICOLON, KMOD_LCTRL, false, false, WindowKey::kNone, U';'},
      // French layout: "-" on the 6 key, "+" Shift+"=", the 0 key gives "à".
      {SDLK_6, KMOD_LCTRL, false, false, WindowKey::kScaleDown, U'-'},
      {SDLK_6, kCtrlShift, false, false, WindowKey::kNone, U'6'},
      {SDLK_EQUALS, kCtrlShift, false, false, WindowKey::kScaleUp, U'+'},
      {SDLK_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto, U'à'},
      {SDLK_KP_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto},
      {SDLK_KP_MINUS, KMOD_LCTRL, false, false, WindowKey::kScaleDown},
  };
  for (const Case& c : cases) {
    const char32_t typed = c.typed != 0 ? c.typed : UnshiftedChar(c.key);
    EXPECT_EQ(WindowKeyFor(c.key, c.mod, typed, c.fullscreen, c.menu_open), c.want)
        << SDL_GetKeyName(c.key) << " mod " << c.mod;
  }
}

}  // namespace
}  // namespace quorvel
