#include "app/sim_driver.h"

#include <getopt.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#include "app/game_options.h"
#include "app/ghost_run.h"
#include "app/input_script.h"
#include "app/quoted_text.h"
#include "app/race_records.h"
#include "app/state_json.h"
#include "platform/headless/headless_platform.h"
#include "race/between_ticks.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"

namespace quorvel {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBad = 2;

#ifndef QUORVEL_VERSION
#error "QUORVEL_VERSION must be defined by the build"
#endif

constexpr const char* kUsageLine =
    "usage: quorvel-sim [--surface W H] [--draw-log] [--frames DIR] [--subframes N] "
    "[--records DIR] [--ghost FILE] < SCRIPT";

// A script line that is malformed or does not fit the current state:
// "line N: what is wrong".
struct ScriptError {
  std::string message;
};
// The run cannot go on: the script cannot be read, a frame cannot be
// written.
struct RunFailure {
  std::string message;
};
// The script ended while the menu window was open.
struct EndOfScript {};

bool ParseSize(const std::string& word, int& out) {
  int v = 0;
  auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || ptr != word.data() + word.size() || v < 1 || v > 10000) return false;
  out = v;
  return true;
}

}  // namespace

constexpr int64_t kMaxSurfacePixels = int64_t{2048} * 2048;
constexpr const char* kSurfaceRange =
    "--surface takes a width and a height in pixels, 1 to 10000 each and at most 4194304 pixels "
    "in all";

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
  // getopt_long's codes, above any character; "+": stop at the first word
  // that is not an option, ":": tell a missing value from an unknown option.
  enum { kSurface = 256, kDrawLog, kFrames, kSubframes, kHelp, kVersion, kRecords, kGhost };
  static constexpr option kOptions[] = {
      {"surface", required_argument, nullptr, kSurface},
      {"draw-log", no_argument, nullptr, kDrawLog},
      {"frames", required_argument, nullptr, kFrames},
      {"subframes", required_argument, nullptr, kSubframes},
      {"records", required_argument, nullptr, kRecords},
      {"ghost", required_argument, nullptr, kGhost},
      {"help", no_argument, nullptr, kHelp},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0},
  };
  OptionArgv line("quorvel-sim", args);
  const std::vector<std::string>& words = line.words;
  const std::vector<char*>& argv = line.argv;
  const int argc = line.argc();
  // What a missing or mistaken value of the option `c` is told with.
  const auto takes = [](int c) {
    return c == kSurface   ? kSurfaceRange
           : c == kFrames  ? "--frames takes a directory"
           : c == kRecords ? "--records takes a directory"
           : c == kGhost   ? "--ghost takes a recording"
                           : "--subframes takes a whole number from 1 to 16";
  };
  const auto unknown = [&](int at) {
    error =
        "unknown option " + Quoted(words[static_cast<std::size_t>(at)]) + " (" + kUsageLine + ")";
    return false;
  };
  for (;;) {
    const int word = optind == 0 ? 1 : optind;
    const int code = getopt_long(argc, argv.data(), "+:h", kOptions, nullptr);
    if (code == -1) break;
    const std::string value = optarg != nullptr ? optarg : "";
    switch (code) {
      case kSurface:
        // The height is the next word.
        // At most 2048 x 2048 pixels in all: the surface and a frame's image
        // then take 32 MiB, far below the 100 MB no run may need.
        if (optind >= argc || !ParseSize(value, o.width) ||
            !ParseSize(words[static_cast<std::size_t>(optind++)], o.height) ||
            int64_t{o.width} * o.height > kMaxSurfacePixels) {
          error = takes(code);
          return false;
        }
        break;
      case kSubframes:
        if (!ParseSize(value, o.subframes) || o.subframes > 16) {
          error = takes(code);
          return false;
        }
        break;
      case kFrames:
        if (value.empty()) {
          error = takes(code);
          return false;
        }
        // `--frames --draw-log` forgot the folder: no folder named after an
        // option is made (./--draw-log names one on purpose).
        if (LooksLikeOption(value) && optarg == argv[static_cast<std::size_t>(optind - 1)]) {
          error = std::string(takes(code)) + ", not the option " + Quoted(value) +
                  " (put ./ before a folder of that name)";
          return false;
        }
        o.frames_dir = value;
        break;
      case kRecords:
      case kGhost:
        if (value.empty() ||
            (LooksLikeOption(value) && optarg == argv[static_cast<std::size_t>(optind - 1)])) {
          error = takes(code);
          return false;
        }
        (code == kRecords ? o.records_dir : o.ghost_path) = value;
        break;
      case kDrawLog:
        o.draw_log = true;
        break;
      case 'h':
      case kHelp:
        o.help = true;
        break;
      case kVersion:
        o.version = true;
        break;
      case ':':
        error = takes(optopt);
        return false;
      default:
        return unknown(word);
    }
  }
  return optind < argc ? unknown(optind) : true;
}

namespace {

// A write to the output failed: errno then.
struct WriteFailure {
  int error;
};

// Writes `text` to `out` (nullptr: standard output was closed); throws at
// the first failure, wherever in the game it happens (a draw-log line is
// written at each refresh), and so ends the run.
void Put(FILE* out, const std::string& text) {
  if (out == nullptr) throw WriteFailure{EBADF};
  if (std::fwrite(text.data(), 1, text.size(), out) != text.size()) throw WriteFailure{errno};
}

void Flush(FILE* out) {
  if (out != nullptr && std::fflush(out) != 0) throw WriteFailure{errno};
}

class Sim {
 public:
  Sim(const SimOptions& o, int script_fd, FILE* out)
      : options_(o),
        platform_(o.width, o.height),
        script_(script_fd, [out] { Flush(out); }),
        out_(out) {
    script_.VerifyAgainst(&game_.s);
    platform_.SetMenuSource([this] { return NextMenuEvent(); });
    if (o.draw_log) platform_.SetDrawLog([out](const std::string& line) { Put(out, line); });
  }

  bool SetFrames(std::string& error) {
    if (options_.frames_dir.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(options_.frames_dir, ec);
    if (ec) {
      error =
          "cannot create " + Quoted(options_.frames_dir, kMaxQuotedPathChars) + ": " + ec.message();
      return false;
    }
    if (platform_.SetFramesDir(options_.frames_dir, error)) return true;
    error =
        "cannot write frames in " + Quoted(options_.frames_dir, kMaxQuotedPathChars) + ": " + error;
    return false;
  }

  // The records and the ghost, when asked for: false with one line in
  // `error` for a ghost recording that cannot be read or does not replay.
  bool SetRecords(FILE* err, std::string& error) {
    if (options_.records_dir.empty() && options_.ghost_path.empty()) return true;
    RaceRecordsSetup setup;
    setup.dir = options_.records_dir;
    if (!options_.ghost_path.empty()) {
      const std::string name = Quoted(options_.ghost_path, kMaxQuotedPathChars);
      std::string text, why;
      if (ReadBestRun(options_.ghost_path, text, why) != ReadResult::kRead) {
        error =
            name + ": cannot read it: " + (why.empty() ? std::string(std::strerror(ENOENT)) : why);
        return false;
      }
      if (GhostRun::Load(text, why) == nullptr) {
        error = name + ": does not replay: " + why;
        return false;
      }
      setup.ghost_text = std::move(text);
    }
    setup.header = std::string("quorvel-sim ") + QUORVEL_VERSION + " best run";
    setup.warn = [err](const std::string& w) {
      std::fprintf(err, "quorvel-sim: warning: %s\n", w.c_str());
    };
    records_ = std::make_unique<RaceRecords>(game_, platform_, std::move(setup));
    return true;
  }

  // Returns the exit status; throws ScriptError.
  int Run() {
    Form1_Load(game_, platform_);
    if (records_) records_->AfterEvent();
    PrintState("load", 0);
    InputEvent e;
    for (bool more = Next(false, e); more;) {
      event_line_ = script_.line_number();
      if (e.kind == InputEvent::kClose) {
        // The title-bar close button unloads the game window.
        game_.form1.Unloaded = true;
        PrintState("close", event_line_);
        return 0;
      }
      event_ = "tick";
      if (records_) records_->Take(e, false);
      Timer1_Timer(game_, platform_, e);
      if (records_) records_->AfterEvent();
      PrintState(event_, event_line_);
      if (game_.form1.Unloaded) return 0;
      const bool moving = options_.subframes > 1 && MovesBetweenTicks(game_);
      const InputEvent tick = e;
      more = Next(false, e);
      // The pictures between this tick and the next, predicted with the
      // next tick's input (or this one's at the end), as a replay draws them.
      for (int i = 1; moving && i < options_.subframes; ++i) {
        platform_.SetSubframe(i);
        DrawBetweenTicks(game_, platform_.Picture1(),
                         more && e.kind == InputEvent::kTick ? e : tick,
                         static_cast<double>(i) / options_.subframes);
      }
      platform_.SetSubframe(0);
    }
    return 0;
  }

 private:
  // The next command that fits; false at the end of the script.
  bool Next(bool menu_open, InputEvent& e) {
    switch (script_.Next(menu_open, e)) {
      case InputScript::kEvent:
        return true;
      case InputScript::kEnd:
        return false;
      case InputScript::kBad:
        throw ScriptError{script_.error()};
      case InputScript::kReadError:
        break;
    }
    throw RunFailure{"cannot read the script: " + script_.error()};
  }

  void PrintState(const char* event, std::int64_t line) {
    // A frame that could not be written is not a game state anyone asked
    // for: stop before the state line rather than leave a silent gap in the
    // frames.
    if (!platform_.frames_error().empty()) {
      // SDL's own words for a failed allocation: the frames' image did not
      // fit in memory, as the surface itself may not.
      if (platform_.frames_error().find("Out of memory") != std::string::npos) {
        throw std::bad_alloc();
      }
      const std::string where = line > 0 ? "line " + std::to_string(line) : "load";
      throw RunFailure{where + ": cannot write frames in " +
                       Quoted(options_.frames_dir, kMaxQuotedPathChars) + ": " +
                       platform_.frames_error()};
    }
    StateLineExtras x;
    x.event = event;
    x.line = line;
    x.surface_width = options_.width;
    x.surface_height = options_.height;
    x.timer = game_.form1.Timer1Enabled;
    x.draws = platform_.draws();
    x.slept = platform_.slept_ms();
    x.ended = game_.form1.Unloaded;
    Put(out_, StateLineJson(game_, x) + '\n');
    platform_.ResetCounters();
  }

  // Called by the modal menu once it has loaded and after every event that
  // left it open: prints the state of the command just carried out and
  // reads the next one, which must be a key or a poll.
  std::optional<InputEvent> NextMenuEvent() {
    PrintState(event_, event_line_);
    InputEvent e;
    if (!Next(true, e)) throw EndOfScript{};
    event_ = e.kind == InputEvent::kKey ? "key" : "poll";
    event_line_ = script_.line_number();
    if (records_) records_->Take(e, true);
    return e;
  }

  SimOptions options_;
  HeadlessPlatform platform_;
  Game game_;
  std::unique_ptr<RaceRecords> records_;  // after game_: it lets go of the ghost first
  InputScript script_;
  FILE* out_;
  const char* event_ = "tick";
  std::int64_t event_line_ = 0;
};

// Runs `body`, which writes to `out`, and everything it has written is
// flushed: its exit status, or kExitFailed when writing failed. `failure`
// gets the one line for standard error, or stays empty.
int Guarded(FILE* out, std::string& failure, const std::function<int()>& body,
            const std::string& out_of_memory = "not enough memory") {
  int status = 0;
  try {
    try {
      status = body();
    } catch (const std::bad_alloc&) {
      failure = out_of_memory;
      status = kExitBad;
    } catch (const EndOfScript&) {
    } catch (const ScriptError& e) {
      failure = e.message;
      status = kExitBad;
    } catch (const RunFailure& e) {
      failure = e.message;
      status = kExitFailed;
    }
    // Everything printed before a failure stands.
    Flush(out);
  } catch (const WriteFailure& e) {
    failure = std::string("cannot write the output: ") + std::strerror(e.error);
    status = kExitFailed;
  }
  return status;
}

}  // namespace

int RunSim(const std::vector<std::string>& args, int script_fd, FILE* out, FILE* err) {
  SimOptions options;
  std::string error;
  if (!ParseSimOptions(args, options, error)) {
    std::fprintf(err, "quorvel-sim: %s\n", error.c_str());
    return kExitBad;
  }
  std::string failure;  // the one line for standard error
  int status = 0;
  if (options.help || options.version) {
    status = Guarded(out, failure, [&] {
      if (options.help) {
        Put(out, std::string(kUsageLine) + "\n" +
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
                     "  --help         show this help and exit\n"
                     "  --version      show the version and exit\n");
      } else {
        Put(out, std::string("quorvel-sim ") + QUORVEL_VERSION + "\n");
      }
      return 0;
    });
  } else {
    std::unique_ptr<Sim> sim;
    try {
      sim = std::make_unique<Sim>(options, script_fd, out);
    } catch (const std::bad_alloc&) {
      std::fprintf(err, "quorvel-sim: not enough memory for a %d x %d drawing surface\n",
                   options.width, options.height);
      return kExitBad;
    }
    bool frames_set = false;
    try {
      frames_set = sim->SetFrames(error);
    } catch (const std::bad_alloc&) {
      error = "not enough memory for the frames of a " + std::to_string(options.width) + " x " +
              std::to_string(options.height) + " drawing surface";
    }
    if (!frames_set) {
      std::fprintf(err, "quorvel-sim: %s\n", error.c_str());
      return kExitBad;
    }
    bool records_set = false;
    try {
      records_set = sim->SetRecords(err, error);
    } catch (const std::bad_alloc&) {
      error = "not enough memory for the ghost's recording";
    }
    if (!records_set) {
      std::fprintf(err, "quorvel-sim: %s\n", error.c_str());
      return kExitBad;
    }
    status = Guarded(
        out, failure, [&] { return sim->Run(); },
        "not enough memory for the frames of a " + std::to_string(options.width) + " x " +
            std::to_string(options.height) + " drawing surface");
  }
  if (!failure.empty()) std::fprintf(err, "quorvel-sim: %s\n", failure.c_str());
  return status;
}

}  // namespace quorvel
