// Recording the game's input and playing it back, in quorvel-sim and through
// the window's replay; bad command lines refused before any window opens.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/recording.h"
#include "app/sim_driver.h"
#include "app/state_json.h"
#include "platform/headless/headless_platform.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"
#include "support/scratch.h"
#include "support/sim_run.h"

namespace quorvel {
namespace {

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("quorvel-" + std::to_string(::getpid()) + "-" + name);
}

using testing::ReadFile;

// Random keys, stick and buttons; Enter and button 1 rare enough that races
// happen between the menu visits, Enter in the menu rarer still so that the
// game is seldom quit.
struct RandomInput {
  std::mt19937 rng{20261207};
  bool Chance(double p) { return std::uniform_real_distribution<>(0, 1)(rng) < p; }
  std::optional<JoyReading> Joy(double button1) {
    if (Chance(0.5)) return std::nullopt;
    const uint32_t axes[] = {0, kStickNeutral, 65535, static_cast<uint32_t>(rng() % 65536)};
    JoyReading r{axes[rng() % 4], axes[rng() % 4], 0};
    if (Chance(button1)) r.dwButtons |= kJoyButton1;
    if (Chance(0.1)) r.dwButtons |= kJoyButton2;
    return r;
  }
  InputEvent Tick() {
    InputEvent e;
    for (const auto& [vk, bit] : {std::pair{kVkLeft, kTickLeft},
                                  {kVkRight, kTickRight},
                                  {kVkUp, kTickUp},
                                  {kVkDown, kTickDown},
                                  {kVkReturn, kTickEnter}}) {
      if (Chance(vk == kVkReturn ? 0.015 : 0.35)) e.keys |= bit;
    }
    e.joy = Joy(0.01);
    return e;
  }
  InputEvent MenuStep() {
    if (Chance(0.4)) {
      InputEvent e = InputEvent::Of(InputEvent::kPoll);
      e.joy = Joy(0.05);
      return e;
    }
    const int16_t keys[] = {kVkReturn, kVkEscape, kVkLeft, kVkUp, kVkRight, kVkDown, 65};
    return InputEvent::Key(keys[Chance(0.05) ? 0 : 1 + rng() % 6]);
  }
};

// Plays the recording at `path` through the window's replay on the headless
// platform, where each menu poll takes the next menu line; the ticks played.
int ReplayInWindow(const std::filesystem::path& path, Game& g, std::string& error) {
  HeadlessPlatform screen;
  const int fd = ::open(path.c_str(), O_RDONLY);
  RecordingReplay replay(fd, g.s);
  screen.SetMenuSource([&] { return replay.Due(true); });
  Form1_Load(g, screen);
  int ticks = 0;
  for (; ticks < 100000; ++ticks) {
    const std::optional<InputEvent> e = replay.Due(false);
    if (!e || e->kind == InputEvent::kClose) break;
    Timer1_Timer(g, screen, *e);
  }
  error = replay.error();
  ::close(fd);
  return ticks;
}

TEST(RecordReplay, ARandomGameRecordedReplaysStateForState) {
  const std::filesystem::path path = TempPath("random.rec");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  HeadlessPlatform device;
  Game g;
  RecordingWriter recorder(fd, g.s, "quorvel test recording");
  RandomInput input;
  // The state after every command, as quorvel-sim prints it less the line.
  std::vector<std::string> live;
  const char* event = "load";
  auto snapshot = [&] {
    live.push_back(StateLineJson(g, {.event = event,
                                     .timer = g.form1.Timer1Enabled,
                                     .draws = device.draws(),
                                     .slept = device.slept_ms(),
                                     .ended = g.form1.Unloaded}));
    device.ResetCounters();
  };
  device.SetMenuSource([&] {
    snapshot();
    const InputEvent e = input.MenuStep();
    recorder.Before(e, true);
    event = e.kind == InputEvent::kKey ? "key" : "poll";
    return std::optional(e);
  });
  Form1_Load(g, device);
  snapshot();
  int menu_visits = 0;
  for (int i = 0; i < 2500 && !g.form1.Unloaded; ++i) {
    event = "tick";
    const InputEvent tick = input.Tick();
    recorder.Before(tick, false);
    Timer1_Timer(g, device, tick);
    if (std::string(event) != "tick") ++menu_visits;
    snapshot();
  }
  ASSERT_TRUE(recorder.Finish(g.form1.Unloaded)) << recorder.error();
  ::close(fd);
  if (!g.form1.Unloaded) {
    g.form1.Unloaded = true;
    event = "close";
    snapshot();
  }
  EXPECT_GE(menu_visits, 5);
  const std::string script = ReadFile(path);
  EXPECT_EQ(script.rfind("version 1\n# quorvel test recording\ntick", 0), 0u);

  const testing::SimOutput sim = testing::RunSimOn(script);
  ASSERT_EQ(sim.status, 0) << sim.err;
  std::string want;
  for (const std::string& l : live) want += l + "\n";
  EXPECT_EQ(std::regex_replace(sim.out, std::regex(", \"line\": \\d+"), ""), want);

  Game again;
  std::string error;
  ReplayInWindow(path, again, error);
  EXPECT_EQ(error, "");
  again.form1.Unloaded = g.form1.Unloaded;
  EXPECT_EQ(StateLineJson(again, {}), StateLineJson(g, {}));
  std::filesystem::remove(path);
}

// The first write that fails is reported as it happens, once.
TEST(RecordReplay, ARecordingThatCannotBeWrittenIsReportedAtOnce) {
  const int fd = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  std::vector<std::string> reports;
  const RaceState race;
  RecordingWriter recorder(fd, race, "h", [&](const std::string& e) { reports.push_back(e); });
  EXPECT_EQ(reports, std::vector<std::string>{"No space left on device"});
  recorder.Before(InputEvent{}, false);
  EXPECT_FALSE(recorder.Finish(false));
  EXPECT_EQ(reports.size(), 1u);
  ::close(fd);
}

TEST(RecordReplay, AReplayStopsAtALineThatDoesNotFit) {
  const std::filesystem::path path = TempPath("misfit.rec");
  std::ofstream(path) << "tick\ntick enter\nkey down\ntick\n";
  Game g;
  std::string error;
  EXPECT_EQ(ReplayInWindow(path, g, error), 2);
  EXPECT_EQ(error, "line 4: the menu window is open: only key and poll fit now");
  std::filesystem::remove(path);
}

// The recordings kept in tests/recordings replay to their end in quorvel-sim
// and in the window's replay: every check line holds, and the last state is
// the one kept beside each. One that fails is a change in the game's
// behaviour.
TEST(RecordReplay, KeptRecordingsReplayToTheEnd) {
  const std::filesystem::path dir = std::filesystem::path(QUORVEL_SOURCE_DIR) / "tests/recordings";
  int kept = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::filesystem::path path = entry.path();
    if (path.extension() != ".rec") continue;
    ++kept;
    const std::string script = ReadFile(path);
    const testing::SimOutput sim = testing::RunSimOn(script);
    EXPECT_EQ(sim.status, 0) << path << sim.err;
    const std::size_t last = sim.out.rfind('\n', sim.out.size() - 2);
    EXPECT_EQ(sim.out.substr(last + 1),
              ReadFile(std::filesystem::path(path).replace_extension(".end")))
        << path;
    Game g;
    std::string error;
    ReplayInWindow(path, g, error);
    EXPECT_EQ(error, "") << path;
  }
  EXPECT_EQ(kept, 6);
}

