#include "platform/sdl/sdl_input.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdio>
#include <string_view>
#include <utility>

#include "base/own_files.h"
#include "base/text.h"
#include "platform/platform.h"
#include "platform/sdl/x11_queries.h"

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
    // W, A, S and D, and the keypad's arrows (with Num Lock off or on), are
    // the arrow keys too: the game, and so a recording, only ever sees those.
    {kVkLeft, SDLK_a, XK_a},
    {kVkUp, SDLK_w, XK_w},
    {kVkRight, SDLK_d, XK_d},
    {kVkDown, SDLK_s, XK_s},
    {kVkLeft, SDLK_KP_4, XK_KP_Left},
    {kVkUp, SDLK_KP_8, XK_KP_Up},
    {kVkRight, SDLK_KP_6, XK_KP_Right},
    {kVkDown, SDLK_KP_2, XK_KP_Down},
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

WindowKey WindowKeyFor(SDL_Keycode key, Uint16 mod, char32_t typed, bool fullscreen,
                       bool menu_open) {
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  const bool alt = (mod & KMOD_ALT) != 0;
  if (key == SDLK_F11) return WindowKey::kToggleFullscreen;
  if (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) return WindowKey::kToggleFullscreen;
  if (key == SDLK_ESCAPE && fullscreen && !menu_open) return WindowKey::kLeaveFullscreen;
  if (!menu_open && (key == SDLK_PAUSE || (key == SDLK_p && !ctrl && !alt))) {
    return WindowKey::kPause;
  }
  if (key == SDLK_m && !ctrl && !alt) return WindowKey::kToggleSound;
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

uint32_t AxisToJoyPos(int16_t axis) {
  return static_cast<uint32_t>(int32_t{axis} + 32768);
}

uint32_t PadAxis(int16_t stick, bool toward_min, bool toward_max) {
  if (toward_min != toward_max) return toward_min ? 0u : 65535u;
  return AxisToJoyPos(stick);
}

uint32_t ButtonBits(bool button1, bool button2) {
  return (button1 ? 1u : 0u) | (button2 ? 2u : 0u);
}

FirstJoystick::~FirstJoystick() {
  Close();
}

void FirstJoystick::Close() {
  if (pad_ != nullptr) {
    SDL_GameControllerClose(pad_);
  } else if (joystick_ != nullptr) {
    SDL_JoystickClose(joystick_);
  }
  pad_ = nullptr;
  joystick_ = nullptr;
  pressed_ = 0;
}

bool FirstJoystick::EnsureOpen() {
  if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) return false;
  if (joystick_ != nullptr && SDL_JoystickGetAttached(joystick_)) return true;
  Close();
  if (SDL_NumJoysticks() < 1) return false;
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0 && SDL_IsGameController(0)) {
    pad_ = SDL_GameControllerOpen(0);
    if (pad_ != nullptr) joystick_ = SDL_GameControllerGetJoystick(pad_);
  }
  // A pad whose mapping SDL cannot apply is still read raw.
  if (joystick_ == nullptr) joystick_ = SDL_JoystickOpen(0);
  return joystick_ != nullptr;
}

bool FirstJoystick::Poll(JoyReading& out, bool take_presses) {
  if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0) return false;
  // Brings in state changes and hot-plugging since the last event pump. The
  // presses that brings are taken here, so that one the poll sees held is
  // not counted again at the next.
  SDL_JoystickUpdate();
  SDL_Event presses[16];
  for (const Uint32 type : {SDL_JOYBUTTONDOWN, SDL_CONTROLLERBUTTONDOWN}) {
    int n = 0;
    while ((n = SDL_PeepEvents(presses, 16, SDL_GETEVENT, type, type)) > 0) {
      for (int i = 0; i < n; ++i) OnEvent(presses[i]);
    }
  }
  if (!EnsureOpen()) return false;
  if (pad_ != nullptr) {
    const auto held = [this](SDL_GameControllerButton button) {
      return SDL_GameControllerGetButton(pad_, button) != 0;
    };
    out.dwXpos =
        PadAxis(SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_LEFTX),
                held(SDL_CONTROLLER_BUTTON_DPAD_LEFT), held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT));
    // SDL's Y grows downwards, as the game's does.
    out.dwYpos =
        PadAxis(SDL_GameControllerGetAxis(pad_, SDL_CONTROLLER_AXIS_LEFTY),
                held(SDL_CONTROLLER_BUTTON_DPAD_UP), held(SDL_CONTROLLER_BUTTON_DPAD_DOWN));
    out.dwButtons = ButtonBits(held(SDL_CONTROLLER_BUTTON_A), held(SDL_CONTROLLER_BUTTON_B));
    out.dwButtons |= take_presses ? std::exchange(pressed_, 0u) : pressed_;
    return true;
  }
  // A device without a second axis reads 0 there, which is neutral.
  out.dwXpos = AxisToJoyPos(SDL_JoystickGetAxis(joystick_, 0));
  out.dwYpos = AxisToJoyPos(SDL_JoystickGetAxis(joystick_, 1));
  out.dwButtons = ButtonBits(SDL_JoystickGetButton(joystick_, 0) != 0,
                             SDL_JoystickGetButton(joystick_, 1) != 0);
  out.dwButtons |= take_presses ? std::exchange(pressed_, 0u) : pressed_;
  return true;
}

