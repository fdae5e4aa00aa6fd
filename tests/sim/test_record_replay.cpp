// Recording the game's input and playing it back: a random game recorded
// through the headless platform replays to the same state, line for line,
// in quorvel-sim and through the window's replay; bad files are refused
// before any window opens.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/input_recorder.h"
#include "app/input_replay.h"
#include "app/script_file.h"
#include "app/sim_driver.h"
#include "app/state_json.h"
#include "platform/headless/headless_platform.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"

namespace quorvel {
namespace {

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("quorvel-" + std::to_string(::getpid()) + "-" + name);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Random keys, stick and buttons, with Enter and button 1 rare enough that
// races happen between the menu visits.
class RandomInput {
 public:
  explicit RandomInput(uint32_t seed) : rng_(seed) {}
  bool Chance(double p) { return std::uniform_real_distribution<>(0, 1)(rng_) < p; }
  std::optional<JoyReading> Joy(double button1) {
    if (Chance(0.5)) return std::nullopt;
    auto axis = [this] {
      const uint32_t values[] = {0, kStickNeutral, 65535, static_cast<uint32_t>(rng_() % 65536)};
      return values[rng_() % 4];
    };
    JoyReading r{axis(), axis(), 0};
    if (Chance(button1)) r.dwButtons |= kJoyButton1;
    if (Chance(0.1)) r.dwButtons |= kJoyButton2;
    return r;
  }
  std::set<int> Keys() {
    std::set<int> keys;
    for (int vk : {kVkLeft, kVkRight, kVkUp, kVkDown}) {
      if (Chance(0.35)) keys.insert(vk);
    }
    if (Chance(0.015)) keys.insert(kVkReturn);
    return keys;
  }
  MenuEvent MenuStep() {
    MenuEvent e;
    if (Chance(0.4)) {
      e.kind = MenuEvent::kPoll;
      e.joy = Joy(0.05);
      return e;
    }
    // Enter rarely, so that the game is seldom quit.
    const int16_t keys[] = {kVkEscape, kVkLeft, kVkUp, kVkRight, kVkDown, 65};
    e.kind = MenuEvent::kKey;
    e.key = Chance(0.05) ? kVkReturn : keys[rng_() % 6];
    return e;
  }

