// The platform on real SDL2 windows: the game window Form1 with its drawing
// surface, labels and 80 ms timer; the modal menu window Form2 with its
// 100 ms timer; keyboard state, the first joystick and a sleep that keeps
// the windows painted. One instance at a time (SDL is process-wide), used
// on the thread that opened it.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace quorvel {

// The game window's own events, delivered by SdlPlatform::Run.
class GameWindowHandlers {
 public:
  virtual ~GameWindowHandlers() = default;
  // Once, before the window is first shown.
  virtual void Form_Load() = 0;
  // Every 80 ms while Timer1 is on; never overlapping another event.
  virtual void Timer1_Timer() = 0;
};

// The player's choice for the game window: a scale (nothing: the display's
// own) and fullscreen or not.
struct WindowChoice {
  std::optional<int> scale;
  bool fullscreen = false;
  friend bool operator==(const WindowChoice&, const WindowChoice&) = default;
};

// How the game window starts, and who hears of the player's changes to it
// (the app, which remembers them; empty: nobody).
struct WindowStart {
  std::optional<int> scale;
  bool fullscreen = false;
  std::function<void(const WindowChoice&)> choice_changed;
};

class SdlPlatform final : public Platform {
 public:
  // Opens SDL and the (still hidden) game window, both windows at the
  // display's scale (display_scale.h): 1 below 144 dpi, 2 at 192 dpi.
  // Nullptr with one line in `error` when there is no display or the game
  // font is missing.
  static std::unique_ptr<SdlPlatform> Open(std::string& error);
  // The same, started as `start` says. F11 and Alt+Enter then toggle
  // fullscreen, Ctrl+Plus/Minus/0 step the windowed scale, and each such key
  // tells start.choice_changed the choice then in force.
  static std::unique_ptr<SdlPlatform> Open(const WindowStart& start, std::string& error);
  // The same at a given whole-number scale (below 1 taken as 1), whatever
  // the display says; for tests on SDL's off-screen driver, which reports
  // no dpi.
  static std::unique_ptr<SdlPlatform> OpenAtScale(int scale, std::string& error);
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // Loads and shows the game window and delivers its timer events until it
  // is unloaded or closed from its title bar. Returns the exit status, 0.
  int Run(GameWindowHandlers& handlers);

  // Key-downs (virtual-key codes) in the game window while no menu is open.
  // The game itself polls the key state and ignores them; a replay ends on
  // Esc through this.
  void SetKeyDownHandler(std::function<void(int vk)> handler);

  // For tests: the game window, and the menu window while a modal show runs
  // (nullptr otherwise).
  SDL_Window* game_window() const;
  SDL_Window* menu_window() const;
  // Screen pixels per 96-dpi pixel in both windows.
  int scale() const;

  Surface& Picture1() override;
  void SetLabels(const Form1Labels& labels) override;
  bool KeyHeld(int vk) override;
  bool JoyGetPos(JoyReading& out) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  // Also pumps the game window's events: repaints, and a close request that
  // is kept until the menu has closed and the current tick has returned.
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override;
  // Keeps repainting the windows while it waits; a close request is kept.
  void Sleep(int ms) override;

 private:
  struct Impl;
  explicit SdlPlatform(std::unique_ptr<Impl> impl);
  // Nothing in `fixed_scale`: the display's scale.
  static std::unique_ptr<SdlPlatform> OpenWith(std::optional<int> fixed_scale,
                                               const WindowStart& start, std::string& error);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
