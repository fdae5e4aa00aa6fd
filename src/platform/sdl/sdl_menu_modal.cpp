// The modal show of the menu window Form2.

#include <string>

#include "platform/raster/window_painter.h"
#include "platform/sdl/event_wait.h"
#include "platform/sdl/key_codes.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/sdl/x_window_watch.h"

namespace quorvel {

namespace {

constexpr int64_t kMenuPeriodUs = int64_t{kMenuTimerPeriodMs} * 1000;

// Top-left corner, in screen pixels, that centres a w x h window over the
// game window's frame (title bar and borders included where there are any).
SDL_Point CentredOver(SDL_Window* owner, int w, int h) {
  int x = 0, y = 0, cw = 0, ch = 0;
  SDL_GetWindowPosition(owner, &x, &y);
  SDL_GetWindowSize(owner, &cw, &ch);
  int top = 0, left = 0, bottom = 0, right = 0;
  // Fails without a window manager; the frame is then the client area.
  if (SDL_GetWindowBordersSize(owner, &top, &left, &bottom, &right) != 0) {
    top = left = bottom = right = 0;
  }
  const int frame_x = x - left, frame_y = y - top;
  const int frame_w = cw + left + right, frame_h = ch + top + bottom;
  return {frame_x + (frame_w - w) / 2, frame_y + (frame_h - h) / 2};
}

}  // namespace

void SdlPlatform::ShowMenuModal(MenuWindow& menu) {
  Impl& s = *impl_;
  if (s.menu != nullptr) return;  // one menu window at a time
  const int w = kForm2.client_width / kTwipsPerPixel * s.scale;
  const int h = kForm2.client_height / kTwipsPerPixel * s.scale;
  const SDL_Point at = CentredOver(s.form1->window(), w, h);
  if (s.form2 == nullptr) {
    std::string error;
    // Titled with the game's name, as the game window is, in window lists.
    s.form2 = ClientWindow::Create(kForm1.caption, at.x, at.y, w, h,
                                   SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR, error);
    if (s.form2 != nullptr) SDL_SetWindowModalFor(s.form2->window(), s.form1->window());
  } else {
    // Showing a window that another program destroyed would wait forever
    // for it to appear.
    ProbeXWindow(s.form2->window());
    if (!s.form2->gone()) SDL_SetWindowPosition(s.form2->window(), at.x, at.y);
  }
  // Should SDL refuse the window, the menu still runs, unseen, on the game
  // window's keys, so the game is never stuck in a visit it cannot end.
  s.menu = &menu;
  menu.Form_Load();
  if (s.form2 != nullptr && !s.form2->gone() && !menu.Closed()) {
    s.form2->Show();
    s.form2->TakeFocus();
    s.RepaintMenu();
  }

  PeriodicSchedule timer(kMenuPeriodUs);
  timer.SetEnabled(true, MonotonicMicros());
  auto handle = [&s, &menu](const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN) {
      s.HandleWindowEvent(event);
      return;
    }
    // The game window is the dialog's owner and takes no input of its own
    // meanwhile; keys typed while it holds the focus belong to the menu.
    const bool ours = event.key.windowID == s.form1->id() ||
                      (s.form2 != nullptr && event.key.windowID == s.form2->id());
    const int vk = VkFromSdlKey(event.key.keysym.sym);
    if (!ours || vk == 0) return;
    menu.Form_KeyDown(static_cast<int16_t>(vk));
    if (!menu.Closed()) s.RepaintMenu();
  };

  // A window destroyed by another program ends the visit and the game.
  const auto visiting = [&s, &menu] { return !menu.Closed() && !s.windows_gone(); };
  SDL_Event event;
  while (visiting()) {
    while (visiting() && SDL_PollEvent(&event) == 1) handle(event);
    if (!visiting()) break;
    if (timer.Due(MonotonicMicros())) {
      timer.BeginRun();
      menu.Timer1_Timer();
      timer.EndRun(MonotonicMicros());
      if (!menu.Closed()) s.RepaintMenu();
      continue;
    }
    if (WaitEventUntil(event, timer.deadline())) handle(event);
  }

  if (s.form2 != nullptr) s.form2->Hide();
  s.menu = nullptr;
  if (s.form1->shown() && !s.form1->gone()) s.form1->TakeFocus();
  s.RepaintForm1();
}

}  // namespace quorvel
