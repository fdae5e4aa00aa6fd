// SDL's video, joystick and game-controller subsystems and SDL_ttf for the life of the game.
// Only a real display will do: without one SDL would quietly fall back to an
// invisible off-screen driver, so only X11 (and Wayland where a session
// exists) are asked for, unless SDL_VIDEODRIVER in the environment says
// otherwise (the tests use "offscreen").
#pragma once

#include <memory>
#include <string>

namespace quorvel {

class SdlSession {
 public:
  // Nullptr with one line in `error` when no display or no font engine can
  // be had. A missing joystick subsystem is not an error: polls then fail.
  static std::unique_ptr<SdlSession> Open(std::string& error);
  ~SdlSession();
  SdlSession(const SdlSession&) = delete;
  SdlSession& operator=(const SdlSession&) = delete;

 private:
  SdlSession() = default;
};

// The drivers SDL may try: Wayland only where a Wayland session could exist,
// because the Wayland client library prints its own complaint otherwise.
const char* VideoDriverHint(bool wayland_session_possible);

}  // namespace quorvel
