#include "app/sim_driver.h"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <ios>
#include <memory>
#include <new>
#include <streambuf>
#include <string>
#include <system_error>

#include "app/quoted_text.h"
#include "app/script_reader.h"
#include "app/sim_script.h"
#include "app/state_json.h"
#include "platform/headless/headless_platform.h"
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
    "usage: quorvel-sim [--surface W H] [--draw-log] [--frames DIR] < SCRIPT";

struct SimOptions {
  bool help = false;
  bool version = false;
  int width = 337;  // the real game window's drawing surface, pixels
  int height = 337;
  bool draw_log = false;
  std::string frames_dir;
};

// A script line that is malformed or does not fit the current state.
struct ScriptError {
  std::int64_t line;
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

bool ParseOptions(const std::vector<std::string>& args, SimOptions& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--surface") {
      if (i + 2 >= args.size() || !ParseSize(args[i + 1], o.width) ||
          !ParseSize(args[i + 2], o.height)) {
        error = "--surface takes a width and a height in pixels, 1 to 10000";
        return false;
      }
      i += 2;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--draw-log") {
      o.draw_log = true;
    } else if (a == "--frames") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "--frames takes a directory";
        return false;
      }
      o.frames_dir = args[++i];
    } else {
      error = "unknown option " + Quoted(a) + " (" + kUsageLine + ")";
      return false;
    }
  }
  return true;
}

