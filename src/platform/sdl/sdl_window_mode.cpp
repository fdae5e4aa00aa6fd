// The size of the picture: windowed scale steps, fullscreen, and the
// player's remembered choice.

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/sdl/display_scale.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/sdl/window_keys.h"
#include "platform/sdl/x_window_watch.h"

namespace quorvel {

namespace {

// Client areas in pixels at 96 dpi.
int Form1Width() {
  return kForm1.client_width / kTwipsPerPixel;
}
int Form1Height() {
  return kForm1.client_height / kTwipsPerPixel;
}
int Form2Width() {
  return kForm2.client_width / kTwipsPerPixel;
}
int Form2Height() {
  return kForm2.client_height / kTwipsPerPixel;
}

}  // namespace

int SdlPlatform::Impl::LargestWindowedScale() const {
  // The display's room less the task bars, less the window manager's title
  // bar and borders around the client area. An unknown room keeps the scale
  // the window has, rather than the largest of all.
  SDL_Window* window = form1->window();
  SDL_Rect usable{};
  const int display = std::max(SDL_GetWindowDisplayIndex(window), 0);
  if (SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = SDL_Rect{};
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) {
    top = left = bottom = right = 0;
  }
  return LargestScaleIn(std::max(auto_scale, chosen_scale.value_or(1)), Form1Width(), Form1Height(),
                        usable.w > 0 ? usable.w - left - right : 0,
                        usable.h > 0 ? usable.h - top - bottom : 0);
}

int SdlPlatform::Impl::WindowedScale() const {
  if (!chosen_scale) return auto_scale;
  return std::min(*chosen_scale, LargestWindowedScale());
}

void SdlPlatform::Impl::ApplyWindowMode() {
  SDL_Window* window = form1->window();
  const bool is_fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  if (fullscreen != is_fullscreen &&
      SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
    fullscreen = is_fullscreen;  // SDL refused; the window stays as it was
  }
  if (fullscreen) {
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &screen) != 0) {
      screen = SDL_Rect{};  // unknown: the scale stays
    }
    scale = LargestScaleIn(scale, Form1Width(), Form1Height(), screen.w, screen.h);
  } else {
    scale = WindowedScale();
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (w != Form1Width() * scale || h != Form1Height() * scale) {
      SDL_SetWindowSize(window, Form1Width() * scale, Form1Height() * scale);
      const int display = std::max(SDL_GetWindowDisplayIndex(window), 0);
      SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                            SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    }
  }
  form1->ResizeImage(Form1Width() * scale, Form1Height() * scale);
  RepaintForm1();
  if (menu != nullptr && form2 != nullptr && !form2->gone()) {
    PlaceMenu();
    form2->TakeFocus();
    RepaintMenu();
  }
}

void SdlPlatform::Impl::PlaceMenu() {
  const int w = Form2Width() * scale, h = Form2Height() * scale;
  int now_w = 0, now_h = 0;
  SDL_GetWindowSize(form2->window(), &now_w, &now_h);
  if (now_w != w || now_h != h) SDL_SetWindowSize(form2->window(), w, h);
  form2->ResizeImage(w, h);
  const SDL_Point at = CentredOver(form1->window(), w, h);
  SDL_SetWindowPosition(form2->window(), at.x, at.y);
}

bool SdlPlatform::Impl::HandleWindowKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode sym = key.keysym.sym;
  // The layout is asked only for Ctrl's keys: one round trip per such press.
  const char32_t typed = (key.keysym.mod & KMOD_CTRL) == 0
                             ? UnshiftedChar(sym)
                             : XTypedChar(form1->window(), sym, (key.keysym.mod & KMOD_SHIFT) != 0)
                                   .value_or(UnshiftedChar(sym));
  const WindowKey what = WindowKeyFor(sym, key.keysym.mod, typed, fullscreen, menu != nullptr);
  if (what == WindowKey::kNone) return false;
  if (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) return_taken = true;
  if (key.repeat != 0) return true;  // a held key acts once
  const int before = WindowedScale();
  switch (what) {
    case WindowKey::kToggleFullscreen:
      fullscreen = !fullscreen;
      break;
    case WindowKey::kLeaveFullscreen:
      fullscreen = false;
      break;
    case WindowKey::kScaleUp:
      if (!fullscreen) chosen_scale = std::min(before + 1, LargestWindowedScale());
      break;
    case WindowKey::kScaleDown:
      if (!fullscreen) chosen_scale = std::max(before - 1, 1);
      break;
    case WindowKey::kScaleAuto:
      if (!fullscreen) chosen_scale.reset();
      break;
    case WindowKey::kNone:
      break;
  }
  ApplyWindowMode();
  RememberChoice();
  return true;
}

void SdlPlatform::Impl::RememberChoice() {
  if (choice_changed) choice_changed(WindowChoice{chosen_scale, fullscreen});
}

}  // namespace quorvel
