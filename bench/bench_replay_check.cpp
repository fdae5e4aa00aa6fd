// Cost of checking a replay before its window opens: a three-lap race on
// course 1 from the keyboard (about 2,800 ticks, 21 KB), played whole
// through the headless game as quorvel-sim plays it, frames not written.
#include <benchmark/benchmark.h>

#include <string>

#include "app/sim_driver.h"
#include "race/start_up.h"
#include "support/autopilot.h"

namespace quorvel {
namespace {

std::string ThreeLapScript() {
  Game g;
  testing::RecordingPlatform platform;
  Form1_Load(g, platform);
  testing::Autopilot pilot(testing::Course1CentreLine(), 2.5f);
  return testing::AutopilotScript(g, platform, pilot, 6000);
}

void BM_CheckThreeLapReplay(benchmark::State& state) {
  const std::string script = ThreeLapScript();
  for (auto _ : state) {
    const std::string error = CheckSimScript(script);
    if (!error.empty()) state.SkipWithError(error.c_str());
  }
  state.counters["bytes"] = static_cast<double>(script.size());
}
BENCHMARK(BM_CheckThreeLapReplay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quorvel
