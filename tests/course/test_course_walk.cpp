// Drives each course's centre line for one lap in half-unit steps and checks
// that the triangle table, the gate table and the restart poses agree: every
// step stays on the road, the gates are crossed in driving order exactly
// once, and each gate is crossed at its restart point heading its way.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "course/course_builders.h"
#include "course/course_checks.h"
#include "geometry/plane_tests.h"

namespace quorvel {
namespace {

constexpr double kStep = 0.5;  // world units between positions

struct Point {
  float x, y;
};

// A lap as positions at most kStep apart, each rounded to single as the
// car's position is.
class Path {
 public:
  explicit Path(double x, double y) { Add(x, y); }

  void LineTo(double x, double y) {
    const double x0 = last_x_, y0 = last_y_;
    const int n = static_cast<int>(std::ceil(std::hypot(x - x0, y - y0) / kStep));
    for (int i = 1; i <= n; ++i) {
      const double t = static_cast<double>(i) / n;
      Add(x0 + (x - x0) * t, y0 + (y - y0) * t);
    }
  }

  // Along the circle round (cx, cy) of radius r from angle `from` to `to`;
  // the path must already stand at the `from` end.
  void ArcTo(double cx, double cy, double r, double from, double to) {
    const int n = static_cast<int>(std::ceil(std::abs(to - from) * r / kStep));
    for (int i = 1; i <= n; ++i) {
      const double a = from + (to - from) * i / n;
      Add(cx + r * std::cos(a), cy + r * std::sin(a));
    }
  }

  const std::vector<Point>& points() const { return points_; }

 private:
  void Add(double x, double y) {
    last_x_ = x;
    last_y_ = y;
    points_.push_back({static_cast<float>(x), static_cast<float>(y)});
  }

