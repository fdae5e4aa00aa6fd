#include "platform/raster/raster_primitives.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace quorvel {

namespace {

// A triangle clipped to the guard square has at most 3 + 4 corners.
constexpr int kMaxCorners = 8;

int64_t Cross(const PolyPoint& a, const PolyPoint& b, const PolyPoint& c) {
  return int64_t{b.x - a.x} * (c.y - a.y) - int64_t{b.y - a.y} * (c.x - a.x);
}

int Sign(int64_t v) {
  return (v > 0) - (v < 0);
}

bool InsideGuard(const PolyPoint& p) {
  return p.x >= -kPolygonGuard && p.x <= kPolygonGuard && p.y >= -kPolygonGuard &&
         p.y <= kPolygonGuard;
}

void SetDrawColour(SDL_Renderer* renderer, Colour colour) {
  const SDL_Color c = ToSdlColour(colour);
  SDL_SetRenderDrawColor(renderer, c.r, c.g, c.b, c.a);
}

// One call per triangle: SDL's software path merges consecutive triangles of
// one call that it takes for halves of a rectangle, and gets some wrong.
void FillTriangle(SDL_Renderer* renderer, const PolyPoint& a, const PolyPoint& b,
                  const PolyPoint& c, SDL_Color colour) {
  const SDL_Vertex v[3] = {
      {{static_cast<float>(a.x), static_cast<float>(a.y)}, colour, {0, 0}},
      {{static_cast<float>(b.x), static_cast<float>(b.y)}, colour, {0, 0}},
      {{static_cast<float>(c.x), static_cast<float>(c.y)}, colour, {0, 0}},
  };
  SDL_RenderGeometry(renderer, nullptr, v, 3, nullptr, 0);
}

// SDL fills the pixels whose centres (x + 0.5, y + 0.5) lie in the shape,
// leaving the right and bottom edges out, while a line lights the pixels at
// its whole-number points. Along a right or bottom edge that leaves a band,
// up to one pixel thick, between the fill and the outline, where pixels
// inside the triangle would stay unpainted. A parallelogram one pixel thick
// on the far side of the edge fills it exactly: it shares the edge with the
// fill, so SDL's top-left rule hands every pixel centre on the edge to one
// of the two.
void FillEdgeBand(SDL_Renderer* renderer, const PolyPoint& a, const PolyPoint& b, int orientation,
                  SDL_Color colour) {
  const int32_t dx = b.x - a.x;
  const int32_t dy = b.y - a.y;
  PolyPoint off{0, 0};
  if (std::abs(int64_t{dx}) >= std::abs(int64_t{dy})) {
    if (orientation * Sign(dx) >= 0) return;  // interior below: a top edge
    off.y = 1;
  } else {
    if (orientation * Sign(dy) <= 0) return;  // interior to the right: a left edge
    off.x = 1;
  }
  const PolyPoint b2{b.x + off.x, b.y + off.y};
  const PolyPoint a2{a.x + off.x, a.y + off.y};
  FillTriangle(renderer, a, b, b2, colour);
  FillTriangle(renderer, a, b2, a2, colour);
}

// A convex polygon with its corners inside the guard square, in any order.
void DrawConvex(SDL_Renderer* renderer, const PolyPoint* p, int n, Colour fill, Colour pen) {
  int64_t twice_area = 0;
  for (int i = 0; i < n; ++i) twice_area += Cross(PolyPoint{}, p[i], p[(i + 1) % n]);
  const int orientation = Sign(twice_area);
  if (orientation != 0) {
    const SDL_Color fill_colour = ToSdlColour(fill);
    for (int i = 1; i + 1 < n; ++i) FillTriangle(renderer, p[0], p[i], p[i + 1], fill_colour);
    for (int i = 0; i < n; ++i)
      FillEdgeBand(renderer, p[i], p[(i + 1) % n], orientation, fill_colour);
  }
  std::array<SDL_Point, kMaxCorners + 1> outline{};
  for (int i = 0; i <= n; ++i) outline[i] = SDL_Point{p[i % n].x, p[i % n].y};
  SetDrawColour(renderer, pen);
  SDL_RenderDrawLines(renderer, outline.data(), n + 1);
}

struct DPoint {
  double x, y;
};

// Sutherland-Hodgman against one side of the guard square: keeps the part
// where sign * coordinate <= kPolygonGuard (axis 0 = x, 1 = y).
std::vector<DPoint> ClipSide(const std::vector<DPoint>& in, int axis, double sign) {
  std::vector<DPoint> out;
  const size_t n = in.size();
  for (size_t i = 0; i < n; ++i) {
    const DPoint& a = in[i];
    const DPoint& b = in[(i + 1) % n];
    const double va = sign * (axis == 0 ? a.x : a.y) - kPolygonGuard;
    const double vb = sign * (axis == 0 ? b.x : b.y) - kPolygonGuard;
    if (va <= 0) out.push_back(a);
    if ((va < 0 && vb > 0) || (va > 0 && vb < 0)) {
      const double t = va / (va - vb);
      out.push_back({a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
    }
  }
  return out;
}

// Far outside the contract of the projection (which bounds corners at
// 10000): the part within the guard square, corners rounded to pixels.
void DrawClipped(SDL_Renderer* renderer, const PolyPoint points[3], Colour fill, Colour pen) {
  std::vector<DPoint> poly;
  for (int i = 0; i < 3; ++i) {
    poly.push_back({static_cast<double>(points[i].x), static_cast<double>(points[i].y)});
  }
  for (int axis = 0; axis < 2 && !poly.empty(); ++axis) {
    poly = ClipSide(poly, axis, 1.0);
    if (!poly.empty()) poly = ClipSide(poly, axis, -1.0);
  }
  std::array<PolyPoint, kMaxCorners> corners{};
  int n = 0;
  for (const DPoint& d : poly) {
    const PolyPoint p{static_cast<int32_t>(std::nearbyint(d.x)),
                      static_cast<int32_t>(std::nearbyint(d.y))};
    if (n > 0 && p == corners[n - 1]) continue;
    if (n == kMaxCorners) break;
    corners[n++] = p;
  }
  while (n > 1 && corners[n - 1] == corners[0]) --n;
  if (n >= 2) DrawConvex(renderer, corners.data(), n, fill, pen);
}

}  // namespace

SDL_Color ToSdlColour(Colour colour) {
  const auto v = static_cast<uint32_t>(colour);
  return SDL_Color{static_cast<Uint8>(v & 0xFF), static_cast<Uint8>((v >> 8) & 0xFF),
                   static_cast<Uint8>((v >> 16) & 0xFF), 255};
}

void RasterPolygon(SDL_Renderer* renderer, const PolyPoint points[3], Colour fill, Colour pen) {
  if (InsideGuard(points[0]) && InsideGuard(points[1]) && InsideGuard(points[2])) {
    DrawConvex(renderer, points, 3, fill, pen);
  } else {
    DrawClipped(renderer, points, fill, pen);
  }
}

SDL_Rect RectPixels(float x, float y, float w, float h, int width, int height) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) {
    return SDL_Rect{0, 0, 0, 0};
  }
  // Pixels from ceil(lo) to ceil(hi) - 1; the sums in double keep a
  // half-pixel edge (168.5) a half-pixel edge.
  auto span = [](double from, double extent, int limit) {
    double lo = from;
    double hi = from + extent;
    if (hi < lo) std::swap(lo, hi);
    lo = std::clamp(std::ceil(lo), 0.0, static_cast<double>(limit));
    hi = std::clamp(std::ceil(hi), 0.0, static_cast<double>(limit));
    return std::pair<int, int>{static_cast<int>(lo), static_cast<int>(hi)};
  };
  const auto [x0, x1] = span(x, w, width);
  const auto [y0, y1] = span(y, h, height);
  if (x0 >= x1 || y0 >= y1) return SDL_Rect{0, 0, 0, 0};
  return SDL_Rect{x0, y0, x1 - x0, y1 - y0};
}

void RasterCircle(SDL_Renderer* renderer, int width, int height, float x, float y, float r,
                  Colour fill, Colour outline) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r) || r < 0) return;
  const double cx = x;
  const double cy = y;
  const double reach = static_cast<double>(r) + 0.5;  // pixels
  // Columns [left, right) of the disc in row py, clamped to one column
  // beyond the image on either side so that neighbour tests still see
  // whether the disc goes on there.
  auto row_span = [&](int py) -> std::pair<int, int> {
    const double dy = py - cy;
    const double half2 = reach * reach - dy * dy;
    if (half2 <= 0) return {0, 0};
    const double half = std::sqrt(half2);
    const double limit = static_cast<double>(width) + 1;
    const double left = std::clamp(std::floor(cx - half) + 1, -1.0, limit);
    const double right = std::clamp(std::ceil(cx + half), -1.0, limit);
    return {static_cast<int>(left), static_cast<int>(right)};
  };
  const double top = std::max(std::floor(cy - reach), 0.0);
  const double bottom = std::min(std::ceil(cy + reach), height - 1.0);
  if (top > bottom) return;
  std::vector<SDL_Rect> inner;
  std::vector<SDL_Rect> ring;
  auto add = [width](std::vector<SDL_Rect>& to, int py, int from, int until) {
    from = std::max(from, 0);
    until = std::min(until, width);
    if (from < until) to.push_back(SDL_Rect{from, py, until - from, 1});
  };
  const int first = static_cast<int>(top);
  const int last = static_cast<int>(bottom);
  std::pair<int, int> above = row_span(first - 1);
  std::pair<int, int> here = row_span(first);
  for (int py = first; py <= last; ++py) {
    const std::pair<int, int> below = row_span(py + 1);
    const auto [left, right] = here;
    if (left < right) {
      // Interior: both horizontal and both vertical neighbours in the disc.
      const int in_left = std::max({left + 1, above.first, below.first});
      const int in_right = std::min({right - 1, above.second, below.second});
      if (in_left < in_right) {
        add(inner, py, in_left, in_right);
        add(ring, py, left, in_left);
        add(ring, py, in_right, right);
      } else {
        add(ring, py, left, right);
      }
    }
    above = here;
    here = below;
  }
  if (!inner.empty()) {
    SetDrawColour(renderer, fill);
    SDL_RenderFillRects(renderer, inner.data(), static_cast<int>(inner.size()));
  }
  if (!ring.empty()) {
    SetDrawColour(renderer, outline);
    SDL_RenderFillRects(renderer, ring.data(), static_cast<int>(ring.size()));
  }
}

}  // namespace quorvel
