// Cost of the ghost: making one from a kept race (the whole race played
// through once to see that it replays), and then keeping it in step with a
// race, per tick of that race. The race is the kept course 1 recording,
// 3,480 ticks to its finish.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/ghost_run.h"

namespace quorvel {
namespace {

constexpr int32_t kFirstTick = -39;
constexpr int32_t kFinishTick = 3480;

std::string KeptRace() {
  std::ifstream in(std::string(QUORVEL_SOURCE_DIR) + "/tests/recordings/course1-race.rec");
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void GhostLoad(benchmark::State& state) {
  const std::string text = KeptRace();
  std::string error;
  for (auto _ : state) benchmark::DoNotOptimize(GhostRun::Load(text, error));
  if (!error.empty()) state.SkipWithError(error.c_str());
}
BENCHMARK(GhostLoad)->Unit(benchmark::kMillisecond);

void GhostInStep(benchmark::State& state) {
  const std::string text = KeptRace();
  std::string error;
  for (auto _ : state) {
    state.PauseTiming();
    auto ghost = GhostRun::Load(text, error);
    state.ResumeTiming();
    if (ghost == nullptr) break;
    for (int32_t t = kFirstTick; t <= kFinishTick; ++t) benchmark::DoNotOptimize(ghost->PoseAt(t));
  }
  if (!error.empty()) state.SkipWithError(error.c_str());
  state.SetItemsProcessed(state.iterations() * (kFinishTick - kFirstTick + 1));
}
BENCHMARK(GhostInStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
