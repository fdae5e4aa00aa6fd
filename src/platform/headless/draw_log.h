// The headless drawing surface: forwards every call to the real rasteriser
// and, when asked, records it for the draw log, one JSON line per refreshed
// frame: {"frame": K, "ops": [["rect", x, y, w, h, colour], ..., ["refresh"]]}.
// Singles are printed with %.9g (they read back as the same single),
// integers as plain decimals.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "platform/platform.h"
#include "platform/raster/raster_surface.h"

namespace quorvel {

class LoggingSurface final : public Surface {
 public:
  explicit LoggingSurface(RasterSurface& raster);

  // Where frame lines go; nullptr records nothing.
  void SetLog(std::ostream* out);
  // Called at every refresh, before the frame's line is written, with the
  // frame's number (1, 2, ...) and whether it is a scene frame: false when
  // the background was cleared since the previous refresh (the crash's black
  // frame). Returning false (the frame could not be kept) leaves the frame's
  // line out: the log stops where the frames do.
  void SetOnRefresh(std::function<bool(long frame, bool scene)> on_refresh);

  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void FillRect(float x, float y, float w, float h, Colour colour) override;
  void SetFillColor(Colour colour) override;
  void SetPenColor(Colour colour) override;
  void Circle(float x, float y, float r, Colour outline) override;
  void Polygon(const PolyPoint points[3]) override;
  void SetBackColor(Colour colour) override;
  void Refresh() override;

 private:
  void BeginOp(const char* name);
  void AddFloat(float v);
  void AddInt(long long v);

  RasterSurface& raster_;
  std::ostream* log_ = nullptr;
  std::function<bool(long, bool)> on_refresh_;
  std::string ops_;  // this frame's operations so far, comma-separated
  long frames_ = 0;
  bool cleared_ = false;
};

}  // namespace quorvel
