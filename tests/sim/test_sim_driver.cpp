// The headless driver, run in-process on scripts and once as a program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/sim_driver.h"
#include "menu/menu_window.h"
#include "race/frame_tick.h"
#include "race/start_up.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"
#include "support/sim_run.h"

namespace quorvel {
namespace {

struct SimRun {
  int status = -1;
  std::vector<std::string> lines;
  std::string err;
};

SimRun RunScript(const std::string& script, std::vector<std::string> args = {}) {
  const testing::SimOutput o = testing::RunSimOn(script, args);
  SimRun r;
  r.status = o.status;
  std::istringstream lines(o.out);
  for (std::string l; std::getline(lines, l);) r.lines.push_back(l);
  r.err = o.err;
  return r;
}

// The text of `"key": value` in a JSON line, up to the next top-level
// comma or brace; enough for the flat fields of a state line.
std::string Field(const std::string& line, const std::string& key) {
  const std::string pat = "\"" + key + "\": ";
  const auto at = line.find(pat);
  if (at == std::string::npos) return "<missing>";
  std::size_t i = at + pat.size();
  int depth = 0;
  bool in_string = false;
  std::size_t j = i;
  for (; j < line.size(); ++j) {
    const char c = line[j];
    if (in_string) {
      if (c == '\\') {
        ++j;
      } else if (c == '"') {
        in_string = false;
      }
      continue;
    }
    if (c == '"') in_string = true;
    if (c == '[' || c == '{') ++depth;
    if (c == ']' || c == '}') {
      if (depth == 0) break;
      --depth;
    }
    if (c == ',' && depth == 0) break;
  }
  return line.substr(i, j - i);
}

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\n";
  return s;
}

// The state lines of the run during which the game slept: its crashes.
int Crashes(const SimRun& r) {
  int crashes = 0;
  for (const std::string& line : r.lines) crashes += Field(line, "slept") != "0" ? 1 : 0;
  return crashes;
}

TEST(SimDriver, LoadLineShowsTheStartPose) {
  const SimRun r = RunScript("");
  ASSERT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 1u);
  const std::string& l = r.lines[0];
  EXPECT_EQ(Field(l, "event"), "\"load\"");
  EXPECT_EQ(Field(l, "line"), "<missing>");
  EXPECT_EQ(Field(l, "surface"), "[337, 337]");
  EXPECT_EQ(Field(l, "Pos").substr(0, 8), "[0, 0, -");
  EXPECT_EQ(Field(l, "Ticks"), "-40");
  EXPECT_EQ(Field(l, "Lap"), "1");
  EXPECT_EQ(Field(l, "PastStartLine"), "true");
  EXPECT_EQ(Field(l, "RoadTriCount"), "102");
  EXPECT_EQ(Field(l, "GateCount"), "16");
  EXPECT_EQ(Field(l, "CarChoice"), "3");
  EXPECT_EQ(Field(l, "labels"),
            "{\"Label1\": \"0\", \"Label2\": \"-4\", \"Label4\": \"1周目\", \"Label3\": \"\", "
            "\"Label3Visible\": false}");
  EXPECT_EQ(Field(l, "timer"), "true");
  EXPECT_EQ(Field(l, "menu"), "null");
  EXPECT_EQ(Field(l, "draws"), "1");
  EXPECT_EQ(Field(l, "slept"), "0");
  EXPECT_EQ(Field(l, "ended"), "false");
}

