#include "platform/sdl/window_keys.h"

namespace quorvel {

WindowKey WindowKeyFor(SDL_Keycode key, Uint16 mod, char32_t typed, bool fullscreen,
                       bool menu_open) {
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  const bool alt = (mod & KMOD_ALT) != 0;
  if (key == SDLK_F11) return WindowKey::kToggleFullscreen;
  if (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) return WindowKey::kToggleFullscreen;
  if (key == SDLK_ESCAPE && fullscreen && !menu_open) return WindowKey::kLeaveFullscreen;
  if (!ctrl) return WindowKey::kNone;
  // The digit row's keys are SDL's digits on every layout, "0" shifted or not.
  if (key == SDLK_KP_PLUS || typed == U'+' || typed == U'=') return WindowKey::kScaleUp;
  if (key == SDLK_KP_MINUS || typed == U'-') return WindowKey::kScaleDown;
  if (key == SDLK_0 || key == SDLK_KP_0 || typed == U'0') return WindowKey::kScaleAuto;
  return WindowKey::kNone;
}

char32_t UnshiftedChar(SDL_Keycode key) {
  return (key & SDLK_SCANCODE_MASK) != 0 ? 0 : static_cast<char32_t>(key);
}

}  // namespace quorvel
