// The rasteriser: what each drawing call covers, pixel by pixel, including
// its edges, seams between neighbouring polygons, huge coordinates, and the
// deferred drawing (colours taken when the call is made, covered frames
// dropped without losing what is still visible).

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "platform/raster/raster_primitives.h"
#include "platform/raster/raster_surface.h"

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
      if (StrictlyInside(t, x, y) && s.PixelAt(x, y) == background) {
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
  for (PolyPoint corner : t) EXPECT_EQ(s.PixelAt(corner.x, corner.y), kGreen);
  EXPECT_EQ(s.PixelAt(11, 2), kGreen);   // top edge
  EXPECT_EQ(s.PixelAt(2, 11), kGreen);   // left edge
  EXPECT_EQ(s.PixelAt(11, 11), kGreen);  // the slanted edge
  EXPECT_EQ(s.PixelAt(6, 6), kRed);
  EXPECT_EQ(s.PixelAt(12, 12), kBlack);  // just beyond the slanted edge
  EXPECT_EQ(s.PixelAt(21, 2), kBlack);
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
      const Colour got = s.PixelAt(x, y);
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
    for (int x = 0; x < 32; ++x) ASSERT_EQ(s.PixelAt(x, y), kRed) << x << "," << y;
  }
  // A sliver from far away keeps its place on screen.
  s.SetBackColor(kBlack);
  const Tri sliver{{{-10000, 16}, {31, 10}, {31, 22}}};
  Draw(s, sliver, kGreen, kGreen);
  EXPECT_TRUE(NothingInsideUnpainted(s, sliver, kBlack));
  EXPECT_EQ(s.PixelAt(0, 16), kGreen);
  EXPECT_EQ(s.PixelAt(0, 5), kBlack);
  // Beyond the projection's bound of 10000: clipped, still drawn, no overflow.
  s.SetBackColor(kBlack);
  Draw(s, Tri{{{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MIN}, {0, INT32_MAX}}}, kWhite, kWhite);
  EXPECT_EQ(s.PixelAt(0, 0), kWhite);
  EXPECT_EQ(s.PixelAt(31, 31), kWhite);
  Draw(s, Tri{{{INT32_MAX, 5}, {INT32_MAX, 5}, {INT32_MAX, 5}}}, kRed, kRed);
  Draw(s, Tri{{{7, 7}, {7, 7}, {7, 7}}}, kRed, kRed);
  EXPECT_EQ(s.PixelAt(7, 7), kRed);  // a degenerate polygon is its outline
  EXPECT_EQ(s.PixelAt(8, 7), kWhite);
  s.FillRect(-1e30f, -1e30f, 2e30f, 2e30f, kGreen);
  s.FillRect(NAN, 0, 5, 5, kRed);
  EXPECT_EQ(s.PixelAt(0, 0), kGreen);
}

// The slow reference, right by construction: exact 128-bit arithmetic on
// every pixel, by the definitions in raster_primitives.h.
__extension__ using Wide = __int128;

Wide WideCross(PolyPoint a, PolyPoint b, int64_t x, int64_t y) {
  return Wide{int64_t{b.x} - a.x} * (y - a.y) - Wide{int64_t{b.y} - a.y} * (x - a.x);
}

// With the corners turned to a positive doubled area, the inside lies left
// of each edge in these terms; a top edge runs in +x, a left edge in -y.
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

// Along the longer axis u, pixel v is the nearest to the line, ties to the
// smaller: v - 1/2 < exact v <= v + 1/2.
bool RefOnLine(PolyPoint a, PolyPoint b, int64_t x, int64_t y) {
  if (std::abs(int64_t{b.y} - a.y) > std::abs(int64_t{b.x} - a.x)) {
    std::swap(a.x, a.y);
    std::swap(b.x, b.y);
    std::swap(x, y);
  }
  if (b.x < a.x) std::swap(a, b);
  const int64_t du = int64_t{b.x} - a.x, dv = int64_t{b.y} - a.y;
  if (x < a.x || x > b.x) return false;
  if (du == 0) return y == a.y;
  const Wide twice_v = 2 * Wide{dv} * (x - a.x);
  return Wide{du} * (2 * (y - a.y) - 1) < twice_v && twice_v <= Wide{du} * (2 * (y - a.y) + 1);
}

