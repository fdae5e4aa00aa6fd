// Plays a recorded script back on the real windows: each game-window tick
// takes its held keys and joystick reading from the next `tick` line, and
// the menu window, at each of its timer periods, carries out the next `key`
// or `poll` line; nothing is read from the keyboard or the joystick for the
// game. The real timers keep the pace, so the race runs at its real speed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/script_file.h"
#include "platform/forwarding_platform.h"

namespace quorvel {

class InputReplay final : public ForwardingPlatform {
 public:
  // `script` is open and read from its first line on.
  InputReplay(Platform& inner, ScriptFile& script);

  // Before every tick of the game window's timer. False when the tick must
  // not reach the game: the recording has ended (the last frame stays until
  // the window is closed), or a `close` line ended the program.
  bool StartTick();
  // Esc in either window: ends the replay and the program.
  void Stop();
  // Empty while the script has fitted the game; else one line naming the
  // script line that did not (the replay stopped there).
  const std::string& error() const { return error_; }

  bool KeyHeld(int vk) override;
  bool JoyGetPos(JoyReading& out) override;
  // The devices are left alone; nothing depends on the probe.
  bool JoyProbe() override { return false; }
  void ShowMenuModal(MenuWindow& menu) override;

 private:
  class ReplayMenu;

  // The next command, or nothing at the end of the script or after a line
  // that does not parse (error_ set). `want_menu` tells which commands fit.
  std::optional<SimCommand> Next(bool want_menu);

  ScriptFile& script_;
  SimCommand current_;  // the tick's or poll's line
  bool ended_ = false;
  bool stopped_ = false;
  std::string error_;
};

}  // namespace quorvel
