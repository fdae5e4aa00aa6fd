#include "platform/headless/draw_log.h"

#include <utility>

namespace quorvel {

LoggingSurface::LoggingSurface(RasterSurface& raster) : raster_(raster) {}

void LoggingSurface::SetLog(std::function<void(const std::string&)> log) {
  log_ = std::move(log);
  ops_.clear();
}

void LoggingSurface::SetOnRefresh(std::function<bool(long, int, bool)> on_refresh) {
  on_refresh_ = std::move(on_refresh);
}

float LoggingSurface::ScaleWidth() const {
  return raster_.ScaleWidth();
}

float LoggingSurface::ScaleHeight() const {
  return raster_.ScaleHeight();
}

void LoggingSurface::Draw(const DrawOp& op) {
  if (log_ != nullptr && subframe_ == 0) {
    if (!ops_.empty()) ops_ += ", ";
    ops_ += DrawLogText(op);
  }
  if (op.kind == DrawOp::kClear) cleared_ = true;
  if (op.kind == DrawOp::kRefresh && subframe_ > 0) {
    if (on_refresh_) on_refresh_(frames_, subframe_, true);
    raster_.Draw(op);
    return;
  }
  if (op.kind == DrawOp::kRefresh) {
    ++frames_;
    const bool scene = !cleared_;
    cleared_ = false;
    const bool kept = !on_refresh_ || on_refresh_(frames_, 0, scene);
    if (log_ && kept) {
      log_("{\"frame\": " + std::to_string(frames_) + ", \"ops\": [" + ops_ + "]}\n");
    }
    ops_.clear();
  }
  raster_.Draw(op);
}

}  // namespace quorvel
