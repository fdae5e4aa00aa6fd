// Shows the game window's client area through an SDL renderer, as the
// layers of window_painter.h: the 337 x 337 picture as a texture enlarged by
// the renderer with nearest sampling (on the GPU where SDL's renderer has
// one), the see-through labels' boxes, and the overlay of background and
// opaque labels, which is repainted only when a text or the scale changes.
// What it shows is pixel for pixel what PaintForm1 paints.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/raster/fonts.h"

namespace quorvel {

class Form1Presenter {
 public:
  // A renderer for `window`, waiting for the display's refresh where it can:
  // SDL's first choice (SDL_RENDER_DRIVER chooses another), else its
  // software renderer. Nullptr with one line in `error` when SDL has none.
  static std::unique_ptr<Form1Presenter> Create(SDL_Window* window, std::string& error);
  ~Form1Presenter();
  Form1Presenter(const Form1Presenter&) = delete;
  Form1Presenter& operator=(const Form1Presenter&) = delete;

  // SDL's name for the renderer ("opengl", "software", ...).
  const char* renderer_name() const;
  // Whether a present waits for the display's refresh (at most one refresh
  // period).
  bool vsync() const { return vsync_; }

  // Draws the client area at `scale` (screen pixels per 96-dpi pixel) in the
  // middle of the window's output, black around it, ready to present. False
  // when SDL refuses.
  bool Draw(SDL_Surface* picture, const Form1Labels& labels, FontCache& fonts, int scale);
  void Present();
  // What the last Draw drew, the whole output (RGB24), for tests; before
  // Present, since a present may leave the back buffer undefined.
  SDL_Surface* ReadPixels() const;

 private:
  explicit Form1Presenter(SDL_Renderer* renderer);
  bool Ready(SDL_Texture*& texture, int w, int h);

  SDL_Renderer* renderer_;
  bool vsync_ = false;
  SDL_Texture* picture_ = nullptr;
  SDL_Texture* overlay_ = nullptr;
  SDL_Texture* see_through_ = nullptr;  // the see-through labels' boxes, side by side
  SDL_Surface* box_ = nullptr;          // one box, painted on the CPU
  SDL_Surface* overlay_image_ = nullptr;
  // What the overlay shows now; repainted when either changes.
  Form1Labels overlay_labels_;
  int overlay_scale_ = 0;
};

}  // namespace quorvel
