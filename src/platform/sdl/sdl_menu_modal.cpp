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

}  // namespace

void SdlPlatform::ShowMenuModal(MenuWindow& menu) {
  Impl& s = *impl_;
  if (s.menu != nullptr) return;  // one menu window at a time
  if (s.form2 == nullptr) {
    std::string error;
    // Titled with the game's name, as the game window is, in window lists.
    s.form2 = ClientWindow::Create(kForm1.caption, 0, 0, kForm2.client_width / kTwipsPerPixel,
                                   kForm2.client_height / kTwipsPerPixel,
                                   SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR, error);
    if (s.form2 != nullptr) SDL_SetWindowModalFor(s.form2->window(), s.form1->window());
  } else {
    // Showing a window that another program destroyed would wait forever
    // for it to appear.
    ProbeXWindow(s.form2->window());
  }
  if (s.form2 != nullptr && !s.form2->gone()) s.PlaceMenu();
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
    s.ForgetKeyboard();
    if (s.HandleWindowKey(event.key)) return;
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
      s.ForgetKeyboard();
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
