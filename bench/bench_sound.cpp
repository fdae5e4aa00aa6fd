// Cost of the sound: the synthesis of one tick (3,840 samples at 48 kHz)
// with the engine gliding at speed, a fall and a lap chime sounding. The
// counter "core_%" is the share of one core it takes at 12.5 ticks a second.
#include <benchmark/benchmark.h>

#include <array>
#include <ctime>

#include "sound/race_sounds.h"
#include "sound/sound_synth.h"

namespace quorvel {
namespace {

constexpr int kFallTicks = 19;  // the fall lasts 19 ticks
constexpr int kChimeTicks = 8;  // the chime's notes die away within 8 ticks
constexpr double kTicksPerSecond = 12.5;

// This thread's processor time in seconds.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void SynthTick(benchmark::State& state) {
  SoundSynth synth;
  std::array<int16_t, kTickSamples> out{};
  int tick = 0;
  const double start = CpuSeconds();
  for (auto _ : state) {
    // The target changes every tick, so the engine always glides.
    synth.SetEngine(EngineTarget{true, tick % 2 == 0 ? 4.0f : 5.0f, 0});
    if (tick % kFallTicks == 0) synth.StartCue(Cue::kFall);
    if (tick % kChimeTicks == 0) synth.StartCue(Cue::kLapChime);
    synth.Render(out.data(), out.size());
    benchmark::DoNotOptimize(out.data());
    ++tick;
  }
  const double per_tick = (CpuSeconds() - start) / static_cast<double>(state.iterations());
  state.counters["core_%"] = per_tick * kTicksPerSecond * 100;
}
BENCHMARK(SynthTick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvel
