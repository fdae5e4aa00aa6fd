#include "platform/raster/raster_surface.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

namespace quorvel {

namespace {

// A value whole + rest / d with 0 <= rest < d, for a known d > 0.
struct Fraction {
  int64_t whole = 0;
  int64_t rest = 0;
};

// Divisions dominate the setup of a small triangle; most operands fit in 32
// bits, where dividing is several times faster.
Fraction FloorDiv(int64_t n, int64_t d) {
  int64_t q, r;
  if (n >= INT32_MIN && n <= INT32_MAX && d <= INT32_MAX) {
    q = static_cast<int32_t>(n) / static_cast<int32_t>(d);
    r = static_cast<int32_t>(n) % static_cast<int32_t>(d);
  } else {
    q = n / d;
    r = n % d;
  }
  if (r < 0) {
    r += d;
    --q;
  }
  return {q, r};
}

// n * t / d exactly, given step = n / d, for |n| < 2^32 and 0 <= t <= d <
// 2^32 (any difference of two int32 values fits): with n = q d + r and
// 0 <= r < d, n t / d is q t + r t / d, where r t < d * d fits in 64
// unsigned bits and |q t| stays below |n| + d.
Fraction ScaledRatio(const Fraction& step, int64_t t, int64_t d) {
  if (t == 0) return {};
  const uint64_t rt = static_cast<uint64_t>(step.rest) * static_cast<uint64_t>(t);
  const auto ud = static_cast<uint64_t>(d);
  if (rt <= UINT32_MAX) {
    const auto small = static_cast<uint32_t>(rt);
    const auto small_d = static_cast<uint32_t>(ud);  // d < 2^32 always
    return {step.whole * t + small / small_d, small % small_d};
  }
  return {step.whole * t + static_cast<int64_t>(rt / ud), static_cast<int64_t>(rt % ud)};
}

// n * t / d for t = t0, t0 + 1, ... (the conditions of ScaledRatio), kept
// exact by carrying the remainder: Bresenham's error term.
class RatioWalk {
 public:
  RatioWalk(int64_t n, int64_t d, int64_t t0)
      : step_(FloorDiv(n, d)), at_(ScaledRatio(step_, t0, d)), d_(d) {}

  void Next() {
    at_.whole += step_.whole;
    at_.rest += step_.rest;
    if (at_.rest >= d_) {
      at_.rest -= d_;
      ++at_.whole;
    }
  }
  int64_t Ceil() const { return at_.whole + (at_.rest > 0 ? 1 : 0); }

