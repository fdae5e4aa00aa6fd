// The race's sound end to end: the real game played through every event
// that sounds, heard as a WAV file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <numbers>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "race/frame_tick.h"
#include "race/start_up.h"
#include "sound/race_sounds.h"
#include "sound/sound_synth.h"
#include "sound/wav_file.h"
#include "support/recording_platform.h"
#include "support/wav_reader.h"

namespace quorvel {
namespace {

constexpr int64_t kT = kTickSamples;
constexpr int64_t kQ = kMenuPollSamples;

// What the score asked for, and at which sample.
struct Told {
  int64_t at = 0;
  std::optional<Cue> cue;  // none: the engine
  EngineTarget engine;
};
struct ScoreLog final : SoundCommands {
  std::vector<Told> told;
  int64_t at = 0;
  void SetEngine(const EngineTarget& t) override { told.push_back({at, std::nullopt, t}); }
  void StartCue(Cue c) override { told.push_back({at, c, {}}); }
};

// The game with its sleeps and menu going through the score, as the
// programs' platforms do; `advance` takes the samples each call says follow.
struct ScoredGame {
  ScoredGame(SoundCommands& out, std::function<void(int64_t)> advance_by)
      : sounds(out), advance(std::move(advance_by)) {
    platform.on_sleep = [this](int ms) { advance(sounds.OnSleep(ms, g)); };
    platform.on_show_menu = [this](MenuWindow& menu) {
      menu.Form_Load();
      advance(sounds.AfterEvent(g));
      for (; !menu.Closed() && !menu_events.empty(); menu_events.pop_front()) {
        const InputEvent& e = menu_events.front();
        sounds.BeforeEvent(g, e);
        e.kind == InputEvent::kKey ? menu.Form_KeyDown(e.key) : menu.Timer1_Timer(e.joy);
        advance(sounds.AfterEvent(g));
      }
    };
  }
  void Tick(uint8_t keys = 0) {
    InputEvent e;
    e.keys = keys;
    sounds.BeforeEvent(g, e);
    Timer1_Timer(g, platform, e);
    advance(sounds.AfterEvent(g));
  }
  Game g;
  RaceSounds sounds;
  std::function<void(int64_t)> advance;
  std::deque<InputEvent> menu_events;
  testing::RecordingPlatform platform;
};

// 74 ticks (two with a crash: 39 more each) and 5 menu polls on course 1.
void Play(ScoredGame& run) {
  const InputEvent poll = InputEvent::Of(InputEvent::kPoll);
  RaceState& s = run.g.s;
  const auto last_gate = static_cast<int32_t>(s.Gates.size()) - 1;
  // The car at (x, y) going `speed` along `heading`, and the lap.
  const auto place = [&](float x, float y, float heading, float speed, int32_t lap) {
    s.Pos = {x, y};
    s.Heading = heading;
    s.Speed = speed;
    s.Lap = lap;
  };
  Form1_Load(run.g, run.platform);
  run.sounds.OnLoad(run.g);                 // takes no time
  for (int i = 0; i < 38; ++i) run.Tick();  // the countdown
  for (int i = 0; i < 11; ++i) run.Tick(kTickUp);
  run.menu_events = {poll, InputEvent::Key(kVkEscape)};
  run.Tick(kTickEnter);
  place(-4, 0, 0, 5, 1);  // over the start line forwards, past the last gate
  s.PastStartLine = false;
  s.LastGate = last_gate;
  run.Tick();
  place(1, 0, static_cast<float>(std::numbers::pi), 4, 2);  // and back over it
  run.Tick();
  // Off the road, just after the lap was taken back: the restart gives it back.
  place(5000, 5000, 0, 0, 1);
  run.Tick();
  place(-4, 0, 0, 5, 3);
  s.PastStartLine = false;
  s.LastGate = last_gate;
  run.Tick();
  run.sounds.SetNewRecord();
  for (int i = 0; i < 15; ++i) run.Tick();  // the race stands
  // A new race with the advanced car.
  run.menu_events = {InputEvent::Key(kVkDown),  poll, InputEvent::Key(kVkRight), poll,
                     InputEvent::Key(kVkDown),  poll, InputEvent::Key(kVkLeft),  poll,
                     InputEvent::Key(kVkReturn)};
  run.Tick(kTickEnter);
  run.Tick();
  // Over the line and off the road in the finishing step: (-5, 10) to (2, 16).
  s.Ticks = 100;
  place(-5, 10, static_cast<float>(std::atan2(6.0, 7.0)), std::hypot(7.0f, 6.0f) + 0.05f, 3);
  s.PastStartLine = false;
  run.Tick();
  run.Tick();
  run.Tick();
}
constexpr int64_t kPlayedSamples = 152 * kT + 5 * kQ;
constexpr int64_t kCrash = 52 * kT + kQ;
constexpr int64_t kFinish = 92 * kT + kQ;
constexpr int64_t kMenu = 108 * kT + kQ;
constexpr int64_t kCrashedFinish = 110 * kT + 5 * kQ;

// The run's WAV file, rendered in pieces of `piece` samples.
std::string PlayedWav(std::size_t piece) {
  SoundSynth synth;
  FILE* file = std::tmpfile();
  WavWriter wav;
  wav.Start(file);
  std::vector<int16_t> out(piece);
  ScoredGame run(synth, [&](int64_t n) {
    for (auto count = piece; n > 0; n -= static_cast<int64_t>(count)) {
      count = std::min(piece, static_cast<std::size_t>(n));
      synth.Render(out.data(), count);
      EXPECT_TRUE(wav.Write(out.data(), count)) << wav.error();
    }
  });
  Play(run);
  EXPECT_TRUE(wav.Finish()) << wav.error();
  std::string bytes(static_cast<std::size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
  return bytes;
}

// The logged stream rendered afresh to sample `until`, without the logged
// call `skip`.
std::vector<int16_t> Replay(const ScoreLog& log, int64_t until, std::size_t skip) {
  SoundSynth synth;
  std::vector<int16_t> out(static_cast<std::size_t>(until));
  for (std::size_t i = 0; i < log.told.size() && log.told[i].at < until; ++i) {
    const Told& t = log.told[i];
    synth.Render(out.data() + synth.position(), static_cast<std::size_t>(t.at - synth.position()));
    if (i == skip) continue;
    t.cue ? synth.StartCue(*t.cue) : synth.SetEngine(t.engine);
  }
  synth.Render(out.data() + synth.position(), static_cast<std::size_t>(until - synth.position()));
  return out;
}

class RaceSoundsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string bytes = PlayedWav(kT);
    std::string error;
    ASSERT_TRUE(ReadWav(bytes, *wav_, error)) << error;
    ASSERT_EQ(bytes, PlayedWav(1000)) << "two runs, cut into other pieces, differ";
    ScoredGame run(*log_, [](int64_t n) { log_->at += n; });
    Play(run);
  }
  static const std::vector<int16_t>& heard() { return wav_->samples; }
  static inline WavSound* wav_ = new WavSound;
  static inline ScoreLog* log_ = new ScoreLog;
};

TEST_F(RaceSoundsTest, EachEventsSoundStartsAtItsSample) {
  struct Row {
    Cue cue;
    int nth;  // its occurrences before it
    int64_t start;
  };
  const Row rows[] = {
      {Cue::kCountdownBeep, 0, 2 * kT},   // Ticks -37: the label goes from -4 to -3
      {Cue::kCountdownBeep, 1, 14 * kT},  // -25: -2
      {Cue::kCountdownBeep, 2, 27 * kT},  // -12: -1
      {Cue::kStartBeep, 0, 38 * kT},      // -1, the first race step
      // The menu visit before: tick, poll and Esc take a tick and a poll.
      {Cue::kLapChime, 0, 50 * kT + kQ},
      {Cue::kLapBack, 0, 51 * kT + kQ},
      {Cue::kFall, 0, kCrash},
      {Cue::kLapChime, 1, kCrash + 39 * kT},  // the restart gives the lap back
      {Cue::kFinishFanfare, 0, kFinish},
      {Cue::kRecordPhrase, 0, kFinish + kFanfareSamples},
      {Cue::kMenuClick, 0, kMenu},  // keys take no time, polls 100 ms
      {Cue::kMenuClick, 1, kMenu + kQ},
      {Cue::kMenuClick, 2, kMenu + 2 * kQ},
      {Cue::kMenuClick, 3, kMenu + 3 * kQ},
      {Cue::kConfirm, 0, kMenu + 4 * kQ},
      {Cue::kFinishFanfare, 1, kCrashedFinish},
      {Cue::kFall, 1, kCrashedFinish},
  };
  ASSERT_EQ(static_cast<int64_t>(heard().size()), kPlayedSamples);
  ASSERT_EQ(Replay(*log_, kPlayedSamples, log_->told.size()), heard());
  std::size_t cues = 0;
  for (const Told& t : log_->told) cues += t.cue ? 1 : 0;
  EXPECT_EQ(cues, std::size(rows)) << "a cue no event asked for";

  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "cue " << static_cast<int>(row.cue) << " #" << row.nth);
    std::size_t index = 0;
    for (int seen = -1; index < log_->told.size(); ++index) {
      if (log_->told[index].cue == row.cue && ++seen == row.nth) break;
    }
    ASSERT_LT(index, log_->told.size());
    // Heard without that one cue: the same up to its start, not just after.
    ASSERT_LE(row.start + 2 * kSamplesPerMs, kPlayedSamples);
    const std::vector<int16_t> without = Replay(*log_, row.start + 2 * kSamplesPerMs, index);
    const auto differs = std::mismatch(without.begin(), without.end(), heard().begin()).first;
    EXPECT_NE(differs, without.end()) << "not heard within 2 ms of sample " << row.start;
    EXPECT_GE(differs - without.begin(), row.start);
  }
}

