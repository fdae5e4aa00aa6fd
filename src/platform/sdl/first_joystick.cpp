#include "platform/sdl/first_joystick.h"

#include <utility>

namespace quorvel {

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

}  // namespace quorvel