 private:
  Fraction step_;
  Fraction at_;
  int64_t d_;
};

uint32_t* Row(const PixelBuffer& image, int64_t y) {
  return image.pixels + static_cast<ptrdiff_t>(y) * image.pitch;
}

// A line walked along its longer axis u (u0 to u1), with the other axis v
// rounded to the nearest pixel; pixel (u, v) is pixels[u * u_stride + v *
// v_stride], and the image is u_size by v_size in these axes.
struct AxisView {
  uint32_t* pixels;
  int u_size;
  int v_size;
  ptrdiff_t u_stride;
  ptrdiff_t v_stride;
};

void WalkLine(const AxisView& view, int64_t u0, int64_t v0, int64_t u1, int64_t v1,
              uint32_t value) {
  if (u1 < u0) {
    std::swap(u0, u1);
    std::swap(v0, v1);
  }
  const int64_t from = std::max<int64_t>(u0, 0);
  const int64_t to = std::min<int64_t>(u1, view.u_size - 1);
  if (from > to) return;
  uint32_t* const pixels = view.pixels;
  const ptrdiff_t u_stride = view.u_stride;
  const ptrdiff_t v_stride = view.v_stride;
  const int64_t v_size = view.v_size;
  if (u1 == u0) {  // a single point
    if (v0 >= 0 && v0 < v_size) pixels[u0 * u_stride + v0 * v_stride] = value;
    return;
  }
  // Bresenham's walk: u advances one pixel a step, v by the slope's whole
  // part plus one whenever the remainder carries; the error is twice the
  // remainder less du, so a positive error means the pixel past v is nearer
  // (a tie, 0, keeps the smaller v).
  const int64_t du = u1 - u0;
  const Fraction step = FloorDiv(v1 - v0, du);
  const Fraction start = ScaledRatio(step, from - u0, du);
  int64_t v = v0 + start.whole;
  int64_t error = 2 * start.rest - du;
  const int64_t error_step = 2 * step.rest;
  bool entered = false;
  for (int64_t u = from; u <= to; ++u) {
    const int64_t at = error > 0 ? v + 1 : v;
    if (at >= 0 && at < v_size) {
      pixels[u * u_stride + at * v_stride] = value;
      entered = true;
    } else if (entered) {
      break;  // v only moves one way: once off the image, off for good
    }
    v += step.whole;
    error += error_step;
    if (error >= du) {
      error -= 2 * du;
      ++v;
    }
  }
}

}  // namespace

uint32_t PixelValue(Colour colour) {
  const auto v = static_cast<uint32_t>(colour);
  return 0xFF000000u | ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

// Rows are walked from the top corner down to the bottom one; a row's span
// runs from ceil of the left boundary's x to ceil of the right boundary's x,
// exclusive, which takes points on left edges and leaves those on right
// edges. The bottom corner's row is left out (a bottom edge or a lone
// corner), and a flat top row is kept (a top edge).
void FillTriangle(const PixelBuffer& image, const PolyPoint corners[3], uint32_t value) {
  if (MissesImage(image, corners, 3)) return;
  PolyPoint v0 = corners[0], v1 = corners[1], v2 = corners[2];
  if (v1.y < v0.y) std::swap(v0, v1);
  if (v2.y < v1.y) std::swap(v1, v2);
  if (v1.y < v0.y) std::swap(v0, v1);
  const int64_t first_row = std::max<int64_t>(v0.y, 0);
  const int64_t end_row = std::min<int64_t>(v2.y, image.height);
  if (first_row >= end_row) return;  // no rows, or a horizontal line
  // The long edge v0-v2 spans every row; the middle corner lies left or
  // right of it (or on it, with zero area).
  const int64_t long_dx = int64_t{v2.x} - v0.x;
  const int64_t long_dy = int64_t{v2.y} - v0.y;
  const Fraction long_at_mid =
      ScaledRatio(FloorDiv(long_dx, long_dy), int64_t{v1.y} - v0.y, long_dy);
  const int64_t mid_dx = int64_t{v1.x} - v0.x;
  if (mid_dx == long_at_mid.whole && long_at_mid.rest == 0) return;
  const bool mid_on_left = mid_dx <= long_at_mid.whole;
  RatioWalk long_edge(long_dx, long_dy, first_row - v0.y);
  const int64_t width = image.width;
  const ptrdiff_t pitch = image.pitch;
  auto rows = [&, row = Row(image, first_row)](int64_t from, int64_t to, PolyPoint top,
                                               PolyPoint bottom) mutable {
    if (from >= to) return;
    RatioWalk short_edge(int64_t{bottom.x} - top.x, int64_t{bottom.y} - top.y, from - top.y);
    for (int64_t y = from; y < to; ++y, row += pitch) {
      int64_t left = v0.x + long_edge.Ceil();
      int64_t right = top.x + short_edge.Ceil();
      long_edge.Next();
      short_edge.Next();
      if (mid_on_left) std::swap(left, right);
      left = std::max<int64_t>(left, 0);
      right = std::min<int64_t>(right, width);
      for (int64_t x = left; x < right; ++x) row[x] = value;
    }
  };
  rows(first_row, std::min<int64_t>(v1.y, end_row), v0, v1);
  rows(std::max<int64_t>(v1.y, first_row), end_row, v1, v2);
}

void DrawLine(const PixelBuffer& image, PolyPoint a, PolyPoint b, uint32_t value) {
  const PolyPoint ends[2] = {a, b};
  if (MissesImage(image, ends, 2)) return;
  const int64_t dx = int64_t{b.x} - a.x;
  const int64_t dy = int64_t{b.y} - a.y;
  if ((dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy)) {
    const AxisView columns{image.pixels, image.width, image.height, 1, image.pitch};
    WalkLine(columns, a.x, a.y, b.x, b.y, value);
  } else {
    const AxisView rows{image.pixels, image.height, image.width, image.pitch, 1};
    WalkLine(rows, a.y, a.x, b.y, b.x, value);
  }
}

void RasterPolygon(const PixelBuffer& image, const PolyPoint corners[3], Colour fill, Colour pen) {
  if (MissesImage(image, corners, 3)) return;
  FillTriangle(image, corners, PixelValue(fill));
  const uint32_t outline = PixelValue(pen);
  for (int i = 0; i < 3; ++i) DrawLine(image, corners[i], corners[(i + 1) % 3], outline);
}

PixelRect RectPixels(float x, float y, float w, float h, int width, int height) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) {
    return PixelRect{};
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
  if (x0 >= x1 || y0 >= y1) return PixelRect{};
  return PixelRect{x0, y0, x1 - x0, y1 - y0};
}

void FillPixels(const PixelBuffer& image, const PixelRect& rect, uint32_t value) {
  if (rect.x == 0 && rect.w == image.pitch) {  // whole rows: one run of memory
    std::fill_n(Row(image, rect.y), static_cast<ptrdiff_t>(rect.h) * rect.w, value);
    return;
  }
  for (int y = rect.y; y < rect.y + rect.h; ++y) {
    std::fill_n(Row(image, y) + rect.x, rect.w, value);
  }
}

namespace {

// A disc and its outline; `inside` nullptr leaves the interior as it is.
void PaintDisc(const PixelBuffer& image, float x, float y, float r, const uint32_t* inside,
               uint32_t ring) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r) || r < 0) return;
  const int width = image.width;
  const double cx = x;
  const double cy = y;
  const double reach = static_cast<double>(r) + 0.5;  // pixels
  // The disc's pixels lie strictly within `reach` of the centre.
  if (cx + reach <= 0 || cy + reach <= 0 || cx - reach >= width - 1 ||
      cy - reach >= image.height - 1) {
    return;
  }
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
  const int first = static_cast<int>(std::max(std::floor(cy - reach), 0.0));
  const int last = static_cast<int>(std::min(std::ceil(cy + reach), image.height - 1.0));
  auto paint = [&](int py, int from, int until, uint32_t value) {
    from = std::max(from, 0);
    until = std::min(until, width);
    if (from < until) std::fill(Row(image, py) + from, Row(image, py) + until, value);
  };
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
        if (inside != nullptr) paint(py, in_left, in_right, *inside);
        paint(py, left, in_left, ring);
        paint(py, in_right, right, ring);
      } else {
        paint(py, left, right, ring);
      }
    }
    above = here;
    here = below;
  }
}

}  // namespace