 private:
  std::mt19937 rng_;
};

TEST(RecordReplay, ARandomGameRecordedReplaysStateForState) {
  const std::filesystem::path path = TempPath("random.rec");
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  HeadlessPlatform device;
  InputRecorder recorder(device, fd, "quorvel test recording");
  Game g;
  RandomInput input(20261207);
  // The state after every command, as quorvel-sim prints it without the
  // line numbers.
  std::vector<std::string> live;
  const char* event = "load";
  auto snapshot = [&] {
    StateLineExtras x;
    x.event = event;
    x.timer = g.form1.Timer1Enabled;
    x.draws = device.draws();
    x.slept = device.slept_ms();
    x.ended = g.form1.Unloaded;
    live.push_back(StateLineJson(g, x));
    device.ResetCounters();
  };
  device.SetMenuSource([&] {
    snapshot();
    const MenuEvent e = input.MenuStep();
    event = e.kind == MenuEvent::kKey ? "key" : "poll";
    return e;
  });
  Form1_Load(g, recorder);
  snapshot();
  int menu_visits = 0;
  for (int i = 0; i < 2500 && !g.form1.Unloaded; ++i) {
    device.SetHeldKeys(input.Keys());
    device.SetJoystick(input.Joy(0.01));
    event = "tick";
    recorder.TickStarted();
    Timer1_Timer(g, recorder);
    recorder.TickEnded();
    if (std::string(event) != "tick") ++menu_visits;
    snapshot();
  }
  ASSERT_TRUE(recorder.Finish()) << recorder.error();
  ::close(fd);
  if (!g.form1.Unloaded) {
    g.form1.Unloaded = true;
    event = "close";
    snapshot();
  }
  EXPECT_GE(menu_visits, 5);
  const std::string script = ReadFile(path);
  EXPECT_EQ(script.rfind("# quorvel test recording\ntick", 0), 0u);

  std::istringstream in(script);
  std::ostringstream out, err;
  ASSERT_EQ(RunSim({}, in, out, err), 0) << err.str();
  std::istringstream lines(out.str());
  const std::regex line_field(", \"line\": \\d+");
  std::size_t n = 0;
  for (std::string l; std::getline(lines, l); ++n) {
    ASSERT_LT(n, live.size());
    ASSERT_EQ(std::regex_replace(l, line_field, ""), live[n]) << "state line " << n;
  }
  EXPECT_EQ(n, live.size());

  // The window's replay, on the headless platform: the menu's timer plays
  // the menu lines.
  HeadlessPlatform screen;
  screen.SetMenuSource([] { return MenuEvent{MenuEvent::kPoll, 0, std::nullopt}; });
  ScriptFile file;
  std::string error;
  ASSERT_TRUE(file.Open(path.string(), error)) << error;
  InputReplay replay(screen, file);
  Game again;
  Form1_Load(again, replay);
  while (replay.StartTick()) Timer1_Timer(again, replay);
  EXPECT_EQ(replay.error(), "");
  again.form1.Unloaded = g.form1.Unloaded;
  EXPECT_EQ(StateLineJson(again, {}), StateLineJson(g, {}));
  std::filesystem::remove(path);
}

// A replay read from a pipe (`--replay <(...)`) is read once: checked and
// played from the same copy.
TEST(RecordReplay, AScriptFromAPipeIsCheckedAndStillReplayed) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const std::string script = "tick\ntick up\n";
  ASSERT_EQ(::write(fds[1], script.data(), script.size()), static_cast<ssize_t>(script.size()));
  ::close(fds[1]);
  ScriptFile file;
  std::string error;
  ASSERT_TRUE(file.Open("/proc/self/fd/" + std::to_string(fds[0]), error)) << error;
  EXPECT_EQ(CheckSimScript(file.text()), "");
  SimCommand cmd;
  EXPECT_EQ(file.Next(cmd, error), ScriptFile::kCommand) << "the replay sees an empty script";
  ::close(fds[0]);
}

// A start that fails (no display here) must not wipe an earlier recording.
TEST(RecordReplay, AFailedStartLeavesAnEarlierRecordingIntact) {
  const std::filesystem::path kept = TempPath("kept.rec");
  std::ofstream(kept) << "tick\ntick up\n";
  const std::string cmd = std::string("env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 ") +
                          QUORVEL_GAME_PATH + " --record " + kept.string() + " 2>/dev/null";
  EXPECT_NE(std::system(cmd.c_str()), 0);
  EXPECT_EQ(ReadFile(kept), "tick\ntick up\n");
  std::filesystem::remove(kept);
}

// The first write that fails is reported as it happens, once.
TEST(RecordReplay, ARecordingThatCannotBeWrittenIsReportedAtOnce) {
  const int fd = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  HeadlessPlatform device;
  std::vector<std::string> reports;
  InputRecorder recorder(device, fd, "h", [&](const std::string& e) { reports.push_back(e); });
  EXPECT_EQ(reports, std::vector<std::string>{"No space left on device"});
  recorder.TickStarted();
  recorder.TickEnded();
  EXPECT_FALSE(recorder.Finish());
  EXPECT_EQ(reports.size(), 1u);
  ::close(fd);
}

TEST(RecordReplay, AReplayStopsAtALineThatDoesNotFit) {
  const std::filesystem::path path = TempPath("misfit.rec");
  std::ofstream(path) << "tick\ntick enter\nkey down\ntick\n";
  HeadlessPlatform screen;
  screen.SetMenuSource([] { return MenuEvent{MenuEvent::kPoll, 0, std::nullopt}; });
  ScriptFile file;
  std::string error;
  ASSERT_TRUE(file.Open(path.string(), error));
  InputReplay replay(screen, file);
  Game g;
  Form1_Load(g, replay);
  int ticks = 0;
  while (replay.StartTick() && ticks < 10) {
    Timer1_Timer(g, replay);
    ++ticks;
  }
  EXPECT_EQ(ticks, 2);
  EXPECT_EQ(replay.error(), "line 4: the menu window is open: only key and poll fit now");
  std::filesystem::remove(path);
}

// quorvel and quorvel-sim as programs: the bad command lines and files are
// refused with one line and status 2 before any window opens (there is no
// display to open one on), --help and --version answer with status 0.
TEST(RecordReplay, BadFilesAndOptionsAreRefusedBeforeAnyWindow) {
  const std::filesystem::path bad = TempPath("bad.rec"), longline = TempPath("long.rec");
  std::ofstream(bad) << "tick\n# fine\nkey down\n";
  std::ofstream(longline) << std::string(5000, '#') << "\n";
  const struct {
    std::string args;
    int status;
    std::string out;  // the start of stdout, or of stderr with stdout on /dev/full (1) or
                      // /dev/null (2)
  } cases[] = {
      {"GAME --record /nonexistent-dir/r.rec", 2,
       "quorvel: cannot create the recording '/nonexistent-dir/r.rec': No such file"},
      {"GAME --replay \"$(printf '/no\\nfile\\033[2J')\"", 2,
       "quorvel: '/no\\x0Afile\\x1B[2J': cannot open it: No such file"},
      {"GAME --replay /", 2, "quorvel: '/': cannot read it: Is a directory"},
      {"GAME --replay /dev/zero", 2, "quorvel: '/dev/zero': larger than 64 MiB"},
      // Parses, but the menu is not open: found before any window.
      {"GAME --replay " + bad.string(), 2,
       "quorvel: '" + bad.string() +
           "': line 3: the menu window is not open: key and poll need it"},
      {"GAME --replay " + longline.string(), 2,
       "quorvel: '" + longline.string() + "': line 1: longer than 4096 bytes"},
      {"GAME --bogus", 2, "quorvel: unknown option '--bogus'"},
      {"GAME --help", 0, "Usage: quorvel [OPTION]..."},
      {"GAME --help", 1, "quorvel: cannot write the output: No space left on device"},
      {"GAME --version", 0, "quorvel " QUORVEL_VERSION "\n"},
      {"SIM --bogus", 2, "quorvel-sim: unknown option '--bogus' (usage: quorvel-sim"},
      {"SIM --help", 0, "usage: quorvel-sim [--surface W H]"},
      {"SIM --version", 0, "quorvel-sim " QUORVEL_VERSION "\n"},
      {"SIM --version", 1, "quorvel-sim: cannot write the output: No space left on device"},
  };
  for (const auto& c : cases) {
    std::string cmd = c.args;
    cmd.replace(0, cmd.find(' '), c.args[0] == 'G' ? QUORVEL_GAME_PATH : QUORVEL_SIM_PATH);
    cmd = "env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 timeout 10 " + cmd +
          (c.status == 0   ? " 2>/dev/null"
           : c.status == 1 ? " 2>&1 >/dev/full"
                           : " 2>&1 >/dev/null") +
          " </dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = pclose(p);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << c.args;
    EXPECT_EQ(out.substr(0, c.out.size()), c.out) << c.args;
    if (c.status != 0) {
      EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
  }
  std::filesystem::remove(bad);
  std::filesystem::remove(longline);
}

}  // namespace
}  // namespace quorvel
