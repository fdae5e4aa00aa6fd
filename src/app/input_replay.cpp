#include "app/input_replay.h"

namespace quorvel {

// The menu window as the real platform drives it: its timer plays the
// script's menu lines one per period; of the real keys only Esc counts,
// and it ends the replay.
class InputReplay::ReplayMenu final : public MenuWindow {
 public:
  ReplayMenu(MenuWindow& inner, InputReplay& replay) : inner_(inner), replay_(replay) {}
  void Form_Load() override { inner_.Form_Load(); }
  void Form_KeyDown(int16_t keycode) override {
    if (keycode == kVkEscape) replay_.Stop();
  }
  void Timer1_Timer() override {
    const std::optional<SimCommand> cmd = replay_.Next(true);
    if (!cmd) return;
    if (cmd->kind == SimCommand::kKey) {
      inner_.Form_KeyDown(cmd->key);
    } else {
      replay_.current_ = *cmd;
      inner_.Timer1_Timer();
    }
  }
  // Once the recording has ended, the menu goes (the game is not told) and
  // leaves the game window's last frame, whose close button works.
  bool Closed() const override { return replay_.stopped_ || replay_.ended_ || inner_.Closed(); }
  MenuFrames Frames() const override { return inner_.Frames(); }

 private:
  MenuWindow& inner_;
  InputReplay& replay_;
};

InputReplay::InputReplay(Platform& inner, ScriptFile& script)
    : ForwardingPlatform(inner), script_(script) {}

std::optional<SimCommand> InputReplay::Next(bool want_menu) {
  if (ended_ || stopped_) return std::nullopt;
  SimCommand cmd;
  std::string error;
  switch (script_.Next(cmd, error)) {
    case ScriptFile::kCommand:
      break;
    case ScriptFile::kEnd:
      ended_ = true;
      return std::nullopt;
    case ScriptFile::kBad:
      ended_ = true;
      error_ = error;
      return std::nullopt;
  }
  const bool menu_line = cmd.kind == SimCommand::kKey || cmd.kind == SimCommand::kPoll;
  if (menu_line != want_menu) {
    ended_ = true;
    error_ = "line " + std::to_string(script_.line_number()) +
             (want_menu ? ": the menu window is open: only key and poll fit now"
                        : ": the menu window is not open: key and poll need it");
    return std::nullopt;
  }
  return cmd;
}

bool InputReplay::StartTick() {
  const std::optional<SimCommand> cmd = Next(false);
  if (!cmd) return false;
  if (cmd->kind == SimCommand::kClose) {
    ended_ = true;
    inner_.UnloadGameWindow();
    return false;
  }
  current_ = *cmd;
  return true;
}

void InputReplay::Stop() {
  stopped_ = true;
  inner_.UnloadGameWindow();
}

bool InputReplay::KeyHeld(int vk) {
  return current_.keys.count(vk) > 0;
}

bool InputReplay::JoyGetPos(JoyReading& out) {
  if (!current_.joy) return false;
  out = *current_.joy;
  return true;
}

void InputReplay::ShowMenuModal(MenuWindow& menu) {
  ReplayMenu replay_menu(menu, *this);
  inner_.ShowMenuModal(replay_menu);
}

}  // namespace quorvel
