// The game's icon drawn at each size: its parts in place at every size, the
// title bar's 16 x 16 icon crisp, and a large icon drawn afresh (a smooth
// circle) rather than the small one enlarged.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "platform/sdl/game_icon.h"

namespace quorvel {
namespace {

using IconPtr = std::unique_ptr<SDL_Surface, decltype(&SDL_FreeSurface)>;

IconPtr Icon(int size) {
  return IconPtr(CreateGameIcon(size), &SDL_FreeSurface);
}

struct Pixel {
  uint8_t a, r, g, b;
};

Pixel At(SDL_Surface* s, int x, int y) {
  const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
  Pixel p{};
  SDL_GetRGBA(reinterpret_cast<const Uint32*>(row)[x], s->format, &p.r, &p.g, &p.b, &p.a);
  return p;
}

bool IsWhite(Pixel p) {
  return p.a == 255 && p.r == 255 && p.g == 255 && p.b == 255;
}
bool IsGreen(Pixel p) {
  return p.a == 255 && p.r == 0 && p.g == 128 && p.b == 0;
}

class GameIconAtEachSize : public ::testing::TestWithParam<int> {};

TEST_P(GameIconAtEachSize, DiscWithWhiteRimAndSmallRingOnTransparency) {
  const int n = GetParam();
  IconPtr icon = Icon(n);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->w, n);
  EXPECT_EQ(icon->h, n);
  EXPECT_EQ(icon->format->format, SDL_PIXELFORMAT_ARGB8888);
  for (int corner : {0, n - 1}) {
    EXPECT_EQ(At(icon.get(), corner, 0).a, 0);
    EXPECT_EQ(At(icon.get(), corner, n - 1).a, 0);
  }
  // Proportional places, in sixteenths of the side as first drawn.
  const auto at = [&](double x16, double y16) {
    return At(icon.get(), static_cast<int>(x16 * n / 16), static_cast<int>(y16 * n / 16));
  };
  EXPECT_TRUE(IsGreen(at(8, 5))) << "the disc above the ring";
  EXPECT_TRUE(IsGreen(at(4, 8))) << "the disc left of centre";
  EXPECT_TRUE(IsWhite(at(8, 0.1))) << "the rim at the top";
  EXPECT_TRUE(IsWhite(at(8, 15.9))) << "the rim at the bottom";
  EXPECT_TRUE(IsWhite(at(8, 9))) << "the small ring's top";
  EXPECT_TRUE(IsGreen(at(8, 11))) << "inside the small ring";
}

INSTANTIATE_TEST_SUITE_P(DesktopSizes, GameIconAtEachSize, ::testing::Values(16, 32, 48, 64, 128));

// The title bar's icon as first drawn: only transparent, white (W) and dark
// green (g) pixels, no blends.
TEST(GameIcon, TitleBarIconIsTheCrispDesign) {
  constexpr const char* kDesign[16] = {
      ".....WWWWWW.....", "...WWWggggWWW...", "..WWggggggggWW..", ".WWggggggggggWW.",
      ".WggggggggggggW.", "WWggggggggggggWW", "WggggggggggggggW", "WggggggggggggggW",
      "WggggggggggggggW", "WgggggWWWWgggggW", "WWggggWggWggggWW", ".WggggWggWggggW.",
      ".WWgggWWWWgggWW.", "..WWggggggggWW..", "...WWWggggWWW...", ".....WWWWWW.....",
  };
  IconPtr icon = Icon(kWindowIconPixels);
  ASSERT_NE(icon, nullptr);
  ASSERT_EQ(icon->w, 16);
  for (int y = 0; y < 16; ++y) {
    std::string row;
    for (int x = 0; x < 16; ++x) {
      const Pixel p = At(icon.get(), x, y);
      row += p.a == 0 ? '.' : IsWhite(p) ? 'W' : IsGreen(p) ? 'g' : '?';
    }
    EXPECT_EQ(row, kDesign[y]) << "row " << y;
  }
}

// An enlarged 16 x 16 icon would climb its outer edge in steps of 8 pixels;
// the drawing follows the circle within a pixel in every column.
TEST(GameIcon, LargeIconIsDrawnAfreshWithASmoothEdge) {
  constexpr int n = 128;
  IconPtr icon = Icon(n);
  ASSERT_NE(icon, nullptr);
  std::set<int> edge_rows;
  bool partial_alpha = false;
  for (int x = 0; x < n; ++x) {
    int top = -1;
    for (int y = 0; y < n / 2 && top < 0; ++y) {
      const uint8_t a = At(icon.get(), x, y).a;
      partial_alpha = partial_alpha || (a > 0 && a < 255);
      if (a >= 128) top = y;
    }
    ASSERT_GE(top, 0) << "column " << x;
    const double dx = x + 0.5 - n / 2.0;
    const double circle = n / 2.0 - std::sqrt((n / 2.0) * (n / 2.0) - dx * dx);
    EXPECT_NEAR(top, circle, 1.5) << "column " << x;
    edge_rows.insert(top);
  }
  EXPECT_GT(edge_rows.size(), 20u) << "an enlarged 16 x 16 icon has at most 8";
  EXPECT_TRUE(partial_alpha) << "the edge is smoothed";
  // The rim is about 1.1 / 16 of the side: 9 pixels here, not 1.
  int rim = 0;
  while (rim < n / 2 && IsWhite(At(icon.get(), n / 2, rim + 1))) ++rim;
  EXPECT_GE(rim, 7);
  EXPECT_LE(rim, 9);
}

TEST(GameIcon, NoSizeNoIcon) {
  EXPECT_EQ(CreateGameIcon(0), nullptr);
  EXPECT_EQ(CreateGameIcon(-16), nullptr);
}

}  // namespace
}  // namespace quorvel
