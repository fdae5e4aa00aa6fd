#include "sound/race_sounds.h"

#include <cmath>

#include "menu/menu_state.h"
#include "sound/sound_synth.h"

namespace quorvel {

namespace {

constexpr int32_t kFinishedLap = 4;
constexpr int32_t kFirstRaceTick = -1;  // Ticks after the first race step

// The time label's whole seconds, as drawn: floor(Ticks / 100 * 8).
double ClockSeconds(int32_t ticks) {
  return std::floor(ticks / 100.0 * 8);
}

bool MenuOpen(const Game& g) {
  return g.form2 && !g.form2->Closed;
}

}  // namespace

RaceSounds::Seen RaceSounds::Look(const Game& g) {
  Seen s;
  s.Ticks = g.s.Ticks;
  s.Lap = g.s.Lap;
  s.menu_open = MenuOpen(g);
  if (g.form2) {
    s.CurrentItem = g.form2->CurrentItem;
    s.PendingCourse = g.form2->PendingCourse;
    s.PendingCar = g.form2->PendingCar;
  }
  s.JoyButtonLatch = g.s.JoyButtonLatch;
  return s;
}

int64_t RaceSounds::OnLoad(const Game& g) {
  before_ = Look(g);
  SetEngine(g);
  return 0;
}

void RaceSounds::BeforeEvent(const Game& g, const InputEvent& e) {
  event_ = e;
  before_ = Look(g);
  crashed_ = false;
  finished_now_ = false;
}

int64_t RaceSounds::OnSleep(int ms, const Game& g) {
  // Only the crash sleeps, and its first fall frame is drawn the moment the
  // step has left the road.
  if (event_ && event_->kind == InputEvent::kTick && !crashed_) {
    const Seen now = Look(g);
    VoiceStep(before_, now);
    before_ = now;
    crashed_ = true;
    out_.SetEngine(EngineTarget{});
    out_.StartCue(Cue::kFall);
  }
  return ms > 0 ? int64_t{ms} * kSamplesPerMs : 0;
}

int64_t RaceSounds::AfterEvent(const Game& g) {
  if (!event_) return 0;
  const InputEvent e = *event_;
  event_.reset();
  const Seen now = Look(g);
  switch (e.kind) {
    case InputEvent::kTick:
      if (now.menu_open) {
        // The timer is off until the menu closes; the tick's 80 ms run on
        // from there.
        tick_owed_ = true;
        SetEngine(g);
        return 0;
      }
      VoiceStep(before_, now);
      SetEngine(g);
      return kTickSamples;
    case InputEvent::kKey:
    case InputEvent::kPoll: {
      VoiceMenu(e, before_, now, g);
      int64_t samples = e.kind == InputEvent::kPoll ? kMenuPollSamples : 0;
      if (before_.menu_open && !now.menu_open) {
        SetEngine(g);
        if (tick_owed_) samples += kTickSamples;
        tick_owed_ = false;
      }
      return samples;
    }
    case InputEvent::kClose:
      out_.SetEngine(EngineTarget{});
      return 0;
  }
  return 0;
}

void RaceSounds::SetNewRecord() {
  if (!finished_now_) return;
  finished_now_ = false;
  out_.StartCue(Cue::kRecordPhrase);
}

void RaceSounds::VoiceStep(const Seen& before, const Seen& now) {
  // A finished race, or a tick that only opened the menu, moves no clock.
  if (now.Ticks <= before.Ticks) return;
  if (now.Ticks < kFirstRaceTick && ClockSeconds(now.Ticks) != ClockSeconds(before.Ticks)) {
    out_.StartCue(Cue::kCountdownBeep);
  }
  if (before.Ticks < kFirstRaceTick && now.Ticks >= kFirstRaceTick) out_.StartCue(Cue::kStartBeep);
  if (now.Lap > before.Lap) {
    if (now.Lap >= kFinishedLap) {
      out_.StartCue(Cue::kFinishFanfare);
      finished_now_ = true;
    } else {
      out_.StartCue(Cue::kLapChime);
    }
  } else if (now.Lap < before.Lap) {
    out_.StartCue(Cue::kLapBack);
  }
}

void RaceSounds::VoiceMenu(const InputEvent& e, const Seen& before, const Seen& now,
                           const Game& g) {
  if (!before.menu_open) return;
  if (now.menu_open) {
    if (now.CurrentItem != before.CurrentItem || now.PendingCourse != before.PendingCourse ||
        now.PendingCar != before.PendingCar) {
      out_.StartCue(Cue::kMenuClick);
    }
    return;
  }
  // Closed: by a start only when the item confirmed was "ゲームスタート" (a
  // confirm never moves the cursor; Esc and button 2 confirm nothing).
  const bool confirmed =
      e.kind == InputEvent::kKey
          ? e.key == kVkReturn
          : e.joy && (e.joy->dwButtons & kJoyButton1) != 0 && !before.JoyButtonLatch;
  const int32_t item = g.form2 ? now.CurrentItem : before.CurrentItem;
  if (confirmed && item == kItemStart) out_.StartCue(Cue::kConfirm);
}

void RaceSounds::SetEngine(const Game& g) {
  EngineTarget t;
  t.on = !MenuOpen(g) && g.s.Lap != kFinishedLap && !g.s.QuitRequested && !g.form1.Unloaded;
  t.speed = g.s.Speed;
  t.car = g.s.CarType;
  out_.SetEngine(t);
}

}  // namespace quorvel