class Sim {
 public:
  Sim(const SimOptions& o, std::istream& script, std::ostream& out)
      : options_(o), platform_(o.width, o.height), reader_(script, &out), out_(out) {
    platform_.SetMenuSource([this] { return NextMenuEvent(); });
    if (o.draw_log) platform_.SetDrawLog(&out_);
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

  // Returns the exit status; throws ScriptError.
  int Run() {
    Form1_Load(game_, platform_);
    PrintState("load", 0);
    SimCommand cmd;
    while (NextCommand(cmd)) {
      switch (cmd.kind) {
        case SimCommand::kSkip:
          continue;
        case SimCommand::kKey:
        case SimCommand::kPoll:
          throw ScriptError{Line(), "the menu window is not open: key and poll need it"};
        case SimCommand::kClose:
          // The title-bar close button unloads the game window.
          game_.form1.Unloaded = true;
          PrintState("close", Line());
          return 0;
        case SimCommand::kTick:
          platform_.SetHeldKeys(cmd.keys);
          platform_.SetJoystick(cmd.joy);
          event_ = "tick";
          event_line_ = Line();
          Timer1_Timer(game_, platform_);
          PrintState(event_, event_line_);
          if (game_.form1.Unloaded) return 0;
          break;
      }
    }
    return 0;
  }

 private:
  std::int64_t Line() const { return reader_.line_number(); }

  // Reads and parses the next line; false at the end of the script.
  bool NextCommand(SimCommand& cmd) {
    std::string text, error;
    switch (reader_.Next(text)) {
      case ScriptReader::kLine:
        if (!ParseSimLine(text, cmd, error)) throw ScriptError{Line(), error};
        return true;
      case ScriptReader::kEnd:
        return false;
      case ScriptReader::kTooLong:
        throw ScriptError{Line(),
                          "longer than " + std::to_string(ScriptReader::kMaxLineBytes) + " bytes"};
      case ScriptReader::kReadError:
        break;
    }
    throw RunFailure{"cannot read the script: " + reader_.error()};
  }

  void PrintState(const char* event, std::int64_t line) {
    // A frame that could not be written is not a game state anyone asked
    // for: stop before the state line rather than leave a silent gap in the
    // frames.
    if (!platform_.frames_error().empty()) {
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
    out_ << StateLineJson(game_, x) << '\n';
    platform_.ResetCounters();
  }

  // Called by the modal menu once it has loaded and after every event that
  // left it open: prints the state of the command just carried out and
  // reads the next one, which must be a key or a poll.
  MenuEvent NextMenuEvent() {
    PrintState(event_, event_line_);
    SimCommand cmd;
    while (NextCommand(cmd)) {
      MenuEvent e;
      switch (cmd.kind) {
        case SimCommand::kSkip:
          continue;
        case SimCommand::kTick:
        case SimCommand::kClose:
          throw ScriptError{Line(), "the menu window is open: only key and poll fit now"};
        case SimCommand::kKey:
          e.kind = MenuEvent::kKey;
          e.key = cmd.key;
          event_ = "key";
          break;
        case SimCommand::kPoll:
          e.kind = MenuEvent::kPoll;
          e.joy = cmd.joy;
          event_ = "poll";
          break;
      }
      event_line_ = Line();
      return e;
    }
    throw EndOfScript{};
  }

  SimOptions options_;
  HeadlessPlatform platform_;
  Game game_;
  ScriptReader reader_;
  std::ostream& out_;
  const char* event_ = "tick";
  std::int64_t event_line_ = 0;
};

// Runs `body`, which writes to `out`, and everything it has written is
// flushed: its exit status, or kExitFailed when writing failed. `failure`
// gets the one line for standard error, or stays empty.
int Guarded(std::ostream& out, std::string& failure, const std::function<int()>& body) {
  // A failed write throws, wherever in the game it happens (a draw-log
  // line is written at each refresh), and ends the run.
  const std::ios::iostate old_exceptions = out.exceptions();
  int status = 0;
  try {
    out.exceptions(std::ios::badbit);
    try {
      status = body();
    } catch (const EndOfScript&) {
    } catch (const ScriptError& e) {
      failure = "line " + std::to_string(e.line) + ": " + e.message;
      status = kExitBad;
    } catch (const RunFailure& e) {
      failure = e.message;
      status = kExitFailed;
    }
    // Everything printed before a failure stands.
    out.flush();
  } catch (const std::ios_base::failure& e) {
    const bool system = e.code().category() == std::system_category();
    failure = "cannot write the output" + (system ? ": " + e.code().message() : "");
    status = kExitFailed;
  }
  out.clear();
  out.exceptions(old_exceptions);
  return status;
}

// Takes whatever is written and keeps nothing.
class DiscardBuf final : public std::streambuf {
 protected:
  int_type overflow(int_type c) override {
    setp(buffer_, buffer_ + sizeof buffer_);
    return traits_type::not_eof(c);
  }

 private:
  char buffer_[256];
};

}  // namespace

int RunSim(const std::vector<std::string>& args, std::istream& script, std::ostream& out,
           std::ostream& err) {
  SimOptions options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    err << "quorvel-sim: " << error << '\n';
    return kExitBad;
  }
  std::string failure;  // the one line for standard error
  int status = 0;
  if (options.help || options.version) {
    status = Guarded(out, failure, [&] {
      if (options.help) {
        out << kUsageLine << "\n"
            << "Runs the game headless on a script read from standard input and prints the\n"
               "game state as one JSON line after every step.\n"
               "\n"
               "  --surface W H  the drawing surface's size in pixels (default 337 337)\n"
               "  --draw-log     also print every drawing operation, one line per frame\n"
               "  --frames DIR   write every frame as DIR/frame-000001.png, ...\n"
               "  --help         show this help and exit\n"
               "  --version      show the version and exit\n";
      } else {
        out << "quorvel-sim " << QUORVEL_VERSION << '\n';
      }
      return 0;
    });
  } else {
    std::unique_ptr<Sim> sim;
    try {
      sim = std::make_unique<Sim>(options, script, out);
    } catch (const std::bad_alloc&) {
      err << "quorvel-sim: not enough memory for a " << options.width << " x " << options.height
          << " drawing surface\n";
      return kExitBad;
    }
    if (!sim->SetFrames(error)) {
      err << "quorvel-sim: " << error << '\n';
      return kExitBad;
    }
    status = Guarded(out, failure, [&] { return sim->Run(); });
  }
  if (!failure.empty()) err << "quorvel-sim: " << failure << '\n';
  return status;
}

std::string CheckSimScript(const std::string& text) {
  TextInBuf in_buf(text);
  std::istream script(&in_buf);
  DiscardBuf out_buf;
  std::ostream out(&out_buf);
  Sim sim(SimOptions{}, script, out);
  std::string failure;
  Guarded(out, failure, [&] { return sim.Run(); });
  return failure;
}

}  // namespace quorvel
