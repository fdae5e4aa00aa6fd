#include "sound/sound_synth.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <numbers>
#include <span>

namespace quorvel {

namespace {

constexpr int kTableBits = 12;
constexpr int kTableSize = 1 << kTableBits;  // sine and engine tables: entries per period
constexpr int kEngineGlideSamples = 3840;    // one tick of 80 ms: the engine's glide
// The engine's pitch and level are worked out every 16 samples (3 kHz),
// counted from the stream's start so that any cutting of it gives the same.
constexpr int32_t kEngineBlock = 16;
constexpr int32_t kFadeSamples = 960;  // 20 ms: engine on/off and the master gain
constexpr double kFadeStep = 1.0 / kFadeSamples;
constexpr int64_t kCueRepeatSamples = 480;  // 10 ms: a cue asked for twice within it sounds once
constexpr int kPhaseFracBits = 32 - kTableBits;
constexpr double kPhaseFracScale = 1.0 / (1u << kPhaseFracBits);
constexpr double kPhasePerHz = 4294967296.0 / kSampleRate;  // phase steps a sample at 1 Hz

// Engine pitch and loudness, saturating as Speed grows (it has no upper
// limit): the fundamental goes from 50 Hz at rest toward 240 Hz, the peak
// level from 0.10 toward 0.25 of full scale. The advanced car runs 12 %
// higher.
constexpr double kEngineIdleHz = 50, kEngineRangeHz = 190, kEngineHalfPitchSpeed = 5;
constexpr double kEngineIdleLevel = 0.10, kEngineRangeLevel = 0.15, kEngineHalfLevelSpeed = 4;
constexpr double kAdvancedPitch = 0.12;
// World units per tick; beyond it the engine no longer changes.
constexpr double kMaxEngineSpeed = 1000;

// Mixing: below the knee the samples pass unchanged; above it they bend
// smoothly (slope 1 at the knee) toward the ceiling, which they never reach.
constexpr double kLimitKnee = 0.5, kLimitCeiling = 0.9;

// One note of a cue. Times in ms from the cue's start; the envelope rises
// linearly over `attack`, holds, and falls as a square to zero over the last
// `release`, so a note neither starts nor stops with a step. The pitch
// glides from `hz` to `hz_end` along 1 - u^2 (u = 0..1 over the note):
// slowly at first, then faster, as the crash's eye drops. `overtone` adds
// the octave, `noise` low-passed noise, both relative to `level` (peak, full
// scale 1).
struct Note {
  int onset_ms, length_ms, attack_ms, release_ms;
  double hz, hz_end, level, overtone, noise;
};

constexpr Note kCountdownBeep[] = {{0, 140, 3, 100, 880.00, 880.00, 0.30, 0.25, 0}};
constexpr Note kStartBeep[] = {{0, 450, 3, 300, 1760.00, 1760.00, 0.30, 0.12, 0}};
constexpr Note kLapChime[] = {{0, 350, 2, 348, 1318.51, 1318.51, 0.26, 0.20, 0},
                              {90, 500, 2, 498, 1760.00, 1760.00, 0.26, 0.15, 0}};
constexpr Note kLapBack[] = {{0, 200, 5, 120, 392.00, 392.00, 0.28, 0.50, 0},
                             {180, 320, 5, 250, 329.63, 329.63, 0.28, 0.50, 0}};
// C5 E5 G5, then C6 held: ends at 1,000 ms (kFanfareSamples).
constexpr Note kFinishFanfare[] = {{0, 180, 4, 120, 523.25, 523.25, 0.24, 0.30, 0},
                                   {130, 180, 4, 120, 659.26, 659.26, 0.24, 0.30, 0},
                                   {260, 180, 4, 120, 783.99, 783.99, 0.24, 0.30, 0},
                                   {390, 610, 4, 450, 1046.50, 1046.50, 0.24, 0.30, 0}};
// G5 C6 E6 G6, then C7 held.
constexpr Note kRecordPhrase[] = {{0, 140, 4, 100, 783.99, 783.99, 0.22, 0.15, 0},
                                  {120, 140, 4, 100, 1046.50, 1046.50, 0.22, 0.15, 0},
                                  {240, 140, 4, 100, 1318.51, 1318.51, 0.22, 0.15, 0},
                                  {360, 140, 4, 100, 1567.98, 1567.98, 0.22, 0.15, 0},
                                  {480, 800, 4, 600, 2093.00, 2093.00, 0.22, 0.10, 0}};
// Exactly the 19 fall frames of 80 ms: silent when the black pause begins.
constexpr Note kFall[] = {{0, 1520, 10, 400, 880.00, 110.00, 0.26, 0.35, 0.5}};
constexpr Note kMenuClick[] = {{0, 30, 1, 29, 1200.00, 1200.00, 0.14, 0, 0}};
constexpr Note kConfirm[] = {{0, 120, 3, 90, 783.99, 783.99, 0.24, 0.20, 0},
                             {90, 350, 3, 300, 1174.66, 1174.66, 0.24, 0.20, 0}};

std::span<const Note> NotesOf(Cue cue) {
  switch (cue) {
    case Cue::kCountdownBeep:
      return kCountdownBeep;
    case Cue::kStartBeep:
      return kStartBeep;
    case Cue::kLapChime:
      return kLapChime;
    case Cue::kLapBack:
      return kLapBack;
    case Cue::kFinishFanfare:
      return kFinishFanfare;
    case Cue::kRecordPhrase:
      return kRecordPhrase;
    case Cue::kFall:
      return kFall;
    case Cue::kMenuClick:
      return kMenuClick;
    case Cue::kConfirm:
      return kConfirm;
  }
  return {};
}

// Harmonics of the engine wave, numbered from the half-order (the firing of
// one cylinder every other turn) so that harmonic 2 is the pitch heard.
struct Harmonic {
  int number;
  double level;
};
constexpr Harmonic kBeginnerEngine[] = {{1, 0.18}, {2, 1.0},  {3, 0.12}, {4, 0.45},
                                        {5, 0.08}, {6, 0.25}, {8, 0.12}, {10, 0.06}};
constexpr Harmonic kAdvancedEngine[] = {{1, 0.30}, {2, 1.0},  {3, 0.30}, {4, 0.55},  {5, 0.20},
                                        {6, 0.40}, {7, 0.12}, {8, 0.25}, {10, 0.12}, {12, 0.06}};

// sin(x) and cos(x) for x in [0, pi/2] by their Taylor series to x^17 and
// x^18: error below 1e-13, from IEEE arithmetic alone, so the same everywhere.
double SinSeries(double x) {
  double term = x, sum = x;
  for (int n = 2; n <= 16; n += 2) {
    term *= -x * x / (n * (n + 1));
    sum += term;
  }
  return sum;
}
double CosSeries(double x) {
  double term = 1, sum = 1;
  for (int n = 1; n <= 17; n += 2) {
    term *= -x * x / (n * (n + 1));
    sum += term;
  }
  return sum;
}

// sin(2 pi i / kTableSize), folded into the first quadrant.
double TableSine(int i) {
  constexpr int kQuarter = kTableSize / 4;
  const int quadrant = (i / kQuarter) % 4;
  const double x = (i % kQuarter) * (2 * std::numbers::pi / kTableSize);
  switch (quadrant) {
    case 0:
      return SinSeries(x);
    case 1:
      return CosSeries(x);
    case 2:
      return -SinSeries(x);
    default:
      return -CosSeries(x);
  }
}

// Rounds to the nearest integer, halves away from zero.
int16_t ToSample(double y) {
  const double v = y * 32767;
  return static_cast<int16_t>(v >= 0 ? static_cast<int32_t>(v + 0.5)
                                     : -static_cast<int32_t>(-v + 0.5));
}

double Limit(double x) {
  const double a = x < 0 ? -x : x;
  if (a <= kLimitKnee) return x;
  const double u = (a - kLimitKnee) / (kLimitCeiling - kLimitKnee);
  const double bent = kLimitKnee + (kLimitCeiling - kLimitKnee) * (u / (1 + u));
  return x < 0 ? -bent : bent;
}

double MasterGain(int volume, bool silenced) {
  if (silenced) return 0;
  const double v = static_cast<double>(volume) / kMaxVolume;
  return v * v;
}

}  // namespace

void SoundSynth::Glide::To(double target, int32_t samples) {
  step = (target - value) / samples;
  left = samples;
  end = target;
}

void SoundSynth::Glide::Advance(int32_t samples) {
  if (left <= samples) {
    value = end;
    left = 0;
  } else {
    value += step * samples;
    left -= samples;
  }
}

SoundSynth::SoundSynth() : sine_(kTableSize + 1) {
  for (int i = 0; i <= kTableSize; ++i) sine_[static_cast<std::size_t>(i)] = TableSine(i);
  const std::span<const Harmonic> cars[2] = {kBeginnerEngine, kAdvancedEngine};
  for (std::size_t car = 0; car < 2; ++car) {
    std::vector<double>& wave = engine_wave_[car];
    wave.assign(kTableSize + 1, 0);
    for (int i = 0; i < kTableSize; ++i) {
      double sum = 0;
      for (const Harmonic& h : cars[car]) {
        // Spread phases keep the peak of the sum low for its loudness.
        const int offset = (h.number * h.number * 613) % kTableSize;
        sum += h.level * sine_[static_cast<std::size_t>((h.number * i + offset) % kTableSize)];
      }
      wave[static_cast<std::size_t>(i)] = sum;
    }
    double peak = 0;
    for (const double w : wave) peak = std::max(peak, w < 0 ? -w : w);
    for (double& w : wave) w /= peak;
    wave[kTableSize] = wave[0];
  }
  last_start_.fill(std::numeric_limits<int64_t>::min() / 2);
  master_ = MasterGain(volume_, silenced_);
}

void SoundSynth::SetEngine(const EngineTarget& target) {
  // NaN or negative counts as rest.
  const double speed = target.speed >= 0 ? std::min<double>(target.speed, kMaxEngineSpeed) : 0;
  const double car = target.car == 1 ? 1 : 0;
  engine_ = target;
  if (target.on && engine_gain_ == 0) {
    // Unheard until now: start at the new pitch rather than glide from an
    // old one.
    engine_speed_ = Glide{speed, 0, 0, speed};
    engine_car_ = Glide{car, 0, 0, car};
    EngineBlock();
    return;
  }
  engine_speed_.To(speed, kEngineGlideSamples);
  engine_car_.To(car, kEngineGlideSamples);
}

void SoundSynth::StartCue(Cue cue) {
  const auto index = static_cast<std::size_t>(cue);
  if (position_ - last_start_[index] < kCueRepeatSamples) return;
  last_start_[index] = position_;
  int64_t delay = 0;
  if (cue == Cue::kFinishFanfare) fanfare_end_ = position_ + kFanfareSamples;
  if (cue == Cue::kRecordPhrase) delay = std::max<int64_t>(0, fanfare_end_ - position_);
  for (const Note& n : NotesOf(cue)) {
    if (voice_count_ == voices_.size()) return;
    Voice& v = voices_[voice_count_++];
    v = Voice{};
    v.delay = static_cast<int32_t>(delay + int64_t{n.onset_ms} * kSamplesPerMs);
    v.length = n.length_ms * kSamplesPerMs;
    v.attack = n.attack_ms * kSamplesPerMs;
    v.release = n.release_ms * kSamplesPerMs;
    v.per_length = 1.0 / v.length;
    v.per_attack = 1.0 / v.attack;
    v.per_release = 1.0 / v.release;
    v.inc_start = n.hz * kPhasePerHz;
    v.inc_end = n.hz_end * kPhasePerHz;
    v.level = n.level;
    v.overtone = n.overtone;
    v.noise = n.noise;
    v.noise_seed = 0x2545F491u + static_cast<uint32_t>(index);
  }
}

void SoundSynth::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, kMaxVolume);
}

