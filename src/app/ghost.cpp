#include "app/ghost.h"

#include <cmath>
#include <utility>

#include "race/frame_tick.h"
#include "race/race_constants.h"
#include "race/start_up.h"

namespace quorvel {

Ghost::Ghost(RecordingReader reader) : reader_(std::move(reader)) {
  reader_.VerifyAgainst(&game_.s);
  // A kept run ends where its file does; a last line cut short is no part
  // of it.
  reader_.AcceptCutEnd();
  platform_.SetMenuSource([this] { return NextMenuEvent(); });
  Form1_Load(game_, platform_);
  Note();
  // A race started from the menu begins with the visit that starts it: the
  // ghost's race stands at its start once that tick has run, with its
  // course and car.
  if (Step() && game_.s.Ticks == kResetTicks) recent_.clear();
  Note();
}

bool Ghost::Step() {
  while (!ended_) {
    InputEvent e;
    switch (reader_.Next(false, e)) {
      case RecordingReader::kEvent:
        break;
      case RecordingReader::kEnd:
        ended_ = true;
        return false;
      case RecordingReader::kBad:
      case RecordingReader::kReadError:
        error_ = reader_.error();
        ended_ = true;
        return false;
    }
    if (e.kind == InputEvent::kClose) {
      ended_ = true;
      return false;
    }
    const int32_t step_tick = game_.s.Ticks + 1;
    Timer1_Timer(game_, platform_, e);
    passed_.emplace(std::pair(game_.s.Lap, game_.s.LastGate), step_tick);
    if (game_.form1.Unloaded) ended_ = true;
    return true;
  }
  return false;
}

std::optional<InputEvent> Ghost::NextMenuEvent() {
  InputEvent e;
  if (ended_) return std::nullopt;
  switch (reader_.Next(true, e)) {
    case RecordingReader::kEvent:
      return e;
    case RecordingReader::kEnd:
      break;
    case RecordingReader::kBad:
    case RecordingReader::kReadError:
      error_ = reader_.error();
      break;
  }
  // The recording ends, or stops fitting, in the menu: the headless menu
  // leaves as Esc would.
  ended_ = true;
  return std::nullopt;
}

void Ghost::Note() {
  recent_.emplace_back(game_.s.Ticks, GhostPose{game_.s.Pos[0], game_.s.Pos[1], game_.s.Steer});
}

// The first of the recent steps whose clock reads `ticks` or more, once the
// race has stepped on that far; nothing once it has ended before, or once
// the recording has stopped fitting (a ghost that went its own way is
// nowhere).
const std::pair<int32_t, GhostPose>* Ghost::At(int32_t ticks) {
  while (recent_.back().first < ticks && game_.s.Lap != kFinishedLap && Step()) Note();
  if (!error_.empty()) return nullptr;
  // The steps before the one that stood last before `ticks` are past.
  while (recent_.size() > 1 && recent_[1].first < ticks) recent_.pop_front();
  for (const auto& step : recent_) {
    if (step.first >= ticks) return &step;
  }
  return nullptr;
}

std::optional<GhostPose> Ghost::PoseAt(int32_t ticks) {
  const auto* at = At(ticks);
  if (at == nullptr) return std::nullopt;
  return at->second;
}

std::optional<GhostPose> Ghost::PoseBetween(int32_t ticks, double alpha) {
  const auto* at = At(ticks);
  if (at == nullptr) return std::nullopt;
  const std::pair<int32_t, GhostPose> from = *at;  // At may drop it from the recent steps
  const auto* to = At(ticks + 1);
  if (to == nullptr || from.first != ticks || to->first != ticks + 1) return from.second;
  const auto blend = [alpha](double a, double b) { return a + alpha * (b - a); };
  return GhostPose{static_cast<float>(blend(from.second.x, to->second.x)),
                   static_cast<float>(blend(from.second.y, to->second.y)),
                   static_cast<int16_t>(std::lround(blend(from.second.Steer, to->second.Steer)))};
}

std::optional<int32_t> Ghost::TicksAt(int32_t lap, int32_t gate, int32_t until) {
  const std::pair key(lap, gate);
  while (!passed_.contains(key) && game_.s.Ticks < until && game_.s.Lap != kFinishedLap && Step()) {
    Note();
  }
  const auto at = passed_.find(key);
  if (at == passed_.end() || !error_.empty()) return std::nullopt;
  return at->second;
}

}  // namespace quorvel