// A recording whose race goes another way (a tick's keys changed) stops at
// the first check line after it, naming the tick and the field; a recording
// of a newer format is refused at its first line.
TEST(RecordReplay, ARecordingThatDiffersStopsAtItsCheck) {
  std::istringstream in(
      ReadFile(std::filesystem::path(QUORVEL_SOURCE_DIR) / "tests/recordings/course1-race.rec"));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines[99], "tick left");
  ASSERT_EQ(lines[127].rfind("check 85 ", 0), 0u);
  const struct {
    int line;  // from 1
    std::string text;
    std::string error;
  } cases[] = {
      {100, "tick down",
       "line 128: the race differs from the recording after tick line 125: Speed 1.85000563, "
       "recorded "
       "1.95000577"},
      {128, "check 85 1 0 1.95000577 0 0 0",
       "line 128: the race differs from the recording after tick line 125: Heading 0.750000119, "
       "recorded 0"},
      {1, "version 2",
       "line 1: recording format 2 is newer than this game reads (up to 1): it was made by a "
       "newer version"},
      {128, "check 85 1 0 1e-50 0 0 0",
       "line 128: check: Speed '1e-50' is out of range (a single-precision number)"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> changed = lines;
    changed[static_cast<std::size_t>(c.line - 1)] = c.text;
    std::string script;
    for (const std::string& l : changed) script += l + "\n";
    const testing::SimOutput sim = testing::RunSimOn(script);
    EXPECT_EQ(sim.status, 2) << c.text;
    EXPECT_EQ(sim.err, "quorvel-sim: " + c.error + "\n");
    const std::filesystem::path path = TempPath("tampered.rec");
    std::ofstream(path) << script;
    Game g;
    std::string error;
    ReplayInWindow(path, g, error);
    EXPECT_EQ(error, c.error);
    std::filesystem::remove(path);
  }
}

