// SdlPlatform's state, shared by the files that implement it.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/raster/fonts.h"
#include "platform/raster/raster_surface.h"
#include "platform/sdl/client_window.h"
#include "platform/sdl/first_joystick.h"
#include "platform/sdl/periodic_schedule.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_session.h"
#include "platform/sdl/x_window_watch.h"
#include "ui/game_window.h"
#include "ui/layout.h"

namespace quorvel {

struct SdlPlatform::Impl {
  Impl(std::unique_ptr<SdlSession> session, std::unique_ptr<FontCache> fonts,
       std::unique_ptr<ClientWindow> form1, int scale);

  // Paints the game window's client area from the picture image and the
  // labels, and puts it on the screen.
  void RepaintForm1();
  // Paints the open menu window from its frames and puts it on the screen.
  void RepaintMenu();
  // Repaints on exposure, notes close requests, follows the joystick;
  // key-downs are not handled here.
  void HandleWindowEvent(const SDL_Event& event);

  // The picture's size (sdl_window_mode.cpp). The windowed scale is the
  // player's choice (Ctrl+Plus/Minus, --scale, the settings file) or, with
  // none, the display's own; fullscreen takes the largest that fits the
  // screen.
  int WindowedScale() const;
  int LargestWindowedScale() const;
  // Puts the windows in the current mode and scale and repaints them.
  void ApplyWindowMode();
  // Sizes the menu window at the current scale and centres it over the
  // game window.
  void PlaceMenu();
  // F11, Alt+Enter, Ctrl+Plus/Minus/0 and Esc in fullscreen: acts on them
  // and returns true, so that they go no further; false for the game's keys.
  bool HandleWindowKey(const SDL_KeyboardEvent& key);
  // Tells choice_changed the choice now in force.
  void RememberChoice();
  // Unloaded, closed, or a window of the game destroyed by another program,
  // which counts as closing it.
  bool ended() const { return unloaded || close_requested || windows_gone(); }
  bool windows_gone() const { return form1->gone() || (form2 != nullptr && form2->gone()); }
  // The next KeyHeld asks the keyboard afresh: at each tick's start, after
  // every event and after a sleep.
  void ForgetKeyboard() { keyboard.taken = false; }

  // Declared first, so destroyed last: everything below needs SDL and SDL_ttf.
  std::unique_ptr<SdlSession> session;
  std::unique_ptr<FontCache> fonts;
  std::unique_ptr<ClientWindow> form1;
  // Screen pixels per 96-dpi pixel in both windows now; the picture stays
  // 337 x 337 whatever it is.
  int scale;
  int auto_scale;                   // the display's own
  std::optional<int> chosen_scale;  // the player's, for the window
  bool fullscreen = false;
  std::function<void(const WindowChoice&)> choice_changed;  // empty: nobody listens
  // The keyboard as KeyHeld last asked it: one focus check and one keymap
  // (one X round trip each at most) serve every key a tick asks about.
  struct {
    bool taken = false;
    bool focused = false;
    std::optional<XKeymap> keys;  // nullopt off x11: SDL's state is asked
  } keyboard;
  // Enter went into an Alt+Enter: it is not the game's until released.
  bool return_taken = false;
  RasterSurface picture;
  Form1Labels labels;
  FirstJoystick joystick;

  PeriodicSchedule timer1;
  bool timer1_on = true;  // enabled from the start
  bool running = false;   // the run loop has shown the window
  bool unloaded = false;
  bool close_requested = false;

  std::function<void(int vk)> key_down;  // outside the menu

  // While a modal show runs.
  MenuWindow* menu = nullptr;
  // Created for the first menu visit and kept, hidden, between visits: the X
  // server then holds the same resources for the game however many visits
  // it makes.
  std::unique_ptr<ClientWindow> form2;
};

}  // namespace quorvel
