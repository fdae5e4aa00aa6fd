// Cost of drawing one frame into the real off-screen surface (337 x 337
// pixels): course 1 on its start line, and for each course the pose along a
// lap that makes the most polygon calls; and of one race step. A plain fill
// of every pixel of the surface is the yardstick for the frames.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

#include "course/course_builders.h"
#include "platform/headless/headless_platform.h"
#include "race/race_state.h"
#include "race/race_step.h"
#include "race/reset_race.h"
#include "render/draw_scene.h"
#include "ui/game_window.h"

namespace quorvel {
namespace {

constexpr int kSurfaceSize = 337;  // pixels, the game window's drawing surface
constexpr int kStepsBetweenGates = 12;
constexpr float kRaceEyeHeight = 4.0f;  // world units, as every ordinary tick draws

// Counts polygons and ignores every other call: used to pick poses.
class PolygonCounter final : public Surface, public Platform {
 public:
  long polygons = 0;

  float ScaleWidth() const override { return kSurfaceSize; }
  float ScaleHeight() const override { return kSurfaceSize; }
  void FillRect(float, float, float, float, Colour) override {}
  void SetFillColor(Colour) override {}
  void SetPenColor(Colour) override {}
  void Circle(float, float, float, Colour) override {}
  void Polygon(const PolyPoint*) override { ++polygons; }
  void SetBackColor(Colour) override {}
  void Refresh() override {}

  Surface& Picture1() override { return *this; }
  void SetLabels(const Form1Labels&) override {}
  bool JoyProbe() override { return false; }
  void SetTimer1Enabled(bool) override {}
  void ShowMenuModal(MenuWindow&) override {}
  void UnloadGameWindow() override {}
  void Sleep(int) override {}
};

struct Scene {
  RaceState s;
  Form1Labels labels;
  long polygons = 0;  // per frame at this pose
};

long CountPolygons(Scene scene) {
  PolygonCounter counter;
  DrawScene(scene.s, scene.labels, counter, kRaceEyeHeight);
  return counter.polygons;
}

Scene StartScene(int course) {
  Scene scene;
  if (course == 1) {
    BuildCourse1(scene.s, 30);
  } else {
    BuildCourse2(scene.s);
  }
  ResetRace(scene.s, scene.labels);
  scene.polygons = CountPolygons(scene);
  return scene;
}

// Samples the lap along the straight lines between consecutive restart
// points, heading along each line and along the interpolated restart
// heading, with full and no steering and lean (which move the eye), and
// keeps the pose with the most polygons.
Scene BusiestScene(int course) {
  Scene best = StartScene(course);
  const std::vector<GateRec> gates = best.s.Gates;
  for (size_t g = 0; g < gates.size(); ++g) {
    const GateRec& from = gates[g];
    const GateRec& to = gates[(g + 1) % gates.size()];
    const double dx = to.RespawnX - from.RespawnX;
    const double dy = to.RespawnY - from.RespawnY;
    const double along = std::atan2(dy, dx);
    const double turn =
        std::remainder(to.RespawnHeading - from.RespawnHeading, 2 * std::numbers::pi);
    for (int k = 0; k < kStepsBetweenGates; ++k) {
      const double t = static_cast<double>(k) / kStepsBetweenGates;
      for (double heading : {along, from.RespawnHeading + t * turn}) {
        for (int16_t steer : {-10, 0, 10}) {
          for (int16_t lag : {-15, 0, 15}) {
            Scene candidate = best;
            candidate.s.Pos[0] = static_cast<float>(from.RespawnX + t * dx);
            candidate.s.Pos[1] = static_cast<float>(from.RespawnY + t * dy);
            candidate.s.Heading = static_cast<float>(heading);
            candidate.s.Steer = steer;
            candidate.s.CameraLag = lag;
            candidate.polygons = CountPolygons(candidate);
            if (candidate.polygons > best.polygons) best = candidate;
          }
        }
      }
    }
  }
  return best;
}

void RunDrawScene(benchmark::State& state, const Scene& scene) {
  HeadlessPlatform platform(kSurfaceSize, kSurfaceSize);
  RaceState s = scene.s;
  Form1Labels labels = scene.labels;
  for (auto _ : state) {
    DrawScene(s, labels, platform, kRaceEyeHeight);
    // The surface draws lazily; the window's present looks at the image, so
    // a frame's cost includes putting its pixels there.
    benchmark::DoNotOptimize(platform.raster().image());
    benchmark::ClobberMemory();
  }
  state.counters["polygons"] = static_cast<double>(scene.polygons);
  char pose[128];
  std::snprintf(pose, sizeof pose, "car (%.1f, %.1f) heading %.3f steer %d lag %d", scene.s.Pos[0],
                scene.s.Pos[1], scene.s.Heading, scene.s.Steer, scene.s.CameraLag);
  state.SetLabel(pose);
}

void BM_Course1Start(benchmark::State& state) {
  static const Scene scene = StartScene(1);
  RunDrawScene(state, scene);
}

void BM_Course1Busiest(benchmark::State& state) {
  static const Scene scene = BusiestScene(1);
  RunDrawScene(state, scene);
}

void BM_Course2Start(benchmark::State& state) {
  static const Scene scene = StartScene(2);
  RunDrawScene(state, scene);
}

void BM_Course2Busiest(benchmark::State& state) {
  static const Scene scene = BusiestScene(2);
  RunDrawScene(state, scene);
}

// One race step on course 1's start straight, at speed, staying on the road.
void BM_RaceStepWithoutCrash(benchmark::State& state) {
  HeadlessPlatform platform(kSurfaceSize, kSurfaceSize);
  RaceState start;
  Form1Labels labels;
  BuildCourse1(start, 30);
  ResetRace(start, labels);
  start.Pos[0] = -300;
  start.Speed = 2;
  const DirectionFlags up{false, false, false, true};
  for (auto _ : state) {
    RaceState s = start;
    RaceStep(s, labels, platform, up);
    benchmark::DoNotOptimize(s.Pos);
    if (platform.slept_ms() != 0) state.SkipWithError("the step crashed");
  }
}

// Every pixel of a 337 x 337 32-bit image set with plain stores, as the
// yardstick a frame's cost is compared with.
void BM_FullSurfaceFill(benchmark::State& state) {
  std::vector<uint32_t> pixels(kSurfaceSize * kSurfaceSize);
  uint32_t value = 0xFF000000;
  for (auto _ : state) {
    std::fill(pixels.begin(), pixels.end(), ++value);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_FullSurfaceFill)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_RaceStepWithoutCrash)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_Course1Start)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_Course1Busiest)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_Course2Start)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(BM_Course2Busiest)->Unit(benchmark::kMicrosecond)->Repetitions(9);

}  // namespace
}  // namespace quorvel
