#include "app/sim_driver.h"

#include <charconv>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/sim_script.h"
#include "app/state_json.h"
#include "platform/headless/headless_platform.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"

namespace quorvel {

namespace {

constexpr int kExitBad = 2;

struct SimOptions {
  int width = 337;  // the real game window's drawing surface, pixels
  int height = 337;
  bool draw_log = false;
  std::string frames_dir;
};

// A script line that is malformed or does not fit the current state.
struct ScriptError {
  int line;
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
    } else if (a == "--draw-log") {
      o.draw_log = true;
    } else if (a == "--frames") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "--frames takes a directory";
        return false;
      }
      o.frames_dir = args[++i];
    } else {
      error = "unknown option '" + a +
              "' (usage: quorvel-sim [--surface W H] [--draw-log] [--frames DIR] < SCRIPT)";
      return false;
    }
  }
  return true;
}

class Sim {
 public:
  Sim(const SimOptions& o, std::istream& script, std::ostream& out)
      : options_(o), platform_(o.width, o.height), script_(script), out_(out) {
    platform_.SetMenuSource([this] { return NextMenuEvent(); });
    if (o.draw_log) platform_.SetDrawLog(&out_);
  }

  bool SetFrames(std::string& error) {
    if (options_.frames_dir.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(options_.frames_dir, ec);
    if (ec) {
      error = "cannot create " + options_.frames_dir + ": " + ec.message();
      return false;
    }
    return platform_.SetFramesDir(options_.frames_dir, error);
  }

  // Returns the exit status; throws ScriptError.
  int Run() {
    Form1_Load(game_, platform_);
    PrintState("load", 0);
    std::string text;
    while (std::getline(script_, text)) {
      ++line_no_;
      SimCommand cmd;
      std::string error;
      if (!ParseSimLine(text, cmd, error)) throw ScriptError{line_no_, error};
      switch (cmd.kind) {
        case SimCommand::kSkip:
          continue;
        case SimCommand::kKey:
        case SimCommand::kPoll:
          throw ScriptError{line_no_, "the menu window is not open: key and poll need it"};
        case SimCommand::kClose:
          // The title-bar close button unloads the game window.
          game_.form1.Unloaded = true;
          PrintState("close", line_no_);
          return 0;
        case SimCommand::kTick:
          platform_.SetHeldKeys(cmd.keys);
          platform_.SetJoystick(cmd.joy);
          event_ = "tick";
          event_line_ = line_no_;
          Timer1_Timer(game_, platform_);
          PrintState(event_, event_line_);
          if (game_.form1.Unloaded) return 0;
          break;
      }
    }
    return 0;
  }

 private:
  void PrintState(const char* event, int line) {
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
    // A frame that could not be written is not a game state anyone asked
    // for: stop rather than leave a silent gap in the frames.
    if (!platform_.frames_error().empty()) {
      throw ScriptError{line, "cannot write frames: " + platform_.frames_error()};
    }
  }

  // Called by the modal menu once it has loaded and after every event that
  // left it open: prints the state of the command just carried out and
  // reads the next one, which must be a key or a poll.
  MenuEvent NextMenuEvent() {
    PrintState(event_, event_line_);
    std::string text;
    while (std::getline(script_, text)) {
      ++line_no_;
      SimCommand cmd;
      std::string error;
      if (!ParseSimLine(text, cmd, error)) throw ScriptError{line_no_, error};
      MenuEvent e;
      switch (cmd.kind) {
        case SimCommand::kSkip:
          continue;
        case SimCommand::kTick:
        case SimCommand::kClose:
          throw ScriptError{line_no_, "the menu window is open: only key and poll fit now"};
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
      event_line_ = line_no_;
      return e;
    }
    throw EndOfScript{};
  }

  SimOptions options_;
  HeadlessPlatform platform_;
  Game game_;
  std::istream& script_;
  std::ostream& out_;
  int line_no_ = 0;
  const char* event_ = "tick";
  int event_line_ = 0;
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
  Sim sim(options, script, out);
  if (!sim.SetFrames(error)) {
    err << "quorvel-sim: " << error << '\n';
    return kExitBad;
  }
  try {
    const int status = sim.Run();
    out.flush();
    return status;
  } catch (const ScriptError& e) {
    out.flush();
    err << "quorvel-sim: line " << e.line << ": " << e.message << '\n';
    return kExitBad;
  } catch (const EndOfScript&) {
    out.flush();
    return 0;
  }
}

}  // namespace quorvel
