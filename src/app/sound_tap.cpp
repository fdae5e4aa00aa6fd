#include "app/sound_tap.h"

#include <utility>

namespace quorvel {

SoundTap::SoundTap(const Game& game, SoundCommands& out, std::function<void(int64_t)> advance)
    : game_(game), sounds_(out), advance_(std::move(advance)) {}

void SoundTap::Before(const InputEvent& e, bool /*menu_open*/) {
  sounds_.BeforeEvent(game_, e);
  // The close ends the program with no After of its own: its silence
  // starts now.
  if (e.kind == InputEvent::kClose) Advance(sounds_.AfterEvent(game_));
}

void SoundTap::Sleeping(int ms) {
  Advance(sounds_.OnSleep(ms, game_));
}

void SoundTap::After() {
  Advance(sounds_.AfterEvent(game_));
}

void SoundTap::AfterTick() {
  if (loaded_) return;
  loaded_ = true;
  Advance(sounds_.OnLoad(game_));
}

}  // namespace quorvel
