#include "race/race_step.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "geometry/plane_tests.h"
#include "race/race_constants.h"
#include "render/draw_scene.h"

namespace quorvel {

namespace {

constexpr int kFallFrames = 19;
constexpr int kFallFrameMs = 80;
constexpr int kBlackPauseMs = 1600;
constexpr int32_t kBlackPauseTicks = 20;        // 1600 ms at 80 ms a tick
constexpr double kRestartHeadingOffset = 0.02;  // radians
constexpr const char* kGoalText = "ゴール";

// Returns the lowest index of a gate whose line the step crosses, or -1.
int32_t FirstGateCrossed(const RaceState& s, float NewX, float NewY) {
  const std::size_t count = s.Gates.size();  // fixed at the start of the scan
  for (std::size_t i = 0; i < count; ++i) {
    const GateRec& g = s.Gates[i];
    if (SegmentsCross(s.Pos[0], s.Pos[1], NewX, NewY, g.LineX1, g.LineY1, g.LineX2, g.LineY2)) {
      return static_cast<int32_t>(i);
    }
  }
  return -1;
}

void CountGate(RaceState& s, int32_t gate) {
  const int32_t last = static_cast<int32_t>(s.Gates.size()) - 1;
  if (gate == 0) {
    // The direction of the crossing is never tested, only which side the
    // car was last known to be on.
    if (s.PastStartLine) {
      s.PastStartLine = false;
      s.Lap -= 1;
    } else {
      s.PastStartLine = true;
      s.Lap += 1;
    }
  } else if (gate == 1) {
    s.PastStartLine = true;
  } else if (gate == last) {
    s.PastStartLine = false;
  }
  s.LastGate = gate;
}

void Crash(RaceState& s, Form1Labels& labels, Platform& platform) {
  for (int i = 0; i < kFallFrames; ++i) {
    s.Ticks += 1;
    // The eye sinks below the ground: 4, 3.75, 3, ..., -77 world units.
    const float eye_height = static_cast<float>(4 - static_cast<double>(i * i) / 4);
    DrawScene(s, labels, platform, eye_height);
    platform.Sleep(kFallFrameMs);
    // The car rolls on with the speed and heading it left the road with.
    const double heading = s.Heading;  // cos and sin in double, not float
    s.Pos[0] = static_cast<float>(s.Pos[0] + static_cast<double>(s.Speed) * std::cos(heading));
    s.Pos[1] = static_cast<float>(s.Pos[1] + static_cast<double>(s.Speed) * std::sin(heading));
  }
  Surface& picture = platform.Picture1();
  picture.SetBackColor(0);
  picture.Refresh();
  platform.Sleep(kBlackPauseMs);
  s.Ticks += kBlackPauseTicks;

  const GateRec& g = s.Gates[static_cast<std::size_t>(s.LastGate)];
  s.Pos[0] = static_cast<float>(g.RespawnX);
  s.Pos[1] = static_cast<float>(g.RespawnY);
  s.Heading = static_cast<float>(g.RespawnHeading + kRestartHeadingOffset);
  s.Speed = 0;
  s.Steer = 0;
  s.CameraLag = 0;
  // Gate 0's restart point lies on the forward side of the start line, so a
  // lap taken back by a backwards crossing is given back.
  if (s.LastGate == 0 && !s.PastStartLine) {
    s.PastStartLine = true;
    s.Lap += 1;
  }
}

}  // namespace

bool OnRoad(const RaceState& s, float x, float y) {
  // Never past the table, whatever the count says.
  const int16_t count = std::min<int16_t>(s.RoadTriCount, kRoadTriCapacity);
  for (int16_t i = 0; i < count; ++i) {
    const float* t = &s.RoadTri[static_cast<std::size_t>(6 * i)];
    if (InTriangle(t[0], t[1], t[2], t[3], t[4], t[5], x, y)) return true;
  }
  return false;
}

void LapsCrashAndRespawn(RaceState& s, Form1Labels& labels, Platform& platform, float NewX,
                         float NewY) {
  const int32_t gate = FirstGateCrossed(s, NewX, NewY);
  if (gate >= 0) CountGate(s, gate);

  s.Pos[0] = NewX;
  s.Pos[1] = NewY;

  if (s.Lap == kFinishedLap) {
    labels.Label3 = kGoalText;
    labels.Label3Visible = true;
  }

  if (!OnRoad(s, s.Pos[0], s.Pos[1])) Crash(s, labels, platform);
}

void RaceStep(RaceState& s, Form1Labels& labels, Platform& platform, const DirectionFlags& in) {
  const MotionResult m = CarMotionStep(s, in);
  LapsCrashAndRespawn(s, labels, platform, m.NewX, m.NewY);
}

}  // namespace quorvel
