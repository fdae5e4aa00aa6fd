// The game's sound, made in code: a continuous engine voice and one-shot
// cues mixed into 48 kHz mono 16-bit samples. Everything is computed with
// the synthesiser's own phase accumulators, tables and arithmetic, so the
// samples are the same on every run and every machine. Not thread-safe: the
// owner calls it from one thread (or guards it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/sound_commands.h"

namespace quorvel {

constexpr int kSampleRate = 48000;  // samples per second
constexpr int kSamplesPerMs = kSampleRate / 1000;

// The volume setting: 0 (silent) to 100 (full level), scaled on a squared
// curve so that equal steps sound alike. At 100 the engine peaks at -20 dBFS
// at rest and toward -12 dBFS at speed (-15 at Speed 5), the cues at -8 to
// -13 dBFS and the menu click at -20. The default, 80, is 3.9 dB below.
constexpr int kMaxVolume = 100;
constexpr int kDefaultVolume = 80;

// The record phrase starts this long after the fanfare, where the fanfare's
// last note has died away (1 s).
constexpr int64_t kFanfareSamples = 1000 * kSamplesPerMs;

class SoundSynth final : public SoundCommands {
 public:
  // Starts silent: engine off, no cue, master gain at the default volume.
  SoundSynth();

  // SoundCommands, carried out at the current sample (position()).
  void SetEngine(const EngineTarget& target) override;
  // A cue asked for again within 10 ms of its last start is not doubled;
  // the record phrase waits for the fanfare's end when one is sounding. At
  // most 24 notes sound at once; a note that finds none free is dropped.
  void StartCue(Cue cue) override;

  // 0..100 (clamped). The master gain slides to it in at most 20 ms.
  void SetVolume(int volume);
  // Silenced (muted, paused, no race window): everything fades out in 20 ms
  // and back in as fast when released; time runs on meanwhile.
  void SetSilenced(bool silenced);

  // The next `n` samples of the stream. Cutting the stream into other
  // pieces gives the same samples. No sample reaches full scale: peaks are
  // softly limited below 90 % of it.
  void Render(int16_t* out, std::size_t n);

  // Samples rendered since construction.
  int64_t position() const { return position_; }

 private:
  struct Voice {
    int32_t delay = 0;                                       // samples left before the note starts
    int32_t age = 0;                                         // samples since it started
    int32_t length = 0, attack = 0, release = 0;             // samples
    double per_length = 0, per_attack = 0, per_release = 0;  // their reciprocals
    double inc_start = 0, inc_end = 0;  // phase increments (1/2^32 of a period per sample)
    double level = 0, overtone = 0, noise = 0;
    uint32_t phase = 0;
    uint32_t noise_seed = 0;
    double noise_low = 0;  // low-passed noise, -1..1
  };
  // A ramp from its value toward a target in a set number of samples.
  struct Glide {
    double value = 0, step = 0;
    int32_t left = 0;
    double end = 0;  // the target, reached exactly
    void To(double target, int32_t samples);
    void Advance(int32_t samples);
  };

  // Pitch and level from the engine's glides as they stand.
  void EngineBlock();
  double EngineSample();
  double VoiceSample(Voice& v);
  double TableAt(const std::vector<double>& table, uint32_t phase) const;

  // One period in 4,096 steps and the first again, so that interpolation
  // never wraps.
  std::vector<double> sine_;
  std::array<std::vector<double>, 2> engine_wave_;  // per car, peak 1, same layout

  EngineTarget engine_;
  Glide engine_speed_;      // world units per tick
  Glide engine_car_;        // 0 beginner .. 1 advanced
  double engine_gain_ = 0;  // 0..1, moves 1/960 a sample
  uint32_t engine_phase_ = 0;
  uint32_t engine_inc_ = 0;  // phase steps a sample, for this block
  double engine_level_ = 0;  // peak, for this block

  std::array<Voice, 24> voices_{};  // the first voice_count_ sound or wait to
  std::size_t voice_count_ = 0;
  std::array<int64_t, 9> last_start_{};  // per Cue: the sample it last started at
  int64_t fanfare_end_ = -1;             // where the last fanfare ends; -1 before any

  int volume_ = kDefaultVolume;
  bool silenced_ = false;
  double master_ = 0;  // 0..1, moves toward (volume/100)^2 by 1/960 a sample
  int64_t position_ = 0;
};

}  // namespace quorvel