bool FirstJoystick::Probe() {
  if (SDL_WasInit(SDL_INIT_JOYSTICK) == 0 || SDL_NumJoysticks() < 1) return false;
  // SDL counts opens per device, so this never closes the handle polls use.
  SDL_Joystick* probe = SDL_JoystickOpen(0);
  if (probe == nullptr) return false;
  SDL_JoystickClose(probe);
  return true;
}

void FirstJoystick::OnEvent(const SDL_Event& event) {
  if (event.type == SDL_JOYDEVICEREMOVED) {
    if (joystick_ != nullptr && SDL_JoystickInstanceID(joystick_) == event.jdevice.which) Close();
  } else if (event.type == SDL_JOYDEVICEADDED) {
    EnsureOpen();
  } else if (joystick_ != nullptr) {
    // A tap shorter than a poll period still counts: the press is kept
    // until the next poll reads it.
    const SDL_JoystickID ours = SDL_JoystickInstanceID(joystick_);
    if (pad_ != nullptr && event.type == SDL_CONTROLLERBUTTONDOWN && event.cbutton.which == ours) {
      pressed_ |= ButtonBits(event.cbutton.button == SDL_CONTROLLER_BUTTON_A,
                             event.cbutton.button == SDL_CONTROLLER_BUTTON_B);
    } else if (pad_ == nullptr && event.type == SDL_JOYBUTTONDOWN && event.jbutton.which == ours) {
      pressed_ |= ButtonBits(event.jbutton.button == 0, event.jbutton.button == 1);
    }
  }
}

