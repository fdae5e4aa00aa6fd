// Cost of reading the player's pad mapping file at start-up: the largest
// file the game reads whole (the bound's number of mappings for this
// platform, padded to the bound's size with other platforms' lines), and one
// as large as the community list of every known pad (about 2,000 lines, a
// third of them this platform's). SDL's game-controller subsystem is started
// afresh for each run, untimed, so that every run adds to SDL's own list only.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sdl/sdl_input.h"

namespace quorvel {
namespace {

std::string MappingFile(int mappings, int other_lines, long bytes) {
  const std::string fields =
      ",a:b0,b:b1,back:b6,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,dpup:h0.1,guide:b8,"
      "leftshoulder:b4,leftstick:b9,lefttrigger:a2,leftx:a0,lefty:a1,rightshoulder:b5,"
      "rightstick:b10,righttrigger:a5,rightx:a3,righty:a4,start:b7,x:b2,y:b3,platform:";
  const std::string path =
      std::filesystem::temp_directory_path() / ("bench_pads_" + std::to_string(getpid()));
  std::ofstream out(path);
  long written = 0;
  for (int n = 0; n < mappings || n < other_lines || written < bytes; ++n) {
    char guid[33];
    std::snprintf(guid, sizeof guid, "03000000%08x%08x00000000", n * 2654435761u,
                  static_cast<unsigned>(n));
    const std::string line = std::string(guid) + ",Pad " + std::to_string(n) + fields +
                             (n < mappings ? "Linux,\n" : "Windows,\n");
    if (n >= mappings && written + static_cast<long>(line.size()) > bytes) break;
    out << line;
    written += static_cast<long>(line.size());
  }
  return path;
}

void BM_AddPadMappingsFile(benchmark::State& state) {
  const std::string path = MappingFile(static_cast<int>(state.range(0)),
                                       static_cast<int>(state.range(1)), state.range(2));
  for (auto _ : state) {
    state.PauseTiming();
    SDL_Init(SDL_INIT_GAMECONTROLLER);
    state.ResumeTiming();
    if (!AddPadMappingsFile(path).empty()) state.SkipWithError("warned");
    state.PauseTiming();
    SDL_Quit();
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}
BENCHMARK(BM_AddPadMappingsFile)
    ->Args({kMaxPadMappings, 0, kMaxPadMappingBytes})
    ->Args({700, 2100, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quorvel
