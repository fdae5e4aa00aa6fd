// Records everything the game reads from the outside world, as it happens,
// as a quorvel-sim script: one `tick` line per game-window tick with the keys
// it found held and its joystick reading, one `key` line per key-down the
// menu window received, one `poll` line per menu-timer poll with its
// joystick reading, and `close` when the window was closed. It sits between
// the game and the real platform, so it sees exactly what the game was told,
// whatever the devices were.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/forwarding_platform.h"

namespace quorvel {

class InputRecorder final : public ForwardingPlatform {
 public:
  // Writes to the file descriptor `fd` (not closed here), beginning with
  // `header` as a comment line. Every line goes to the file with a write of
  // its own as soon as it is complete, so a kill or a crash loses nothing
  // written before it (a line every 80 or 100 ms costs nothing to speak of).
  // `failed`, when given, is told why at the first write that fails, as it
  // happens; the game goes on unrecorded.
  InputRecorder(Platform& inner, int fd, const std::string& header,
                std::function<void(const std::string& error)> failed = {});

  // Around every tick of the game window's timer, which the platform's run
  // loop delivers to the game.
  void TickStarted();
  void TickEnded();
  // The program is ending: a `close` line unless the game unloaded itself
  // (a quit from the menu). False with `error()`
  // set when some of the recording could not be written.
  bool Finish();
  const std::string& error() const { return error_; }

  bool KeyHeld(int vk) override;
  bool JoyGetPos(JoyReading& out) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override;
  void Sleep(int ms) override;

 private:
  class RecordingMenu;

  // Writes the current tick's line, once: when the tick ends, or earlier
  // when it opens the menu or sleeps (so the line is out before the menu's
  // lines, and in the file while the crash pause runs).
  void EndTickLine();
  void WriteLine(const std::string& line);
  void WriteKey(int16_t keycode);
  void WritePoll();

  int fd_;
  std::function<void(const std::string& error)> failed_;
  std::string error_;

  bool in_tick_ = false;
  bool in_poll_ = false;
  unsigned held_ = 0;              // bit per key of kTickKeys found held this tick
  std::optional<JoyReading> joy_;  // this tick's or poll's reading
  bool unloaded_ = false;
  // A menu visit ended without the menu closing itself (its window was
  // lost): the script cannot say what followed, so nothing more is written.
  bool cut_ = false;
};

}  // namespace quorvel
