// The game's command line: `quorvel [--scale N] [--fullscreen]
// [--motion M] [--ghost | --no-ghost] [--record FILE | --replay FILE]`, plus
// --records, --help and --version. Parsing only;
// nothing here opens a file or a window, so a bad command line is reported
// before any window appears.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Largest accepted --scale: a 339-pixel window at 16x already needs a
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
  bool records = false;     // print the records and stop (status 0)
  std::string record_path;  // empty = no recording
  std::string replay_path;  // empty = play normally
};

// Reads the arguments after the program name, the GNU way (getopt_long):
// `--opt VALUE`, `--opt=VALUE`, and an unambiguous start of an option's name.
// False with a one-line `error` (no program name, no newline) for an unknown
// option, a missing or bad value, a value given as the next word that looks
// like an option (`--record --scale`: `--record=--scale` takes it), or
// --record together with --replay.
bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& out, std::string& error);

// A command line as getopt_long takes it: the program's name, then `args`,
// as C strings that live as long as this value. Making one also readies
// getopt_long for a fresh scan, its own messages off (they are ours).
struct OptionArgv {
  OptionArgv(const char* program, const std::vector<std::string>& args);
  std::vector<std::string> words;
  std::vector<char*> argv;
  int argc() const { return static_cast<int>(words.size()); }
};

// Whether a word reads as an option ("--scale", "-h"; not "-" nor "-3"):
// a value given as the next word that does is taken for a forgotten value.
bool LooksLikeOption(const std::string& word);

// The --help text, several lines, each ending in a newline: the options,
// the controls, and where the settings file is.
std::string GameUsage();

// "quorvel X.Y.Z", no newline.
std::string GameVersionLine();

}  // namespace quorvel
