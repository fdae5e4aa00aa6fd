// The menu window Form2: its load, key-down and joystick timer handlers on a
// game, and the adapter through which the platform drives it modally.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "race/game.h"

namespace quorvel {

// Loads the menu: cursor and course mark on the stored course, car mark on
// the stored car, stick latches released.
void Form2_Load(Game& g);

// One key-down event (virtual-key code), auto-repeats included: Esc closes,
// arrows move the cursor, Enter sets EnterLatch and confirms; other keys are
// ignored.
void Form2_KeyDown(Game& g, int16_t keycode);

// The menu's 100 ms joystick poll: each stick direction moves the cursor
// once per push (X before Y), button 1 confirms on a new press through the
// shared JoyButtonLatch, button 2 closes at every poll it is held. A failed
// poll does nothing.
void Form2_Timer1_Timer(Game& g, const std::optional<JoyReading>& poll);

class Form2Window final : public MenuWindow {
 public:
  explicit Form2Window(Game& g) : g_(g) {}
  void Form_Load() override { Form2_Load(g_); }
  void Form_KeyDown(int16_t keycode) override { Form2_KeyDown(g_, keycode); }
  void Timer1_Timer(const std::optional<JoyReading>& joy) override { Form2_Timer1_Timer(g_, joy); }
  bool Closed() const override { return !g_.form2 || g_.form2->Closed; }
  MenuFrames Frames() const override;

 private:
  Game& g_;
};

}  // namespace quorvel
