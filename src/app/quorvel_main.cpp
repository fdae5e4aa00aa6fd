// The game on real windows: opens the display and the game window, then runs
// the game window's handlers until it is unloaded or closed.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/race_records.h"
#include "app/recording.h"
#include "app/records_file.h"
#include "app/settings_file.h"
#include "app/sound_tap.h"
#include "base/own_files.h"
#include "base/text.h"
#include "platform/sdl/sdl_platform.h"
#include "race/game.h"
#include "race/game_window_handlers.h"

namespace {

// The recording's first line: the game's version and when it was made (UTC).
std::string RecordingHeader() {
  return quorvel::GameVersionLine() + " recording, " + quorvel::UtcStamp("%Y-%m-%dT%H:%M:%SZ");
}

// The --help or --version text on standard output: 0, or 1 with one line
// on standard error when it cannot be written.
int PrintOutput(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fprintf(stderr, "quorvel: cannot write the output: %s\n", std::strerror(errno));
  return 1;
}

void Warn(const std::string& warning) {
  std::fprintf(stderr, "quorvel: warning: %s\n", warning.c_str());
}

void ReportRecordingFailure(const std::string& name, const std::string& why) {
  std::fprintf(stderr, "quorvel: cannot write the recording %s: %s\n", name.c_str(), why.c_str());
}

// Takes the recording for this game alone: a second game asked to record to
// the same file is refused, rather than writing its lines among ours, and a
// recording is never replaced unasked: a file that already holds anything
// is refused too. Only a regular file is locked or looked into (a pipe's
// lines are whole as they are, and an empty file or a device is written to).
bool TakeRecording(int fd, const std::string& name) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return true;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    std::fprintf(stderr, "quorvel: cannot record to %s: %s\n", name.c_str(),
                 errno == EWOULDBLOCK ? "another game is recording to it" : std::strerror(errno));
    return false;
  }
  if (st.st_size == 0) return true;
  std::fprintf(stderr,
               "quorvel: %s already holds a recording; remove it first to record there again\n",
               name.c_str());
  return false;
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
  // A recording to a pipe whose reader has gone is a failed write: reported
  // once while the game goes on, then status 1.
  std::signal(SIGPIPE, SIG_IGN);
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
  if (options.records) {
    // Only reading: a file the game cannot use stays where it is.
    const std::string dir = quorvel::DataDir();
    if (dir.empty()) {
      Warn("neither XDG_DATA_HOME nor HOME is set to an absolute folder: no records are kept");
      return 1;
    }
    std::vector<std::string> warnings;
    const quorvel::RecordsFile records = quorvel::RecordsFile::Open(dir, warnings, false);
    for (const std::string& warning : warnings) Warn(warning);
    if (!warnings.empty()) return 1;
    return PrintOutput(quorvel::RecordsTableText(records.table()));
  }
  const std::string record_name =
      quorvel::Quoted(options.record_path, quorvel::kMaxQuotedPathChars);
  const std::string replay_name =
      quorvel::Quoted(options.replay_path, quorvel::kMaxQuotedPathChars);
  // The files are opened before any window opens; a replay is read as it
  // plays, and a line that does not fit ends it when play reaches it.
  int record_fd = -1;
  bool create_record = false;  // the recording is a new file, made once the window is up
  if (!options.record_path.empty()) {
    // Not blocking: a FIFO that no program reads is refused at once rather
    // than waited on before any window opens. A file that does not exist
    // yet is made only once the start has succeeded, so a failed start
    // leaves nothing behind; its folder must take it.
    record_fd = open(options.record_path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (record_fd < 0 && errno == ENOENT) {
      const std::string folder = std::filesystem::path(options.record_path).parent_path().string();
      if (access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0) create_record = true;
    }
    if (record_fd < 0 && !create_record) {
      std::fprintf(stderr, "quorvel: cannot create the recording %s: %s\n", record_name.c_str(),
                   errno == ENXIO ? "a pipe that nothing reads" : std::strerror(errno));
      return 2;
    }
    if (record_fd >= 0) {
      fcntl(record_fd, F_SETFL, fcntl(record_fd, F_GETFL) & ~O_NONBLOCK);
      if (!TakeRecording(record_fd, record_name)) return 2;
    }
  }
  int replay_fd = -1;
  if (!options.replay_path.empty()) {
    // Not blocking: a FIFO that no program writes is refused at once rather
    // than waited on before any window opens. Only a file is replayed: the
    // replay reads as it plays, and a pipe whose writer stalls would hold
    // the game, Esc and the close button included.
    replay_fd = open(options.replay_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (replay_fd < 0) {
      std::fprintf(stderr, "quorvel: %s: cannot open it: %s\n", replay_name.c_str(),
                   std::strerror(errno));
      return 2;
    }
    struct stat st {};
    if (fstat(replay_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      std::fprintf(stderr, "quorvel: %s: cannot read it: %s\n", replay_name.c_str(),
                   S_ISDIR(st.st_mode) ? std::strerror(EISDIR)
                                       : "not a file (a pipe or device is not replayed)");
      return 2;
    }
    fcntl(replay_fd, F_SETFL, fcntl(replay_fd, F_GETFL) & ~O_NONBLOCK);
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
  start.smooth = options.smooth.value_or(settings.values().smooth);
  start.pause = settings.values().pause;
  start.on_warning = [](const std::string& warning) {
    std::fprintf(stderr, "quorvel: warning: %s\n", warning.c_str());
  };
  start.sound = options.sound.value_or(settings.values().sound);
  start.volume = settings.values().volume;
  bool saving = true;  // one warning for a save that fails, not one per key press
  const auto save = [&settings, &saving](const quorvel::Settings& next) {
    std::string save_error;
    if (saving && !settings.Save(next, save_error)) {
      std::fprintf(stderr, "quorvel: warning: %s\n", save_error.c_str());
      saving = false;
    }
  };
  // Only what the player changed is saved: F11 after `--scale 3` saves the
  // fullscreen choice, not the scale the command line gave for one run, and
  // M after `--no-sound` saves the sound only when it differs from the file.
  std::optional<int> run_scale = start.scale;
  bool run_fullscreen = start.fullscreen;
  bool run_sound = start.sound;
  start.on_choice = [&settings, &save, &run_scale, &run_fullscreen](std::optional<int> scale,
                                                                    bool fullscreen) {
    quorvel::Settings next = settings.values();
    if (scale != run_scale) next.scale = scale;
    if (fullscreen != run_fullscreen) next.fullscreen = fullscreen;
    run_scale = scale;
    run_fullscreen = fullscreen;
    save(next);
  };
  start.on_sound = [&settings, &save, &run_sound](bool sound) {
    quorvel::Settings next = settings.values();
    if (sound != run_sound) next.sound = sound;
    run_sound = sound;
    save(next);
  };
  auto platform = quorvel::SdlPlatform::Open(start, error);
  if (platform == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  quorvel::Game game;
  if (create_record) {
    record_fd = open(options.record_path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (record_fd < 0) {
      ReportRecordingFailure(record_name, std::strerror(errno));
      return 1;
    }
    if (!TakeRecording(record_fd, record_name)) return 2;
  }
  // The input's way into the game: a recording played back or the devices,
  // then the recorder, then the records, then the sound (which the records
  // tell of a new record). Only a race played live keeps records and has a
  // ghost; a replay shows the recording as it was, and sounds as it did.
  quorvel::InputTaps taps;
  quorvel::SoundTap sound(game, platform->Sound());
  std::unique_ptr<quorvel::RecordingReplay> replay;
  if (replay_fd >= 0) replay = std::make_unique<quorvel::RecordingReplay>(replay_fd, game.s);
  std::unique_ptr<quorvel::RecordingWriter> recorder;
  if (record_fd >= 0) {
    // The one line comes at the first failure, while the game goes on.
    recorder = std::make_unique<quorvel::RecordingWriter>(
        record_fd, game.s, RecordingHeader(),
        [&record_name](const std::string& why) { ReportRecordingFailure(record_name, why); });
    taps.Add(*recorder);
  }
  // A replay shows its race's result too, but keeps no record and races
  // no ghost: it is the recording as it was.
  quorvel::RaceRecordsSetup setup;
  if (replay == nullptr) {
    setup.dir = quorvel::DataDir();
    if (setup.dir.empty())
      Warn("neither XDG_DATA_HOME nor HOME is set to an absolute folder: no records are kept");
  }
  setup.ghost = replay == nullptr && options.ghost.value_or(settings.values().ghost);
  setup.splits = settings.values().splits;
  setup.header = quorvel::GameVersionLine() + " best run";
  setup.warn = Warn;
  setup.new_record = [&sound] { sound.NewRecord(); };
  quorvel::RaceRecords records(game, *platform, std::move(setup));
  taps.Add(records);
  taps.Add(sound);
  quorvel::Form1Handlers form1(game, *platform);
  int status = platform->Run(form1, &taps, replay.get());
  if (recorder != nullptr) {
    // A failed write has been reported as it happened.
    if (!recorder->Finish(form1.Unloaded())) status = 1;
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