void SoundSynth::SetSilenced(bool silenced) {
  silenced_ = silenced;
}

double SoundSynth::TableAt(const std::vector<double>& table, uint32_t phase) const {
  const std::size_t i = phase >> kPhaseFracBits;
  const double frac = (phase & ((1u << kPhaseFracBits) - 1)) * kPhaseFracScale;
  return table[i] + (table[i + 1] - table[i]) * frac;
}

void SoundSynth::EngineBlock() {
  const double s = engine_speed_.value;
  const double hz = (kEngineIdleHz + kEngineRangeHz * (s / (s + kEngineHalfPitchSpeed))) *
                    (1 + kAdvancedPitch * engine_car_.value);
  // The wave's table holds two turns of the engine (from the half-order).
  engine_inc_ = static_cast<uint32_t>(hz / 2 * kPhasePerHz);
  engine_level_ = kEngineIdleLevel + kEngineRangeLevel * (s / (s + kEngineHalfLevelSpeed));
}

double SoundSynth::EngineSample() {
  if (engine_.on) {
    engine_gain_ = std::min(1.0, engine_gain_ + kFadeStep);
  } else {
    engine_gain_ = std::max(0.0, engine_gain_ - kFadeStep);
    if (engine_gain_ == 0) return 0;
  }
  if (position_ % kEngineBlock == 0) {
    engine_speed_.Advance(kEngineBlock);
    engine_car_.Advance(kEngineBlock);
    EngineBlock();
  }
  const double car = engine_car_.value;
  double wave = 0;
  if (car < 1) wave += (1 - car) * TableAt(engine_wave_[0], engine_phase_);
  if (car > 0) wave += car * TableAt(engine_wave_[1], engine_phase_);
  engine_phase_ += engine_inc_;
  return wave * engine_level_ * engine_gain_;
}

