// The keyboard and the first joystick as the game reads them: SDL's keys
// and the game's virtual-key codes, the keys that belong to the window
// rather than the game, the keyboard's state as the X server has it, the
// first joystick or pad, and the player's own pad mappings.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace quorvel {

// --- Keys: translation between SDL keys and the game's virtual-key codes ---

// Virtual-key code of an SDL key for the menu's key-down events: Esc 27,
// Enter (main and keypad) 13, arrows 37..40, letters 65..90, digits 48..57.
// 0 for every other key, which the caller drops.
int VkFromSdlKey(SDL_Keycode key);

// The SDL keys that count as the virtual key `vk` being held (Enter has two);
// empty for codes without a key.
std::vector<SDL_Keycode> SdlKeysForVk(int vk);

// The same keys as X keysym values, for asking the X server directly.
std::vector<unsigned long> XKeysymsForVk(int vk);

// --- Keys that size the picture rather than play the game: they reach
// neither the race nor the menu ---

enum class WindowKey {
  kNone,              // the game's key
  kToggleFullscreen,  // F11, Alt+Enter
  kLeaveFullscreen,   // Esc in fullscreen while the menu is closed
  kScaleUp,           // Ctrl+Plus (also Ctrl+= , the plus key unshifted on many layouts)
  kScaleDown,         // Ctrl+Minus
  kScaleAuto,         // Ctrl+0: back to the display's own scale
  kPause,             // P or Pause while the menu is closed: pauses or resumes the race
  kToggleSound,       // M: the sound off and on
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

// --- The keyboard as the X server has it ---

// The keyboard's keys down, one bit per X key code, as the X server saw
// them at one moment.
struct XKeymap {
  std::array<char, 32> bits{};
};
// Asks the X server which keys are down now (one round trip), through the
// display of `window`, so whichever window has the focus and whatever SDL
// made of focus changes. Nullopt off x11.
std::optional<XKeymap> XKeymapNow(SDL_Window* window);
// Whether any of `keysyms` (X keysym values) is down in `keys`; no round trip.
bool XAnyKeyDown(SDL_Window* window, const XKeymap& keys, std::span<const unsigned long> keysyms);

// The character that the key SDL calls `key` gives on the current layout
// with Shift held or not (0 for none). Nullopt off x11 or for a key X does
// not know.
std::optional<char32_t> XTypedChar(SDL_Window* window, SDL_Keycode key, bool shift);

// --- The first joystick ---
// The first joystick SDL reports, polled the way the game expects: axes on
// the 0..65535 scale with 32768 the only neutral value, buttons 1 and 2 as
// bits 1 and 2. A joystick plugged in later is picked up at the next poll;
// with none (or after it is unplugged) every poll fails, silently.
//
// A pad SDL's game-controller layer knows (its built-in list,
// SDL_GAMECONTROLLERCONFIG, the player's gamecontrollerdb.txt) reads the same
// whatever its make: the left stick and the D-pad both drive X and Y, the
// south face button (A, Cross) is button 1 and the east one (B, Circle)
// button 2. Any other device is read raw: its first two axes and its buttons
// 0 and 1. Needs SDL's joystick subsystem, without which every poll fails;
// without the game-controller subsystem every device is read raw.

// SDL's axis range -32768..32767 onto 0..65535, SDL's 0 giving exactly 32768.
uint32_t AxisToJoyPos(int16_t axis);

// One axis of a known pad. A D-pad direction held alone gives full
// deflection (0 toward `toward_min`, 65535 toward `toward_max`) and wins over
// the stick on that axis, since a thumb on the D-pad means it; with neither
// or both held the stick decides.
uint32_t PadAxis(int16_t stick, bool toward_min, bool toward_max);

// Buttons 1 and 2 as bit values 1 and 2.
uint32_t ButtonBits(bool button1, bool button2);

class FirstJoystick {
 public:
  FirstJoystick() = default;
  ~FirstJoystick();
  FirstJoystick(const FirstJoystick&) = delete;
  FirstJoystick& operator=(const FirstJoystick&) = delete;

  // Fresh state of the first joystick; false when there is none. A button
  // pressed and released again since the last poll reads as held, once:
  // until a poll that takes the presses.
  bool Poll(JoyReading& out, bool take_presses = true);
  // Opens and closes the first joystick at once; true when it could be
  // opened. Leaves the device as it found it.
  bool Probe();
  // Follows SDL_JOYDEVICEADDED and SDL_JOYDEVICEREMOVED (sent for known pads
  // too) and notes button presses; other events are ignored.
  void OnEvent(const SDL_Event& event);

 private:
  // Opens device 0 when nothing usable is open; returns whether one is.
  bool EnsureOpen();
  void Close();

  SDL_GameController* pad_ = nullptr;  // set when device 0 is a known pad
  SDL_Joystick* joystick_ = nullptr;   // the device itself, owned by pad_ if set
  uint32_t pressed_ = 0;               // button bits pressed since the last poll
};

// --- The player's pad mappings ---
// The player's own game-controller mappings: gamecontrollerdb.txt in the
// game's settings folder, in SDL's mapping format (one pad a line, "GUID,name,
// a:b0,...,platform:Linux,"; '#' starts a comment). They add to SDL's built-in
// list and replace its entries for the same pads; SDL_GAMECONTROLLERCONFIG in
// the environment still wins over both. Needs SDL's game-controller subsystem.

// SDL adds each mapping in a time that grows with the mappings it already
// has, so the work is bounded: only the first kMaxPadMappings mapping lines
// for this platform, in the first kMaxPadMappingBytes of the file, are used
// (the community list of every known pad has about 2,000 lines in all).
inline constexpr int kMaxPadMappings = 3000;
inline constexpr long kMaxPadMappingBytes = 4L << 20;

// Hands SDL's own loader the mappings in the file at `path` for this
// platform (lines naming another platform are skipped; lines naming none
// are taken as this platform's). Returns the warnings, one line each with no
// prefix: the file exists but cannot be read, it goes past the bounds above
// (the rest is ignored), or some lines are not mappings (GUID of 32 hex
// digits, name, fields); the good lines are still added. Nothing for a
// missing file.
std::vector<std::string> AddPadMappingsFile(const std::string& path);

// The same for gamecontrollerdb.txt in the settings folder; the warnings go
// to stderr and the game carries on.
void AddPlayerPadMappings();

}  // namespace quorvel
