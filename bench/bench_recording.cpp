// Cost of reading a recording's lines as quorvel-sim and the replay do: a
// script of tick lines alone, and the same with a check line after every
// 125th tick compared with the race, per tick line read.
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "app/recording.h"
#include "race/race_state.h"

namespace quorvel {
namespace {

constexpr int kTicks = 125 * 400;

void ReadScript(benchmark::State& state) {
  const bool checks = state.range(0) != 0;
  const RaceState race;
  std::string text = "version 1\n";
  for (int i = 1; i <= kTicks; ++i) {
    text += "tick up left\n";
    // The check of a race at rest at the origin, which `race` is.
    if (checks && i % kTicksPerCheck == 0) text += "check 0 0 0 0 0 0 0\n";
  }
  const int fd = memfd_create("script", 0);
  if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return;
  for (auto _ : state) {
    ::lseek(fd, 0, SEEK_SET);
    RecordingReader script(fd);
    script.VerifyAgainst(&race);
    InputEvent e;
    while (script.Next(false, e) == RecordingReader::kEvent) benchmark::DoNotOptimize(e);
    if (!script.error().empty()) state.SkipWithError(script.error().c_str());
  }
  ::close(fd);
  state.SetItemsProcessed(state.iterations() * kTicks);
}
BENCHMARK(ReadScript)->Arg(0)->Arg(1)->ArgName("checks")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