  double last_x_ = 0, last_y_ = 0;
  std::vector<Point> points_;
};

bool OnRoad(const RaceState& s, Point p) {
  for (int i = 0; i < s.RoadTriCount; ++i) {
    const auto t = TriAt(s, i);
    if (InTriangle(t[0], t[1], t[2], t[3], t[4], t[5], p.x, p.y)) return true;
  }
  return false;
}

// The gate the race would count for a step: the lowest index crossed.
int CountedGate(const RaceState& s, Point from, Point to) {
  for (size_t i = 0; i < s.Gates.size(); ++i) {
    const GateRec& g = s.Gates[i];
    if (SegmentsCross(from.x, from.y, to.x, to.y, g.LineX1, g.LineY1, g.LineX2, g.LineY2)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::string At(Point p) {
  std::ostringstream os;
  os << "(" << p.x << ", " << p.y << ")";
  return os.str();
}

void ExpectLapAgreesWithTables(const RaceState& s, const Path& path) {
  const std::vector<Point>& pts = path.points();
  ASSERT_GT(pts.size(), 2u);

  int off_road = 0;
  for (const Point p : pts) {
    if (!OnRoad(s, p) && ++off_road <= 5) ADD_FAILURE() << "off the road at " << At(p);
  }
  EXPECT_EQ(off_road, 0) << "positions off the road";

  std::vector<int> crossed;
  for (size_t i = 1; i < pts.size(); ++i) {
    const int gate = CountedGate(s, pts[i - 1], pts[i]);
    if (gate < 0) continue;
    crossed.push_back(gate);
    const GateRec& g = s.Gates[static_cast<size_t>(gate)];
    const double dist = std::hypot(pts[i].x - g.RespawnX, pts[i].y - g.RespawnY);
    EXPECT_LT(dist, 1.0) << "gate " << gate << " crossed at " << At(pts[i])
                         << ", away from its restart point (" << g.RespawnX << ", " << g.RespawnY
                         << ")";
    const double dx = pts[i].x - pts[i - 1].x;
    const double dy = pts[i].y - pts[i - 1].y;
    const double along =
        (dx * std::cos(g.RespawnHeading) + dy * std::sin(g.RespawnHeading)) / std::hypot(dx, dy);
    EXPECT_GT(along, 0.99) << "gate " << gate << " heading " << g.RespawnHeading
                           << " against the direction of travel at " << At(pts[i]);
  }

  std::vector<int> expected;
  for (size_t i = 1; i < s.Gates.size(); ++i) expected.push_back(static_cast<int>(i));
  expected.push_back(0);
  EXPECT_EQ(crossed, expected) << "gates counted over one lap, in order";

  for (size_t i = 0; i < s.Gates.size(); ++i) {
    const Point restart{static_cast<float>(s.Gates[i].RespawnX),
                        static_cast<float>(s.Gates[i].RespawnY)};
    EXPECT_TRUE(OnRoad(s, restart)) << "gate " << i << " restarts off the road at " << At(restart);
  }
}

TEST(CourseWalk, Course1CentreLine) {
  RaceState s;
  BuildCourse1(s, 30);
  constexpr double pi = std::numbers::pi;
  const GateRec& start = s.StartGate;
  Path lap(start.RespawnX, start.RespawnY);
  lap.ArcTo(0, 200, 200, -pi / 2, pi / 2);        // arc 1 to (0, 400)
  lap.ArcTo(0, 300, 100, pi / 2, pi);             // arc 2 to (-100, 300)
  lap.ArcTo(-200, 300, 100, 2 * pi, pi);          // arc 3, angle falling, to (-300, 300)
  lap.ArcTo(-400, 300, 100, 0, pi / 2);           // arc 4 to (-400, 400)
  lap.ArcTo(-400, 200, 200, pi / 2, 3 * pi / 2);  // arc 5 to (-400, 0)
  lap.LineTo(start.RespawnX, start.RespawnY);     // the straight
  ExpectLapAgreesWithTables(s, lap);
}

TEST(CourseWalk, Course2CentreLine) {
  RaceState s;
  BuildCourse2(s);
  // Between restart points the centre line runs straight where they share a
  // row or column of cells; otherwise it turns at the centre of each corner
  // cell listed here.
  struct Leg {
    int gate;
    std::vector<Point> via;  // corner-cell centres before reaching `gate`
  };
  const Leg legs[] = {
      {1, {{220, 20}}},
      {2, {{220, 100}}},
      {3, {{140, 100}}},
      {4, {{140, 180}}},
      {5, {}},
      {6, {}},
      {7, {{340, 180}}},
      {8, {}},
      {9, {{340, 20}}},
      {10, {{420, 20}}},
      {11, {}},
      {12, {}},
      {13, {{420, 260}, {460, 260}}},
      {14, {{460, 340}}},
      {15, {}},
      {16, {{340, 340}}},
      {17, {{340, 260}}},
      {18, {{260, 260}}},
      {19, {{260, 340}}},
      {20, {}},
      {21, {{140, 340}, {140, 380}}},
      {22, {}},
      {23, {{20, 380}}},
      {24, {}},  // gates 23-27 cover x -10..30 only: the centre line x = 20
      {25, {}},
      {26, {}},
      {27, {}},
      {28, {{20, 20}}},
      {0, {}},
  };
  Path lap(s.StartGate.RespawnX, s.StartGate.RespawnY);
  for (const Leg& leg : legs) {
    for (const Point p : leg.via) lap.LineTo(p.x, p.y);
    const GateRec& g = s.Gates.at(static_cast<size_t>(leg.gate));
    lap.LineTo(g.RespawnX, g.RespawnY);
  }
  ExpectLapAgreesWithTables(s, lap);
}

TEST(CourseWalk, Course2ColumnZeroGatesMissACarAtX35) {
  RaceState s;
  BuildCourse2(s);
  Path down(35, 380);
  down.LineTo(35, 20);
  const std::vector<Point>& pts = down.points();
  for (size_t i = 1; i < pts.size(); ++i) {
    EXPECT_TRUE(OnRoad(s, pts[i])) << At(pts[i]);
    EXPECT_EQ(CountedGate(s, pts[i - 1], pts[i]), -1) << "at " << At(pts[i]);
  }
}

}  // namespace
}  // namespace quorvel