void RasterCircle(const PixelBuffer& image, float x, float y, float r, Colour fill,
                  Colour outline) {
  const uint32_t inside = PixelValue(fill);
  PaintDisc(image, x, y, r, &inside, PixelValue(outline));
}

void RasterRing(const PixelBuffer& image, float x, float y, float r, Colour outline) {
  PaintDisc(image, x, y, r, nullptr, PixelValue(outline));
}

namespace {

// Operations waiting to be rasterised; past this many they are rasterised at
// once, so memory stays bounded when nothing ever looks at the image.
constexpr size_t kMaxPending = 1 << 16;

// A drawing call with the fill and pen colours in force when it was made.
struct Pending {
  DrawOp op;
  Colour fill;
  Colour pen;
};

}  // namespace

// The drawing calls are recorded and rasterised into the image's own pixels,
// in order and each with the colours in force when it was made, when the
// image is looked at. Headless
// runs that never look draw at the cost of recording; a frame's worth of
// calls is dropped once later rectangles have covered the whole image.
struct RasterSurface::Impl {
  SDL_Surface* image = nullptr;
  PixelBuffer pixels;
  Colour fill = 0;
  Colour pen = 0;
  std::function<void()> hook;

  std::vector<Pending> pending;
  // Rows [cover_top, cover_bottom) are covered by full-width rectangles
  // recorded from pending[cover_start] on (when cover_start >= 0).
  long cover_start = -1;
  int cover_top = 0;
  int cover_bottom = 0;

  void Record(const DrawOp& op) {
    if (pending.size() >= kMaxPending) Flush();
    pending.push_back({op, fill, pen});
  }