double SoundSynth::VoiceSample(Voice& v) {
  if (v.delay > 0) {
    --v.delay;
    return 0;
  }
  const double u = v.age * v.per_length;
  double envelope = 1;
  if (v.age < v.attack) {
    envelope = v.age * v.per_attack;
  } else if (v.age > v.length - v.release) {
    const double r = (v.length - v.age) * v.per_release;
    envelope = r * r;
  }
  double x = TableAt(sine_, v.phase);
  if (v.overtone != 0) x += v.overtone * TableAt(sine_, v.phase * 2);
  if (v.noise != 0) {
    v.noise_seed = v.noise_seed * 1664525u + 1013904223u;
    const double white = static_cast<int32_t>(v.noise_seed) * (1.0 / 2147483648.0);
    v.noise_low += 0.08 * (white - v.noise_low);
    x += v.noise * v.noise_low;
  }
  const double inc = v.inc_end + (v.inc_start - v.inc_end) * (1 - u * u);
  v.phase += static_cast<uint32_t>(inc);
  ++v.age;
  return x * envelope * v.level;
}

void SoundSynth::Render(int16_t* out, std::size_t n) {
  const double master_target = MasterGain(volume_, silenced_);
  for (std::size_t i = 0; i < n; ++i) {
    double mix = 0;
    if (engine_.on || engine_gain_ > 0) mix += EngineSample();
    for (std::size_t k = 0; k < voice_count_;) {
      mix += VoiceSample(voices_[k]);
      // A finished note gives its place to the last one, which then plays
      // from there in this same sample.
      if (voices_[k].age >= voices_[k].length) {
        voices_[k] = voices_[--voice_count_];
      } else {
        ++k;
      }
    }
    if (master_ < master_target) {
      master_ = std::min(master_target, master_ + kFadeStep);
    } else if (master_ > master_target) {
      master_ = std::max(master_target, master_ - kFadeStep);
    }
    out[i] = ToSample(Limit(mix * master_));
    ++position_;
  }
}

}  // namespace quorvel
