// The race's sound as a tap: watches the game's input and the game on each
// event's way through, as RaceSounds wants to be told (race_sounds.h), and
// has it tell a SoundCommands what to play. It never changes the game. With
// a clock of its own (the headless driver) it is also handed the samples
// each thing takes, so that the sound lines up with the game's time.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "race/game.h"
#include "sound/race_sounds.h"
#include "sound/sound_commands.h"

namespace quorvel {

class SoundTap final : public InputTap {
 public:
  // `out` is told what to play and must outlive the tap. `advance`, when
  // set, takes the samples (48 kHz) that follow each call, in order; a
  // player with a real clock leaves it unset.
  SoundTap(const Game& game, SoundCommands& out, std::function<void(int64_t)> advance = nullptr);

  void Before(const InputEvent& e, bool menu_open) override;
  void Sleeping(int ms) override;
  void After() override;
  // The first one is the game window's load.
  void AfterTick() override;

  // The race that finished in the last tick set a new record.
  void NewRecord() { sounds_.SetNewRecord(); }

 private:
  void Advance(int64_t samples) const {
    if (advance_ && samples > 0) advance_(samples);
  }

  const Game& game_;
  RaceSounds sounds_;
  std::function<void(int64_t)> advance_;
  bool loaded_ = false;
};

}  // namespace quorvel
