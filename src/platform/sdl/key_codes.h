// Translation between SDL keys and the virtual-key codes the game speaks.
#pragma once

#include <SDL.h>

#include <vector>

namespace quorvel {

// Virtual-key code of an SDL key for the menu's key-down events: Esc 27,
// Enter (main and keypad) 13, arrows 37..40, letters 65..90, digits 48..57.
// 0 for every other key, which the caller drops.
int VkFromSdlKey(SDL_Keycode key);

// The SDL keys that count as the virtual key `vk` being held (Enter has two);
// empty for codes without a key.
std::vector<SDL_Keycode> SdlKeysForVk(int vk);

// The same keys as X keysym values, for asking the X server directly.
std::vector<unsigned long> XKeysymsForVk(int vk);

}  // namespace quorvel