TEST(SimDriver, BadLinesStopWithStatus2AndTheLineNumber) {
  struct Case {
    const char* script;
    std::size_t lines_before;
    const char* line_no;
  };
  const Case cases[] = {
      {"tick\n\n# comment\nfly\ntick\n", 2, "line 4"},
      {"tick sideways\n", 1, "line 1"},
      {"tick joy 1 2\n", 1, "line 1"},
      {"tick joy 1 2 3 4\n", 1, "line 1"},
      {"tick joy 65536 0 0\n", 1, "line 1"},
      {"key escape\n", 1, "line 1"},        // no menu open
      {"poll\n", 1, "line 1"},              // no menu open
      {"tick enter\ntick\n", 2, "line 2"},  // menu open: only key and poll
      {"tick enter\nclose\n", 2, "line 2"},
      {"tick enter\nkey\n", 2, "line 2"},
      {"tick enter\nkey banana\n", 2, "line 2"},
      {"close now\n", 1, "line 1"},
  };
  for (const Case& c : cases) {
    const SimRun r = RunScript(c.script);
    EXPECT_EQ(r.status, 2) << c.script;
    EXPECT_EQ(r.lines.size(), c.lines_before) << c.script;
    EXPECT_NE(r.err.find(c.line_no), std::string::npos) << c.script << " -> " << r.err;
  }
  EXPECT_EQ(RunScript("", {"--bogus"}).status, 2);
  EXPECT_EQ(RunScript("", {"--surface", "10"}).status, 2);
}

TEST(SimDriver, MenuVisitThroughKeysAndPolls) {
  const SimRun r = RunScript("tick enter\nkey right\npoll joy 32768 65535 0\nkey escape\ntick\n");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), 6u);
  EXPECT_EQ(Field(r.lines[1], "event"), "\"tick\"");
  EXPECT_EQ(Field(r.lines[1], "timer"), "false");
  EXPECT_EQ(Field(r.lines[1], "EnterLatch"), "true");
  EXPECT_EQ(Field(r.lines[1], "menu"),
            "{\"CurrentItem\": 0, \"PendingCourse\": 0, \"PendingCar\": 3, \"cursor\": [907.5, "
            "60], \"courseMark\": [960, 120], \"carMark\": [960, 600]}");
  EXPECT_EQ(Field(r.lines[1], "draws"), "0");
  EXPECT_EQ(Field(r.lines[1], "Ticks"), "-40");
  EXPECT_EQ(Field(r.lines[2], "event"), "\"key\"");
  EXPECT_EQ(Field(r.lines[2], "line"), "2");
  EXPECT_EQ(Field(Field(r.lines[2], "menu"), "cursor"), "[2347.5, 60]");
  EXPECT_EQ(Field(r.lines[3], "event"), "\"poll\"");
  EXPECT_EQ(Field(Field(r.lines[3], "menu"), "CurrentItem"), "3");
  EXPECT_EQ(Field(r.lines[4], "event"), "\"key\"");
  EXPECT_EQ(Field(r.lines[4], "menu"), "null");
  EXPECT_EQ(Field(r.lines[4], "timer"), "true");
  EXPECT_EQ(Field(r.lines[4], "CourseChoice"), "0");
  EXPECT_EQ(Field(r.lines[5], "Ticks"), "-39");
  EXPECT_EQ(Field(r.lines[5], "draws"), "1");
}

TEST(SimDriver, ScriptEndingWithTheMenuOpenExitsCleanly) {
  const SimRun r = RunScript("tick enter\nkey down\n");
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(Field(Field(r.lines[2], "menu"), "CurrentItem"), "3");
}

TEST(SimDriver, CrashLineShowsTheWholeSequence) {
  // Countdown, then hard left at full throttle off the start straight.
  std::string script = Repeat("tick", 38) + Repeat("tick left up", 40);
  const SimRun r = RunScript(script);
  ASSERT_EQ(r.status, 0) << r.err;
  int crash_lines = 0;
  for (std::size_t i = 2; i < r.lines.size(); ++i) {
    if (Field(r.lines[i], "slept") == "0") continue;
    ++crash_lines;
    EXPECT_EQ(Field(r.lines[i], "slept"), "3120");
    EXPECT_EQ(Field(r.lines[i], "draws"), "20");
    EXPECT_EQ(std::stoi(Field(r.lines[i], "Ticks")),
              std::stoi(Field(r.lines[i - 1], "Ticks")) + 40);
    EXPECT_EQ(Field(r.lines[i], "Speed"), "0");
    EXPECT_EQ(Field(r.lines[i], "Steer"), "0");
    EXPECT_EQ(Field(r.lines[i], "Heading"), "0.0199999996");
    EXPECT_EQ(Field(r.lines[i], "Pos").substr(0, 6), "[0, 0,");
  }
  EXPECT_GE(crash_lines, 1);
}

