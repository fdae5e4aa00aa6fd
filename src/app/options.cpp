#include "app/options.h"

#include <getopt.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <span>

#include "app/settings_file.h"
#include "base/own_files.h"
#include "base/text.h"

#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION must be defined by the build"
#endif

namespace quorvel {

namespace {

// getopt_long's codes for the long options; above any character, so that
// a long option's fault is told from a short one's.
enum Code : int {
  kHelp = 256,
  kVersion,
  kScale,
  kFullscreen,
  kMotion,
  kRecord,
  kReplay,
  kGhostOn,
  kGhostOff,
  kSoundOn,
  kSoundOff,
  kRecordsList,
  kSurface,
  kDrawLog,
  kFrames,
  kSubframes,
  kRecordsDir,
  kGhostFile,
  kAudio,
};

// One option of a program: its long name, whether it takes a value, and
// what a missing or bad value is told with.
struct Row {
  const char* name;
  Code code;
  bool value;
  const char* takes = nullptr;
};

constexpr Row kGameRows[] = {
    {"scale", kScale, true, "--scale takes a whole number from 1 to 16"},
    {"fullscreen", kFullscreen, false},
    {"motion", kMotion, true, "--motion takes smooth or original"},
    {"record", kRecord, true, "--record takes a file name"},
    {"replay", kReplay, true, "--replay takes a file name"},
    {"ghost", kGhostOn, false},
    {"no-ghost", kGhostOff, false},
    {"sound", kSoundOn, false},
    {"no-sound", kSoundOff, false},
    {"records", kRecordsList, false},
    {"help", kHelp, false},
    {"version", kVersion, false},
};

constexpr const char* kSurfaceRange =
    "--surface takes a width and a height in pixels, 1 to 10000 each and at most 4194304 pixels "
    "in all";
// At most 2048 x 2048 pixels in all: the surface and a frame's image then
// take 32 MiB, far below the 100 MB no run may need.
constexpr int64_t kMaxSurfacePixels = int64_t{2048} * 2048;
constexpr int kMaxSubframes = 16;

constexpr Row kSimRows[] = {
    {"surface", kSurface, true, kSurfaceRange},
    {"draw-log", kDrawLog, false},
    {"frames", kFrames, true, "--frames takes a directory"},
    {"subframes", kSubframes, true, "--subframes takes a whole number from 1 to 16"},
    {"records", kRecordsDir, true, "--records takes a directory"},
    {"ghost", kGhostFile, true, "--ghost takes a recording"},
    {"audio", kAudio, true, "--audio takes a file name"},
    {"help", kHelp, false},
    {"version", kVersion, false},
};

constexpr const char* kGameUsageLine =
    "usage: quorvel [--scale N] [--fullscreen] [--motion smooth|original] "
    "[--[no-]ghost] [--[no-]sound] [--record FILE | --replay FILE] [--records] [--help] "
    "[--version]";
constexpr const char* kSimUsageLine =
    "usage: quorvel-sim [--surface W H] [--draw-log] [--frames DIR] [--subframes N] "
    "[--records DIR] [--ghost FILE] [--audio FILE] < SCRIPT";

struct Program {
  const char* name;
  const char* usage_line;
  std::span<const Row> rows;
};

// The option `code` found with `value` (empty for none); `next` takes the
// word after it (--surface's height). False with `error` set refuses it.
using OnOption = std::function<bool(const Row& row, const std::string& value,
                                    const std::function<std::optional<std::string>()>& next,
                                    std::string& error)>;

// Scans `args` against `program`'s options, handing each to `on_option`
// but --help and --version, which both programs have: those set `help` and
// `version`.
bool Scan(const Program& program, const std::vector<std::string>& args, bool& help, bool& version,
          const OnOption& on_option, std::string& error) {
  std::vector<std::string> words{program.name};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::vector<option> options;
  for (const Row& row : program.rows) {
    options.push_back({row.name, row.value ? required_argument : no_argument, nullptr, row.code});
  }
  options.push_back({nullptr, 0, nullptr, 0});
  const int argc = static_cast<int>(words.size());
  const auto row_of = [&](int code) -> const Row* {
    for (const Row& row : program.rows) {
      if (row.code == code) return &row;
    }
    return nullptr;
  };
  const auto unknown = [&](int at) {
    error = "unknown option " + Quoted(words[static_cast<std::size_t>(at)]) + " (" +
            program.usage_line + ")";
    return false;
  };
  // getopt_long's own messages off (they are ours); a fresh scan. "+":
  // stop at the first word that is not an option, ":": tell a missing value
  // from an unknown option.
  opterr = 0;
  optind = 0;
  for (;;) {
    const int word = optind == 0 ? 1 : optind;  // the word this option is in
    const int code = getopt_long(argc, argv.data(), "+:h", options.data(), nullptr);
    if (code == -1) break;
    if (code == '?') {
      if (const Row* row = row_of(optopt)) {
        error = std::string("--") + row->name + " takes no value (see " + program.name + " --help)";
        return false;
      }
      return unknown(word);
    }
    if (code == ':') {
      error = row_of(optopt)->takes;
      return false;
    }
    if (code == 'h' || code == kHelp || code == kVersion) {
      (code == kVersion ? version : help) = true;
      continue;
    }
    const Row& row = *row_of(code);
    const std::string value = optarg != nullptr ? optarg : "";
    // A value given as a separate word that starts with '-' is the next
    // option, or a value the player meant for `--name=VALUE`: with the value
    // left out ("--record --scale 2") the game would otherwise write a file
    // named "--scale".
    const bool separate = optarg != nullptr && optarg == argv[static_cast<std::size_t>(optind - 1)];
    if (row.value && (value.empty() || (separate && value[0] == '-'))) {
      error = row.takes;
      if (!value.empty()) {
        error += ", not the option " + Quoted(value) + " (--" + row.name +
                 "=VALUE takes a value starting with '-')";
      }
      return false;
    }
    const auto next = [&]() -> std::optional<std::string> {
      if (optind >= argc) return std::nullopt;
      return words[static_cast<std::size_t>(optind++)];
    };
    if (!on_option(row, value, next, error)) return false;
  }
  return optind < argc ? unknown(optind) : true;
}

// `row`'s value as a whole number from `low` to `high`; else the refusal.
bool TakeWhole(const Row& row, const std::string& value, int low, int high, int& out,
               std::string& error) {
  if (ParseWhole(value, low, high, out)) return true;
  error = std::string(row.takes) + ", not " + Quoted(value);
  return false;
}

}  // namespace

bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& out, std::string& error) {
  GameOptions o;
  const Program program{"quorvel", kGameUsageLine, kGameRows};
  const bool ok = Scan(
      program, args, o.help, o.version,
      [&o](const Row& row, const std::string& value, const auto&, std::string& error) {
        switch (row.code) {
          case kFullscreen:
            o.fullscreen = true;
            break;
          case kGhostOn:
          case kGhostOff:
            o.ghost = row.code == kGhostOn;
            break;
          case kSoundOn:
          case kSoundOff:
            o.sound = row.code == kSoundOn;
            break;
          case kRecordsList:
            o.records = true;
            break;
          case kScale: {
            int scale = 0;
            if (!TakeWhole(row, value, 1, kMaxWindowScale, scale, error)) return false;
            o.scale = scale;
            break;
          }
          case kMotion:
            if (value != "smooth" && value != "original") {
              error = std::string(row.takes) + ", not " + Quoted(value);
              return false;
            }
            o.smooth = value == "smooth";
            break;
          case kRecord:
          case kReplay:
            (row.code == kRecord ? o.record_path : o.replay_path) = value;
            break;
          default:
            break;
        }
        return true;
      },
      error);
  if (!ok) return false;
  if (!o.record_path.empty() && !o.replay_path.empty()) {
    error = "--record and --replay cannot be used together";
    return false;
  }
  out = o;
  return true;
}

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& out, std::string& error) {
  SimOptions o;
  const Program program{"quorvel-sim", kSimUsageLine, kSimRows};
  const bool ok = Scan(
      program, args, o.help, o.version,
      [&o](const Row& row, const std::string& value, const auto& next, std::string& error) {
        switch (row.code) {
          case kDrawLog:
            o.draw_log = true;
            break;
          case kSurface: {
            // The height is the next word.
            const std::optional<std::string> height = next();
            if (!ParseWhole(value, 1, 10000, o.width) || !height ||
                !ParseWhole(*height, 1, 10000, o.height) ||
                int64_t{o.width} * o.height > kMaxSurfacePixels) {
              error = row.takes;
              return false;
            }
            break;
          }
          case kSubframes:
            return TakeWhole(row, value, 1, kMaxSubframes, o.subframes, error);
          case kFrames:
            o.frames_dir = value;
            break;
          case kRecordsDir:
            o.records_dir = value;
            break;
          case kGhostFile:
            o.ghost_path = value;
            break;
          case kAudio:
            o.audio_path = value;
            break;
          default:
            break;
        }
        return true;
      },
      error);
  if (!ok) return false;
  out = o;
  return true;
}

