#include "platform/sdl/key_codes.h"

#include <X11/keysym.h>

#include "platform/platform.h"

namespace quorvel {

namespace {
constexpr int kVkDigit0 = 48;
constexpr int kVkLetterA = 65;
}  // namespace

int VkFromSdlKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_ESCAPE:
      return kVkEscape;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return kVkReturn;
    case SDLK_LEFT:
      return kVkLeft;
    case SDLK_UP:
      return kVkUp;
    case SDLK_RIGHT:
      return kVkRight;
    case SDLK_DOWN:
      return kVkDown;
    default:
      break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return kVkLetterA + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return kVkDigit0 + (key - SDLK_0);
  return 0;
}

std::vector<SDL_Keycode> SdlKeysForVk(int vk) {
  switch (vk) {
    case kVkEscape:
      return {SDLK_ESCAPE};
    case kVkReturn:
      return {SDLK_RETURN, SDLK_KP_ENTER};
    case kVkLeft:
      return {SDLK_LEFT};
    case kVkUp:
      return {SDLK_UP};
    case kVkRight:
      return {SDLK_RIGHT};
    case kVkDown:
      return {SDLK_DOWN};
    default:
      break;
  }
  if (vk >= kVkLetterA && vk < kVkLetterA + 26) return {SDLK_a + (vk - kVkLetterA)};
  if (vk >= kVkDigit0 && vk < kVkDigit0 + 10) return {SDLK_0 + (vk - kVkDigit0)};
  return {};
}

std::vector<unsigned long> XKeysymsForVk(int vk) {
  switch (vk) {
    case kVkEscape:
      return {XK_Escape};
    case kVkReturn:
      return {XK_Return, XK_KP_Enter};
    case kVkLeft:
      return {XK_Left};
    case kVkUp:
      return {XK_Up};
    case kVkRight:
      return {XK_Right};
    case kVkDown:
      return {XK_Down};
    default:
      break;
  }
  if (vk >= kVkLetterA && vk < kVkLetterA + 26)
    return {XK_a + static_cast<unsigned long>(vk - kVkLetterA)};
  if (vk >= kVkDigit0 && vk < kVkDigit0 + 10)
    return {XK_0 + static_cast<unsigned long>(vk - kVkDigit0)};
  return {};
}

}  // namespace quorvel
