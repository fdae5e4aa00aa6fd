// The platform on real SDL2 windows: the game window Form1 with its drawing
// surface, labels and 80 ms timer; the modal menu window Form2 with its
// 100 ms timer; the keyboard and the first joystick read into input events;
// a sleep that keeps the windows painted. One instance at a time (SDL is
// process-wide), used on the thread that opened it.
//
// Everything runs in one loop (Loop in sdl_platform.cpp): it waits for
// whatever is due first, an SDL event, the game's tick, the menu's timer or
// the end of a sleep. The modal menu and the sleep run that same loop,
// nested inside the tick that started them.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace quorvel {

// How the game window starts.
struct WindowStart {
  // The player's scale for the window; nothing: the display's own. A scale
  // whose window, frame included, does not fit the screen's usable area
  // gives the largest that does, with one line to on_warning.
  std::optional<int> scale;
  bool fullscreen = false;
  // The display's own scale, for tests on SDL's off-screen driver (which
  // reports no dpi); nothing: asked of the display (display_scale.h).
  std::optional<int> display_scale;
  // Whether the race pauses (no ticks) while the game window is minimised
  // or another program's window has taken the focus from both windows.
  bool pause = true;
  // Told whenever the player changes the scale (nothing: automatic) or
  // fullscreen with the window keys, to remember the choice. Ctrl+Plus and
  // Ctrl+Minus step through the scales that fit, from the one shown.
  std::function<void(std::optional<int> scale, bool fullscreen)> on_choice;
  // Pictures between ticks at the display's refresh rate (60 Hz when it is
  // unknown); false: the ticks' 12.5 pictures a second only.
  bool smooth = true;
  // Told one line (no prefix, no newline) when the window cannot be as asked.
  std::function<void(const std::string&)> on_warning;
};

class SdlPlatform final : public Platform {
 public:
  // Opens SDL and the (still hidden) game window. F11 and Alt+Enter then
  // toggle fullscreen and Ctrl+Plus/Minus/0 step the windowed scale.
  // Nullptr with one line in `error` when there is no display, too few
  // colours or no game font.
  static std::unique_ptr<SdlPlatform> Open(const WindowStart& start, std::string& error);
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  // Loads and shows the game window and runs the loop until the game
  // window is unloaded, closed or destroyed. The game's input comes from
  // `source`, or from the keyboard and the first joystick when it is
  // nullptr (the devices are read only then), and every event passes
  // `taps` on its way. Returns the exit status, 0.
  int Run(GameWindowHandlers& handlers, const InputTaps& taps = {}, InputSource* source = nullptr);

  // For tests: the game window, and the menu window while a modal show runs
  // (nullptr otherwise).
  SDL_Window* game_window() const;
  SDL_Window* menu_window() const;
  // Screen pixels per 96-dpi pixel in both windows.
  int scale() const;
  // SDL's name for the game window's renderer ("opengl", "software", ...).
  const char* renderer_name() const;
  // The game window's output (RGB24; the whole screen in fullscreen) as its
  // next present would show it; the caller frees it. Nullptr when SDL
  // cannot read it.
  SDL_Surface* ReadGameWindow();

  Surface& Picture1() override;
  void SetLabels(const Form1Labels& labels) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override;
  // Keeps the windows painted while it waits; a close request ends it early.
  void Sleep(int ms) override;
  void SetStatusText(const std::string& text) override;

 private:
  struct Impl;
  explicit SdlPlatform(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
