// quorvel-sim --audio: the sound of a script that has every event that
// sounds, read back from the WAV file and placed by the state lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "sound/wav_file.h"
#include "support/scratch.h"
#include "support/sim_run.h"

namespace quorvel {
namespace {

constexpr int64_t kTick = 3840;  // samples: 80 ms at 48 kHz
constexpr int64_t kPoll = 4800;  // the menu's 100 ms
constexpr int64_t kFade = 960;   // the engine's 20 ms fade

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\n";
  return s;
}

// Course 1 with the beginner car: the countdown, a U-turn back over the
// start line, a crash, the menu to a new race, course1-race.rec's three laps
// to the finish with a new record, the race standing, and the menu left open
// at the end.
std::string EveryEventScript() {
  std::string race =
      testing::ReadFile(std::string(QUORVEL_SOURCE_DIR) + "/tests/recordings/course1-race.rec");
  race = race.substr(0, race.rfind("close"));
  return Repeat("tick", 38) + Repeat("tick up", 2) + Repeat("tick left", 34) +
         Repeat("tick up", 17) + Repeat("tick", 10) +
         "tick enter\npoll\nkey down\npoll\nkey down\n" + "poll\nkey left\npoll\nkey enter\n" +
         race + Repeat("tick", 40) + "tick enter\npoll\npoll\n";
}

// What one state line says, and where its event's sound starts.
struct Step {
  std::string event;
  int32_t ticks = 0, lap = 0;
  int slept = 0;
  bool menu = false;
  int64_t at = 0;  // sample
};

int32_t IntField(const std::string& line, const std::string& key) {
  const auto at = line.find("\"" + key + "\": ");
  return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + key.size() + 4);
}

// The steps of a run, each placed where the game's time puts it: a tick
// takes 80 ms and its sleeps, a poll 100 ms, a key none; a tick that opens
// the menu takes its 80 ms once the menu has closed.
std::vector<Step> Steps(const std::string& out, int64_t& end) {
  std::vector<Step> steps;
  std::istringstream lines(out);
  bool owed = false;
  end = 0;
  for (std::string line; std::getline(lines, line);) {
    Step s;
    s.event = line.substr(11, line.find('"', 11) - 11);  // {"event": "tick", ...
    s.ticks = IntField(line, "Ticks");
    s.lap = IntField(line, "Lap");
    s.slept = IntField(line, "slept");
    s.menu = line.find("\"menu\": null") == std::string::npos;
    s.at = end;
    if (s.event == "tick") {
      owed = s.menu;
      end += s.menu ? 0 : kTick + s.slept * 48;
    } else if (s.event != "load") {
      end += (s.event == "poll" ? kPoll : 0) + (!s.menu && owed ? kTick : 0);
      owed = owed && s.menu;
    }
    steps.push_back(s);
  }
  return steps;
}

// The energy near `hz` in the 10 ms from sample `from` (Hann-windowed).
double Energy(const std::vector<int16_t>& x, int64_t from, double hz) {
  constexpr int kWindow = 480;
  double re = 0, im = 0;
  for (int i = 0; i < kWindow; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / kWindow);
    const double phase = 2 * std::numbers::pi * hz * i / 48000;
    const double v = w * x[static_cast<std::size_t>(from + i)];
    re += v * std::cos(phase);
    im += v * std::sin(phase);
  }
  return re * re + im * im;
}

