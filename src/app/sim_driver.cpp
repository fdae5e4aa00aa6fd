#include "app/sim_driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "app/options.h"
#include "app/race_records.h"
#include "app/recording.h"
#include "app/sound_tap.h"
#include "app/state_json.h"
#include "base/text.h"
#include "platform/headless/frame_writer.h"
#include "platform/headless/headless_platform.h"
#include "race/between_ticks.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"
#include "sound/sound_synth.h"
#include "sound/wav_file.h"

namespace quorvel {

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBad = 2;

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
    platform_.SetTaps(&taps_);
    if (o.draw_log) platform_.SetDrawLog([out](const std::string& line) { Put(out, line); });
  }
  ~Sim() {
    if (audio_file_ != nullptr) std::fclose(audio_file_);
  }
  Sim(const Sim&) = delete;
  Sim& operator=(const Sim&) = delete;

  bool SetFrames(std::string& error) {
    if (options_.frames_dir.empty()) return true;
    std::error_code ec;
    std::filesystem::create_directories(options_.frames_dir, ec);
    if (ec) {
      error =
          "cannot create " + Quoted(options_.frames_dir, kMaxQuotedPathChars) + ": " + ec.message();
      return false;
    }
    if (!frames_.SetDir(options_.frames_dir, error)) {
      error = "cannot write frames in " + Quoted(options_.frames_dir, kMaxQuotedPathChars) + ": " +
              error;
      return false;
    }
    platform_.SetOnRefresh([this](long frame, int subframe) {
      frames_.Write(frame, subframe, platform_.raster().image(), platform_.labels(),
                    platform_.notes());
      return frames_.error().empty();
    });
    return true;
  }

  // The records and the ghost, when asked for: false with one line in
  // `error` for a ghost recording that cannot be read or does not start.
  bool SetRecords(FILE* err, std::string& error) {
    if (options_.records_dir.empty() && options_.ghost_path.empty()) return true;
    RaceRecordsSetup setup;
    setup.dir = options_.records_dir;
    if (!options_.ghost_path.empty()) {
      const std::string name = Quoted(options_.ghost_path, kMaxQuotedPathChars);
      const int fd = open(options_.ghost_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      struct stat st {};
      if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = name + ": cannot read it: " +
                (fd < 0 ? std::strerror(errno) : "not a recording (a regular file)");
        if (fd >= 0) close(fd);
        return false;
      }
      const Ghost ghost{RecordingReader(fd)};
      close(fd);
      if (!ghost.error().empty()) {
        error = name + ": does not replay: " + ghost.error();
        return false;
      }
      setup.ghost_path = options_.ghost_path;
    }
    setup.header = SimVersionLine() + " best run";
    setup.warn = [err](const std::string& w) {
      std::fprintf(err, "quorvel-sim: warning: %s\n", w.c_str());
    };
    setup.new_record = [this] {
      if (sound_ != nullptr) sound_->NewRecord();
    };
    records_ = std::make_unique<RaceRecords>(game_, platform_, std::move(setup));
    taps_.Add(*records_);
    return true;
  }

  // The script's sound into the --audio file, after the records' tap, which
  // tells it of a new record: false with one line in `error` when the file
  // cannot be made.
  bool SetAudio(std::string& error) {
    if (options_.audio_path.empty()) return true;
    const std::string name = Quoted(options_.audio_path, kMaxQuotedPathChars);
    // Not blocking: a FIFO that nothing reads is refused at once rather
    // than waited on.
    const int fd = open(options_.audio_path.c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = "cannot create " + name + ": " +
              (errno == ENXIO ? "a pipe that nothing reads" : std::strerror(errno));
      return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    audio_file_ = fdopen(fd, "wb");
    if (audio_file_ == nullptr) close(fd);
    if (audio_file_ == nullptr || !wav_.Start(audio_file_)) {
      error =
          name + ": " +
          (audio_file_ == nullptr ? std::string("cannot write the sound: ") + std::strerror(errno)
                                  : wav_.error());
      return false;
    }
    synth_ = std::make_unique<SoundSynth>();
    sound_ = std::make_unique<SoundTap>(game_, *synth_, [this](int64_t n) { Render(n); });
    taps_.Add(*sound_);
    return true;
  }

  // Completes the --audio file with what has been played, however the run
  // ended: "" or the one line saying why it could not be written.
  std::string FinishAudio() {
    if (audio_file_ == nullptr) return {};
    if (audio_error_.empty() && !wav_.Finish()) audio_error_ = wav_.error();
    if (std::fclose(audio_file_) != 0 && audio_error_.empty()) {
      audio_error_ = std::string("cannot write the sound: ") + std::strerror(errno);
    }
    audio_file_ = nullptr;
    if (audio_error_.empty()) return {};
    return Quoted(options_.audio_path, kMaxQuotedPathChars) + ": " + audio_error_;
  }

  // Whether --records kept less than the run asked for (said as it
  // happened).
  bool RecordsLost() const { return records_ != nullptr && records_->lost(); }

  // Returns the exit status; throws ScriptError.
  int Run() {
    Form1_Load(game_, platform_);
    taps_.AfterTick();
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
      taps_.Before(e, false);
      Timer1_Timer(game_, platform_, e);
      taps_.AfterTick();
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
      case RecordingReader::kEvent:
        return true;
      case RecordingReader::kEnd:
        return false;
      case RecordingReader::kBad:
        throw ScriptError{script_.error()};
      case RecordingReader::kReadError:
        break;
    }
    throw RunFailure{"cannot read the script: " + script_.error()};
  }

  // The next `n` samples of the sound into the --audio file; the first
  // failure stops the run at the next state line.
  void Render(int64_t n) {
    while (n > 0 && audio_error_.empty()) {
      const auto count = static_cast<std::size_t>(std::min<int64_t>(n, kTickSamples));
      samples_.resize(count);
      synth_->Render(samples_.data(), count);
      if (!wav_.Write(samples_.data(), count)) audio_error_ = wav_.error();
      n -= static_cast<int64_t>(count);
    }
  }

  void PrintState(const char* event, std::int64_t line) {
    // A frame that could not be written is not a game state anyone asked
    // for: stop before the state line rather than leave a silent gap in the
    // frames.
    if (!frames_.error().empty()) {
      // SDL's own words for a failed allocation: the frames' image did not
      // fit in memory, as the surface itself may not.
      if (frames_.error().find("Out of memory") != std::string::npos) throw std::bad_alloc();
      const std::string where = line > 0 ? "line " + std::to_string(line) : "load";
      throw RunFailure{where + ": cannot write frames in " +
                       Quoted(options_.frames_dir, kMaxQuotedPathChars) + ": " + frames_.error()};
    }
    if (!audio_error_.empty()) {
      const std::string where = line > 0 ? "line " + std::to_string(line) : "load";
      throw RunFailure{where + ": " + Quoted(options_.audio_path, kMaxQuotedPathChars) + ": " +
                       audio_error_};
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
    taps_.Before(e, true);
    return e;
  }

  SimOptions options_;
  HeadlessPlatform platform_;
  FrameWriter frames_;
  Game game_;
  std::unique_ptr<RaceRecords> records_;  // after game_: it lets go of the ghost first
  // --audio: the sound played into the WAV file.
  FILE* audio_file_ = nullptr;
  WavWriter wav_;
  std::unique_ptr<SoundSynth> synth_;
  std::unique_ptr<SoundTap> sound_;
  std::vector<int16_t> samples_;
  std::string audio_error_;  // the first failed write's why
  InputTaps taps_;
  RecordingReader script_;
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
        Put(out, SimUsage());
      } else {
        Put(out, SimVersionLine() + "\n");
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
    if (!sim->SetAudio(error)) {
      std::fprintf(err, "quorvel-sim: %s\n", error.c_str());
      return kExitBad;
    }
    status = Guarded(
        out, failure, [&] { return sim->Run(); },
        "not enough memory for the frames of a " + std::to_string(options.width) + " x " +
            std::to_string(options.height) + " drawing surface");
    // A sound file that could not be completed is a failure, said once.
    const std::string audio_failure = sim->FinishAudio();
    if (!audio_failure.empty() && failure.empty()) {
      failure = audio_failure;
      if (status == 0) status = kExitFailed;
    }
    // A records folder that keeps nothing is a failure, as a recording that
    // cannot be written is.
    if (status == 0 && sim->RecordsLost()) status = kExitFailed;
  }
  if (!failure.empty()) std::fprintf(err, "quorvel-sim: %s\n", failure.c_str());
  return status;
}

}  // namespace quorvel
