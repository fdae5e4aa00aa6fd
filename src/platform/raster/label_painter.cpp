#include "platform/raster/label_painter.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>

namespace quorvel {

namespace {

// Windows draws a disabled label's text twice: in the highlight colour one
// pixel down and right, then in the shadow colour in place.
constexpr Rgb kDisabledHighlight{255, 255, 255};
constexpr Rgb kDisabledShadow{160, 160, 160};

Uint32 Map(SDL_Surface* out, Rgb c) {
  return SDL_MapRGB(out->format, c.r, c.g, c.b);
}

int FloorDiv2(int v) {
  return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

// The rendered text squeezed to `width` columns, fewer than it has: each
// new column averages the old columns it overlaps, weighted by the overlap,
// so every stroke keeps its share of ink and none is dropped. Nullptr if
// SDL runs out of memory.
SDL_Surface* Narrowed(SDL_Surface* glyphs, int width) {
  SDL_Surface* in = SDL_ConvertSurfaceFormat(glyphs, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_Surface* out =
      SDL_CreateRGBSurfaceWithFormat(0, width, glyphs->h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (in == nullptr || out == nullptr) {
    SDL_FreeSurface(in);
    SDL_FreeSurface(out);
    return nullptr;
  }
  const double step = static_cast<double>(in->w) / width;  // old columns per new one
  for (int y = 0; y < in->h; ++y) {
    const auto* from =
        reinterpret_cast<const Uint32*>(static_cast<Uint8*>(in->pixels) + y * in->pitch);
    auto* to = reinterpret_cast<Uint32*>(static_cast<Uint8*>(out->pixels) + y * out->pitch);
    for (int x = 0; x < width; ++x) {
      const double x0 = x * step;
      const double x1 = x0 + step;
      double a = 0, r = 0, g = 0, b = 0;  // alpha, and colour weighted by alpha
      for (int sx = static_cast<int>(x0); sx < in->w && sx < x1; ++sx) {
        const double cover = std::min<double>(x1, sx + 1) - std::max<double>(x0, sx);
        const Uint32 p = from[sx];
        const double pa = cover * (p >> 24);
        a += pa;
        r += pa * ((p >> 16) & 0xFF);
        g += pa * ((p >> 8) & 0xFF);
        b += pa * (p & 0xFF);
      }
      const auto channel = [a](double v) { return static_cast<Uint32>(std::nearbyint(v / a)); };
      to[x] = a <= 0 ? 0
                     : static_cast<Uint32>(std::nearbyint(a / step)) << 24 | channel(r) << 16 |
                           channel(g) << 8 | channel(b);
    }
  }
  SDL_FreeSurface(in);
  return out;
}

void DrawText(SDL_Surface* out, const SDL_Rect& box, const char* text, TTF_Font* font, Rgb colour,
              Align align, int shift) {
  SDL_Surface* glyphs =
      TTF_RenderUTF8_Blended(font, text, SDL_Color{colour.r, colour.g, colour.b, 255});
  if (glyphs == nullptr) return;
  // A caption wider than its label is narrowed to fit rather than cut.
  if (glyphs->w > box.w && box.w > 0) {
    SDL_Surface* narrow = Narrowed(glyphs, box.w);
    if (narrow != nullptr) {
      SDL_FreeSurface(glyphs);
      glyphs = narrow;
    }
  }
  int x = box.x;
  if (align == Align::Right) x = box.x + box.w - glyphs->w;
  if (align == Align::Centre) x = box.x + FloorDiv2(box.w - glyphs->w);
  SDL_Rect where{x + shift, box.y + shift, glyphs->w, glyphs->h};
  SDL_Rect old_clip;
  SDL_GetClipRect(out, &old_clip);
  SDL_SetClipRect(out, &box);
  SDL_SetSurfaceBlendMode(glyphs, SDL_BLENDMODE_BLEND);
  SDL_BlitSurface(glyphs, nullptr, out, &where);
  SDL_SetClipRect(out, &old_clip);
  SDL_FreeSurface(glyphs);
}

}  // namespace

int TwipsToPixels(double twips, int scale) {
  return static_cast<int>(std::floor(twips / kTwipsPerPixel)) * scale;
}

SDL_Rect LabelRect(const LabelLayout& label, int scale) {
  const int left = TwipsToPixels(label.left, scale);
  const int top = TwipsToPixels(label.top, scale);
  return SDL_Rect{left, top, TwipsToPixels(label.left + label.width, scale) - left,
                  TwipsToPixels(label.top + label.height, scale) - top};
}

void PaintLabel(SDL_Surface* out, const LabelLayout& label, const char* caption, FontCache& fonts,
                int scale, SDL_Point origin) {
  SDL_Rect box = LabelRect(label, scale);
  box.x -= origin.x;
  box.y -= origin.y;
  if (!label.transparent) SDL_FillRect(out, &box, Map(out, label.back));
  if (caption == nullptr || caption[0] == '\0') return;
  const float points = label.points > 0 ? label.points : kDefaultFontPoints;
  TTF_Font* font = fonts.At(PointsToPixels(points) * scale);
  if (font == nullptr) return;
  if (label.enabled) {
    DrawText(out, box, caption, font, label.fore, label.align, 0);
  } else {
    DrawText(out, box, caption, font, kDisabledHighlight, label.align, scale);
    DrawText(out, box, caption, font, kDisabledShadow, label.align, 0);
  }
}

void PaintShapeOutline(SDL_Surface* out, double left, double top, double width, double height,
                       int pen_pixels, Rgb colour, int scale) {
  const int x0 = TwipsToPixels(left, scale);
  const int y0 = TwipsToPixels(top, scale);
  const int x1 = TwipsToPixels(left + width, scale);
  const int y1 = TwipsToPixels(top + height, scale);
  const int pen = pen_pixels * scale;
  if (x1 <= x0 || y1 <= y0 || pen <= 0) return;
  const Uint32 c = Map(out, colour);
  const SDL_Rect sides[4] = {
      {x0, y0, x1 - x0, pen},        // top
      {x0, y1 - pen, x1 - x0, pen},  // bottom
      {x0, y0, pen, y1 - y0},        // left
      {x1 - pen, y0, pen, y1 - y0},  // right
  };
  SDL_FillRects(out, sides, 4, c);
}

}  // namespace quorvel