namespace {

constexpr std::string_view kPlatformField = "platform:";
constexpr std::size_t kGuidDigits = 32;

// "GUID,name,fields": what SDL's loader can take. SDL itself reads any first
// field as a GUID, so a stray line would become a pad of its own.
bool IsMapping(std::string_view line) {
  // SDL reads a line only up to a NUL byte: what follows would be lost.
  if (line.size() <= kGuidDigits || line[kGuidDigits] != ',' ||
      line.find('\0') != std::string_view::npos) {
    return false;
  }
  for (std::size_t i = 0; i < kGuidDigits; ++i) {
    const char c = line[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return line.find(',', kGuidDigits + 1) != std::string_view::npos;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && SDL_strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

std::vector<std::string> AddPadMappingsFile(const std::string& path) {
  std::vector<std::string> warnings;
  const std::string name = Quoted(path, kMaxQuotedPathChars);
  std::string text, why;
  switch (ReadOwnFile(path, static_cast<std::size_t>(kMaxPadMappingBytes), "not a regular file",
                      text, why, true)) {
    case ReadResult::kMissing:
      return warnings;
    case ReadResult::kUnusable:
      return {"ignoring " + name + " (" + why + ")"};
    case ReadResult::kRead:
      break;
  }

  // One pass over the lines: this platform's mappings go to SDL's loader.
  // It takes only lines with a whole "platform:NAME," field, so a line with
  // no field gets this platform's, and one that ends in the field without
  // its comma gets the comma.
  const std::string_view platform = SDL_GetPlatform();
  std::string taken;
  int number = 0, mappings = 0, bad = 0, first_bad = 0, stopped_at = 0;
  bool too_many = false;
  const bool too_long = text.size() > static_cast<std::size_t>(kMaxPadMappingBytes);
  std::vector<std::string_view> lines = SplitLines(text);
  // The line the cut went through is not read.
  if (too_long && text.back() != '\n') lines.pop_back();
  for (std::string_view line : lines) {
    ++number;
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    const auto field = line.find(kPlatformField);
    const auto value = field + kPlatformField.size();
    const auto comma = field == std::string_view::npos ? field : line.find(',', value);
    if (field != std::string_view::npos &&
        !SameIgnoringCase(line.substr(value, comma - value), platform)) {
      continue;
    }
    if (!IsMapping(line)) {
      if (bad++ == 0) first_bad = number;
      continue;
    }
    if (mappings == kMaxPadMappings) {
      stopped_at = number;
      too_many = true;
      break;
    }
    ++mappings;
    taken.append(line);
    if (field == std::string_view::npos) {
      if (line.back() != ',') taken += ',';
      taken.append(kPlatformField).append(platform).push_back(',');
    } else if (comma == std::string_view::npos) {
      taken += ',';
    }
    taken += '\n';
  }
  if (too_long && stopped_at == 0) stopped_at = number + 1;

  if (stopped_at != 0) {
    warnings.push_back("ignoring " + name + " from line " + std::to_string(stopped_at) +
                       " on: only its first " +
                       (too_many ? std::to_string(kMaxPadMappings) + " mappings"
                                 : std::to_string(kMaxPadMappingBytes >> 20) + " MiB") +
                       " are read");
  }
  if (bad != 0) {
    warnings.push_back("ignoring " + std::to_string(bad) + (bad == 1 ? " line" : " lines") +
                       " of " + name + " that " + (bad == 1 ? "is not a" : "are not") +
                       " controller mapping" + (bad == 1 ? " (line " : "s (first: line ") +
                       std::to_string(first_bad) + ")");
  }
  if (!taken.empty() &&
      SDL_GameControllerAddMappingsFromRW(SDL_RWFromConstMem(taken.data(), taken.size()), 1) < 0) {
    warnings.push_back("ignoring " + name + ": SDL cannot take it (" + SDL_GetError() + ")");
  }
  return warnings;
}

void AddPlayerPadMappings() {
  const std::string dir = ConfigDir();
  if (dir.empty()) return;  // the settings say so, once
  for (const std::string& warning : AddPadMappingsFile(dir + "/gamecontrollerdb.txt")) {
    std::fprintf(stderr, "quorvel: warning: %s\n", warning.c_str());
  }
}

std::optional<XKeymap> XKeymapNow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return std::nullopt;
  XKeymap keys;
  XQueryKeymap(display, keys.bits.data());
  return keys;
}

bool XAnyKeyDown(SDL_Window* window, const XKeymap& keys, std::span<const unsigned long> keysyms) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return false;
  for (unsigned long keysym : keysyms) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    if (code != 0 && (keys.bits[code / 8] & (1 << (code % 8))) != 0) return true;
  }
  return false;
}

std::optional<char32_t> XTypedChar(SDL_Window* window, SDL_Keycode key, bool shift) {
  Display* display = nullptr;
  unsigned long id = 0;
  if ((key & SDLK_SCANCODE_MASK) != 0 || !XIdOf(window, display, id)) return std::nullopt;
  // SDL names a key by its unshifted character (the digit row by its digit),
  // the same value as that character's X keysym; X finds the key, then what
  // it gives in the keyboard's current group with this Shift state.
  const KeySym named = key < 0x100 ? KeySym(key) : KeySym(0x1000000 | key);
  const KeyCode code = XKeysymToKeycode(display, named);
  XkbStateRec state{};
  if (code == 0 || XkbGetState(display, XkbUseCoreKbd, &state) != Success) return std::nullopt;
  unsigned int mods_used = 0;
  KeySym gives = NoSymbol;
  if (!XkbLookupKeySym(display, code, XkbBuildCoreState(shift ? ShiftMask : 0, state.group),
                       &mods_used, &gives)) {
    return std::nullopt;
  }
  if (gives >= 0x20 && gives < 0x100) return static_cast<char32_t>(gives);  // Latin-1
  if ((gives & 0xff000000) == 0x01000000) return static_cast<char32_t>(gives & 0xffffff);
  return char32_t{0};
}

}  // namespace quorvel
