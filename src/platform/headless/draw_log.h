// The headless drawing surface: forwards every call to the real rasteriser
// and, when asked, records it for the draw log, one JSON line per refreshed
// frame: {"frame": K, "ops": [["rect", x, y, w, h, colour], ..., ["refresh"]]}.
#pragma once

#include <functional>
#include <string>

#include "platform/draw_op.h"
#include "platform/raster/raster_surface.h"

namespace quorvel {

class LoggingSurface final : public DrawOpSurface {
 public:
  explicit LoggingSurface(RasterSurface& raster);

  // Takes each frame's line, newline included; empty records nothing.
  void SetLog(std::function<void(const std::string& line)> log);
  // Called at every refresh, before the frame's line is written, with the
  // frame's number (1, 2, ...) and whether it is a scene frame: false when
  // the background was cleared since the previous refresh (the crash's black
  // frame). Returning false (the frame could not be kept) leaves the frame's
  // line out: the log stops where the frames do.
  void SetOnRefresh(std::function<bool(long frame, int subframe, bool scene)> on_refresh);
  // From 1 on, the refreshes that follow are pictures between ticks: they
  // keep the last frame's number, are handed on as that `subframe` and are
  // not logged. 0 goes back to frames.
  void SetSubframe(int subframe) { subframe_ = subframe; }

  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void Draw(const DrawOp& op) override;

 private:
  RasterSurface& raster_;
  std::function<void(const std::string&)> log_;
  std::function<bool(long, int, bool)> on_refresh_;
  int subframe_ = 0;
  std::string ops_;  // this frame's operations so far, comma-separated
  long frames_ = 0;
  bool cleared_ = false;
};

}  // namespace quorvel
