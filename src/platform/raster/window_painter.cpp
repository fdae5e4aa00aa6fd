#include "platform/raster/window_painter.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "ui/layout.h"

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

namespace {

void FillBackground(SDL_Surface* out, Rgb c) {
  SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, c.r, c.g, c.b));
}

// The label's caption now; nullptr while it is hidden (the goal banner
// during the race, a note with nothing to say).
const std::string* Form1Caption(const LabelLayout* label, const Form1Labels& labels,
                                const Form1Notes& notes) {
  if (label == &kForm1Label1) return &labels.Label1;
  if (label == &kForm1Label2) return &labels.Label2;
  if (label == &kForm1Label3) return labels.Label3Visible ? &labels.Label3 : nullptr;
  if (label == &kForm1Label4) return &labels.Label4;
  const std::string* note = label == &kForm1RaceTime  ? &notes.RaceTime
                            : label == &kForm1BestLap ? &notes.BestLap
                            : label == &kForm1Gap     ? &notes.Gap
                                                      : nullptr;
  return note != nullptr && !note->empty() ? note : nullptr;
}

void PaintMenuShape(SDL_Surface* out, int number, const MenuFrames& frames, int scale) {
  switch (number) {
    case 1:
      PaintShapeOutline(out, kShape1.left, kShape1.top, kShape1.width, kShape1.height,
                        kShape1.pen_pixels, kShape1.colour, scale);
      break;
    case 2:
      PaintShapeOutline(out, frames.CourseMarkLeft, frames.CourseMarkTop, kShape2.width,
                        kShape2.height, kShape2.pen_pixels, kShape2.colour, scale);
      break;
    case 3:
      PaintShapeOutline(out, frames.CarMarkLeft, frames.CarMarkTop, kShape3.width, kShape3.height,
                        kShape3.pen_pixels, kShape3.colour, scale);
      break;
    case 4:
      PaintShapeOutline(out, frames.CursorLeft, frames.CursorTop, kShape4.width, kShape4.height,
                        kShape4.pen_pixels, kShape4.colour, scale);
      break;
    default:
      break;
  }
}

}  // namespace

void PaintForm1(SDL_Surface* out, SDL_Surface* picture, const Form1Labels& labels,
                const Form1Notes& notes, FontCache& fonts, int scale) {
  if (out == nullptr) return;
  scale = std::max(scale, 1);
  FillBackground(out, kForm1.background);
  if (picture != nullptr) {
    SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
    SDL_Rect where{0, 0, picture->w * scale, picture->h * scale};
    if (scale == 1) {
      SDL_BlitSurface(picture, nullptr, out, &where);
    } else {
      // SDL's scaled surface blit samples the nearest pixel: each picture
      // pixel becomes a scale x scale block.
      SDL_BlitScaled(picture, nullptr, out, &where);
    }
  }
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
    const std::string* caption = Form1Caption(label, labels, notes);
    if (caption != nullptr) PaintLabel(out, *label, caption->c_str(), fonts, scale);
  }
}

std::span<const LabelLayout* const> Form1SeeThroughLabels() {
  static const std::vector<const LabelLayout*> labels = [] {
    std::vector<const LabelLayout*> found;
    for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
      if (label->transparent) found.push_back(label);
    }
    return found;
  }();
  return labels;
}

void PaintSeeThroughLabel(SDL_Surface* out, const LabelLayout& label, SDL_Surface* picture,
                          const Form1Labels& labels, FontCache& fonts, int scale) {
  if (out == nullptr || picture == nullptr) return;
  scale = std::max(scale, 1);
  const SDL_Rect box = LabelRect(label, scale);
  SDL_Surface* argb = picture->format->format == SDL_PIXELFORMAT_ARGB8888
                          ? picture
                          : SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_ARGB8888, 0);
  if (argb == nullptr) return;
  const Uint32 background =
      SDL_MapRGB(out->format, kForm1.background.r, kForm1.background.g, kForm1.background.b);
  SDL_LockSurface(argb);
  SDL_LockSurface(out);
  // Window pixel (x, y) shows picture pixel (x / scale, y / scale), as the
  // enlarged picture does; past the picture, the window's background.
  for (int y = 0; y < out->h; ++y) {
    auto* to = reinterpret_cast<Uint32*>(static_cast<Uint8*>(out->pixels) + y * out->pitch);
    const int py = (box.y + y) / scale;
    const auto* from = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) +
                                                       std::min(py, argb->h - 1) * argb->pitch);
    for (int x = 0; x < out->w; ++x) {
      const int px = (box.x + x) / scale;
      to[x] = px < argb->w && py < argb->h && box.x + x >= 0 && box.y + y >= 0
                  ? from[px] | 0xFF000000u
                  : background;
    }
  }
  SDL_UnlockSurface(out);
  SDL_UnlockSurface(argb);
  if (argb != picture) SDL_FreeSurface(argb);
  const std::string* caption = Form1Caption(&label, labels, Form1Notes{});
  PaintLabel(out, label, caption != nullptr ? caption->c_str() : "", fonts, scale,
             SDL_Point{box.x, box.y});
}

void PaintForm1Overlay(SDL_Surface* out, const Form1Labels& labels, const Form1Notes& notes,
                       FontCache& fonts, int scale) {
  if (out == nullptr) return;
  scale = std::max(scale, 1);
  // Only the overlay's rectangles are ever shown: the background shows in
  // the strips, and each opaque label covers its own box.
  FillBackground(out, kForm1.background);
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
    const std::string* caption = Form1Caption(label, labels, notes);
    if (caption != nullptr && !label->transparent) {
      PaintLabel(out, *label, caption->c_str(), fonts, scale);
    }
  }
}

std::vector<SDL_Rect> Form1OverlayRects(int picture_w, int picture_h, const Form1Labels& labels,
                                        const Form1Notes& notes, int scale) {
  scale = std::max(scale, 1);
  const int cw = kForm1.client_width / kTwipsPerPixel * scale;
  const int ch = kForm1.client_height / kTwipsPerPixel * scale;
  const int pw = picture_w * scale, ph = picture_h * scale;
  std::vector<SDL_Rect> rects;
  if (cw > pw) rects.push_back({pw, 0, cw - pw, ch});
  if (ch > ph) rects.push_back({0, ph, std::min(pw, cw), ch - ph});
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
    if (label->transparent || Form1Caption(label, labels, notes) == nullptr) continue;
    rects.push_back(LabelRect(*label, scale));
  }
  return rects;
}

void PaintForm2(SDL_Surface* out, const MenuFrames& frames, FontCache& fonts, int scale) {
  if (out == nullptr) return;
  scale = std::max(scale, 1);
  FillBackground(out, kForm2.background);
  const auto items = MenuItems();
  const auto fixed = MenuFixedLabels();
  for (const MenuLayer& layer : MenuPaintOrder()) {
    switch (layer.kind) {
      case MenuLayer::kItem:
        if (layer.index >= 0 && static_cast<size_t>(layer.index) < items.size()) {
          const LabelLayout& item = items[layer.index];
          PaintLabel(out, item, item.caption, fonts, scale);
        }
        break;
      case MenuLayer::kFixedLabel:
        if (layer.index >= 0 && static_cast<size_t>(layer.index) < fixed.size()) {
          const LabelLayout& label = fixed[layer.index];
          PaintLabel(out, label, label.caption, fonts, scale);
        }
        break;
      case MenuLayer::kShape:
        PaintMenuShape(out, layer.index, frames, scale);
        break;
    }
  }
}

}  // namespace quorvel
