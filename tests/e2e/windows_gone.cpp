// Run by the end-to-end test on its X server: another program resizes the
// game's two windows (the game window's layers and the menu's one image)
// and destroys them before the game has heard of it, the game presents to
// them once more and then closes down as it does at its end. Every X error
// on the way comes inside a trap and is the windows being gone: the program
// must end with status 0 and say nothing, where Xlib's own handler would
// print "X Error ..." and exit with 1.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/raster/fonts.h"
#include "platform/sdl/presenter.h"
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
  auto game = Presenter::Create("gone", 0, 0, 339, 339, 0, error);
  auto menu = Presenter::Create("gone", 0, 0, 313, 162, 0, error);
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 337, 337, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* menu_image =
      SDL_CreateRGBSurfaceWithFormat(0, 313, 162, 32, SDL_PIXELFORMAT_ARGB8888);
  if (game == nullptr || menu == nullptr || picture == nullptr || menu_image == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 3;
  }
  const Form1Labels labels;
  auto present_both = [&] {
    game->ShowForm1(picture, labels, {}, fonts, 1);
    menu->ShowImage(menu_image);
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
  SDL_FreeSurface(menu_image);
  menu.reset();
  game.reset();
  session.reset();
  return 0;
}
