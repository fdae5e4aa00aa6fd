#include "platform/sdl/client_window.h"

#include "platform/sdl/x_window_watch.h"

namespace quorvel {

std::unique_ptr<ClientWindow> ClientWindow::Create(const char* title, int x, int y, int width,
                                                   int height, Uint32 flags, std::string& error) {
  SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    error = std::string("Quorvel: cannot create a window (") + SDL_GetError() + ")";
    return nullptr;
  }
  SDL_Surface* image =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  if (image == nullptr) {
    error = std::string("Quorvel: out of memory for a window image (") + SDL_GetError() + ")";
    SDL_DestroyWindow(window);
    return nullptr;
  }
  WatchXWindow(window);
  // A straight copy to the screen: alpha blending could alter colours.
  SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_NONE);
  return std::unique_ptr<ClientWindow>(new ClientWindow(window, image));
}

ClientWindow::ClientWindow(SDL_Window* window, SDL_Surface* image)
    : window_(window), image_(image), id_(SDL_GetWindowID(window)) {}

ClientWindow::~ClientWindow() {
  SDL_FreeSurface(image_);
  BeforeDestroyingXWindow(window_);
  SDL_DestroyWindow(window_);
}

bool ClientWindow::shown() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
}

bool ClientWindow::gone() const {
  return XWindowGone(window_);
}

void ClientWindow::Show() {
  SDL_ShowWindow(window_);
}

void ClientWindow::Hide() {
  if (!gone()) SDL_HideWindow(window_);
}

void ClientWindow::TakeFocus() {
  SDL_RaiseWindow(window_);
  SDL_SetWindowInputFocus(window_);
}

bool ClientWindow::Present() {
  if (!shown() || gone()) return true;
  // Fetched each time: SDL replaces the window surface after size changes.
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (screen == nullptr) return false;
  if (SDL_BlitSurface(image_, nullptr, screen, nullptr) != 0) return false;
  return SDL_UpdateWindowSurface(window_) == 0;
}

}  // namespace quorvel