// A recording cut inside its last line (a full disk, a kill) replays up to
// its last whole line; the recorder takes back a line it could not write
// whole, so its file never ends in one.
TEST(RecordReplay, ARecordingCutShortReplaysToItsLastWholeLine) {
  const std::filesystem::path path = TempPath("cut.rec");
  // Cut between words, and inside the last check's last number.
  for (const char* cut : {"tick lef", "check 0 1 0 0.200000003 0 0.40000000"}) {
    std::ofstream(path) << "version 1\ntick up\ntick up\n" << cut;
    Game g;
    std::string error;
    EXPECT_EQ(ReplayInWindow(path, g, error), 2);
    EXPECT_EQ(error, "") << cut;
  }

  // A file size limit makes the write short, as a full disk does.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    const rlimit limit{30, 30};
    setrlimit(RLIMIT_FSIZE, &limit);
    const RaceState race;
    RecordingWriter recorder(fd, race, "h");
    for (int i = 0; i < 5; ++i) recorder.Before(InputEvent{.keys = kTickLeft, .joy = {}}, false);
    _exit(recorder.Finish(false) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(ReadFile(path), "version 1\n# h\ntick left\n");
  std::filesystem::remove(path);
}

// quorvel and quorvel-sim as programs, with no display: bad command lines
// and files that cannot be opened are refused with one line and status 2
// before any window opens; a start that fails keeps an earlier recording.
TEST(RecordReplay, BadFilesAndOptionsAreRefusedBeforeAnyWindow) {
  const std::filesystem::path kept = TempPath("kept.rec"), fifo = TempPath("fifo.rec"),
                              locked = TempPath("locked.rec"), fresh = TempPath("fresh.rec"),
                              frames = TempPath("frames");
  std::ofstream(kept) << "tick\n";
  std::ofstream(locked) << "tick\n";
  // Another game recording to it.
  const int lock_fd = ::open(locked.c_str(), O_WRONLY);
  ASSERT_EQ(::flock(lock_fd, LOCK_EX), 0);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string args;
    int status;
    std::string out;         // the start of stdout (0), else of stderr
    std::string limit = "";  // shell commands run first
  } cases[] = {
      {"GAME --record " + kept.string(), 2,
       "quorvel: '" + kept.string() + "' already holds a recording; remove it first"},
      {"GAME --record " + fresh.string(), 1, "quorvel: cannot open a window"},
      {"GAME --record " + locked.string(), 2,
       "quorvel: cannot record to '" + locked.string() + "': another game is recording to it"},
      {"GAME --record /nonexistent-dir/r.rec", 2,
       "quorvel: cannot create the recording '/nonexistent-dir/r.rec': No such file"},
      {"GAME --replay \"$(printf '/no\\nfile\\033[2J')\"", 2,
       "quorvel: '/no\\x0Afile\\x1B[2J': cannot open it: No such file"},
      {"GAME --replay /", 2, "quorvel: '/': cannot read it: Is a directory"},
      {"GAME --record " + fifo.string(), 2,
       "quorvel: cannot create the recording '" + fifo.string() + "': a pipe that nothing reads"},
      {"GAME --replay " + fifo.string(), 2,
       "quorvel: '" + fifo.string() + "': cannot read it: not a file (a pipe or device"},
      {"GAME --bogus", 2, "quorvel: unknown option '--bogus'"},
      {"GAME --help", 0, "Usage: quorvel [OPTION]..."},
      {"GAME --help", 1, "quorvel: cannot write the output: No space left on device"},
      {"GAME --version", 0, "quorvel " QUORVEL_VERSION "\n"},
      {"SIM --frames --draw-log", 2,
       "quorvel-sim: --frames takes a directory, not the option '--draw-log'"},
      {"SIM --surface 2048 2048 --frames " + frames.string(), 2,
       "quorvel-sim: not enough memory for the frames of a 2048 x 2048 drawing surface",
       "ulimit -v 50000;"},
      {"SIM --surface 10000 10000", 2,
       "quorvel-sim: --surface takes a width and a height in pixels, 1 to 10000 each and at most "
       "4194304 pixels in all"},
      {"SIM --bogus", 2, "quorvel-sim: unknown option '--bogus' (usage: quorvel-sim"},
      {"SIM --help", 0, "usage: quorvel-sim [--surface W H]"},
      {"SIM --version", 0, "quorvel-sim " QUORVEL_VERSION "\n"},
      {"SIM --version", 1, "quorvel-sim: cannot write the output: No space left on device"},
  };
  const char* redirect[] = {" 2>/dev/null", " 2>&1 >/dev/full", " 2>&1 >/dev/null"};
  for (const auto& c : cases) {
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves far more address space than any such limit.
    if (!c.limit.empty()) continue;
#endif
    const std::string cmd = c.limit +
                            "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 timeout 10 " +
                            std::string(c.args[0] == 'G' ? QUORVEL_GAME_PATH : QUORVEL_SIM_PATH) +
                            c.args.substr(c.args.find(' ')) + redirect[c.status] + " </dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = pclose(p);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << c.args;
    EXPECT_EQ(out.substr(0, c.out.size()), c.out) << c.args;
    EXPECT_TRUE(c.status == 0 || std::count(out.begin(), out.end(), '\n') == 1) << out;
  }
  EXPECT_EQ(ReadFile(kept), "tick\n");
  EXPECT_EQ(ReadFile(locked), "tick\n");
  EXPECT_FALSE(std::filesystem::exists(fresh));
  EXPECT_FALSE(std::filesystem::exists("--draw-log"));
  ::close(lock_fd);
  std::filesystem::remove(locked);
  std::filesystem::remove_all(frames);
  std::filesystem::remove(kept);
  std::filesystem::remove(fifo);
}

}  // namespace
}  // namespace quorvel
