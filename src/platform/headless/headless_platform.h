// The headless twin of the platform: the real rasteriser on an off-screen
// image, sleep recorded instead of waited, and a menu window driven by
// scripted events. quorvel-sim, the ghost and the tests drive it.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/raster/raster_surface.h"

namespace quorvel {

class HeadlessPlatform final : public Platform {
 public:
  // Surface of width x height pixels (the real window's is 337 x 337).
  // With `output` false nothing drawn is kept (the ghost's game, which no
  // one sees): the surface only tells its size.
  explicit HeadlessPlatform(int width = 337, int height = 337, bool output = true);
  ~HeadlessPlatform() override;

  // --- scripted input ---
  // Supplies the open menu window's events (key and poll) during a modal
  // show; called once the menu has loaded and after every event that left
  // it open. Nothing, or no source at all, ends the show as if Esc had been
  // pressed.
  void SetMenuSource(std::function<std::optional<InputEvent>()> source);
  // The taps told of the game's sleeps, of the menu's load and of each menu
  // event once the menu has carried it out; nullptr: none.
  void SetTaps(InputTaps* taps);

  // From 1 on, the refreshes that follow are pictures between ticks: not
  // counted as draws nor logged, handed to the refresh hook with this
  // number after the last tick's frame. 0 goes back to the ticks' own.
  void SetSubframe(int subframe);

  // --- observation ---
  // Scene frames refreshed (refreshes that did not follow a background clear).
  int draws() const;
  int slept_ms() const;
  void ResetCounters();
  const Form1Labels& labels() const;
  const Form1Notes& notes() const;
  RasterSurface& raster();
  // Prints each frame's drawing operations as one JSON line at every refresh
  // ({"frame": K, "ops": [...]}); nullptr switches it off.
  void SetDrawLog(std::function<void(const std::string& line)> log);
  // Called at every refresh with the frame's number (1, 2, ..., as the draw
  // log counts them) and the subframe (0 for a tick's own), once the image
  // holds the frame; returning false (the frame could not be kept) leaves
  // the frame's line out of the draw log.
  void SetOnRefresh(std::function<bool(long frame, int subframe)> on_refresh);

  // --- Platform ---
  Surface& Picture1() override;
  void SetLabels(const Form1Labels& labels) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override;
  void Sleep(int ms) override;
  void SetNotes(const Form1Notes& notes) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvel
