#include "platform/raster/window_painter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/raster/label_painter.h"
#include "ui/layout.h"

namespace quorvel {

namespace {

void FillBackground(SDL_Surface* out, Rgb c) {
  SDL_FillRect(out, nullptr, SDL_MapRGB(out->format, c.r, c.g, c.b));
}

const std::string* Form1Caption(const LabelLayout* label, const Form1Labels& labels) {
  if (label == &kForm1Label1) return &labels.Label1;
  if (label == &kForm1Label2) return &labels.Label2;
  if (label == &kForm1Label3) return labels.Label3Visible ? &labels.Label3 : nullptr;
  if (label == &kForm1Label4) return &labels.Label4;
  return nullptr;
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

void PaintForm1(SDL_Surface* out, SDL_Surface* picture, const Form1Labels& labels, FontCache& fonts,
                int scale) {
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
    if (label == &kForm1Label3 && !labels.Label3Visible) continue;
    const std::string* caption = Form1Caption(label, labels);
    PaintLabel(out, *label, caption != nullptr ? caption->c_str() : "", fonts, scale);
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
  const std::string* caption = Form1Caption(&label, labels);
  PaintLabel(out, label, caption != nullptr ? caption->c_str() : "", fonts, scale,
             SDL_Point{box.x, box.y});
}

void PaintForm1Overlay(SDL_Surface* out, const Form1Labels& labels, FontCache& fonts, int scale) {
  if (out == nullptr) return;
  scale = std::max(scale, 1);
  // Only the overlay's rectangles are ever shown: the background shows in
  // the strips, and each opaque label covers its own box.
  FillBackground(out, kForm1.background);
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
    if (label == &kForm1Label3 && !labels.Label3Visible) continue;
    if (label->transparent) continue;
    const std::string* caption = Form1Caption(label, labels);
    PaintLabel(out, *label, caption != nullptr ? caption->c_str() : "", fonts, scale);
  }
}

std::vector<SDL_Rect> Form1OverlayRects(int picture_w, int picture_h, const Form1Labels& labels,
                                        int scale) {
  scale = std::max(scale, 1);
  const int cw = kForm1.client_width / kTwipsPerPixel * scale;
  const int ch = kForm1.client_height / kTwipsPerPixel * scale;
  const int pw = picture_w * scale, ph = picture_h * scale;
  std::vector<SDL_Rect> rects;
  if (cw > pw) rects.push_back({pw, 0, cw - pw, ch});
  if (ch > ph) rects.push_back({0, ph, std::min(pw, cw), ch - ph});
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
    if (label->transparent || (label == &kForm1Label3 && !labels.Label3Visible)) continue;
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
