// quorvel-sim --audio: the WAV file of a script that has every event that
// sounds, each event placed by the state lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "sound/wav_file.h"
#include "support/scratch.h"
#include "support/sim_run.h"
#include "support/wav_reader.h"

namespace quorvel {
namespace {

constexpr int64_t kTick = 3840, kPoll = 4800, kFade = 960;  // samples: 80, 100, 20 ms

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\n";
  return s;
}

// Course 1: the countdown, a U-turn back over the start line, a crash, the
// menu to a new race, course1-race.rec's laps to a new record, the race
// standing, and the menu left open at the end.
std::string EveryEventScript() {
  std::string race =
      testing::ReadFile(std::string(QUORVEL_SOURCE_DIR) + "/tests/recordings/course1-race.rec");
  return Repeat("tick", 38) + Repeat("tick up", 2) + Repeat("tick left", 34) +
         Repeat("tick up", 17) + Repeat("tick", 10) +
         "tick enter\npoll\nkey down\npoll\nkey down\npoll\nkey left\npoll\nkey enter\n" +
         race.substr(0, race.rfind("close")) + Repeat("tick", 40) + "tick enter\npoll\npoll\n";
}

// Each state line, and where its event's sound starts: a tick takes 80 ms
// and its sleeps, a poll 100 ms, a key none, and a tick that opens the menu
// takes its 80 ms once the menu has closed. A last step marks the end.
struct Step {
  int lap;
  bool menu, crash;
  int64_t at;
};
std::vector<Step> Steps(const std::string& out) {
  std::vector<Step> steps;
  std::istringstream lines(out);
  bool owed = false;
  int64_t at = 0;
  for (std::string l; std::getline(lines, l);) {
    const auto field = [&l](const char* key) {
      return std::atoi(l.c_str() + l.find(key) + std::strlen(key) + 3);  // "key": value
    };
    const bool menu = l.find("\"menu\": null") == std::string::npos;
    steps.push_back({field("\"Lap"), menu, field("\"slept") > 0, at});
    const std::string event = l.substr(11, 4);  // {"event": "tick", ...
    if (event == "tick") {
      owed = menu;
      at += menu ? 0 : kTick + field("\"slept") * 48;
    } else if (event != "load") {
      at += (event == "poll" ? kPoll : 0) + (owed && !menu ? kTick : 0);
      owed = owed && menu;
    }
  }
  steps.push_back({0, false, false, at});
  return steps;
}

// The energy near `hz` in the 10 ms from sample `from` (Hann-windowed).
double Energy(const std::vector<int16_t>& x, int64_t from, double hz) {
  double re = 0, im = 0;
  for (int i = 0; i < 480; ++i) {
    const double v = (0.5 - 0.5 * std::cos(std::numbers::pi * i / 240)) * x[from + i];
    re += v * std::cos(2 * std::numbers::pi * hz * i / 48000);
    im += v * std::sin(2 * std::numbers::pi * hz * i / 48000);
  }
  return re * re + im * im;
}

TEST(SimAudio, EachEventSoundsAtItsTickAndTheRestIsSilentOrSmooth) {
  const testing::ScratchDir dir("sim_audio");
  const std::string script = EveryEventScript();
  std::string bytes[2], out;
  for (int run = 0; run < 2; ++run) {
    const std::string wav = (dir / ("race.wav" + std::to_string(run))).string();
    const testing::SimOutput r = testing::RunSimOn(
        script, {"--audio", wav, "--records", (dir / std::to_string(run)).string()});
    ASSERT_EQ(r.status, 0) << r.err;
    bytes[run] = testing::ReadFile(wav);
    out = r.out;
  }
  ASSERT_EQ(bytes[1], bytes[0]) << "two runs sound different";
  ASSERT_EQ(testing::RunSimOn(script).out, out) << "--audio changed the state lines";
  WavSound wav;
  std::string error;
  ASSERT_TRUE(ReadWav(bytes[0], wav, error)) << error;
  const std::vector<int16_t>& x = wav.samples;
  const std::vector<Step> steps = Steps(out);
  ASSERT_EQ(static_cast<int64_t>(x.size()), steps.back().at);

  // The first step from `i` on that `is`.
  const auto first = [&](std::size_t i, auto is) {
    while (i + 1 < steps.size() && !is(steps[i], steps[i - 1])) ++i;
    return i;
  };
  const auto lap_to = [](int lap) {
    return [lap](Step s, Step was) { return s.lap == lap && was.lap != lap; };
  };
  const auto menu_is = [](bool open) { return [open](Step s, Step) { return s.menu == open; }; };
  const std::size_t crash = first(1, [](Step s, Step) { return s.crash; });
  const std::size_t menu = first(1, menu_is(true)), start2 = first(menu, menu_is(false));
  const std::size_t finish = first(start2, lap_to(4)), end_menu = first(finish, menu_is(true));
  const struct {
    const char* what;
    double hz;  // its first note's
    std::size_t step;
    int64_t after = 0;  // samples after the step's start
  } rows[] = {
      {"countdown beep (Ticks -37)", 880, 3},
      {"countdown beep (Ticks -12)", 880, 28},
      {"start beep (the first race step)", 1760, 39},
      {"lap taken back", 392, first(1, lap_to(0))},
      {"fall", 880, crash},
      {"lap given back at the restart", 1318.51, crash, 39 * kTick},
      {"menu click (key)", 1200, menu + 2},
      {"confirm", 783.99, start2},
      {"lap chime", 1318.51, first(start2, lap_to(2))},
      {"finish fanfare", 523.25, finish},
      {"record phrase, after the fanfare", 783.99, finish, 48000},
  };
  for (const auto& row : rows) {
    const int64_t at = steps[row.step].at + row.after;
    // Heard from 5 ms on (the fall's attack takes 10), not in the 10 ms before.
    const double before = Energy(x, at - 480, row.hz), after = Energy(x, at + 240, row.hz);
    EXPECT_GT(after, 8 * before + 1e9) << row.what << " at step " << row.step << ", sample " << at;
  }
  const struct {
    const char* what;
    int64_t from, to;
  } silences[] = {
      {"black pause", steps[crash].at + 19 * kTick, steps[crash].at + 39 * kTick},
      {"menu open, after the engine's fade", steps[menu].at + kFade, steps[menu].at + kPoll},
      {"the race standing after the record phrase", steps[finish].at + 48000 + 1280 * 48,
       steps[end_menu].at},
      {"menu left open at the end", steps[end_menu].at + kFade, steps.back().at},
  };
  for (const auto& s : silences) {
    ASSERT_LT(s.from, s.to) << s.what;
    for (int64_t i = s.from; i < s.to; ++i) ASSERT_EQ(x[i], 0) << s.what << " at sample " << i;
  }
  // No sample clips, and none steps further than the loudest tones do.
  for (std::size_t i = 1; i < x.size(); ++i) {
    ASSERT_LT(std::abs(x[i]), 32767) << "sample " << i;
    ASSERT_LE(std::abs(x[i] - x[i - 1]), 3200) << "sample " << i;
  }
}

TEST(SimAudio, AFileThatCannotBeMadeIsStatus2AndAFailedWriteStatus1) {
  const testing::SimOutput bad = testing::RunSimOn("tick\n", {"--audio", "/nonexistent/x.wav"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out + bad.err,
            "quorvel-sim: cannot create '/nonexistent/x.wav': No such file or directory\n");
  const testing::SimOutput full = testing::RunSimOn("tick\ntick\n", {"--audio", "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err,
            "quorvel-sim: line 1: '/dev/full': cannot write the sound: No space left on device\n");
}

}  // namespace
}  // namespace quorvel
