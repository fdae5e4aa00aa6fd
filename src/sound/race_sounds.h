// What the race sounds like: watches the game from outside, before and after
// each thing it does, and tells the sound which cues start and what the
// engine does. It never changes the game. It also says how long each thing
// takes in samples at 48 kHz, as the game really takes it, so that a player
// without a clock (the headless driver) renders exactly that many samples
// after each call and puts every sound where the window would play it:
//   - the load: none;
//   - a tick of the game window: 3,840 (80 ms); a tick with a crash also
//     takes its sleeps (19 fall frames of 80 ms, the 1,600 ms black pause),
//     40 ticks in all;
//   - a tick that opens the menu: none until the menu closes; the event
//     that closes it then takes the tick's 3,840 on top of its own;
//   - a menu key: none (its click plays over what follows);
//   - a menu poll (the menu's 100 ms timer): 4,800;
//   - the close button: none.
// Call order for each event: BeforeEvent, then OnSleep for every sleep the
// game asks for in it (the platform's Sleep), then AfterEvent. A tick that
// opens the menu gets its AfterEvent once the menu has loaded, and each menu
// event its own BeforeEvent and AfterEvent, best while the menu's state is
// still held (Game::form2, Closed set once it has closed): called after the
// menu visit instead, a poll that moves the cursor onto "ゲームスタート" and
// confirms it at once gives no confirm tone. A caller with a real clock
// ignores the sample counts.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"
#include "race/game.h"
#include "sound/sound_commands.h"

namespace quorvel {

constexpr int64_t kTickSamples = 3840;      // the game window's 80 ms timer
constexpr int64_t kMenuPollSamples = 4800;  // the menu window's 100 ms timer

class RaceSounds {
 public:
  // Tells `out` what to play; `out` must outlive this.
  explicit RaceSounds(SoundCommands& out) : out_(out) {}

  // The game window has loaded: the engine idles for the countdown.
  // Returns 0.
  int64_t OnLoad(const Game& g);

  // `e` is about to be handed to the game: a tick of the game window, a key
  // or poll of the open menu, or the close button.
  void BeforeEvent(const Game& g, const InputEvent& e);

  // The game sleeps `ms` milliseconds inside the current event. The first
  // sleep of a tick is the crash's first fall frame: the tick's own sounds
  // and the fall start there, and the engine stops. Returns 48 samples per
  // ms (none for ms <= 0).
  int64_t OnSleep(int ms, const Game& g);

  // The event (or, for a tick that opened the menu, the tick up to the
  // menu's load) has been carried out: starts its cues and sets the engine.
  // Returns the samples that follow, as listed above.
  int64_t AfterEvent(const Game& g);

  // The race that finished in the last tick set a new record (the records
  // tell the caller): the second phrase follows the fanfare. Ignored at any
  // other time.
  void SetNewRecord();

 private:
  struct Seen {
    int32_t Ticks = 0;
    int32_t Lap = 0;
    bool menu_open = false;
    int32_t CurrentItem = 0, PendingCourse = 0, PendingCar = 0;
    bool JoyButtonLatch = false;
  };
  static Seen Look(const Game& g);
  // The cues of a tick's step, seen from `before` to `now`.
  void VoiceStep(const Seen& before, const Seen& now);
  // The cues of a menu key or poll that left the menu open or closed it.
  void VoiceMenu(const InputEvent& e, const Seen& before, const Seen& now, const Game& g);
  // The engine as the game stands: idling or following Speed while a race
  // runs, off while the menu is open, after the finish and at the end.
  void SetEngine(const Game& g);

  SoundCommands& out_;
  std::optional<InputEvent> event_;  // between BeforeEvent and AfterEvent
  Seen before_;                      // at BeforeEvent, then at the crash's start
  bool crashed_ = false;             // the current tick has slept
  bool tick_owed_ = false;           // a tick opened the menu: its 80 ms follow the close
  bool finished_now_ = false;        // the last tick finished the race
};

}  // namespace quorvel
