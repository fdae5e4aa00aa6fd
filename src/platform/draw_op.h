// One call on a drawing surface as a value, in the draw log's terms. The
// rasteriser defers drawing as a list of these, the draw log prints them and
// the tests expect them, so all three agree by construction.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace quorvel {

// Only the fields of its kind are meaningful; the others stay zero so that
// whole ops compare equal.
struct DrawOp {
  enum Kind : uint8_t { kRect, kFill, kPen, kPoly, kCircle, kClear, kRefresh, kRing };
  Kind kind = kRefresh;
  std::array<float, 4> args{};  // rect: x, y, w, h; circle, ring: x, y, r (pixels)
  Colour colour = 0;            // rect, fill, pen, circle and ring outline, clear
  std::array<PolyPoint, 3> points{};

  static DrawOp Rect(float x, float y, float w, float h, Colour c) {
    return {.kind = kRect, .args = {x, y, w, h}, .colour = c};
  }
  static DrawOp Fill(Colour c) { return {.kind = kFill, .colour = c}; }
  static DrawOp Pen(Colour c) { return {.kind = kPen, .colour = c}; }
  static DrawOp Poly(PolyPoint a, PolyPoint b, PolyPoint c) {
    return {.kind = kPoly, .points = {a, b, c}};
  }
  static DrawOp Circle(float x, float y, float r, Colour outline) {
    return {.kind = kCircle, .args = {x, y, r, 0}, .colour = outline};
  }
  static DrawOp Ring(float x, float y, float r, Colour outline) {
    return {.kind = kRing, .args = {x, y, r, 0}, .colour = outline};
  }
  static DrawOp Clear(Colour c) { return {.kind = kClear, .colour = c}; }
  static DrawOp Refresh() { return {}; }

  friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

// The op exactly as the draw log prints it, e.g.
// ["rect", 0, 0, 361, 181, 16776960]: singles with %.9g (they read back as
// the same single), integers as plain decimals.
std::string DrawLogText(const DrawOp& op);

// A surface that hands every drawing call on as one DrawOp.
class DrawOpSurface : public Surface {
 public:
  virtual void Draw(const DrawOp& op) = 0;

  void FillRect(float x, float y, float w, float h, Colour colour) final {
    Draw(DrawOp::Rect(x, y, w, h, colour));
  }
  void SetFillColor(Colour colour) final { Draw(DrawOp::Fill(colour)); }
  void SetPenColor(Colour colour) final { Draw(DrawOp::Pen(colour)); }
  void Circle(float x, float y, float r, Colour outline) final {
    Draw(DrawOp::Circle(x, y, r, outline));
  }
  void CircleOutline(float x, float y, float r, Colour outline) final {
    Draw(DrawOp::Ring(x, y, r, outline));
  }
  void Polygon(const PolyPoint points[3]) final {
    Draw(DrawOp::Poly(points[0], points[1], points[2]));
  }
  void SetBackColor(Colour colour) final { Draw(DrawOp::Clear(colour)); }
  void Refresh() final { Draw(DrawOp::Refresh()); }
};

}  // namespace quorvel
