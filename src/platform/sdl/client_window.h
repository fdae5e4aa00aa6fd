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
  // (SDL_WINDOWPOS_CENTERED allowed), with an ARGB8888 image of that size.
  // Nullptr with one line in `error` when SDL cannot create it.
  static std::unique_ptr<ClientWindow> Create(const char* title, int x, int y, int width,
                                              int height, Uint32 flags, std::string& error);
  ~ClientWindow();
  ClientWindow(const ClientWindow&) = delete;
  ClientWindow& operator=(const ClientWindow&) = delete;

  SDL_Window* window() const { return window_; }
  Uint32 id() const { return id_; }
  // What the client area shows; paint into it, then Present.
  SDL_Surface* image() const { return image_; }
  bool shown() const;
  // Destroyed behind SDL's back (by another program), as far as the X
  // server has told; never on other video drivers.
  bool gone() const;

  void Show();
  void Hide();
  // Raises the window and gives it the keyboard. Without a window manager
  // nothing else moves the focus, not even closing the focused window.
  void TakeFocus();
  // Copies the image to the screen if the window is shown and not gone. False when SDL
  // refuses; the next expose tries again.
  bool Present();

 private:
  ClientWindow(SDL_Window* window, SDL_Surface* image);

  SDL_Window* window_;
  SDL_Surface* image_;
  Uint32 id_;
};

}  // namespace quorvel
