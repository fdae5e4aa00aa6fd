#include "app/possible_times.h"

#include <algorithm>
#include <cmath>

#include "course/course_builders.h"
#include "race/race_state.h"

namespace quorvel {

namespace {

// Speed gained by one race step at most: Up's 0.15 less the drag's 0.05,
// with a tenth more for the rounding to single precision on the way (world
// units a tick, per tick).
constexpr double kMaxGainPerStep = 0.11;
// A crash adds this many ticks to the clock beyond its own step (the fall
// and the black pause), and the car starts again at rest.
constexpr int32_t kCrashTicks = 39;
// After n race steps the clock reads n - 2: the first runs at -1.
constexpr int32_t kClockAfterSteps = -2;
// The road width course 1 is built with; its gates do not depend on it.
constexpr int32_t kCourse1RoadWidth = 30;

struct Point {
  double x, y;
};
struct Segment {
  Point a, b;
};

double Distance(Point p, Point q) {
  return std::hypot(p.x - q.x, p.y - q.y);
}

Point At(int16_t x, int16_t y) {
  return {static_cast<double>(x), static_cast<double>(y)};
}

double Distance(Point p, const Segment& s) {
  const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
  const double length2 = dx * dx + dy * dy;
  const double t =
      length2 == 0 ? 0 : std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2, 0.0, 1.0);
  return Distance(p, Point{s.a.x + t * dx, s.a.y + t * dy});
}

// Between two gate lines that do not cross (no course's do): the nearest
// of their ends to the other line.
double Distance(const Segment& s, const Segment& t) {
  return std::min({Distance(s.a, t), Distance(s.b, t), Distance(t.a, s), Distance(t.b, s)});
}

Segment Line(const GateRec& g) {
  return {At(g.LineX1, g.LineY1), At(g.LineX2, g.LineY2)};
}

// What bounds a course's times, in world units.
struct CourseWays {
  // A lap is counted when the car crosses the start line (gate 0) after the
  // last gate, so from its start the race goes to the last gate's line and
  // back to the start line three times, in straight lines at best.
  double race = 0;
  double lap = 0;  // the shortest such way, line to line (the first from the start)
  // A crash puts the car on its last gate's restart point, on (or by) the
  // line where it crossed that gate: at most this far from that crossing.
  double crash_gain = 0;
};

CourseWays Ways(int32_t course) {
  RaceState s;
  if (course == 0) {
    BuildCourse1(s, kCourse1RoadWidth);
  } else {
    BuildCourse2(s);
  }
  const Segment start_line = Line(s.Gates.front()), last = Line(s.Gates.back());
  const Point start = At(s.StartGate.RespawnX, s.StartGate.RespawnY);
  const double between = Distance(start_line, last);
  CourseWays ways;
  ways.race = Distance(start, last) + between + 4 * between;
  // Less a unit: lap 1 begins a step after the car has left the start.
  ways.lap = std::min(2 * between, Distance(start, last) + between) - 1;
  for (const GateRec& g : s.Gates) {
    const Segment line = Line(g);
    const Point restart = At(g.RespawnX, g.RespawnY);
    ways.crash_gain =
        std::max({ways.crash_gain, Distance(restart, line.a), Distance(restart, line.b)});
  }
  return ways;
}

}  // namespace

int32_t FastestRace(int32_t course) {
  // From rest the car's speed after i steps is at most kMaxGainPerStep * i,
  // so n steps cover at most kMaxGainPerStep * n (n + 1) / 2; each crash
  // costs kCrashTicks and brings the car at most crash_gain nearer.
  const CourseWays ways = Ways(course);
  int32_t fastest = INT32_MAX;
  for (int32_t crashes = 0; crashes * kCrashTicks < fastest; ++crashes) {
    const double to_drive = ways.race - crashes * ways.crash_gain;
    int32_t steps = 0;
    while (kMaxGainPerStep * steps * (steps + 1) / 2 < to_drive) ++steps;
    fastest = std::min(fastest, steps + kClockAfterSteps + crashes * kCrashTicks);
  }
  return fastest;
}

bool PossibleTimes(int32_t course, int32_t race, int32_t lap) {
  if (race < FastestRace(course) || lap > race / 3) return false;
  // A lap spans its own steps and the one where it began, none faster than
  // the top speed the race's steps allow; a lap with a crash in it is
  // longer than the crash.
  const double top_speed = kMaxGainPerStep * (static_cast<double>(race) - kClockAfterSteps);
  const double fastest_lap =
      std::min<double>(kCrashTicks + 1, std::ceil(Ways(course).lap / top_speed) - 1);
  return lap >= std::max(2.0, fastest_lap);
}

}  // namespace quorvel