TEST_F(RaceSoundsTest, BlackPauseAndOpenMenuAreSilentAndNothingClipsOrClicks) {
  const std::tuple<const char*, int64_t, int64_t> silences[] = {
      {"black pause", kCrash + 19 * kT, kCrash + 39 * kT},
      {"black pause and the finished race after it", kCrashedFinish + 19 * kT, kPlayedSamples},
      {"menu open mid-race, after the engine's 20 ms fade", 49 * kT + 960, 49 * kT + kQ},
  };
  for (const auto& [what, from, to] : silences) {
    for (int64_t i = from; i < to; ++i) {
      ASSERT_EQ(heard()[static_cast<std::size_t>(i)], 0) << what << " at sample " << i;
    }
  }
  // The tones together step by 2,600 at most and change a step by 800 at
  // most; a cue or the engine switched on or off in one sample steps, and
  // changes the step, by up to 7,800 or 5,200.
  constexpr int kMaxStep = 3200;
  constexpr int kMaxStepChange = 1200;
  const std::vector<int16_t>& x = heard();
  for (std::size_t i = 0; i < x.size(); ++i) {
    ASSERT_GT(x[i], -32767) << "sample " << i;
    ASSERT_LT(x[i], 32767) << "sample " << i;
    if (i < 2) continue;
    ASSERT_LE(std::abs(x[i] - x[i - 1]), kMaxStep) << "sample " << i;
    ASSERT_LE(std::abs(x[i] - 2 * x[i - 1] + x[i - 2]), kMaxStepChange) << "sample " << i;
  }
}

}  // namespace
}  // namespace quorvel
