#include "app/input_replay.h"

namespace quorvel {

std::optional<InputEvent> InputReplay::Take(const InputEvent& live, bool menu_open) {
  const InputEvent close = InputEvent::Of(InputEvent::kClose);
  if (live.kind == InputEvent::kClose) return close;
  if (live.kind == InputEvent::kKey) {
    if (live.key == kVkEscape) return close;
    return std::nullopt;  // the recording's keys come at the menu's timer
  }
  const InputEvent leave = InputEvent::Key(kVkEscape);
  if (ended_) return menu_open ? std::optional<InputEvent>(leave) : std::nullopt;
  InputEvent e;
  switch (Next(menu_open, e)) {
    case InputScript::kEvent:
      return e;
    case InputScript::kEnd:
      break;
    case InputScript::kBad:
      error_ = script_.error();
      return close;
    case InputScript::kReadError:
      error_ = "cannot read it: " + script_.error();
      return close;
  }
  ended_ = true;
  return menu_open ? std::optional<InputEvent>(leave) : std::nullopt;
}

InputScript::Result InputReplay::Next(bool menu_open, InputEvent& e) {
  if (!ahead_) return script_.Next(menu_open, e);
  const Ahead ahead = *ahead_;
  ahead_.reset();
  e = ahead.event;
  return ahead.result;
}

std::optional<InputEvent> InputReplay::Preview(const InputEvent& held) {
  if (ended_) return std::nullopt;
  // Between ticks the menu is closed, so the next line must be a tick or a
  // close; anything else is reported when its turn comes.
  if (!ahead_) {
    Ahead ahead;
    ahead.result = script_.Next(false, ahead.event);
    ahead_ = ahead;
  }
  if (ahead_->result == InputScript::kEnd) return std::nullopt;
  return ahead_->result == InputScript::kEvent && ahead_->event.kind == InputEvent::kTick
             ? ahead_->event
             : held;
}

}  // namespace quorvel