  // Everything recorded before a run of full-width rectangles that together
  // cover every row can no longer be seen.
  void NoteFullWidthRect(const PixelRect& rect, size_t index) {
    const int top = rect.y;
    const int bottom = rect.y + rect.h;
    if (cover_start >= 0 && top <= cover_bottom && bottom >= cover_top) {
      cover_top = std::min(cover_top, top);
      cover_bottom = std::max(cover_bottom, bottom);
    } else {
      cover_start = static_cast<long>(index);
      cover_top = top;
      cover_bottom = bottom;
    }
    if (cover_top <= 0 && cover_bottom >= image->h) {
      pending.erase(pending.begin(), pending.begin() + cover_start);
      cover_start = -1;
    }
  }

  void Flush() {
    for (const auto& [op, op_fill, op_pen] : pending) {
      const auto& a = op.args;
      switch (op.kind) {
        case DrawOp::kRect:
          FillPixels(pixels, RectPixels(a[0], a[1], a[2], a[3], pixels.width, pixels.height),
                     PixelValue(op.colour));
          break;
        case DrawOp::kCircle:
          RasterCircle(pixels, a[0], a[1], a[2], op_fill, op.colour);
          break;
        case DrawOp::kRing:
          RasterRing(pixels, a[0], a[1], a[2], op.colour);
          break;
        case DrawOp::kPoly:
          RasterPolygon(pixels, op.points.data(), op_fill, op_pen);
          break;
        case DrawOp::kClear:
          FillPixels(pixels, PixelRect{0, 0, pixels.width, pixels.height}, PixelValue(op.colour));
          break;
        default:
          break;
      }
    }
    pending.clear();
    cover_start = -1;
  }
};

RasterSurface::RasterSurface(int width, int height) : impl_(new Impl) {
  SDL_Surface* image = SDL_CreateRGBSurfaceWithFormat(0, std::max(width, 1), std::max(height, 1),
                                                      32, SDL_PIXELFORMAT_ARGB8888);
  if (image == nullptr) {
    delete impl_;
    throw std::bad_alloc();
  }
  impl_->image = image;
  // A plain surface in memory: its pixels can be written without locking.
  impl_->pixels = PixelBuffer{static_cast<uint32_t*>(image->pixels), image->w, image->h,
                              image->pitch / static_cast<int>(sizeof(uint32_t))};
  // Every pixel is opaque; blitting the image copies it.
  SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_NONE);
  SetBackColor(0);
}

RasterSurface::~RasterSurface() {
  SDL_FreeSurface(impl_->image);
  delete impl_;
}

float RasterSurface::ScaleWidth() const {
  return static_cast<float>(impl_->image->w);
}

float RasterSurface::ScaleHeight() const {
  return static_cast<float>(impl_->image->h);
}

void RasterSurface::Draw(const DrawOp& op) {
  Impl& s = *impl_;
  switch (op.kind) {
    case DrawOp::kRect: {
      const auto& a = op.args;
      const PixelRect rect = RectPixels(a[0], a[1], a[2], a[3], s.image->w, s.image->h);
      if (rect.w <= 0 || rect.h <= 0) return;
      s.Record(op);
      if (rect.x == 0 && rect.w == s.image->w) s.NoteFullWidthRect(rect, s.pending.size() - 1);
      return;
    }
    case DrawOp::kFill:
      s.fill = op.colour;
      return;
    case DrawOp::kPen:
      s.pen = op.colour;
      return;
    case DrawOp::kPoly:
      // Most pieces of a frame's road lie wholly off the image: not even recorded.
      if (!MissesImage(s.pixels, op.points.data(), 3)) s.Record(op);
      return;
    case DrawOp::kCircle:
    case DrawOp::kRing:
      s.Record(op);
      return;
    case DrawOp::kClear:
      s.pending.clear();
      s.cover_start = -1;
      s.Record(op);
      return;
    case DrawOp::kRefresh:
      if (s.hook) s.hook();
      return;
  }
}

void RasterSurface::SetRefreshHook(std::function<void()> hook) {
  impl_->hook = std::move(hook);
}

SDL_Surface* RasterSurface::image() const {
  impl_->Flush();
  return impl_->image;
}

}  // namespace quorvel
