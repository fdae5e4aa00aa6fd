#include "race/frame_tick.h"

#include "menu/menu_window.h"
#include "race/race_constants.h"
#include "race/race_step.h"
#include "render/draw_scene.h"

namespace quorvel {

namespace {

void MenuVisit(Game& g, Platform& platform) {
  g.form1.Timer1Enabled = false;
  platform.SetTimer1Enabled(false);
  Form2Window menu(g);
  platform.ShowMenuModal(menu);
  g.form2.reset();
  g.form1.Timer1Enabled = true;
  platform.SetTimer1Enabled(true);
  // A start from the menu hides the goal banner; show that at once.
  platform.SetLabels(g.form1.labels);
  if (g.s.QuitRequested) {
    g.form1.Unloaded = true;
    platform.UnloadGameWindow();
  }
}
}  // namespace

DirectionFlags DirectionsOf(const InputEvent& tick) {
  DirectionFlags f;
  if ((tick.keys & kTickLeft) != 0) {
    f.left = true;
  } else if ((tick.keys & kTickRight) != 0) {
    f.right = true;
  }
  if ((tick.keys & kTickDown) != 0) {
    f.down = true;
  } else if ((tick.keys & kTickUp) != 0) {
    f.up = true;
  }
  if (tick.joy) {
    const JoyReading& joy = *tick.joy;
    if (joy.dwXpos < kStickNeutral) {
      f.left = true;
    } else if (joy.dwXpos > kStickNeutral) {
      f.right = true;
    }
    if (joy.dwYpos < kStickNeutral) {
      f.up = true;
    } else if (joy.dwYpos > kStickNeutral) {
      f.down = true;
    }
  }
  return f;
}

TickInput PollTickInput(RaceState& s, const InputEvent& tick) {
  TickInput in;
  in.flags = DirectionsOf(tick);
  if ((tick.keys & kTickEnter) != 0) {
    if (!s.EnterLatch) {
      s.EnterLatch = true;
      in.MenuRequest = true;
    }
  } else {
    s.EnterLatch = false;
  }

  if (tick.joy) {
    if ((tick.joy->dwButtons & kJoyButton1) != 0) {
      if (!s.JoyButtonLatch) {
        s.JoyButtonLatch = true;
        in.MenuRequest = true;
      }
    } else {
      s.JoyButtonLatch = false;
    }
  }
  return in;
}

void Timer1_Timer(Game& g, Platform& platform, const InputEvent& tick) {
  if (g.form1.Unloaded) return;
  // The pictures between ticks that follow start afresh from this tick's pose.
  g.form1.between = {};
  RaceState& s = g.s;
  const TickInput in = PollTickInput(s, tick);

  if (in.MenuRequest) {
    MenuVisit(g, platform);
    return;
  }
  if (s.Lap == kFinishedLap) return;

  s.Ticks += 1;
  if (s.Ticks < -1) {
    DrawScene(s, g.form1.labels, platform, kEyeHeight);
    return;
  }
  RaceStep(s, g.form1.labels, platform, in.flags);
  DrawScene(s, g.form1.labels, platform, kEyeHeight);
}

}  // namespace quorvel
