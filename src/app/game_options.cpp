#include "app/game_options.h"

#include <charconv>
#include <cstddef>

#include "app/quoted_text.h"

#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION must be defined by the build"
#endif

namespace quorvel {

namespace {

bool ParseScale(const std::string& word, int& out) {
  int v = 0;
  auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || ptr != word.data() + word.size() || v < 1 || v > kMaxWindowScale) {
    return false;
  }
  out = v;
  return true;
}

// Splits "--name=value" into name and value; `has_value` tells whether an
// '=' was there.
void SplitOption(const std::string& arg, std::string& name, std::string& value, bool& has_value) {
  const std::size_t eq = arg.find('=');
  has_value = arg.rfind("--", 0) == 0 && eq != std::string::npos;
  name = has_value ? arg.substr(0, eq) : arg;
  value = has_value ? arg.substr(eq + 1) : std::string();
}

}  // namespace

bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& out, std::string& error) {
  GameOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name, value;
    bool has_value = false;
    SplitOption(args[i], name, value, has_value);
    const bool takes_value = name == "--scale" || name == "--record" || name == "--replay";
    if (takes_value && !has_value) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value (see quorvel --help)";
        return false;
      }
      value = args[++i];
    } else if (!takes_value && has_value) {
      error = name + " takes no value (see quorvel --help)";
      return false;
    }
    if (name == "--help" || name == "-h") {
      o.help = true;
    } else if (name == "--version") {
      o.version = true;
    } else if (name == "--fullscreen") {
      o.fullscreen = true;
    } else if (name == "--scale") {
      int scale = 0;
      if (!ParseScale(value, scale)) {
        error = "--scale takes a whole number from 1 to " + std::to_string(kMaxWindowScale) +
                ", not " + Quoted(value);
        return false;
      }
      o.scale = scale;
    } else if (name == "--record" || name == "--replay") {
      if (value.empty()) {
        error = name + " needs a file name";
        return false;
      }
      (name == "--record" ? o.record_path : o.replay_path) = value;
    } else {
      error = "unknown option " + Quoted(args[i]) +
              " (usage: quorvel [--scale N] [--fullscreen] [--record FILE | --replay FILE])";
      return false;
    }
  }
  if (!o.record_path.empty() && !o.replay_path.empty()) {
    error = "--record and --replay cannot be used together";
    return false;
  }
  out = o;
  return true;
}

std::string GameUsage() {
  return "Usage: quorvel [OPTION]...\n"
         "A small racing game: three laps round a flat course.\n"
         "\n"
         "  --scale N        show the window N times the 96-dpi size (1 to 16)\n"
         "  --fullscreen     start in fullscreen (F11 or Alt+Enter toggles it)\n"
         "  --record FILE    write the race's input to FILE as a quorvel-sim script\n"
         "  --replay FILE    play a recording back in the window (Esc ends it)\n"
         "  --help           show this help and exit\n"
         "  --version        show the version and exit\n";
}

std::string GameVersionLine() {
  return std::string("quorvel ") + QUORVEL_VERSION;
}

}  // namespace quorvel
