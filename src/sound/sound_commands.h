// What the race asks of the sound, one call at a time: the engine's target
// for the tick that follows and the cues that start now. The synthesiser
// carries these out at its current sample; a real-time player hands them to
// its audio thread in the same order.
#pragma once

#include <cstdint>

namespace quorvel {

// The one-shot sounds. Each starts at the sample where it is asked for and
// ends by itself.
enum class Cue : uint8_t {
  kCountdownBeep,  // the countdown's whole second changed
  kStartBeep,      // the first race step: higher and longer
  kLapChime,       // Lap went up
  kLapBack,        // Lap went down: a lower falling pair
  kFinishFanfare,  // Lap reached 4
  kRecordPhrase,   // the finished race set a new record: follows the fanfare
  kFall,           // the crash's 19 fall frames (1,520 ms)
  kMenuClick,      // the menu's cursor or a pending choice moved
  kConfirm,        // "ゲームスタート" confirmed
};

// The engine as the tick leaves it.
struct EngineTarget {
  bool on = false;  // off: fades out in 20 ms; on again: fades in at the new pitch
  float speed = 0;  // world units per tick (Speed); pitch and loudness follow it
  int16_t car = 0;  // CarType: 0 beginner, 1 advanced (a little higher and rougher)
  friend bool operator==(const EngineTarget&, const EngineTarget&) = default;
};

class SoundCommands {
 public:
  virtual ~SoundCommands() = default;
  // The engine glides from where it is to `target` over the next tick
  // (3,840 samples), so that its pitch never steps.
  virtual void SetEngine(const EngineTarget& target) = 0;
  // Starts `cue` now.
  virtual void StartCue(Cue cue) = 0;
};

}  // namespace quorvel