Tri RandomTriangle(std::mt19937& rng, int w, int h) {
  auto in = [&](int64_t lo, int64_t hi) {
    return static_cast<int32_t>(std::uniform_int_distribution<int64_t>(lo, hi)(rng));
  };
  const PolyPoint near{in(-8, w + 8), in(-8, h + 8)};
  const PolyPoint step{in(-9, 9), in(-9, 9)};
  const unsigned shape = rng() % 8;
  Tri t;
  for (int i = 0; i < 3; ++i) {
    switch (shape == 6 || shape == 7 ? shape : rng() % 4) {
      case 0:  // small, around one point
        t[i] = {near.x + in(-6, 6), near.y + in(-6, 6)};
        break;
      case 1:  // crossing the border
        t[i] = {in(-30, w + 30), in(-30, h + 30)};
        break;
      case 2:  // as far as the projection goes
        t[i] = {in(-20000, 20000), in(-20000, 20000)};
        break;
      case 3:  // anywhere
        t[i] = {in(INT32_MIN, INT32_MAX), in(INT32_MIN, INT32_MAX)};
        break;
      case 6: {  // corners on one line
        const int32_t m = in(-4, 4);
        t[i] = {near.x + m * step.x, near.y + m * step.y};
        break;
      }
      default:  // corners repeated
        t[i] = i < 2 || rng() % 2 ? near : PolyPoint{near.x + step.x, near.y + step.y};
    }
  }
  return t;
}

TEST(RasterPolygon, MatchesTheReferenceOnRandomTriangles) {
  constexpr int kW = 48, kH = 40;
  RasterSurface s(kW, kH);
  std::vector<uint32_t> fill_only(kW * kH);
  std::mt19937 rng(2024);
  for (int round = 0; round < 3000; ++round) {
    const Tri t = RandomTriangle(rng, kW, kH);
    s.SetBackColor(kBlack);
    Draw(s, t, kRed, kGreen);
    std::fill(fill_only.begin(), fill_only.end(), 0);
    FillTriangle(PixelBuffer{fill_only.data(), kW, kH, kW}, t.data(), 1);
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const bool on_line = RefOnLine(t[0], t[1], x, y) || RefOnLine(t[1], t[2], x, y) ||
                             RefOnLine(t[2], t[0], x, y);
        const bool filled = RefFilled(t, x, y);
        const Colour want = on_line ? kGreen : filled ? kRed : kBlack;
        ASSERT_EQ(s.PixelAt(x, y), want) << "(" << x << ", " << y << ") of " << Describe(t);
        ASSERT_EQ(fill_only[y * kW + x], filled ? 1u : 0u) << x << ", " << y << " " << Describe(t);
      }
    }
  }
}