TEST(SimDriver, DrawLogFramesAndTheBlackPause) {
  const SimRun r = RunScript(Repeat("tick", 38) + Repeat("tick left up", 40), {"--draw-log"});
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_GE(r.lines.size(), 2u);
  // The load's frame comes before its state line; the format of a frame's
  // line is the headless platform's.
  EXPECT_EQ(r.lines[0].rfind("{\"frame\": 1, \"ops\": [[\"rect\", ", 0), 0u) << r.lines[0];
  EXPECT_EQ(Field(r.lines[1], "event"), "\"load\"");
  bool black = false;
  for (const std::string& l : r.lines) {
    if (l.find("\"ops\": [[\"clear\", 0], [\"refresh\"]]}") != std::string::npos) black = true;
  }
  EXPECT_TRUE(black);
}

TEST(SimDriver, SurfaceSizeOption) {
  const SimRun r = RunScript("tick\n", {"--surface", "200", "100"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(Field(r.lines[1], "surface"), "[200, 100]");
}

TEST(SimDriver, CloseEndsTheProgram) {
  const SimRun r = RunScript("tick\nclose\ntick\n");
  EXPECT_EQ(r.status, 0);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(Field(r.lines[2], "event"), "\"close\"");
  EXPECT_EQ(Field(r.lines[2], "ended"), "true");
  EXPECT_EQ(Field(r.lines[2], "timer"), "true");
}

TEST(SimDriver, QuitFromTheMenuEndsAndStopsReading) {
  const SimRun r = RunScript("tick enter\nkey up\nkey enter\nthis line is never read\n");
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.lines.size(), 4u);
  EXPECT_EQ(Field(r.lines[3], "QuitRequested"), "true");
  EXPECT_EQ(Field(r.lines[3], "ended"), "true");
  EXPECT_EQ(Field(r.lines[3], "timer"), "true");
  EXPECT_EQ(Field(r.lines[3], "menu"), "null");
}

TEST(SimDriver, ThreeLapsOfCourse1ByKeyboard) {
  Game g;
  testing::RecordingPlatform platform;
  Form1_Load(g, platform);
  testing::Autopilot pilot(2.0f);
  const std::string script =
      testing::AutopilotScript(g, platform, pilot, 9000) + Repeat("tick up", 3);
  ASSERT_EQ(g.s.Lap, 4);
  const SimRun r = RunScript(script);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string& finish = r.lines[r.lines.size() - 4];
  EXPECT_EQ(Field(finish, "Lap"), "4");
  EXPECT_NE(Field(finish, "labels").find("\"Label3\": \"ゴール\", \"Label3Visible\": true"),
            std::string::npos);
  EXPECT_NE(finish.find("\"Label4\": \"4周目\""), std::string::npos);
  EXPECT_EQ(Crashes(r), 0);
  // Frozen afterwards.
  for (std::size_t i = r.lines.size() - 3; i < r.lines.size(); ++i) {
    EXPECT_EQ(Field(r.lines[i], "Ticks"), Field(finish, "Ticks"));
    EXPECT_EQ(Field(r.lines[i], "Pos"), Field(finish, "Pos"));
    EXPECT_EQ(Field(r.lines[i], "draws"), "0");
  }
}

TEST(SimDriver, Course2WithTheAdvancedCarToTheGoalThenQuit) {
  Game g;
  testing::RecordingPlatform platform;
  Form1_Load(g, platform);
  const char* menu_keys[] = {"right", "down", "right", "down", "left", "enter"};
  platform.on_show_menu = [](MenuWindow& menu) {
    menu.Form_Load();
    for (int vk : {kVkRight, kVkDown, kVkRight, kVkDown, kVkLeft, kVkReturn}) {
      menu.Form_KeyDown(static_cast<int16_t>(vk));
    }
  };
  std::string script = "tick enter\n";
  for (const char* k : menu_keys) script += std::string("key ") + k + "\n";
  platform.held_keys = {kVkReturn};
  Tick(g, platform);
  testing::Autopilot pilot(1.0f);
  script += testing::AutopilotScript(g, platform, pilot, 16000);
  ASSERT_EQ(g.s.Lap, 4);
  script += "tick enter\nkey up\nkey enter\n";

  const SimRun r = RunScript(script);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string& started = r.lines[7];
  EXPECT_EQ(Field(started, "CourseChoice"), "1");
  EXPECT_EQ(Field(started, "CarChoice"), "4");
  EXPECT_EQ(Field(started, "CarType"), "1");
  EXPECT_EQ(Field(started, "RoadTriCount"), "112");
  EXPECT_EQ(Field(started, "GateCount"), "29");
  const std::string& finish = r.lines[r.lines.size() - 4];
  EXPECT_EQ(Field(finish, "Lap"), "4");
  EXPECT_NE(finish.find("ゴール"), std::string::npos);
  EXPECT_EQ(Crashes(r), 0);
  const std::string& last = r.lines.back();
  EXPECT_EQ(Field(last, "ended"), "true");
  EXPECT_EQ(Field(last, "QuitRequested"), "true");
}

TEST(SimDriver, TheProgramReadsStdinAndExits) {
  const std::string cmd = "printf 'tick\\ntick up\\nbogus\\n' | " QUORVEL_SIM_PATH " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  int lines = 0;
  char buf[8192];
  while (std::fgets(buf, sizeof buf, p)) ++lines;
  const int status = pclose(p);
  EXPECT_EQ(lines, 3);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

TEST(SimDriverFrames, WritesEveryRefreshedFrameIntoANewDirectory) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("quorvel-frames-" + std::to_string(::getpid())) / "sub";
  std::filesystem::remove_all(dir.parent_path());
  const testing::SimOutput o = testing::RunSimOn("tick\ntick\n", {"--frames", dir.string()});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_TRUE(std::filesystem::exists(dir / "frame-000001.png"));
  EXPECT_TRUE(std::filesystem::exists(dir / "frame-000003.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "frame-000004.png"));
  std::filesystem::remove_all(dir.parent_path());
}

// The exit status (-1 if none), a space and the output of a shell command
// line in which SIM stands for quorvel-sim.
std::string RunShell(std::string cmd) {
  for (std::size_t at; (at = cmd.find("SIM")) != std::string::npos;) {
    cmd.replace(at, 3, QUORVEL_SIM_PATH);
  }
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return "no shell";
  std::string out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p)) out += buf;
  const int status = pclose(p);
  return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + " " + out;
}

TEST(SimDriverIo, FailedReadsAndWritesAndHugeLinesStopWithOneLine) {
  // Memory is limited so that reading a huge line whole, or reserving a huge
  // surface, fails the run; not under the address sanitizer, which reserves
  // terabytes.
#if defined(__SANITIZE_ADDRESS__)
  const std::string limited = "";
#else
  const std::string limited = "ulimit -v 60000; ";
#endif
  // The command line; its exit status and message.
  const std::pair<std::string, std::string> cases[] = {
      {"printf 'tick\\n' | SIM 2>&1 >/dev/full",
       "1 cannot write the output: No space left on device"},
      {"SIM 2>&1 </dev/null >&-", "1 cannot write the output: Bad file descriptor"},
      {"e=$(mktemp); { yes tick | head -5000 | SIM 2>$e; echo $? >$e.s; } | head -c 10 "
       ">/dev/null; cat $e; s=$(cat $e.s); rm -f $e $e.s; exit $s",
       "1 cannot write the output: Broken pipe"},
      {"SIM 2>&1 >/dev/null </", "1 cannot read the script: Is a directory"},
      {"SIM 2>&1 >/dev/null <&-", "1 cannot read the script: Bad file descriptor"},
      // Neither the comment nor the word is kept whole, and nothing of the
      // line is carried out.
      {limited + "head -c 100000000 /dev/zero | tr '\\0' '#' | SIM 2>&1 >/dev/null",
       "2 line 1: longer than 4096 bytes"},
      {limited + "(echo tick; printf tick; yes ' up' | tr -d '\\n' | head -c 100000000) | " +
           "SIM 2>&1 >/dev/null",
       "2 line 2: longer than 4096 bytes"},
      {(limited.empty() ? "" : "ulimit -v 40000; ") + std::string("SIM --surface 2048 2048 2>&1 ") +
           ">/dev/null </dev/null",
       "2 not enough memory for a 2048 x 2048 drawing surface"},
  };
  for (const auto& [cmd, want] : cases) {
    if (limited.empty() && cmd.find("--surface") != std::string::npos) continue;
    EXPECT_EQ(RunShell(cmd), want.substr(0, 2) + "quorvel-sim: " + want.substr(2) + "\n") << cmd;
  }
}

TEST(SimDriverIo, MessagesQuoteAtMost40CharactersEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"tick " + std::string(4000, 'x') + "\n", "'" + std::string(40, 'x') + "...'"},
      {"t\x01\x7f\xc2\x85\\\xff\xe3\x81\n", "'t\\x01\\x7F\\xC2\\x85\\x5C\\xFF\\xE3\\x81'"},
      {"key 周回\n", "'周回'"},
      // Direction override, byte-order mark, line separator, zero-width space.
      {"key \u202E\uFEFF\u2028\u200B\n",
       "'\\xE2\\x80\\xAE\\xEF\\xBB\\xBF\\xE2\\x80\\xA8\\xE2\\x80\\x8B'"},
  };
  for (const auto& [script, quoted] : cases) {
    const SimRun r = RunScript(script);
    EXPECT_TRUE(r.status == 2 && r.err.find(quoted) != std::string::npos && r.err.size() < 200)
        << r.err;
  }
}

