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

struct Op {
  enum Kind : uint8_t { kRect, kCircle, kPolygon, kClear } kind;
  Colour a;  // rect and clear colour, circle and polygon fill
  Colour b;  // circle outline, polygon pen
  PixelRect rect;
  float x, y, r;
  PolyPoint points[3];
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

  std::vector<Op> pending;
  // Rows [cover_top, cover_bottom) are covered by full-width rectangles
  // recorded from pending[cover_start] on (when cover_start >= 0).
  long cover_start = -1;
  int cover_top = 0;
  int cover_bottom = 0;

  void Record(const Op& op) {
    if (pending.size() >= kMaxPending) Flush();
    pending.push_back(op);
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
    for (const Op& op : pending) {
      switch (op.kind) {
        case Op::kRect:
          FillPixels(pixels, op.rect, PixelValue(op.a));
          break;
        case Op::kCircle:
          RasterCircle(pixels, op.x, op.y, op.r, op.a, op.b);
          break;
        case Op::kPolygon:
          RasterPolygon(pixels, op.points, op.a, op.b);
          break;
        case Op::kClear:
          FillPixels(pixels, PixelRect{0, 0, pixels.width, pixels.height}, PixelValue(op.a));
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

void RasterSurface::FillRect(float x, float y, float w, float h, Colour colour) {
  const PixelRect rect = RectPixels(x, y, w, h, impl_->image->w, impl_->image->h);
  if (rect.w <= 0 || rect.h <= 0) return;
  Op op{};
  op.kind = Op::kRect;
  op.a = colour;
  op.rect = rect;
  impl_->Record(op);
  if (rect.x == 0 && rect.w == impl_->image->w) {
    impl_->NoteFullWidthRect(rect, impl_->pending.size() - 1);
  }
}

void RasterSurface::SetFillColor(Colour colour) {
  impl_->fill = colour;
}

void RasterSurface::SetPenColor(Colour colour) {
  impl_->pen = colour;
}

void RasterSurface::Circle(float x, float y, float r, Colour outline) {
  Op op{};
  op.kind = Op::kCircle;
  op.a = impl_->fill;
  op.b = outline;
  op.x = x;
  op.y = y;
  op.r = r;
  impl_->Record(op);
}

void RasterSurface::Polygon(const PolyPoint points[3]) {
  // Most pieces of a frame's road lie wholly off the image: not even recorded.
  if (MissesImage(impl_->pixels, points, 3)) return;
  Op op{};
  op.kind = Op::kPolygon;
  op.a = impl_->fill;
  op.b = impl_->pen;
  std::copy(points, points + 3, op.points);
  impl_->Record(op);
}

void RasterSurface::SetBackColor(Colour colour) {
  impl_->pending.clear();
  impl_->cover_start = -1;
  Op op{};
  op.kind = Op::kClear;
  op.a = colour;
  impl_->Record(op);
}

void RasterSurface::Refresh() {
  if (impl_->hook) impl_->hook();
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
