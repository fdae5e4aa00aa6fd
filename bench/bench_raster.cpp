// Cost of rasterising frames into the drawing surface (337 x 337 pixels):
// a synthetic frame of 100 road-sized triangles, two rectangles and two
// circles, and the real first frames of both courses; each drawn and then
// looked at (which rasterises), or only drawn (which records). Also the
// cost of painting the game window's client area with its labels.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "course/course_builders.h"
#include "platform/headless/headless_platform.h"
#include "platform/raster/fonts.h"
#include "platform/raster/raster_surface.h"
#include "platform/raster/window_painter.h"
#include "race/race_state.h"
#include "race/reset_race.h"
#include "render/draw_scene.h"

namespace quorvel {
namespace {

constexpr int kSurfaceSize = 337;       // pixels
constexpr float kRaceEyeHeight = 4.0f;  // world units

std::vector<std::array<PolyPoint, 3>> RoadLikeTriangles(int spread) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> cx(-100, kSurfaceSize + 100), cy(187, kSurfaceSize);
  std::uniform_int_distribution<int> d(-spread, spread);
  std::vector<std::array<PolyPoint, 3>> out;
  for (int i = 0; i < 100; ++i) {
    const int x = cx(rng);
    const int y = cy(rng);
    out.push_back({PolyPoint{x + d(rng), y + d(rng)}, PolyPoint{x + d(rng), y + d(rng)},
                   PolyPoint{x + d(rng), y + d(rng)}});
  }
  return out;
}

void DrawSynthetic(Surface& s, const std::vector<std::array<PolyPoint, 3>>& tris) {
  s.FillRect(0, 0, kSurfaceSize + 1, kSurfaceSize / 2.0f + 1, 16776960);
  s.FillRect(0, kSurfaceSize / 2.0f, kSurfaceSize + 1, kSurfaceSize / 2.0f + 1, 0);
  for (const auto& t : tris) {
    s.SetFillColor(8421504);
    s.SetPenColor(8421504);
    s.Polygon(t.data());
  }
  s.SetFillColor(32768);
  s.Circle(187, 260, 20, 16777215);
  s.Circle(184.5f, 268, 5, 16777215);
}

// Argument: half the spread of a triangle's corners in pixels.
void BM_SyntheticFrameRasterised(benchmark::State& state) {
  const auto tris = RoadLikeTriangles(static_cast<int>(state.range(0)));
  RasterSurface surface(kSurfaceSize, kSurfaceSize);
  for (auto _ : state) {
    DrawSynthetic(surface, tris);
    benchmark::DoNotOptimize(surface.image());
  }
}
BENCHMARK(BM_SyntheticFrameRasterised)->Arg(10)->Arg(40)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_SyntheticFrameRecordedOnly(benchmark::State& state) {
  const auto tris = RoadLikeTriangles(40);
  RasterSurface surface(kSurfaceSize, kSurfaceSize);
  for (auto _ : state) DrawSynthetic(surface, tris);
}
BENCHMARK(BM_SyntheticFrameRecordedOnly)->Unit(benchmark::kMicrosecond);

void RunCourseStart(benchmark::State& state, int course, bool rasterise) {
  RaceState s;
  Form1Labels labels;
  if (course == 1) {
    BuildCourse1(s, 30);
  } else {
    BuildCourse2(s);
  }
  ResetRace(s, labels);
  HeadlessPlatform platform(kSurfaceSize, kSurfaceSize);
  for (auto _ : state) {
    DrawScene(s, labels, platform, kRaceEyeHeight);
    if (rasterise) benchmark::DoNotOptimize(platform.raster().image());
  }
}

void BM_Course1StartRasterised(benchmark::State& state) {
  RunCourseStart(state, 1, true);
}
void BM_Course2StartRasterised(benchmark::State& state) {
  RunCourseStart(state, 2, true);
}
void BM_Course2StartRecordedOnly(benchmark::State& state) {
  RunCourseStart(state, 2, false);
}
BENCHMARK(BM_Course1StartRasterised)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Course2StartRasterised)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Course2StartRecordedOnly)->Unit(benchmark::kMicrosecond);

void BM_PaintGameWindow(benchmark::State& state) {
  std::string error;
  FontCache fonts(FindGameFont(error));
  RasterSurface surface(kSurfaceSize, kSurfaceSize);
  DrawSynthetic(surface, RoadLikeTriangles(40));
  SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, 339, 339, 32, SDL_PIXELFORMAT_ARGB8888);
  Form1Labels labels;
  labels.Label1 = "38";
  labels.Label2 = "12";
  labels.Label4 = "2周目";
  for (auto _ : state) PaintForm1(out, surface.image(), labels, {}, fonts);
  SDL_FreeSurface(out);
}
BENCHMARK(BM_PaintGameWindow)->Unit(benchmark::kMicrosecond);

// What the renderer's present costs the CPU for each picture, at the scale
// given: the see-through time label's box (the overlay is repainted only
// when a text changes, BM_PaintOverlay).
void BM_PaintSeeThroughLabel(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  std::string error;
  FontCache fonts(FindGameFont(error));
  RasterSurface surface(kSurfaceSize, kSurfaceSize);
  DrawSynthetic(surface, RoadLikeTriangles(40));
  const SDL_Rect box = LabelRect(*Form1SeeThroughLabels()[0], scale);
  SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, box.w, box.h, 32, SDL_PIXELFORMAT_ARGB8888);
  Form1Labels labels;
  labels.Label2 = "12";
  for (auto _ : state) {
    PaintSeeThroughLabel(out, *Form1SeeThroughLabels()[0], surface.image(), labels, fonts, scale);
  }
  SDL_FreeSurface(out);
}
BENCHMARK(BM_PaintSeeThroughLabel)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

void BM_PaintOverlay(benchmark::State& state) {
  const int scale = static_cast<int>(state.range(0));
  std::string error;
  FontCache fonts(FindGameFont(error));
  SDL_Surface* out =
      SDL_CreateRGBSurfaceWithFormat(0, 339 * scale, 339 * scale, 32, SDL_PIXELFORMAT_ARGB8888);
  Form1Labels labels;
  labels.Label1 = "38";
  labels.Label4 = "2周目";
  for (auto _ : state) PaintForm1Overlay(out, labels, {}, fonts, scale);
  SDL_FreeSurface(out);
}
BENCHMARK(BM_PaintOverlay)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvel
