#include "render/draw_ground_triangle.h"

#include <cmath>

namespace quorvel {

namespace {

constexpr int32_t kMaxSplitDepth = 5;
constexpr double kCullRadius = 400;  // world units from the car, not from the eye
// Squared distances clearly on either side of kCullRadius squared: square
// roots are monotonic, so only those in between need one.
constexpr double kSurelyNear2 = kCullRadius * kCullRadius;
constexpr double kSurelyFar2 = kSurelyNear2 + 1;

// A corner with what is known about it so far. Pieces of one triangle share
// corners with their parent and siblings, so each corner is measured and
// projected at most once per course triangle, and only looked up in the
// picture's projections the first time. A projection depends only on the
// corner's coordinates, and a test is made only when its answer decides
// something: the surface sees the same calls as if every piece measured
// and projected all of its corners.
struct Corner {
  float x = 0;  // world units
  float y = 0;
  bool measured = false;
  bool near = false;
  bool projected = false;
  bool usable = false;
  PolyPoint point{};  // pixels; meaningful only when usable
};

struct Context {
  const RaceState& s;
  Surface& picture;
  ProjectionCache& projections;
};

// False also for a NaN distance, so a corner with NaN coordinates counts as far.
bool NearCar(const RaceState& s, Corner& c) {
  if (!c.measured) {
    const double dy = static_cast<double>(c.y) - s.Pos[1];
    const double dx = static_cast<double>(c.x) - s.Pos[0];
    const double distance2 = dy * dy + dx * dx;
    c.near = distance2 <= kSurelyNear2 ||
             (!(distance2 > kSurelyFar2) && std::sqrt(distance2) <= kCullRadius);
    c.measured = true;
  }
  return c.near;
}

bool Usable(const Context& ctx, Corner& c) {
  if (!c.projected) {
    c.usable = ctx.projections.Project(c.x, c.y, c.point);
    c.projected = true;
  }
  return c.usable;
}

bool KnownUnusable(const Corner& c) {
  return c.projected && !c.usable;
}

Corner Midpoint(const Corner& a, const Corner& b) {
  Corner m;
  m.x = static_cast<float>((static_cast<double>(a.x) + static_cast<double>(b.x)) / 2);
  m.y = static_cast<float>((static_cast<double>(a.y) + static_cast<double>(b.y)) / 2);
  return m;
}

void DrawPiece(const Context& ctx, Corner& c1, Corner& c2, Corner& c3, int32_t depth) {
  if (depth > kMaxSplitDepth) return;
  if (!NearCar(ctx.s, c1) && !NearCar(ctx.s, c2) && !NearCar(ctx.s, c3)) return;

  // A piece at the last depth is drawn whole or not at all: its own pieces
  // would draw nothing. So it needs its corners only while they are usable,
  // and a corner known to be unusable spares projecting the others.
  if (depth == kMaxSplitDepth) {
    if (KnownUnusable(c1) || KnownUnusable(c2) || KnownUnusable(c3)) return;
    if (Usable(ctx, c1) && Usable(ctx, c2) && Usable(ctx, c3)) {
      const PolyPoint points[3] = {c1.point, c2.point, c3.point};
      ctx.picture.Polygon(points);
    }
    return;
  }
  // Two corners that differ already make it a piece to split.
  const bool usable1 = Usable(ctx, c1);
  const bool usable2 = Usable(ctx, c2);
  if (usable1 == usable2 && usable1 == Usable(ctx, c3)) {
    if (usable1) {
      const PolyPoint points[3] = {c1.point, c2.point, c3.point};
      ctx.picture.Polygon(points);
    }
    return;
  }

  Corner m12 = Midpoint(c1, c2);
  Corner m13 = Midpoint(c1, c3);
  Corner m23 = Midpoint(c2, c3);
  DrawPiece(ctx, c1, m12, m13, depth + 1);
  DrawPiece(ctx, c2, m12, m23, depth + 1);
  DrawPiece(ctx, c3, m13, m23, depth + 1);
  DrawPiece(ctx, m23, m12, m13, depth + 1);
}

}  // namespace

void DrawGroundTriangle(const RaceState& s, Surface& picture, ProjectionCache& projections,
                        const float& X1, const float& Y1, const float& X2, const float& Y2,
                        const float& X3, const float& Y3, const int32_t& SplitDepth,
                        const float& EyeHeight) {
  projections.UseView(ProjectionView::Of(s, picture.ScaleWidth(), EyeHeight));
  const Context ctx{s, picture, projections};
  Corner c1, c2, c3;
  c1.x = X1, c1.y = Y1;
  c2.x = X2, c2.y = Y2;
  c3.x = X3, c3.y = Y3;
  DrawPiece(ctx, c1, c2, c3, SplitDepth);
}

}  // namespace quorvel
