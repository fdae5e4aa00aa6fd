// Cost of the ghost: starting one on a kept race (its game loaded and its
// first line played), and then keeping it in step with a race, per tick of
// that race, its recording read and checked as it goes. The race is the
// kept course 1 recording, 3,480 ticks to its finish.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "app/ghost.h"

namespace quorvel {
namespace {

constexpr int32_t kFirstTick = -39;
constexpr int32_t kFinishTick = 3480;

int OpenKeptRace() {
  return open((std::string(QUORVEL_SOURCE_DIR) + "/tests/recordings/course1-race.rec").c_str(),
              O_RDONLY | O_CLOEXEC);
}

void GhostStart(benchmark::State& state) {
  for (auto _ : state) {
    const int fd = OpenKeptRace();
    const Ghost ghost{RecordingReader(fd)};
    benchmark::DoNotOptimize(ghost.CourseChoice());
    close(fd);
  }
}
BENCHMARK(GhostStart)->Unit(benchmark::kMicrosecond);

void GhostInStep(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const int fd = OpenKeptRace();
    Ghost ghost{RecordingReader(fd)};
    state.ResumeTiming();
    for (int32_t t = kFirstTick; t <= kFinishTick; ++t) benchmark::DoNotOptimize(ghost.PoseAt(t));
    state.PauseTiming();
    if (!ghost.error().empty()) state.SkipWithError(ghost.error().c_str());
    close(fd);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * (kFinishTick - kFirstTick + 1));
}
BENCHMARK(GhostInStep)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
