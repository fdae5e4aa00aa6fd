#include "platform/sdl/window_keys.h"

namespace quorvel {

WindowKey WindowKeyFor(SDL_Keycode key, Uint16 mod, bool fullscreen, bool menu_open) {
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  const bool alt = (mod & KMOD_ALT) != 0;
  if (key == SDLK_F11) return WindowKey::kToggleFullscreen;
  if (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) return WindowKey::kToggleFullscreen;
  if (key == SDLK_ESCAPE && fullscreen && !menu_open) return WindowKey::kLeaveFullscreen;
  if (!ctrl) return WindowKey::kNone;
  switch (key) {
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
      return WindowKey::kScaleUp;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
      return WindowKey::kScaleDown;
    case SDLK_0:
    case SDLK_KP_0:
      return WindowKey::kScaleAuto;
    default:
      return WindowKey::kNone;
  }
}

}  // namespace quorvel
