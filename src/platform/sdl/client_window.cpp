#include "platform/sdl/client_window.h"

#include "platform/sdl/x11_queries.h"

namespace quorvel {

std::unique_ptr<ClientWindow> ClientWindow::Create(const char* title, int x, int y, int width,
                                                   int height, Uint32 flags, std::string& error,
                                                   bool with_image) {
  SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    error = std::string("quorvel: cannot create a window (") + SDL_GetError() + ")";
    return nullptr;
  }
  SDL_Surface* image = with_image ? NewImage(width, height) : nullptr;
  if (with_image && image == nullptr) {
    error = std::string("quorvel: out of memory for a window image (") + SDL_GetError() + ")";
    SDL_DestroyWindow(window);
    return nullptr;
  }
  WatchXWindow(window);
  return std::unique_ptr<ClientWindow>(new ClientWindow(window, image));
}

SDL_Surface* ClientWindow::NewImage(int width, int height) {
  SDL_Surface* image =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  // A straight copy to the screen: alpha blending could alter colours.
  if (image != nullptr) SDL_SetSurfaceBlendMode(image, SDL_BLENDMODE_NONE);
  return image;
}

bool ClientWindow::ResizeImage(int width, int height) {
  if (image_ == nullptr) return true;
  if (image_->w == width && image_->h == height) return true;
  SDL_Surface* image = NewImage(width, height);
  if (image == nullptr) return false;
  SDL_FreeSurface(image_);
  image_ = image;
  return true;
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
  if (image_ == nullptr || !shown() || gone()) return true;
  // Fetched each time: SDL replaces the window surface after size changes.
  SDL_Surface* screen = SDL_GetWindowSurface(window_);
  if (screen == nullptr) return false;
  // A fullscreen window is larger than its image: the image in the middle,
  // black around it.
  SDL_Rect at{(screen->w - image_->w) / 2, (screen->h - image_->h) / 2, image_->w, image_->h};
  if (screen->w != image_->w || screen->h != image_->h) {
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  }
  if (SDL_BlitSurface(image_, nullptr, screen, &at) != 0) return false;
  return SDL_UpdateWindowSurface(window_) == 0;
}

SDL_Point CentredOver(SDL_Window* owner, int w, int h) {
  int x = 0, y = 0, cw = 0, ch = 0;
  SDL_GetWindowPosition(owner, &x, &y);
  SDL_GetWindowSize(owner, &cw, &ch);
  int top = 0, left = 0, bottom = 0, right = 0;
  // Fails without a window manager, and for a fullscreen window has nothing
  // to report; the frame is then the client area.
  if (SDL_GetWindowBordersSize(owner, &top, &left, &bottom, &right) != 0) {
    top = left = bottom = right = 0;
  }
  const int frame_x = x - left, frame_y = y - top;
  const int frame_w = cw + left + right, frame_h = ch + top + bottom;
  return {frame_x + (frame_w - w) / 2, frame_y + (frame_h - h) / 2};
}

}  // namespace quorvel