TEST(SimAudio, EachEventSoundsAtItsTickAndTheRestIsSilentOrSmooth) {
  const testing::ScratchDir dir("sim_audio");
  const std::string script = EveryEventScript();
  const std::string wav_path = (dir / "race.wav").string();
  const testing::SimOutput run =
      testing::RunSimOn(script, {"--audio", wav_path, "--records", (dir / "records").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string bytes = testing::ReadFile(wav_path);
  ASSERT_EQ(testing::RunSimOn(script).out, run.out) << "--audio changed the state lines";
  const testing::SimOutput again = testing::RunSimOn(
      script, {"--audio", (dir / "again.wav").string(), "--records", (dir / "again").string()});
  ASSERT_EQ(again.status, 0) << again.err;
  ASSERT_EQ(testing::ReadFile(dir / "again.wav"), bytes) << "two runs sound different";
  WavSound wav;
  std::string error;
  ASSERT_TRUE(ReadWav(bytes, wav, error)) << error;
  ASSERT_EQ(wav.sample_rate, 48000);
  ASSERT_EQ(wav.channels, 1);
  const std::vector<int16_t>& x = wav.samples;

  int64_t end = 0;
  const std::vector<Step> steps = Steps(run.out, end);
  ASSERT_EQ(static_cast<int64_t>(x.size()), end);
  // The first step after `from` that `is`, and where its sound starts.
  const auto find = [&](std::size_t from, auto is) {
    for (std::size_t i = from; i < steps.size(); ++i) {
      if (is(steps[i], steps[i - 1])) return i;
    }
    ADD_FAILURE() << "the script has no such step after " << from;
    return steps.size() - 1;
  };
  const auto lap_to = [](int32_t lap) {
    return [lap](const Step& s, const Step& was) { return s.lap == lap && was.lap != lap; };
  };
  const auto crash = find(1, [](const Step& s, const Step&) { return s.slept > 0; });
  const auto lap_back = find(1, lap_to(0));
  const auto menu = find(1, [](const Step& s, const Step&) { return s.menu; });
  const auto start2 =
      find(menu, [](const Step& s, const Step& was) { return !s.menu && was.menu; });
  const auto finish = find(start2, lap_to(4));
  const auto end_menu = find(finish, [](const Step& s, const Step&) { return s.menu; });

  struct Row {
    const char* what;
    double hz;  // the first note's pitch
    std::size_t step;
    int64_t after = 0;  // samples after the step's start
  };
  const Row rows[] = {
      {"countdown beep (Ticks -37)", 880, 3},
      {"countdown beep (Ticks -25)", 880, 15},
      {"start beep (the first race step)", 1760, 39},
      {"lap taken back", 392, lap_back},
      {"fall", 880, crash},
      {"lap given back at the restart", 1318.51, crash, 39 * kTick},
      {"menu click (key)", 1200, menu + 2},
      {"menu click (key)", 1200, menu + 4},
      {"confirm", 783.99, start2},
      {"start beep of the second race", 1760,
       find(start2, [](const Step& s, const Step&) { return s.ticks == -1; })},
      {"lap chime", 1318.51, find(start2, lap_to(2))},
      {"lap chime", 1318.51, find(start2, lap_to(3))},
      {"finish fanfare", 523.25, finish},
      {"record phrase, after the fanfare", 783.99, finish, 48000},
  };
  for (const Row& row : rows) {
    const int64_t at = steps[row.step].at + row.after;
    SCOPED_TRACE(::testing::Message() << row.what << " at step " << row.step << ", sample " << at);
    // Heard from 5 ms on (the fall's attack takes 10), not in the 10 ms
    // before.
    const double before = Energy(x, at - 480, row.hz), after = Energy(x, at + 240, row.hz);
    EXPECT_GT(after, 8 * before + 1e9) << "before " << before << ", after " << after;
  }

  const struct {
    const char* what;
    int64_t from, to;
  } silences[] = {
      {"black pause", steps[crash].at + 19 * kTick, steps[crash].at + 39 * kTick},
      {"menu open, after the engine's fade", steps[menu].at + kFade, steps[menu].at + kPoll},
      {"after the record phrase, the race standing", steps[finish].at + 48000 + 1280 * 48,
       steps[end_menu].at},
      {"menu left open at the end", steps[end_menu].at + kFade, end},
  };
  for (const auto& s : silences) {
    ASSERT_LT(s.from, s.to) << s.what;
    for (int64_t i = s.from; i < s.to; ++i) {
      ASSERT_EQ(x[static_cast<std::size_t>(i)], 0) << s.what << " at sample " << i;
    }
  }
  // No sample clips, and none steps further than the loudest tones do.
  for (std::size_t i = 1; i < x.size(); ++i) {
    ASSERT_LT(std::abs(x[i]), 32767) << "sample " << i;
    ASSERT_LE(std::abs(x[i] - x[i - 1]), 3200) << "sample " << i;
  }
}

TEST(SimAudio, AFileThatCannotBeMadeIsStatus2BeforeAnythingRuns) {
  const testing::SimOutput r = testing::RunSimOn("tick\n", {"--audio", "/nonexistent/x.wav"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "quorvel-sim: cannot create '/nonexistent/x.wav': No such file or directory\n");
  // A full disk: the line of the step it happened in, and status 1.
  const testing::SimOutput full = testing::RunSimOn("tick\ntick\n", {"--audio", "/dev/full"});
  EXPECT_EQ(full.status, 1);
  EXPECT_NE(full.err.find("cannot write the sound '/dev/full'"), std::string::npos) << full.err;
  EXPECT_EQ(full.err.find('\n'), full.err.size() - 1) << full.err;
}

}  // namespace
}  // namespace quorvel
