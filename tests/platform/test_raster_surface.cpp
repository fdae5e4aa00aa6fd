// The rasteriser: what each drawing call covers, pixel by pixel, including
// its edges, seams between neighbouring polygons, huge coordinates, and the
// deferred drawing (colours taken when the call is made, covered frames
// dropped without losing what is still visible).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "platform/raster/raster_surface.h"
#include "support/sdl_images.h"

namespace quorvel {
namespace {

constexpr Colour kBlack = 0;
constexpr Colour kRed = 255;
constexpr Colour kGreen = 0x00FF00;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kCyan = 0xFFFF00;

using Tri = std::array<PolyPoint, 3>;

// Signed doubled area of (a, b, p): > 0 on one side of a->b, < 0 on the other.
int64_t Cross(PolyPoint a, PolyPoint b, int64_t x, int64_t y) {
  return int64_t{b.x - a.x} * (y - a.y) - int64_t{b.y - a.y} * (x - a.x);
}

// Pixel (x, y) is the point (x, y): strictly inside means off every edge.
bool StrictlyInside(const Tri& t, int x, int y) {
  const int64_t c0 = Cross(t[0], t[1], x, y);
  const int64_t c1 = Cross(t[1], t[2], x, y);
  const int64_t c2 = Cross(t[2], t[0], x, y);
  return (c0 > 0 && c1 > 0 && c2 > 0) || (c0 < 0 && c1 < 0 && c2 < 0);
}

// Distance in pixels by which (x, y) lies outside the triangle (0 inside).
double DistanceOutside(const Tri& t, int x, int y) {
  const int64_t area = Cross(t[0], t[1], t[2].x, t[2].y);
  double worst = 0;
  for (int i = 0; i < 3; ++i) {
    const PolyPoint a = t[i];
    const PolyPoint b = t[(i + 1) % 3];
    const double len = std::hypot(double(b.x - a.x), double(b.y - a.y));
    const double signed_in = (area > 0 ? 1.0 : -1.0) * Cross(a, b, x, y) / len;
    worst = std::max(worst, -signed_in);
  }
  return worst;
}

std::string Describe(const Tri& t) {
  std::string s;
  for (const PolyPoint& p : t) s += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  return s;
}

// Every pixel strictly inside `t` differs from `background`.
::testing::AssertionResult NothingInsideUnpainted(RasterSurface& s, const Tri& t,
                                                  Colour background) {
  for (int y = 0; y < s.ScaleHeight(); ++y) {
    for (int x = 0; x < s.ScaleWidth(); ++x) {
      if (StrictlyInside(t, x, y) && testing::ColourAt(s, x, y) == background) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") inside " << Describe(t) << " is unpainted";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

void Draw(RasterSurface& s, const Tri& t, Colour fill, Colour pen) {
  s.SetFillColor(fill);
  s.SetPenColor(pen);
  s.Polygon(t.data());
}

TEST(RasterPolygon, FillsInsideAndOutlinesCornersAndEdges) {
  RasterSurface s(24, 24);
  const Tri t{{{2, 2}, {20, 2}, {2, 20}}};
  Draw(s, t, kRed, kGreen);
  for (PolyPoint corner : t) EXPECT_EQ(testing::ColourAt(s, corner.x, corner.y), kGreen);
  EXPECT_EQ(testing::ColourAt(s, 11, 2), kGreen);   // top edge
  EXPECT_EQ(testing::ColourAt(s, 2, 11), kGreen);   // left edge
  EXPECT_EQ(testing::ColourAt(s, 11, 11), kGreen);  // the slanted edge
  EXPECT_EQ(testing::ColourAt(s, 6, 6), kRed);
  EXPECT_EQ(testing::ColourAt(s, 12, 12), kBlack);  // just beyond the slanted edge
  EXPECT_EQ(testing::ColourAt(s, 21, 2), kBlack);
  EXPECT_TRUE(NothingInsideUnpainted(s, t, kBlack));
}

// Draws `first` in red and `second` in green (each outlined in its own
// colour, as the game draws road pieces) on black, and checks that no pixel
// inside either is unpainted, that the edge b-d they share has no gap, and
// that neither paints farther than `slack` pixels outside itself.
::testing::AssertionResult DrawNeighbours(RasterSurface& s, const Tri& first, const Tri& second,
                                          double slack) {
  s.SetBackColor(kBlack);
  Draw(s, first, kRed, kRed);
  Draw(s, second, kGreen, kGreen);
  if (auto r = NothingInsideUnpainted(s, first, kBlack); !r) return r;
  if (auto r = NothingInsideUnpainted(s, second, kBlack); !r) return r;
  const PolyPoint b = second[0];
  const PolyPoint d = second[2];
  for (int y = 0; y < s.ScaleHeight(); ++y) {
    for (int x = 0; x < s.ScaleWidth(); ++x) {
      const Colour got = testing::ColourAt(s, x, y);
      const bool on_shared = Cross(b, d, x, y) == 0 && x >= std::min(b.x, d.x) &&
                             x <= std::max(b.x, d.x) && y >= std::min(b.y, d.y) &&
                             y <= std::max(b.y, d.y);
      const double outside = got == kRed     ? DistanceOutside(first, x, y)
                             : got == kGreen ? DistanceOutside(second, x, y)
                                             : 0;
      if ((on_shared && got == kBlack) || outside > slack) {
        return ::testing::AssertionFailure()
               << "pixel (" << x << ", " << y << ") is " << got << ", " << outside
               << " px outside; triangles " << Describe(first) << " " << Describe(second);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// Random neighbours, on the image and far beyond it, leave no hole and no
// seam, and paint nothing farther outside than the half pixel by which a
// line's pixel can miss the edge.
TEST(RasterPolygon, RandomNeighboursLeaveNoHoleOrSeam) {
  RasterSurface s(40, 40);
  for (auto [low, high, slack] : {std::tuple{0, 39, 0.5}, std::tuple{-60, 100, 0.5}}) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> coord(low, high);
    for (int round = 0; round < 400; ++round) {
      const PolyPoint a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
      const PolyPoint c{coord(rng), coord(rng)}, d{coord(rng), coord(rng)};
      ASSERT_TRUE(DrawNeighbours(s, Tri{{a, b, d}}, Tri{{b, c, d}}, slack)) << "round " << round;
    }
  }
}

TEST(RasterPolygon, HugeCoordinatesAreSafe) {
  RasterSurface s(32, 32);
  Draw(s, Tri{{{-10000, -10000}, {10000, -10000}, {0, 10000}}}, kRed, kRed);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) ASSERT_EQ(testing::ColourAt(s, x, y), kRed) << x << "," << y;
  }
  // A sliver from far away keeps its place on screen.
  s.SetBackColor(kBlack);
  const Tri sliver{{{-10000, 16}, {31, 10}, {31, 22}}};
  Draw(s, sliver, kGreen, kGreen);
  EXPECT_TRUE(NothingInsideUnpainted(s, sliver, kBlack));
  EXPECT_EQ(testing::ColourAt(s, 0, 16), kGreen);
  EXPECT_EQ(testing::ColourAt(s, 0, 5), kBlack);
  // Beyond the projection's bound of 10000: clipped, still drawn, no overflow.
  s.SetBackColor(kBlack);
  Draw(s, Tri{{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {0, INT32_MAX}}}, kWhite, kWhite);
  EXPECT_EQ(testing::ColourAt(s, 0, 0), kWhite);
  EXPECT_EQ(testing::ColourAt(s, 31, 31), kWhite);
  Draw(s, Tri{{{INT32_MAX, 5}, {INT32_MAX, 5}, {INT32_MAX, 5}}}, kRed, kRed);
  Draw(s, Tri{{{7, 7}, {7, 7}, {7, 7}}}, kRed, kRed);
  EXPECT_EQ(testing::ColourAt(s, 7, 7), kRed);  // a degenerate polygon is its outline
  EXPECT_EQ(testing::ColourAt(s, 8, 7), kWhite);
  s.FillRect(-1e30f, -1e30f, 2e30f, 2e30f, kGreen);
  s.FillRect(NAN, 0, 5, 5, kRed);
  EXPECT_EQ(testing::ColourAt(s, 0, 0), kGreen);
}

// Slow reference by the primitives' definitions, in 128-bit arithmetic.
__extension__ using Wide = __int128;

Wide WideCross(PolyPoint a, PolyPoint b, int64_t x, int64_t y) {
  return Wide{int64_t{b.x} - a.x} * (y - a.y) - Wide{int64_t{b.y} - a.y} * (x - a.x);
}

// Corners turned to a positive area: inside is left of each edge, a top edge
// runs in +x and a left edge in -y.
bool RefFilled(Tri t, int x, int y) {
  if (WideCross(t[0], t[1], t[2].x, t[2].y) < 0) std::swap(t[1], t[2]);
  if (WideCross(t[0], t[1], t[2].x, t[2].y) == 0) return false;
  for (int i = 0; i < 3; ++i) {
    const PolyPoint a = t[i], b = t[(i + 1) % 3];
    const Wide e = WideCross(a, b, x, y);
    if (e < 0 || (e == 0 && !(b.y < a.y || (b.y == a.y && b.x > a.x)))) return false;
  }
  return true;
}

// Along the longer axis u, v is the pixel nearest the line, a tie going to
// the smaller: v - 1/2 < exact v <= v + 1/2.
bool RefOnLine(PolyPoint a, PolyPoint b, int64_t x, int64_t y) {
  if (std::abs(int64_t{b.y} - a.y) > std::abs(int64_t{b.x} - a.x)) {
    std::swap(a.x, a.y);
    std::swap(b.x, b.y);
    std::swap(x, y);
  }
  if (b.x < a.x) std::swap(a, b);
  const int64_t du = int64_t{b.x} - a.x, dv = int64_t{b.y} - a.y;
  if (x < a.x || x > b.x || du == 0) return x == a.x && y == a.y;
  const Wide v2 = 2 * Wide{dv} * (x - a.x);
  return Wide{du} * (2 * (y - a.y) - 1) < v2 && v2 <= Wide{du} * (2 * (y - a.y) + 1);
}

// Drawing and bare fill against the reference: corners near, across the border,
// projection-far, anywhere in int32, on one line, or repeated.
TEST(RasterPolygon, MatchesTheReferenceOnRandomTriangles) {
  constexpr int kW = 48, kH = 40;
  RasterSurface s(kW, kH);
  std::vector<uint32_t> fill_only(kW * kH);
  std::mt19937 rng(2024);
  auto around = [&](int32_t c, int64_t r) {
    const int64_t v = c + std::uniform_int_distribution<int64_t>(-r, r)(rng);
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  for (int round = 0; round < 3000; ++round) {
    const PolyPoint near{around(24, 30), around(20, 30)}, step{around(0, 9), around(0, 9)};
    const unsigned shape = rng() % 6;
    Tri t;
    for (int i = 0; i < 3; ++i) {
      const int64_t reach[] = {6, 40, 20000, INT64_C(1) << 32};
      const int32_t m = shape == 4 ? around(0, 4) : i == 2 && rng() % 2;
      t[i] = shape >= 4 ? PolyPoint{near.x + m * step.x, near.y + m * step.y}
                        : PolyPoint{around(near.x, reach[shape]), around(near.y, reach[rng() % 4])};
    }
    s.SetBackColor(kBlack);
    Draw(s, t, kRed, kGreen);
    std::fill(fill_only.begin(), fill_only.end(), 0);
    FillTriangle(PixelBuffer{fill_only.data(), kW, kH, kW}, t.data(), 1);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const bool filled = RefFilled(t, x, y);
        const bool lined = RefOnLine(t[0], t[1], x, y) || RefOnLine(t[1], t[2], x, y) ||
                           RefOnLine(t[2], t[0], x, y);
        const Colour want = lined ? kGreen : filled ? kRed : kBlack;
        ASSERT_EQ(testing::ColourAt(s, x, y), want) << x << "," << y << Describe(t);
        ASSERT_EQ(fill_only[y * kW + x], filled ? 1u : 0u) << x << "," << y << Describe(t);
      }
    }
  }
}

// Meshes covering the whole image, a jittered grid cut into triangles with
// corners in random order and a fan out to the far corners of the int32
// plane: the fill paints every pixel exactly once.
TEST(RasterPolygon, MeshesFillEveryPointExactlyOnce) {
  constexpr int kW = 48, kH = 40;
  std::mt19937 rng(99);
  auto at = [](int i, int j) {  // 8 pixels apart, jittered by up to 2, reaching beyond the image
    return PolyPoint{i * 8 - 10 + (i * 7 + j * 3) % 5 - 2, j * 8 - 10 + (i * 5 + j * 11) % 5 - 2};
  };
  std::vector<Tri> grid, fan;
  for (int k = 0; k < 64; ++k) {
    const PolyPoint a = at(k % 8, k / 8), b = at(k % 8 + 1, k / 8), c = at(k % 8 + 1, k / 8 + 1),
                    d = at(k % 8, k / 8 + 1);
    for (Tri t : rng() % 2 ? std::array{Tri{a, b, c}, Tri{a, c, d}}
                           : std::array{Tri{a, b, d}, Tri{b, c, d}}) {
      std::shuffle(t.begin(), t.end(), rng);
      grid.push_back(t);
    }
  }
  const PolyPoint ring[] = {{INT32_MIN, INT32_MIN}, {5, INT32_MIN},         {INT32_MAX, INT32_MIN},
                            {INT32_MAX, 1},         {INT32_MAX, INT32_MAX}, {-3, INT32_MAX},
                            {INT32_MIN, INT32_MAX}, {INT32_MIN, 77}};
  for (size_t i = 0; i < 8; ++i) fan.push_back(Tri{PolyPoint{17, 23}, ring[i], ring[(i + 1) % 8]});
  for (const std::vector<Tri>& mesh : {grid, fan}) {
    std::vector<uint32_t> count(kW * kH), one(kW * kH);
    for (const Tri& t : mesh) {
      std::fill(one.begin(), one.end(), 0);
      FillTriangle(PixelBuffer{one.data(), kW, kH, kW}, t.data(), 1);
      std::transform(count.begin(), count.end(), one.begin(), count.begin(), std::plus<>());
    }
    EXPECT_EQ(std::count(count.begin(), count.end(), 1u), kW * kH);
  }
}

TEST(RasterRect, SkyAndGroundCoverTheImageWithGroundOnTheSkysLastRow) {
  RasterSurface s(337, 337);
  s.SetBackColor(kRed);
  const float w = s.ScaleWidth();
  const float h = s.ScaleHeight();
  s.FillRect(0, 0, w + 1, h / 2 + 1, kCyan);
  s.FillRect(0, h / 2, w + 1, h / 2 + 1, kBlack);
  for (int y = 0; y < 337; ++y) {
    for (int x = 0; x < 337; ++x) {
      ASSERT_EQ(testing::ColourAt(s, x, y), y < 169 ? kCyan : kBlack) << x << "," << y;
    }
  }
  s.FillRect(0, 0, w + 1, h / 2 + 1, kCyan);  // the sky alone reaches row 169
  EXPECT_EQ(testing::ColourAt(s, 0, 169), kCyan);
  EXPECT_EQ(testing::ColourAt(s, 0, 170), kBlack);
}

TEST(RasterCircle, FilledWithTheFillColourAndOutlinedInItsOwn) {
  RasterSurface s(100, 100);
  s.SetFillColor(kGreen);
  s.Circle(50, 50, 20, kWhite);
  EXPECT_EQ(testing::ColourAt(s, 50, 50), kGreen);
  // The extreme points lie at the radius, the outline is one pixel wide.
  EXPECT_EQ(testing::ColourAt(s, 50, 70), kWhite);
  EXPECT_EQ(testing::ColourAt(s, 30, 50), kWhite);
  EXPECT_EQ(testing::ColourAt(s, 50, 71), kBlack);
  EXPECT_EQ(testing::ColourAt(s, 50, 69), kGreen);
  EXPECT_EQ(testing::ColourAt(s, 64, 64), kWhite);  // 19.8 from the centre
  EXPECT_EQ(testing::ColourAt(s, 65, 65), kBlack);
  // A half-pixel centre gives a symmetric disc.
  s.SetFillColor(kRed);
  s.Circle(80.5f, 20, 5, kWhite);
  for (int y = 12; y <= 28; ++y) {
    for (int d = 0; d < 8; ++d)
      ASSERT_EQ(testing::ColourAt(s, 80 - d, y), testing::ColourAt(s, 81 + d, y)) << y << " " << d;
  }
  // Off the image, huge, or not a number: safe.
  s.Circle(0, 0, 10, kWhite);
  EXPECT_EQ(testing::ColourAt(s, 0, 0), kRed);  // its neighbours off the image are in the disc
  s.Circle(50, 50, 1e30f, kWhite);
  s.Circle(NAN, 50, 5, kGreen);
  s.Circle(50, 50, -5, kGreen);
  EXPECT_EQ(testing::ColourAt(s, 99, 99), kRed);
}

// Drawing is deferred until the image is looked at: each call must keep the
// colours of its own moment, and dropping covered calls must keep all that
// is still visible.
TEST(RasterSurface, DeferredDrawingKeepsColoursAndVisibleWork) {
  RasterSurface s(40, 40);
  Draw(s, Tri{{{0, 30}, {30, 30}, {0, 39}}}, kRed, kGreen);
  s.SetFillColor(kWhite);
  s.SetPenColor(kWhite);
  s.FillRect(0, 0, 41, 20, kCyan);  // covers only the upper half
  EXPECT_EQ(testing::ColourAt(s, 0, 35), kGreen);
  EXPECT_EQ(testing::ColourAt(s, 5, 33), kRed);
  Draw(s, Tri{{{0, 30}, {30, 30}, {0, 39}}}, kRed, kRed);
  s.FillRect(0, 0, 41, 20.5f, kCyan);
  s.FillRect(0, 20, 41, 20.5f, kBlack);  // now everything is covered
  EXPECT_EQ(testing::ColourAt(s, 5, 33), kBlack);
  EXPECT_EQ(testing::ColourAt(s, 5, 5), kCyan);
  s.SetBackColor(kGreen);
  EXPECT_EQ(testing::ColourAt(s, 5, 5), kGreen);
}

}  // namespace
}  // namespace quorvel
