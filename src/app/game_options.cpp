#include "app/game_options.h"

#include <getopt.h>

#include <charconv>
#include <cstddef>

#include "app/config_dir.h"
#include "app/quoted_text.h"
#include "app/settings_file.h"

#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION must be defined by the build"
#endif

namespace quorvel {

namespace {

// getopt_long's codes for the long options; above any character, so that
// they tell a long option's fault from a short one's.
enum OptionCode : int {
  kHelp = 256,
  kVersion,
  kFullscreen,
  kScale,
  kRecord,
  kReplay,
  kMotion,
  kGhost,
  kNoGhost,
  kRecords,
};

constexpr option kOptions[] = {
    {"scale", required_argument, nullptr, kScale},
    {"fullscreen", no_argument, nullptr, kFullscreen},
    {"motion", required_argument, nullptr, kMotion},
    {"record", required_argument, nullptr, kRecord},
    {"replay", required_argument, nullptr, kReplay},
    {"ghost", no_argument, nullptr, kGhost},
    {"no-ghost", no_argument, nullptr, kNoGhost},
    {"records", no_argument, nullptr, kRecords},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

constexpr const char* kUsageLine =
    "usage: quorvel [--scale N] [--fullscreen] [--motion smooth|original] "
    "[--ghost | --no-ghost] [--record FILE | --replay FILE] [--records] [--help] [--version]";

std::string NameOf(int code) {
  for (const option& o : kOptions) {
    if (o.val == code && o.name != nullptr) return std::string("--") + o.name;
  }
  return "-" + std::string(1, static_cast<char>(code));
}

bool ParseScale(const std::string& word, int& out) {
  int v = 0;
  auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || ptr != word.data() + word.size() || v < 1 || v > kMaxWindowScale) {
    return false;
  }
  out = v;
  return true;
}

}  // namespace

OptionArgv::OptionArgv(const char* program, const std::vector<std::string>& args) {
  words.reserve(args.size() + 1);
  words.push_back(program);
  words.insert(words.end(), args.begin(), args.end());
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  opterr = 0;
  optind = 0;
}

bool LooksLikeOption(const std::string& word) {
  return word.size() > 1 && word[0] == '-' &&
         (word[1] == '-' || (word[1] >= 'a' && word[1] <= 'z') ||
          (word[1] >= 'A' && word[1] <= 'Z'));
}

bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& out, std::string& error) {
  // "+": stop at the first word that is not an option, ":": tell a missing
  // value from an unknown option.
  OptionArgv line("quorvel", args);
  const std::vector<std::string>& words = line.words;
  const std::vector<char*>& argv = line.argv;
  const int argc = line.argc();

  GameOptions o;
  for (;;) {
    const int word = optind == 0 ? 1 : optind;  // the word this option is in
    const int code = getopt_long(argc, argv.data(), "+:h", kOptions, nullptr);
    if (code == -1) break;
    if (code == '?') {
      if (optopt >= kHelp) {
        error = NameOf(optopt) + " takes no value (see quorvel --help)";
      } else {
        error = "unknown option " + Quoted(words[static_cast<std::size_t>(word)]) + " (" +
                kUsageLine + ")";
      }
      return false;
    }
    if (code == ':') {
      error = NameOf(optopt) + " needs a value (see quorvel --help)";
      return false;
    }
    // A value given as the next word must not be the next option: the
    // player left the value out ("--record --scale 2"), and would get a
    // file named "--scale".
    const std::string value = optarg != nullptr ? optarg : "";
    if (optarg != nullptr && optarg == argv[static_cast<std::size_t>(optind - 1)] &&
        LooksLikeOption(value)) {
      error = NameOf(code) + " needs a value, not the option " + Quoted(value) + " (" +
              NameOf(code) + "=VALUE takes a value starting with '-')";
      return false;
    }
    switch (code) {
      case 'h':
      case kHelp:
        o.help = true;
        break;
      case kVersion:
        o.version = true;
        break;
      case kFullscreen:
        o.fullscreen = true;
        break;
      case kGhost:
      case kNoGhost:
        o.ghost = code == kGhost;
        break;
      case kRecords:
        o.records = true;
        break;
      case kScale: {
        int scale = 0;
        if (!ParseScale(value, scale)) {
          error = "--scale takes a whole number from 1 to " + std::to_string(kMaxWindowScale) +
                  ", not " + Quoted(value);
          return false;
        }
        o.scale = scale;
        break;
      }
      case kMotion:
        if (value != "smooth" && value != "original") {
          error = "--motion takes smooth or original, not " + Quoted(value);
          return false;
        }
        o.smooth = value == "smooth";
        break;
      case kRecord:
      case kReplay:
        if (value.empty()) {
          error = NameOf(code) + " needs a file name";
          return false;
        }
        (code == kRecord ? o.record_path : o.replay_path) = value;
        break;
    }
  }
  if (optind < argc) {
    error = "unknown option " + Quoted(words[static_cast<std::size_t>(optind)]) + " (" +
            kUsageLine + ")";
    return false;
  }
  if (!o.record_path.empty() && !o.replay_path.empty()) {
    error = "--record and --replay cannot be used together";
    return false;
  }
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
         "  --records        print the best times of each course and car and exit\n"
         "  --help           show this help and exit\n"
         "  --version        show the version and exit\n"
         "\n"
         "Controls (keyboard, or the first pad plugged in):\n"
         "  race    Left/Right steer, Up accelerates, Down brakes (pad: stick or D-pad);\n"
         "          Enter (pad: button 1, A or Cross) opens the menu\n"
         "  menu    arrow keys (pad: stick or D-pad) move; Enter (button 1) confirms,\n"
         "          Esc (button 2, B or Circle) cancels\n"
         "  window  F11 or Alt+Enter toggles fullscreen, Esc leaves it;\n"
         "          Ctrl+Plus, Ctrl+Minus: one scale step up, down; Ctrl+0: automatic\n"
         "\n" +
         (settings.empty()
              ? std::string("Settings are not kept: neither XDG_CONFIG_HOME nor HOME is set.\n")
              : "Settings are kept in " + Quoted(settings, kMaxQuotedPathChars) +
                    ";\npad mappings in SDL's format can go beside it in gamecontrollerdb.txt.\n") +
         (records.empty()
              ? std::string("Records are not kept: neither XDG_DATA_HOME nor HOME is set.\n")
              : "Records and best runs are kept in " + Quoted(records, kMaxQuotedPathChars) +
                    ".\n");
}

std::string GameVersionLine() {
  return std::string("quorvel ") + QUORVEL_VERSION;
}

}  // namespace quorvel