TEST(SimDriverIo, LfCrAndCrLfEachEndALine) {
  const SimRun r = RunScript("tick\rtick up\r\n\r\ntick\n\rtick enter\rkey escape");
  ASSERT_EQ(r.status, 0) << r.err;
  std::string numbers;
  for (const std::string& l : r.lines) numbers += Field(l, "line") + " ";
  ASSERT_EQ(numbers, "<missing> 1 2 4 6 7 ");
  EXPECT_EQ(Field(r.lines.back(), "menu"), "null");
}

TEST(SimDriverIo, AFrameThatCannotBeWrittenStopsBeforeItsStateLine) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("quorvel-frames-blocked\n-" + std::to_string(::getpid()));
  const struct {
    const char* blocked;  // a directory where this frame's file should go
    std::vector<std::string> args;
    std::size_t lines;
    const char* where;
  } cases[] = {
      {"frame-000001.png", {}, 0, "load: "},
      {"frame-000002.png", {}, 1, "line 1: "},
      {"frame-000003.png", {"--draw-log"}, 4, "line 2: "},  // 2 frames, 2 states
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / c.blocked);
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--frames", dir.string()});
    const SimRun r = RunScript("tick\ntick\ntick\n", args);
    EXPECT_EQ(std::pair(r.status, r.lines.size()), std::pair(1, c.lines)) << c.blocked;
    const std::string start = std::string("quorvel-sim: ") + c.where + "cannot write frames";
    EXPECT_TRUE(r.err.rfind(start, 0) == 0 && std::count(r.err.begin(), r.err.end(), '\n') == 1)
        << r.err;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quorvel
