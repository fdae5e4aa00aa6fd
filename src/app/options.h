// The command lines of both programs, read the GNU way (getopt_long):
// `--opt VALUE`, `--opt=VALUE`, and an unambiguous start of an option's
// name. Parsing only; nothing here opens a file or a window, so a bad
// command line is reported before any window appears.
//
//   quorvel [--scale N] [--fullscreen] [--motion M] [--[no-]ghost] [--[no-]sound]
//           [--record FILE | --replay FILE] [--records] [--help] [--version]
//   quorvel-sim [--surface W H] [--draw-log] [--frames DIR] [--subframes N]
//               [--records DIR] [--ghost FILE] [--audio FILE] [--help]
//               [--version] < SCRIPT
//
// Both refuse, with one line, an unknown option, a missing or bad value, a
// value to an option that takes none, and a value given as a separate word
// that starts with '-' (the value was left out: `--record --scale 2`);
// `--record=-x` or `./-x` name such a file.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Largest accepted window scale: a 339-pixel window at 16x already needs a
// screen of 5,424 pixels.
inline constexpr int kMaxWindowScale = 16;

struct GameOptions {
  bool help = false;     // print the usage and stop (status 0)
  bool version = false;  // print the version line and stop (status 0)
  // Screen pixels per 96-dpi pixel for the window; nothing = remembered or
  // automatic.
  std::optional<int> scale;
  bool fullscreen = false;
  // Pictures between ticks (smooth) or only the ticks' (original); nothing =
  // remembered, or smooth.
  std::optional<bool> smooth;
  // Race against the kept best run's ghost; nothing = remembered, or yes.
  std::optional<bool> ghost;
  // Sound on; nothing = remembered, or yes.
  std::optional<bool> sound;
  bool records = false;     // print the records and stop (status 0)
  std::string record_path;  // empty = no recording
  std::string replay_path;  // empty = play normally
};

struct SimOptions {
  bool help = false;
  bool version = false;
  int width = 337;  // the real game window's drawing surface, pixels
  int height = 337;
  bool draw_log = false;
  std::string frames_dir;   // empty: no frames written
  int subframes = 1;        // pictures per tick: the tick's own, then those between ticks
  std::string records_dir;  // empty: no records read or kept
  std::string ghost_path;   // a recording raced against as a ghost; empty: none
  std::string audio_path;   // the script's sound as a WAV file; empty: none
};

// The arguments after the program's name. False with a one-line `error`
// (no program name, no newline); `out` is then untouched.
bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& out, std::string& error);
bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& out, std::string& error);

// The --help texts, several lines, each ending in a newline. The game's
// names where the settings and records are kept.
std::string GameUsage();
std::string SimUsage();

// "quorvel X.Y.Z" and "quorvel-sim X.Y.Z", no newline.
std::string GameVersionLine();
std::string SimVersionLine();

}  // namespace quorvel
