#include "platform/headless/draw_log.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace quorvel {

LoggingSurface::LoggingSurface(RasterSurface& raster) : raster_(raster) {}

void LoggingSurface::SetLog(std::ostream* out) {
  log_ = out;
  ops_.clear();
}

void LoggingSurface::SetOnRefresh(std::function<bool(long, bool)> on_refresh) {
  on_refresh_ = std::move(on_refresh);
}

void LoggingSurface::BeginOp(const char* name) {
  if (!ops_.empty()) ops_ += ", ";
  ops_ += "[\"";
  ops_ += name;
  ops_ += '"';
}

void LoggingSurface::AddFloat(float v) {
  // JSON has no NaN or infinity; the game never passes them.
  if (!std::isfinite(v)) {
    ops_ += ", null";
    return;
  }
  char text[32];
  std::snprintf(text, sizeof text, ", %.9g", static_cast<double>(v));
  ops_ += text;
}

void LoggingSurface::AddInt(long long v) {
  char text[32];
  std::snprintf(text, sizeof text, ", %lld", v);
  ops_ += text;
}

float LoggingSurface::ScaleWidth() const {
  return raster_.ScaleWidth();
}

float LoggingSurface::ScaleHeight() const {
  return raster_.ScaleHeight();
}

void LoggingSurface::FillRect(float x, float y, float w, float h, Colour colour) {
  if (log_ != nullptr) {
    BeginOp("rect");
    AddFloat(x);
    AddFloat(y);
    AddFloat(w);
    AddFloat(h);
    AddInt(colour);
    ops_ += ']';
  }
  raster_.FillRect(x, y, w, h, colour);
}

void LoggingSurface::SetFillColor(Colour colour) {
  if (log_ != nullptr) {
    BeginOp("fill");
    AddInt(colour);
    ops_ += ']';
  }
  raster_.SetFillColor(colour);
}

void LoggingSurface::SetPenColor(Colour colour) {
  if (log_ != nullptr) {
    BeginOp("pen");
    AddInt(colour);
    ops_ += ']';
  }
  raster_.SetPenColor(colour);
}

void LoggingSurface::Circle(float x, float y, float r, Colour outline) {
  if (log_ != nullptr) {
    BeginOp("circle");
    AddFloat(x);
    AddFloat(y);
    AddFloat(r);
    AddInt(outline);
    ops_ += ']';
  }
  raster_.Circle(x, y, r, outline);
}

void LoggingSurface::Polygon(const PolyPoint points[3]) {
  if (log_ != nullptr) {
    BeginOp("poly");
    for (int i = 0; i < 3; ++i) {
      AddInt(points[i].x);
      AddInt(points[i].y);
    }
    ops_ += ']';
  }
  raster_.Polygon(points);
}

void LoggingSurface::SetBackColor(Colour colour) {
  if (log_ != nullptr) {
    BeginOp("clear");
    AddInt(colour);
    ops_ += ']';
  }
  cleared_ = true;
  raster_.SetBackColor(colour);
}

void LoggingSurface::Refresh() {
  ++frames_;
  const bool scene = !cleared_;
  cleared_ = false;
  const bool kept = !on_refresh_ || on_refresh_(frames_, scene);
  if (log_ != nullptr) {
    BeginOp("refresh");
    ops_ += ']';
    if (kept) *log_ << "{\"frame\": " << frames_ << ", \"ops\": [" << ops_ << "]}\n";
    ops_.clear();
  }
  raster_.Refresh();
}

}  // namespace quorvel
