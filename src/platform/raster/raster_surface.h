// The drawing surface's persistent off-screen image, drawn with SDL's
// software renderer on an SDL_Surface. Both platform implementations draw
// through this one class, so a headless frame is pixel for pixel what the
// window shows.
#pragma once

#include <SDL.h>

#include <functional>

#include "platform/platform.h"

namespace quorvel {

class RasterSurface final : public Surface {
 public:
  // An image of width x height pixels (the surface's inner size), cleared to
  // black. Needs no video subsystem.
  RasterSurface(int width, int height);
  ~RasterSurface() override;
  RasterSurface(const RasterSurface&) = delete;
  RasterSurface& operator=(const RasterSurface&) = delete;

  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void FillRect(float x, float y, float w, float h, Colour colour) override;
  void SetFillColor(Colour colour) override;
  void SetPenColor(Colour colour) override;
  void Circle(float x, float y, float r, Colour outline) override;
  void Polygon(const PolyPoint points[3]) override;
  void SetBackColor(Colour colour) override;
  // Calls the refresh hook (the platform shows the image there).
  void Refresh() override;

  void SetRefreshHook(std::function<void()> hook);
  // The image, 32-bit ARGB8888, owned by this object.
  SDL_Surface* image() const;
  // Colour of one pixel as a Windows colour value (for tests).
  Colour PixelAt(int x, int y) const;

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace quorvel
