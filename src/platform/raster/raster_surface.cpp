#include "platform/raster/raster_surface.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "platform/raster/raster_primitives.h"

namespace quorvel {

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

Colour RasterSurface::PixelAt(int x, int y) const {
  impl_->Flush();
  const PixelBuffer& p = impl_->pixels;
  if (x < 0 || y < 0 || x >= p.width || y >= p.height) return -1;
  return ColourOfPixel(p.pixels[static_cast<ptrdiff_t>(y) * p.pitch + x]);
}

}  // namespace quorvel
