#include "platform/sdl/key_codes.h"

#include <X11/keysym.h>

#include "platform/platform.h"

namespace quorvel {

namespace {

constexpr int kVkDigit0 = 48;
constexpr int kVkLetterA = 65;

// The keys with names of their own, as SDL and as X call them; Enter is
// both the main and the keypad key.
struct NamedKey {
  int vk;
  SDL_Keycode sdl;
  unsigned long x;
};
constexpr NamedKey kNamedKeys[] = {
    {kVkEscape, SDLK_ESCAPE, XK_Escape},
    {kVkReturn, SDLK_RETURN, XK_Return},
    {kVkReturn, SDLK_KP_ENTER, XK_KP_Enter},
    {kVkLeft, SDLK_LEFT, XK_Left},
    {kVkUp, SDLK_UP, XK_Up},
    {kVkRight, SDLK_RIGHT, XK_Right},
    {kVkDown, SDLK_DOWN, XK_Down},
};

// The named keys of `vk`, then letters and digits by their offset from the
// first one of each (SDL's and X's codes for them are both contiguous).
template <typename Code, typename Pick>
std::vector<Code> KeysForVk(int vk, Pick pick, Code letter_a, Code digit0) {
  std::vector<Code> keys;
  for (const NamedKey& k : kNamedKeys) {
    if (k.vk == vk) keys.push_back(pick(k));
  }
  if (vk >= kVkLetterA && vk < kVkLetterA + 26) keys.push_back(letter_a + (vk - kVkLetterA));
  if (vk >= kVkDigit0 && vk < kVkDigit0 + 10) keys.push_back(digit0 + (vk - kVkDigit0));
  return keys;
}

}  // namespace

int VkFromSdlKey(SDL_Keycode key) {
  for (const NamedKey& k : kNamedKeys) {
    if (k.sdl == key) return k.vk;
  }
  if (key >= SDLK_a && key <= SDLK_z) return kVkLetterA + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return kVkDigit0 + (key - SDLK_0);
  return 0;
}

std::vector<SDL_Keycode> SdlKeysForVk(int vk) {
  return KeysForVk<SDL_Keycode>(
      vk, [](const NamedKey& k) { return k.sdl; }, SDLK_a, SDLK_0);
}

std::vector<unsigned long> XKeysymsForVk(int vk) {
  return KeysForVk<unsigned long>(
      vk, [](const NamedKey& k) { return k.x; }, XK_a, XK_0);
}

}  // namespace quorvel
