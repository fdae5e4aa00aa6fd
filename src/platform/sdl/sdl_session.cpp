#include "platform/sdl/sdl_session.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdlib>

#include "platform/sdl/sdl_input.h"
#include "platform/sdl/x11_queries.h"

namespace quorvel {

namespace {

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

}  // namespace

const char* VideoDriverHint(bool wayland_session_possible) {
  return wayland_session_possible ? "x11,wayland" : "x11";
}

std::unique_ptr<SdlSession> SdlSession::Open(std::string& error) {
  // An explicit SDL_VIDEODRIVER in the environment overrides this hint.
  SDL_SetHint(SDL_HINT_VIDEODRIVER,
              VideoDriverHint(EnvSet("WAYLAND_DISPLAY") || EnvSet("XDG_RUNTIME_DIR")));
  // SDL's software renderer draws into the window's own surface: keep that
  // surface plain, with no GPU context behind it and so no vsync wait of
  // ~16 ms in every present.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // The joystick is polled whether or not a window of ours has focus.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  // Ctrl+C and SIGTERM end the process at once instead of waiting for the
  // menu or a crash pause to finish.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");

  InstallXErrorHandler();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = std::string("quorvel: cannot open a window: no display (") + SDL_GetError() + ")";
    RemoveXErrorHandler();
    return nullptr;
  }
  // Button 1 is the south face button and button 2 the east one on every
  // known pad: by position, not by the letters printed on them (which some
  // makers swap).
  SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
  // Failure is not fatal: every joystick poll then fails and the keyboard
  // works. The game-controller layer brings the joystick subsystem with it;
  // without it pads are still read raw.
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) {
    AddPlayerPadMappings();
  } else {
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  }
  // No text entry anywhere: keeps input methods from popping up over the game.
  SDL_StopTextInput();
  if (TTF_Init() != 0) {
    error = std::string("quorvel: cannot start the font engine (") + TTF_GetError() + ")";
    SDL_Quit();
    RemoveXErrorHandler();
    return nullptr;
  }
  return std::unique_ptr<SdlSession>(new SdlSession());
}

SdlSession::~SdlSession() {
  TTF_Quit();
  {
    // Closing SDL's connections waits for the answers to its last requests,
    // some of them about windows another program may have destroyed (the
    // wake-up events SDL sends its own windows while it waits for events).
    // The connections are gone afterwards: nothing to wait for there.
    XErrorTrap trap(nullptr);
    SDL_Quit();
  }
  RemoveXErrorHandler();
}

}  // namespace quorvel
