// The race state: every variable the game works on between ticks, with the
// course tables. One value of RaceState is one game; tests make a fresh one
// with `RaceState s;`. Units: world units for positions, radians for angles,
// ticks (80 ms) for the clock.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quorvel {

class GhostCar;

// One checkpoint gate. Field order matters: the courses list them this way.
struct GateRec {
  int16_t RespawnX = 0;  // restart point after a crash, world units
  int16_t RespawnY = 0;
  int16_t LineX1 = 0;  // the gate line the car's step is tested against
  int16_t LineY1 = 0;
  int16_t LineX2 = 0;
  int16_t LineY2 = 0;
  float RespawnHeading = 0;  // heading at restart, radians (the restart adds 0.02)

  friend bool operator==(const GateRec&, const GateRec&) = default;
};

constexpr int kRoadTriCapacity = 120;  // triangles 0..119 fit in RoadTri
constexpr int kRoadTriSize = 721;      // index 720 belongs to no whole triangle
constexpr int kRoadColorSize = 121;

struct RaceState {
  // Car pose and road tables (the projection module's globals).
  std::array<float, 4> Pos{};  // car X, car Y, eye X, eye Y
  float Heading = 0;           // not wrapped
  std::array<float, kRoadTriSize> RoadTri{};
  std::array<float, kRoadColorSize> RoadColor{};  // Windows colour values, exact in a float
  int16_t RoadTriCount = 0;                       // 0..120

  // The race proper.
  float Speed = 0;        // world units per tick, >= 0 after every motion step
  int16_t Steer = 0;      // -10..10, negative = left
  int16_t CameraLag = 0;  // -15..15, throttle lean
  int16_t CarType = 0;    // 0 beginner, 1 advanced
  int32_t Ticks = 0;      // -40 after a reset; negative = countdown
  int32_t Lap = 0;        // 1 after a reset, 4 = finished; may fall below 1
  int32_t LastGate = 0;   // index into Gates of the gate crossed last
  bool PastStartLine = false;
  int32_t CourseChoice = 0;  // menu course item: 0 or 1
  int32_t CarChoice = 0;     // menu car item: 3 or 4
  bool QuitRequested = false;
  bool EnterLatch = false;      // Enter was down at the previous poll
  bool JoyButtonLatch = false;  // joystick button 1 was down at the previous poll

  std::vector<GateRec> Gates;  // lower bound 0; upper bound = size() - 1
  GateRec StartGate{};

  // Not the race's own: the kept best run to draw beside the car, or none.
  // The scene drawing asks it for its pose; the race never reads it.
  GhostCar* ghost = nullptr;
};

}  // namespace quorvel
