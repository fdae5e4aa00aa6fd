// The race's sound end to end: the real game, played through a countdown, a
// menu visit, laps up and back, a crash, the finish with a record and a
// menu start, heard as a WAV file.
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
#include <vector>

#include "race/frame_tick.h"
#include "race/start_up.h"
#include "sound/race_sounds.h"
#include "sound/sound_synth.h"
#include "sound/wav_file.h"
#include "support/recording_platform.h"

namespace quorvel {
namespace {

constexpr int64_t kT = kTickSamples;
constexpr int64_t kQ = kMenuPollSamples;
constexpr int64_t kOnsetWindow = 2 * kSamplesPerMs;

// What the score asked for, and at which sample.
struct Told {
  int64_t at = 0;
  std::optional<Cue> cue;  // none: the engine
  EngineTarget engine;
};

class ScoreLog final : public SoundCommands {
 public:
  std::vector<Told> told;
  int64_t at = 0;
  void SetEngine(const EngineTarget& t) override { told.push_back({at, std::nullopt, t}); }
  void StartCue(Cue c) override { told.push_back({at, c, {}}); }
};

// The game on a platform whose sleep and menu go through the score, as the
// programs' platforms do; `advance` takes the samples each call says follow.
class ScoredGame final : public Platform {
 public:
  ScoredGame(SoundCommands& out, std::function<void(int64_t)> advance)
      : sounds(out), advance_(std::move(advance)) {}

  void Load() {
    Form1_Load(g, *this);
    advance_(sounds.OnLoad(g));
  }
  void Tick(uint8_t keys = 0) {
    InputEvent e;
    e.keys = keys;
    sounds.BeforeEvent(g, e);
    Timer1_Timer(g, *this, e);
    advance_(sounds.AfterEvent(g));
  }
  // Puts the car at (x, y) going `speed` along `heading`.
  void Place(float x, float y, float heading, float speed) {
    g.s.Pos[0] = x;
    g.s.Pos[1] = y;
    g.s.Heading = heading;
    g.s.Speed = speed;
  }

  Game g;
  RaceSounds sounds;
  std::deque<InputEvent> menu_events;

  Surface& Picture1() override { return surface_; }
  void SetLabels(const Form1Labels&) override {}
  bool JoyProbe() override { return false; }
  void SetTimer1Enabled(bool) override {}
  void ShowMenuModal(MenuWindow& menu) override {
    menu.Form_Load();
    advance_(sounds.AfterEvent(g));
    while (!menu.Closed() && !menu_events.empty()) {
      const InputEvent e = menu_events.front();
      menu_events.pop_front();
      sounds.BeforeEvent(g, e);
      if (e.kind == InputEvent::kKey) menu.Form_KeyDown(e.key);
      if (e.kind == InputEvent::kPoll) menu.Timer1_Timer(e.joy);
      advance_(sounds.AfterEvent(g));
    }
  }
  void UnloadGameWindow() override {}
  void Sleep(int ms) override { advance_(sounds.OnSleep(ms, g)); }

 private:
  testing::RecordingSurface surface_;
  std::function<void(int64_t)> advance_;
};

// 74 ticks (two with a crash: 39 more each) and 5 menu polls on course 1.
void Play(ScoredGame& run) {
  const InputEvent poll = InputEvent::Of(InputEvent::kPoll);
  RaceState& s = run.g.s;
  const auto last_gate = static_cast<int32_t>(s.Gates.size()) - 1;
  const auto before_the_line = [&](int32_t lap) {
    s.Lap = lap;
    s.PastStartLine = false;
    s.LastGate = last_gate;
  };
  run.Load();
  for (int i = 0; i < 38; ++i) run.Tick();  // the countdown
  for (int i = 0; i < 11; ++i) run.Tick(kTickUp);
  run.menu_events = {poll, InputEvent::Key(kVkEscape)};
  run.Tick(kTickEnter);
  run.Place(-4, 0, 0, 5);  // over the start line forwards
  before_the_line(1);
  run.Tick();
  run.Place(1, 0, static_cast<float>(std::numbers::pi), 4);  // and back over it
  run.Tick();
  // Off the road, just after the lap was taken back: the restart gives it back.
  run.Place(5000, 5000, 0, 0);
  run.Tick();
  run.Place(-4, 0, 0, 5);
  before_the_line(3);
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
  run.Place(-5, 10, static_cast<float>(std::atan2(6.0, 7.0)), std::hypot(7.0f, 6.0f) + 0.05f);
  before_the_line(3);
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
  EXPECT_TRUE(wav.Start(file));
  ScoredGame run(synth, [&](int64_t n) {
    std::vector<int16_t> out(piece);
    for (int64_t left = n; left > 0; left -= static_cast<int64_t>(piece)) {
      const std::size_t count = std::min<std::size_t>(piece, static_cast<std::size_t>(left));
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
    ASSERT_LE(row.start + kOnsetWindow, kPlayedSamples);
    const std::vector<int16_t> without = Replay(*log_, row.start + kOnsetWindow, index);
    const auto differs = std::mismatch(without.begin(), without.end(), heard().begin()).first;
    EXPECT_NE(differs, without.end()) << "not heard within 2 ms of sample " << row.start;
    EXPECT_GE(differs - without.begin(), row.start);
  }
}

TEST_F(RaceSoundsTest, BlackPauseAndOpenMenuAreSilentAndNothingClipsOrClicks) {
  const struct {
    const char* what;
    int64_t from, to;
  } silences[] = {
      {"black pause", kCrash + 19 * kT, kCrash + 39 * kT},
      {"black pause and the finished race after it", kCrashedFinish + 19 * kT, kPlayedSamples},
      {"menu open mid-race, after the engine's 20 ms fade", 49 * kT + 960, 49 * kT + kQ},
  };
  for (const auto& quiet : silences) {
    for (int64_t i = quiet.from; i < quiet.to; ++i) {
      ASSERT_EQ(heard()[static_cast<std::size_t>(i)], 0) << quiet.what << " at sample " << i;
    }
  }
  // The steepest the tones get together is a step of about 2,600 (the lap
  // chime's 1,760 Hz note over the lap-back tone), and a step changes by
  // about 800 at most (the fall's noise); a cue switched on or off in one
  // sample steps by up to 7,800, the engine at speed by up to 5,200, and
  // either changes the step by as much.
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
