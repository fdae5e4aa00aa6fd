// Run by the end-to-end test on its X server: another program resizes the
// game's two kinds of window (one shown through a renderer, one through its
// window surface) and destroys them before the game has heard of it, the
// game presents to them once more and then closes down as it does at its
// end. Every X error on the way is the windows being gone: the program must
// end with status 0 and say nothing, where Xlib's own handler would print
// "X Error ..." and exit with 1.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/raster/fonts.h"
#include "platform/sdl/client_window.h"
#include "platform/sdl/form1_presenter.h"
#include "platform/sdl/sdl_session.h"

using namespace quorvel;

namespace {

Window XIdOf(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  return SDL_GetWindowWMInfo(window, &info) == SDL_TRUE ? info.info.x11.window : 0;
}

}  // namespace

int main() {
  std::string error;
  auto session = SdlSession::Open(error);
  if (session == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 3;
  }
  FontCache fonts(FindGameFont(error));
  auto game = ClientWindow::Create("gone", 0, 0, 339, 339, 0, error, false);
  auto screen = game != nullptr ? Form1Presenter::Create(game->window(), error) : nullptr;
  auto menu = ClientWindow::Create("gone", 0, 0, 313, 162, 0, error);
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 337, 337, 32, SDL_PIXELFORMAT_ARGB8888);
  if (screen == nullptr || menu == nullptr || picture == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 3;
  }
  const Form1Labels labels;
  auto present_both = [&] {
    screen->Draw(picture, labels, fonts, 1);
    screen->Present();
    menu->Present();
  };
  game->Show();
  menu->Show();
  present_both();

  Display* other = XOpenDisplay(nullptr);
  if (other == nullptr) return 3;
  const Window ids[] = {XIdOf(game->window()), XIdOf(menu->window())};
  for (Window id : ids) XResizeWindow(other, id, 400, 400);
  XSync(other, False);
  SDL_Delay(100);
  // SDL hears of the new size, which makes it redo its drawing resources for
  // both windows at the next present; the windows die before that.
  SDL_PumpEvents();
  for (Window id : ids) XDestroyWindow(other, id);
  XSync(other, False);
  XCloseDisplay(other);
  present_both();

  SDL_FreeSurface(picture);
  screen.reset();
  menu.reset();
  game.reset();
  session.reset();
  return 0;
}
