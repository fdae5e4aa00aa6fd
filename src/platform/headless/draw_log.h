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
  void SetOnRefresh(std::function<bool(long frame, bool scene)> on_refresh);

  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void Draw(const DrawOp& op) override;

 private:
  RasterSurface& raster_;
  std::function<void(const std::string&)> log_;
  std::function<bool(long, bool)> on_refresh_;
  std::string ops_;  // this frame's operations so far, comma-separated
  long frames_ = 0;
  bool cleared_ = false;
};

}  // namespace quorvel
