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

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/sdl/x11_queries.h"
#include "sound/sound_commands.h"
#include "sound/sound_synth.h"

namespace quorvel {

// --- The whole-number scale at which both windows are shown ---
// Every pixel of the 96-dpi picture becomes a scale x scale block, so a
// high-density screen shows the same game, only bigger; the game itself
// still draws on its 337 x 337 surface.

// 1 below 144 dpi (also for an unknown, non-positive or non-finite dpi);
// from 144 dpi on, the whole number nearest to dpi / 96 with halves rounded
// up: 144 -> 2, 192 -> 2, 240 -> 3, 288 -> 3; at most 16.
int ScaleForDpi(double dpi);

// The largest scale, at most `scale` and at least 1, at which a window
// whose client area is `width` x `height` pixels at scale 1 fits in
// `avail_width` x `avail_height` pixels. A bogus dpi (a television that
// reports a few centimetres of screen) must not open a window larger than
// the screen. Unknown room (a size of 0 or less) leaves `scale` as it is.
int ScaleThatFits(int scale, int width, int height, int avail_width, int avail_height);

// The largest scale, 1 to 16, at which that window fits in `avail_width` x
// `avail_height` pixels; `fallback` (at least 1) when the room is unknown
// (0 or less: the lookup failed), never the largest of all.
int LargestScaleIn(int fallback, int width, int height, int avail_width, int avail_height);

// The client area's new top-left corner, in screen pixels, when the client
// area `old` (screen pixels) becomes `width` x `height`: the centre stays
// where it was, so that growing and shrinking again puts the window back
// exactly; then moved just enough to keep the window and its `frame` inside
// `usable` (the top-left corner wins where it cannot fit, so the title bar
// stays reachable). An empty `usable` (unknown) moves nothing.
SDL_Point CentreKeptIn(const SDL_Rect& old, int width, int height, const SDL_Rect& usable,
                       const FrameExtents& frame);

// The scale for the display SDL has opened, for a window whose client area
// is `width` x `height` pixels at scale 1: the dpi as DisplayDpi() finds it,
// limited to what fits the first display's usable area.
int DisplayScale(int width, int height);

// --- When a window timer is due ---
// When a window timer is due, from times handed in by the caller (so tests
// can drive it with a fake clock). Deadlines are absolute, so the period does
// not drift; a handler that overruns its period gets no queued catch-up
// events, only the next one a full period after it returned.
class PeriodicSchedule {
 public:
  // `period_us` in microseconds; the timer starts switched off.
  explicit PeriodicSchedule(int64_t period_us);

  // Switching on arms the first event one period after `now_us`; switching
  // on while already on changes nothing; switching off drops the deadline.
  void SetEnabled(bool enabled, int64_t now_us);
  bool enabled() const { return enabled_; }
  int64_t period_us() const { return period_us_; }

  // The absolute time of the next event, or nullopt while switched off.
  std::optional<int64_t> deadline() const;
  bool Due(int64_t now_us) const;

  // Bracket one run of the handler: the deadline moves on by one period
  // before it starts; once it has returned at `now_us`, a deadline already
  // in the past moves to one period after `now_us`.
  void BeginRun();
  void EndRun(int64_t now_us);

 private:
  int64_t period_us_;
  int64_t next_us_ = 0;
  bool enabled_ = false;
};

// --- The platform ---

// How the game window starts.
struct WindowStart {
  // The player's scale for the window; nothing: the display's own. A scale
  // whose window, frame included, does not fit the screen's usable area
  // gives the largest that does, with one line to on_warning.
  std::optional<int> scale;
  bool fullscreen = false;
  // The display's own scale, for tests on SDL's off-screen driver (which
  // reports no dpi); nothing: asked of the display (DisplayScale).
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
  // Told one line (no prefix, no newline) when the window cannot be as asked,
  // or the sound cannot be played.
  std::function<void(const std::string&)> on_warning;
  // The race's sound on the default audio device; off opens no device until
  // M switches it on. `volume` 0..100.
  bool sound = false;
  int volume = kDefaultVolume;
  // Told whenever the player switches the sound on or off with M, to
  // remember the choice.
  std::function<void(bool sound)> on_sound;
};

class SdlPlatform final : public Platform {
 public:
  // Opens SDL and the (still hidden) game window. F11 and Alt+Enter then
  // toggle fullscreen, Ctrl+Plus/Minus/0 step the windowed scale and M
  // switches the sound off and on.
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
  // `taps` (none when nullptr) on its way. Returns the exit status, 0.
  int Run(GameWindowHandlers& handlers, InputTaps* taps = nullptr, InputSource* source = nullptr);

  Surface& Picture1() override;
  void SetLabels(const Form1Labels& labels) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override;
  // Keeps the windows painted while it waits; a close request ends it early.
  void Sleep(int ms) override;
  void SetStatusText(const std::string& text) override;
  void SetNotes(const Form1Notes& notes) override;

  // Where the race's sound goes: silent while the sound is off, paused or
  // without a device, and never waited on.
  SoundCommands& Sound();

 private:
  struct Impl;
  explicit SdlPlatform(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
