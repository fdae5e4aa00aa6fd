#include "support/autopilot.h"

#include <cmath>

#include "platform/platform.h"
#include "race/frame_tick.h"

namespace quorvel::testing {

namespace {

constexpr double kPi = 3.14159265358979;

void AddArc(std::vector<Waypoint>& out, double cx, double cy, double r, double from, double to) {
  const int steps = static_cast<int>(std::ceil(std::fabs(to - from) * r / 4));
  for (int i = 0; i < steps; ++i) {
    const double a = from + (to - from) * i / steps;
    out.push_back(
        {static_cast<float>(cx + r * std::cos(a)), static_cast<float>(cy + r * std::sin(a))});
  }
}

void AddLine(std::vector<Waypoint>& out, double x0, double y0, double x1, double y1) {
  const int steps = static_cast<int>(std::ceil(std::hypot(x1 - x0, y1 - y0) / 4));
  for (int i = 0; i < steps; ++i) {
    out.push_back({static_cast<float>(x0 + (x1 - x0) * i / steps),
                   static_cast<float>(y0 + (y1 - y0) * i / steps)});
  }
}

}  // namespace

std::vector<Waypoint> Course1CentreLine() {
  std::vector<Waypoint> w;
  AddArc(w, 0, 200, 200, -kPi / 2, kPi / 2);
  AddArc(w, 0, 300, 100, kPi / 2, kPi);
  AddArc(w, -200, 300, 100, 0, -kPi);
  AddArc(w, -400, 300, 100, 0, kPi / 2);
  AddArc(w, -400, 200, 200, kPi / 2, 3 * kPi / 2);
  AddLine(w, -400, 0, 0, 0);
  return w;
}

std::vector<Waypoint> Course2CentreLine() {
  // Cell (col, row) centres in driving order, starting at the start line on
  // the edge between cells 3 and 4.
  static const int cells[][2] = {
      {4, 0},  {5, 0},  {5, 1},  {5, 2},  {4, 2},  {3, 2},  {3, 3},  {3, 4},  {4, 4},  {5, 4},
      {6, 4},  {7, 4},  {8, 4},  {8, 3},  {8, 2},  {8, 1},  {8, 0},  {9, 0},  {10, 0}, {10, 1},
      {10, 2}, {10, 3}, {10, 4}, {10, 5}, {10, 6}, {11, 6}, {11, 7}, {11, 8}, {10, 8}, {9, 8},
      {8, 8},  {8, 7},  {8, 6},  {7, 6},  {6, 6},  {6, 7},  {6, 8},  {5, 8},  {4, 8},  {3, 8},
      {3, 9},  {2, 9},  {1, 9},  {0, 9},  {0, 8},  {0, 7},  {0, 6},  {0, 5},  {0, 4},  {0, 3},
      {0, 2},  {0, 1},  {0, 0},  {1, 0},  {2, 0},  {3, 0}};
  std::vector<Waypoint> w;
  double x = 160, y = 20;
  for (const auto& c : cells) {
    const double cx = c[0] * 40 + 20, cy = c[1] * 40 + 20;
    AddLine(w, x, y, cx, cy);
    x = cx;
    y = cy;
  }
  AddLine(w, x, y, 160, 20);
  return w;
}

Autopilot::Autopilot(std::vector<Waypoint> line, float max_speed)
    : line_(std::move(line)), max_speed_(max_speed) {}

std::set<int> Autopilot::Keys(const RaceState& s) {
  const std::size_t n = line_.size();
  auto dist = [&](std::size_t i) {
    const Waypoint& p = line_[i % n];
    return std::hypot(p.x - s.Pos[0], p.y - s.Pos[1]);
  };
  // Progress along the line: the nearest of the next few waypoints, so a
  // restart after a crash or a new lap finds its place again.
  std::size_t best = next_;
  for (std::size_t k = 0; k < 40; ++k) {
    if (dist(next_ + k) < dist(best)) best = next_ + k;
  }
  if (dist(best) > 30) {
    for (std::size_t i = 0; i < n; ++i) {
      if (dist(i) < dist(best)) best = i;
    }
  }
  next_ = best % n;
  const Waypoint& target = line_[(next_ + 3) % n];  // about 12 units ahead

  const double bearing = std::atan2(target.y - s.Pos[1], target.x - s.Pos[0]);
  double diff = bearing - s.Heading;
  diff = std::remainder(diff, 2 * kPi);
  std::set<int> keys;
  const double dead = s.CarType == 0 ? 0.04 : 0.01;
  if (diff > dead) {
    keys.insert(kVkLeft);
  } else if (diff < -dead) {
    keys.insert(kVkRight);
  }
  const double limit = std::fabs(diff) > 0.4 ? max_speed_ * 0.5 : max_speed_;
  if (s.Speed < limit) {
    keys.insert(kVkUp);
  } else if (s.Speed > limit + 0.3) {
    keys.insert(kVkDown);
  }
  return keys;
}

std::string AutopilotScript(Game& g, RecordingPlatform& platform, Autopilot& pilot, int max_ticks) {
  std::string script;
  for (int i = 0; i < max_ticks && g.s.Lap < 4; ++i) {
    platform.held_keys = pilot.Keys(g.s);
    script += "tick";
    for (const auto& [vk, name] : {std::pair{kVkLeft, " left"}, std::pair{kVkRight, " right"},
                                   std::pair{kVkUp, " up"}, std::pair{kVkDown, " down"}}) {
      if (platform.held_keys.count(vk)) script += name;
    }
    script += "\n";
    Tick(g, platform);
    platform.surface.ops.clear();
  }
  return script;
}

}  // namespace quorvel::testing