std::string GameUsage() {
  const std::string settings = SettingsPath();
  const std::string records = DataDir();
  return "Usage: quorvel [OPTION]...\n"
         "A small racing game: three laps round a flat course.\n"
         "\n"
         "  --scale N        show the window N times the 96-dpi size (1 to 16)\n"
         "  --fullscreen     start in fullscreen (F11 or Alt+Enter toggles it)\n"
         "  --motion M       smooth: pictures at the display's rate (the default);\n"
         "                   original: only the race's 12.5 pictures a second\n"
         "  --record FILE    write the race's input to FILE as a quorvel-sim script\n"
         "  --replay FILE    play a recording back in the window (Esc ends it); a\n"
         "                   replay sets no record and has no ghost\n"
         "  --ghost          race against the ghost of the best run (the default)\n"
         "  --no-ghost       race without it\n"
         "  --sound          play the race's sound (the default; M mutes and unmutes)\n"
         "  --no-sound       play none, and open no audio device\n"
         "  --records        print the best times of each course and car and exit\n"
         "  --help           show this help and exit\n"
         "  --version        show the version and exit\n"
         "\n"
         "Controls (keyboard, or the first pad plugged in):\n"
         "  race    Left/Right steer, Up accelerates, Down brakes (pad: stick or D-pad);\n"
         "          W, A, S, D and the keypad's arrows are the arrow keys;\n"
         "          Enter (pad: button 1, A or Cross) opens the menu; P or Pause pauses\n"
         "  menu    arrow keys (pad: stick or D-pad) move; Enter (button 1) confirms,\n"
         "          Esc (button 2, B or Circle) cancels\n"
         "  window  F11 or Alt+Enter toggles fullscreen, Esc leaves it;\n"
         "          Ctrl+Plus, Ctrl+Minus: one scale step up, down; Ctrl+0: automatic;\n"
         "          M mutes and unmutes the sound\n"
         "\n" +
         (settings.empty()
              ? std::string("Settings are not kept: neither XDG_CONFIG_HOME nor HOME is set to an "
                            "absolute folder.\n")
              : "Settings are kept in " + Quoted(settings, kMaxQuotedPathChars) +
                    ";\npad mappings in SDL's format can go beside it in gamecontrollerdb.txt.\n") +
         (records.empty() ? std::string("Records are not kept: neither XDG_DATA_HOME nor HOME is "
                                        "set to an absolute folder.\n")
                          : "Records and best runs are kept in " +
                                Quoted(records, kMaxQuotedPathChars) + ".\n");
}