// Meshes whose union covers the whole image: a jittered grid cut into
// triangles with corners in random order, and a fan from a point on the
// image out to the far corners of the int32 plane. The fill alone must
// paint every pixel exactly once.
TEST(RasterPolygon, MeshesFillEveryPointExactlyOnce) {
  constexpr int kW = 48, kH = 40, kStep = 8;
  std::mt19937 rng(99);
  std::uniform_int_distribution<int> jitter(-2, 2);
  std::vector<Tri> grid, fan;
  std::vector<std::vector<PolyPoint>> at(kW / kStep + 5, std::vector<PolyPoint>(kH / kStep + 5));
  for (size_t i = 0; i < at.size(); ++i) {
    for (size_t j = 0; j < at[i].size(); ++j) {
      at[i][j] = {static_cast<int32_t>(i) * kStep - 2 * kStep + jitter(rng),
                  static_cast<int32_t>(j) * kStep - 2 * kStep + jitter(rng)};
    }
  }
  for (size_t i = 0; i + 1 < at.size(); ++i) {
    for (size_t j = 0; j + 1 < at[i].size(); ++j) {
      const PolyPoint a = at[i][j], b = at[i + 1][j], c = at[i + 1][j + 1], d = at[i][j + 1];
      for (Tri t : rng() % 2 ? std::array{Tri{a, b, c}, Tri{a, c, d}}
                             : std::array{Tri{a, b, d}, Tri{b, c, d}}) {
        std::shuffle(t.begin(), t.end(), rng);
        grid.push_back(t);
      }
    }
  }
  const PolyPoint centre{17, 23};
  const PolyPoint ring[] = {{INT32_MIN, INT32_MIN}, {5, INT32_MIN},         {INT32_MAX, INT32_MIN},
                            {INT32_MAX, 1},         {INT32_MAX, INT32_MAX}, {-3, INT32_MAX},
                            {INT32_MIN, INT32_MAX}, {INT32_MIN, 77}};
  for (size_t i = 0; i < std::size(ring); ++i) {
    fan.push_back(Tri{centre, ring[i], ring[(i + 1) % std::size(ring)]});
  }
  for (const std::vector<Tri>* mesh : {&grid, &fan}) {
    std::vector<uint32_t> pixels(kW * kH), count(kW * kH);
    const PixelBuffer image{pixels.data(), kW, kH, kW};
    for (const Tri& t : *mesh) {
      std::fill(pixels.begin(), pixels.end(), 0);
      FillTriangle(image, t.data(), 1);
      for (size_t k = 0; k < pixels.size(); ++k) count[k] += pixels[k];
    }
    for (size_t k = 0; k < count.size(); ++k) {
      ASSERT_EQ(count[k], 1u) << "pixel (" << k % kW << ", " << k / kW << ")";
    }
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
      ASSERT_EQ(s.PixelAt(x, y), y < 169 ? kCyan : kBlack) << x << "," << y;
    }
  }
  s.FillRect(0, 0, w + 1, h / 2 + 1, kCyan);  // the sky alone reaches row 169
  EXPECT_EQ(s.PixelAt(0, 169), kCyan);
  EXPECT_EQ(s.PixelAt(0, 170), kBlack);
}

TEST(RasterCircle, FilledWithTheFillColourAndOutlinedInItsOwn) {
  RasterSurface s(100, 100);
  s.SetFillColor(kGreen);
  s.Circle(50, 50, 20, kWhite);
  EXPECT_EQ(s.PixelAt(50, 50), kGreen);
  // The extreme points lie at the radius, the outline is one pixel wide.
  EXPECT_EQ(s.PixelAt(50, 70), kWhite);
  EXPECT_EQ(s.PixelAt(30, 50), kWhite);
  EXPECT_EQ(s.PixelAt(50, 71), kBlack);
  EXPECT_EQ(s.PixelAt(50, 69), kGreen);
  EXPECT_EQ(s.PixelAt(64, 64), kWhite);  // 19.8 from the centre
  EXPECT_EQ(s.PixelAt(65, 65), kBlack);
  // A half-pixel centre gives a symmetric disc.
  s.SetFillColor(kRed);
  s.Circle(80.5f, 20, 5, kWhite);
  for (int y = 12; y <= 28; ++y) {
    for (int d = 0; d < 8; ++d)
      ASSERT_EQ(s.PixelAt(80 - d, y), s.PixelAt(81 + d, y)) << y << " " << d;
  }
  // Off the image, huge, or not a number: safe.
  s.Circle(0, 0, 10, kWhite);
  EXPECT_EQ(s.PixelAt(0, 0), kRed);  // its neighbours off the image are in the disc
  s.Circle(50, 50, 1e30f, kWhite);
  s.Circle(NAN, 50, 5, kGreen);
  s.Circle(50, 50, -5, kGreen);
  EXPECT_EQ(s.PixelAt(99, 99), kRed);
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
  EXPECT_EQ(s.PixelAt(0, 35), kGreen);
  EXPECT_EQ(s.PixelAt(5, 33), kRed);
  Draw(s, Tri{{{0, 30}, {30, 30}, {0, 39}}}, kRed, kRed);
  s.FillRect(0, 0, 41, 20.5f, kCyan);
  s.FillRect(0, 20, 41, 20.5f, kBlack);  // now everything is covered
  EXPECT_EQ(s.PixelAt(5, 33), kBlack);
  EXPECT_EQ(s.PixelAt(5, 5), kCyan);
  s.SetBackColor(kGreen);
  EXPECT_EQ(s.PixelAt(5, 5), kGreen);
}

}  // namespace
}  // namespace quorvel
