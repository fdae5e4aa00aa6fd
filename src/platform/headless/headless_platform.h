// The headless twin of the platform: scripted menu events, the
// real rasteriser on an off-screen image, sleep recorded instead of waited,
// and a menu window driven by scripted events. Used by quorvel-sim and tests.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "platform/platform.h"
#include "platform/raster/raster_surface.h"

namespace quorvel {

class HeadlessPlatform final : public Platform {
 public:
  // Surface of width x height pixels (the real window's is 337 x 337).
  HeadlessPlatform(int width = 337, int height = 337);
  ~HeadlessPlatform() override;

  // --- scripted input ---
  // Supplies the open menu window's events (key and poll) during a modal
  // show; called once the menu has loaded and after every event that left
  // it open. Nothing, or no source at all, ends the show as if Esc had been
  // pressed.
  void SetMenuSource(std::function<std::optional<InputEvent>()> source);

  // From 1 on, the refreshes that follow are pictures between ticks: not
  // counted as draws nor logged, written as frames named after the last
  // tick's frame and this number. 0 goes back to the ticks' own frames.
  void SetSubframe(int subframe);

  // --- observation ---
  // Scene frames refreshed (refreshes that did not follow a background clear).
  int draws() const;
  int slept_ms() const;
  void ResetCounters();
  const Form1Labels& labels() const;
  // The last line the game gave SetStatusText.
  const std::string& status_text() const;
  MenuFrames last_menu_frames() const;
  RasterSurface& raster();
  // Prints each frame's drawing operations as one JSON line at every refresh
  // ({"frame": K, "ops": [...]}) to `out`; nullptr switches it off.
  void SetDrawLog(std::function<void(const std::string& line)> log);
  // Writes every refreshed frame, the game window's client area with the
  // labels, as DIR/frame-000001.png, ... (numbered like the draw log's
  // frames); empty switches it off. DIR must exist. Needs the game font;
  // returns false with `error` set when it cannot be found.
  bool SetFramesDir(const std::string& dir, std::string& error);
  // Empty while every frame asked for has been written; after the first
  // failure (disk full, directory removed) no more frames are written and
  // this says why, in one line.
  std::string frames_error() const;
  // The game window's client area as it is shown now (339 x 339 for the
  // real surface: 2 pixels more each way), as a new surface that the caller
  // frees with SDL_FreeSurface. False with `error` set without the font.
  bool RenderForm1(SDL_Surface** out, std::string& error);

  // --- Platform ---
  Surface& Picture1() override;
  void SetLabels(const Form1Labels& labels) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override;
  void Sleep(int ms) override;
  void SetStatusText(const std::string& text) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