std::string SimUsage() {
  return std::string(kSimUsageLine) + "\n" +
         "Runs the game headless on a script read from standard input and prints the\n"
         "game state as one JSON line after every step.\n"
         "\n"
         "  --surface W H  the drawing surface's size in pixels (default 337 337)\n"
         "  --draw-log     also print every drawing operation, one line per frame\n"
         "  --frames DIR   write every frame as DIR/frame-000001.png, ...\n"
         "  --subframes N  N pictures per tick: the tick's, then N-1 between it and\n"
         "                 the next (frame-000001s01.png, ...); 1 to 16, default 1\n"
         "  --records DIR  read and update the records in DIR as the game does, and\n"
         "                 keep the best run of each course and car there; its\n"
         "                 ghost runs in the races that follow\n"
         "  --ghost FILE   race against the recording FILE as a ghost; the draw\n"
         "                 log shows its marker as \"ring\" operations\n"
         "  --audio FILE   write the script's sound as a 48 kHz 16-bit mono WAV file,\n"
         "                 each event's sound where its time in the game puts it\n"
         "  --help         show this help and exit\n"
         "  --version      show the version and exit\n";
}

std::string GameVersionLine() {
  return std::string("quorvel ") + QUORVEL_VERSION;
}

std::string SimVersionLine() {
  return std::string("quorvel-sim ") + QUORVEL_VERSION;
}

}  // namespace quorvel
