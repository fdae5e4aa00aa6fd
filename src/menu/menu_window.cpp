#include "menu/menu_window.h"

#include "menu/menu_actions.h"
#include "menu/menu_navigation.h"

namespace quorvel {

namespace {

bool Open(const Game& g) {
  return g.form2 && !g.form2->Closed;
}
}  // namespace

void Form2_Load(Game& g) {
  MenuState m;
  m.CurrentItem = g.s.CourseChoice;
  m.PendingCourse = g.s.CourseChoice;
  m.PendingCar = g.s.CarChoice;
  m.JoyUpLatch = m.JoyDownLatch = m.JoyLeftLatch = m.JoyRightLatch = false;
  ShowMenuState(m);
  g.form2 = m;
}

void Form2_KeyDown(Game& g, int16_t keycode) {
  if (!Open(g)) return;
  MenuState& m = *g.form2;
  switch (keycode) {
    case kVkEscape:
      CloseMenu(g);
      break;
    case kVkDown:
      CursorDown(m);
      break;
    case kVkUp:
      CursorUp(m);
      break;
    case kVkLeft:
      CursorLeft(m);
      break;
    case kVkRight:
      CursorRight(m);
      break;
    case kVkReturn:
      g.s.EnterLatch = true;
      ConfirmChoice(g);
      break;
    default:
      break;
  }
}

void Form2_Timer1_Timer(Game& g, const std::optional<JoyReading>& poll) {
  if (!Open(g) || !poll) return;
  const JoyReading& joy = *poll;
  MenuState& m = *g.form2;

  if (joy.dwXpos >= kStickNeutral) {
    m.JoyLeftLatch = false;
  } else if (!m.JoyLeftLatch) {
    CursorLeft(m);
    m.JoyLeftLatch = true;
  }
  if (joy.dwXpos <= kStickNeutral) {
    m.JoyRightLatch = false;
  } else if (!m.JoyRightLatch) {
    CursorRight(m);
    m.JoyRightLatch = true;
  }
  if (joy.dwYpos >= kStickNeutral) {
    m.JoyUpLatch = false;
  } else if (!m.JoyUpLatch) {
    CursorUp(m);
    m.JoyUpLatch = true;
  }
  if (joy.dwYpos <= kStickNeutral) {
    m.JoyDownLatch = false;
  } else if (!m.JoyDownLatch) {
    CursorDown(m);
    m.JoyDownLatch = true;
  }

  if ((joy.dwButtons & kJoyButton1) == 0) {
    g.s.JoyButtonLatch = false;
  } else if (!g.s.JoyButtonLatch) {
    ConfirmChoice(g);
    g.s.JoyButtonLatch = true;
  }
  if ((joy.dwButtons & kJoyButton2) != 0) CloseMenu(g);
}

MenuFrames Form2Window::Frames() const {
  MenuFrames f;
  if (!g_.form2) return f;
  const MenuState& m = *g_.form2;
  f.CursorLeft = m.Shape4Left;
  f.CursorTop = m.Shape4Top;
  f.CourseMarkLeft = m.Shape2Left;
  f.CourseMarkTop = m.Shape2Top;
  f.CarMarkLeft = m.Shape3Left;
  f.CarMarkTop = m.Shape3Top;
  return f;
}

}  // namespace quorvel
