// The game on real windows: opens the display and the game window, then runs
// the game window's handlers until it is unloaded or closed.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/game_options.h"
#include "app/input_recorder.h"
#include "app/input_replay.h"
#include "app/quoted_text.h"
#include "app/script_file.h"
#include "app/settings_file.h"
#include "app/sim_driver.h"
#include "platform/sdl/sdl_platform.h"
#include "race/game.h"
#include "race/game_window_handlers.h"

namespace {

// The game window's handlers, with a recording or a replay (at most one of
// them) told where each tick begins and ends.
class Form1Adapter final : public quorvel::GameWindowHandlers {
 public:
  Form1Adapter(quorvel::Form1Handlers& form1, quorvel::InputRecorder* recorder,
               quorvel::InputReplay* replay)
      : form1_(form1), recorder_(recorder), replay_(replay) {}
  void Form_Load() override { form1_.Form_Load(); }
  void Timer1_Timer() override {
    if (replay_ != nullptr && !replay_->StartTick()) return;
    if (recorder_ != nullptr) recorder_->TickStarted();
    form1_.Timer1_Timer();
    if (recorder_ != nullptr) recorder_->TickEnded();
  }

 private:
  quorvel::Form1Handlers& form1_;
  quorvel::InputRecorder* recorder_;
  quorvel::InputReplay* replay_;
};

// The recording's first line: the game's version and when it was made (UTC).
std::string RecordingHeader() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return quorvel::GameVersionLine() + " recording, " + when;
}

// The --help or --version text on standard output: 0, or 1 with one line
// on standard error when it cannot be written.
int PrintOutput(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "quorvel: cannot write the output: %s\n", std::strerror(errno));
  return 1;
}

void ReportRecordingFailure(const std::string& name, const std::string& why) {
  std::fprintf(stderr, "quorvel: cannot write the recording %s: %s\n", name.c_str(), why.c_str());
}

// Empties the recording once the game is sure to start, so that a start
// that fails leaves an earlier recording as it was. Only a regular file
// has anything to empty (a pipe or /dev/null has not). "" or why not.
std::string EmptyRecording(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return std::strerror(errno);
  if (S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0) return std::strerror(errno);
  return "";
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// SDL's X11 driver opens a D-Bus connection (screensaver, input methods) and
// the D-Bus library keeps one buffer past SDL_Quit; not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  quorvel::GameOptions options;
  std::string error;
  // A bad command line is reported before any window opens.
  if (!quorvel::ParseGameOptions(args, options, error)) {
    std::fprintf(stderr, "quorvel: %s\n", error.c_str());
    return 2;
  }
  if (options.help) return PrintOutput(quorvel::GameUsage());
  if (options.version) return PrintOutput(quorvel::GameVersionLine() + "\n");
  const std::string record_name =
      quorvel::Quoted(options.record_path, quorvel::kMaxQuotedPathChars);
  const std::string replay_name =
      quorvel::Quoted(options.replay_path, quorvel::kMaxQuotedPathChars);
  // The files are opened, and a replay played through the headless game to
  // its end, before any window opens.
  int record_fd = -1;
  if (!options.record_path.empty()) {
    record_fd = open(options.record_path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (record_fd < 0) {
      std::fprintf(stderr, "quorvel: cannot create the recording %s: %s\n", record_name.c_str(),
                   std::strerror(errno));
      return 2;
    }
  }
  quorvel::ScriptFile replay_file;
  if (!options.replay_path.empty()) {
    if (replay_file.Open(options.replay_path, error)) {
      error = quorvel::CheckSimScript(replay_file.text());
    }
    if (!error.empty()) {
      std::fprintf(stderr, "quorvel: %s: %s\n", replay_name.c_str(), error.c_str());
      return 2;
    }
  }
  // The player's remembered window choices; the command line wins for this
  // run. A bad settings file costs warnings, never the start.
  std::vector<std::string> warnings;
  quorvel::SettingsFile settings = quorvel::SettingsFile::Load(quorvel::SettingsPath(), warnings);
  for (const std::string& warning : warnings) {
    std::fprintf(stderr, "quorvel: warning: %s\n", warning.c_str());
  }
  quorvel::WindowStart start;
  start.scale = options.scale ? options.scale : settings.values().scale;
  start.fullscreen = options.fullscreen || settings.values().fullscreen;
  bool saving = true;  // one warning for a save that fails, not one per key press
  start.choice_changed = [&settings, &saving](const quorvel::WindowChoice& choice) {
    quorvel::Settings next = settings.values();
    next.scale = choice.scale;
    next.fullscreen = choice.fullscreen;
    std::string save_error;
    if (saving && !settings.Save(next, save_error)) {
      std::fprintf(stderr, "quorvel: warning: %s\n", save_error.c_str());
      saving = false;
    }
  };
  auto platform = quorvel::SdlPlatform::Open(start, error);
  if (platform == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<quorvel::InputRecorder> recorder;
  std::unique_ptr<quorvel::InputReplay> replay;
  quorvel::Platform* game_platform = platform.get();
  if (record_fd >= 0) {
    error = EmptyRecording(record_fd);
    if (!error.empty()) {
      ReportRecordingFailure(record_name, error);
      return 1;
    }
    // The one line comes at the first failure, while the game goes on.
    recorder = std::make_unique<quorvel::InputRecorder>(
        *platform, record_fd, RecordingHeader(),
        [&record_name](const std::string& why) { ReportRecordingFailure(record_name, why); });
    game_platform = recorder.get();
  } else if (!options.replay_path.empty()) {
    replay = std::make_unique<quorvel::InputReplay>(*platform, replay_file);
    game_platform = replay.get();
    platform->SetKeyDownHandler([&replay](int vk) {
      if (vk == quorvel::kVkEscape) replay->Stop();
    });
  }
  quorvel::Game game;
  quorvel::Form1Handlers form1(game, *game_platform);
  Form1Adapter handlers(form1, recorder.get(), replay.get());
  int status = platform->Run(handlers);
  if (recorder != nullptr) {
    // A failed write has been reported as it happened.
    if (!recorder->Finish()) status = 1;
    if (close(record_fd) != 0 && recorder->error().empty()) {
      ReportRecordingFailure(record_name, std::strerror(errno));
      status = 1;
    }
  }
  if (replay != nullptr && !replay->error().empty()) {
    std::fprintf(stderr, "quorvel: %s: %s\n", replay_name.c_str(), replay->error().c_str());
    status = 2;
  }
  return status;
}
