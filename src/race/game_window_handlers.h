// The game window Form1's event handlers bound to one game and one platform,
// for the platform's run loop to call.
#pragma once

#include "platform/platform.h"
#include "race/between_ticks.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"

namespace quorvel {

class Form1Handlers final : public GameWindowHandlers {
 public:
  Form1Handlers(Game& game, Platform& platform) : game_(game), platform_(platform) {}
  void Form_Load() override { Form1_Load(game_, platform_); }
  void Timer1_Timer(const InputEvent& tick) override {
    quorvel::Timer1_Timer(game_, platform_, tick);
  }
  void Form_PaintBetweenTicks(double alpha, const InputEvent& held, Surface& picture) override {
    DrawBetweenTicks(game_, picture, held, alpha);
  }
  // The game window has been unloaded: the program ends.
  bool Unloaded() const { return game_.form1.Unloaded; }

 private:
  Game& game_;
  Platform& platform_;
};

}  // namespace quorvel
