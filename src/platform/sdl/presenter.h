// One top-level window of the game's, shown through an SDL renderer: the
// game window as the layers of window_painter.h (the 337 x 337 picture as a
// texture enlarged by the renderer with nearest sampling, the see-through
// labels' boxes, and the overlay of background and opaque labels, repainted
// only when a text or the scale changes), or the menu window as one image.
// Every layer is copied as it is, with no blending, so that what it shows is
// pixel for pixel what PaintForm1 and PaintForm2 paint.
//
// Every call that may fail because another program destroyed the window runs
// in an X error trap; after one that did, the window counts as gone.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/raster/fonts.h"
#include "platform/sdl/x11_queries.h"

namespace quorvel {

class Presenter {
 public:
  // A hidden window titled `title` whose client area is `width` x `height`
  // pixels at (x, y) (SDL_WINDOWPOS_CENTERED allowed), with a renderer that
  // waits for the display's refresh where it can: SDL's first choice where
  // the machine has a GPU (SDL_RENDER_DRIVER chooses another), else SDL's
  // software renderer. Nullptr with one line in `error` when SDL has none.
  static std::unique_ptr<Presenter> Create(const char* title, int x, int y, int width, int height,
                                           Uint32 flags, std::string& error);
  ~Presenter();
  Presenter(const Presenter&) = delete;
  Presenter& operator=(const Presenter&) = delete;

  SDL_Window* window() const { return window_; }
  Uint32 id() const { return id_; }
  // Whether a present waits for the display's refresh (at most one refresh
  // period).
  bool vsync() const { return vsync_; }
  bool shown() const;
  // Destroyed behind SDL's back (by another program), as far as a trapped
  // call or Probe has found; never on other video drivers.
  bool gone() const { return gone_; }
  // Asks the X server whether the window still exists (one round trip). SDL
  // reports a window destroyed by another program only as hidden.
  void Probe();

  void Show();
  void Hide();
  // Raises the window and gives it the keyboard. Without a window manager
  // nothing else moves the focus, not even closing the focused window.
  void TakeFocus();
  void SetTitle(const std::string& title);
  // Runs `call`, which works on this window, in an X error trap.
  template <typename Call>
  void Trapped(Call&& call) {
    XErrorTrap trap(window_);
    call();
    if (trap.Caught() && !gone_) gone_ = !XWindowExists(window_);
  }

  // The game window's client area at `scale` (screen pixels per 96-dpi
  // pixel) in the middle of the window's output, black around it, shown at
  // once. False when SDL refuses.
  bool ShowForm1(SDL_Surface* picture, const Form1Labels& labels, const Form1Notes& notes,
                 FontCache& fonts, int scale);
  // `image` (the client area at its scale) in the middle of the output,
  // black around it, shown at once.
  bool ShowImage(SDL_Surface* image);

 private:
  Presenter(SDL_Window* window, SDL_Renderer* renderer);
  bool Ready(SDL_Texture*& texture, int w, int h);
  bool DrawForm1(SDL_Surface* picture, const Form1Labels& labels, const Form1Notes& notes,
                 FontCache& fonts, int scale);
  bool Upload(SDL_Texture*& texture, SDL_Surface* image);
  void FollowWindowSize();

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  Uint32 id_;
  bool vsync_ = false;
  bool gone_ = false;
  SDL_Texture* picture_ = nullptr;
  SDL_Texture* overlay_ = nullptr;
  SDL_Texture* see_through_ = nullptr;  // the see-through labels' boxes, side by side
  SDL_Surface* box_ = nullptr;          // one box, painted on the CPU
  SDL_Surface* overlay_image_ = nullptr;
  // What the overlay shows now; repainted when either changes.
  Form1Labels overlay_labels_;
  Form1Notes overlay_notes_;
  int overlay_scale_ = 0;
};

// Top-left corner, in screen pixels, that centres a w x h window over the
// window `owner`'s frame (title bar and borders included where there are
// any).
SDL_Point CentredOver(SDL_Window* owner, int w, int h);

}  // namespace quorvel
