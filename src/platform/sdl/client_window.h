// One top-level SDL window with a client-area image of its own: painting
// goes into the image, presenting copies it to the screen, so an uncovered
// window is repainted from the image without drawing anything again.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

namespace quorvel {

class ClientWindow {
 public:
  // A hidden window whose client area is `width` x `height` pixels at (x, y)
  // (SDL_WINDOWPOS_CENTERED allowed), with an ARGB8888 image of that size
  // unless `with_image` is false (a window shown through a renderer, which
  // must never touch the window surface). Nullptr with one line in `error`
  // when SDL cannot create it.
  static std::unique_ptr<ClientWindow> Create(const char* title, int x, int y, int width,
                                              int height, Uint32 flags, std::string& error,
                                              bool with_image = true);
  ~ClientWindow();
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;

  SDL_Window* window() const { return window_; }
  Uint32 id() const { return id_; }
  // What the client area shows; paint into it, then Present. In fullscreen
  // the image stays its own size and is shown in the middle of the screen.
  // Nullptr for a window without an image.
  SDL_Surface* image() const { return image_; }
  bool shown() const;
  // Destroyed behind SDL's back (by another program), as far as the X
  // server has told; never on other video drivers.
  bool gone() const;

  void Show();
  void Hide();
  // A new, unpainted image of another size; false (the old one kept) when
  // SDL is out of memory.
  bool ResizeImage(int width, int height);
  // Raises the window and gives it the keyboard. Without a window manager
  // nothing else moves the focus, not even closing the focused window.
  void TakeFocus();
  // Copies the image to the screen if the window has one and is shown and
  // not gone. False when SDL refuses; the next expose tries again.
  bool Present();

 private:
  ClientWindow(SDL_Window* window, SDL_Surface* image);
  static SDL_Surface* NewImage(int width, int height);

  SDL_Window* window_;
  SDL_Surface* image_;
  Uint32 id_;
};

// Top-left corner, in screen pixels, that centres a w x h window over the
// window `owner`'s frame (title bar and borders included where there are
// any).
SDL_Point CentredOver(SDL_Window* owner, int w, int h);

}  // namespace quorvel
