// The whole-number window scale from the display's dpi: the 144-dpi
// threshold and rounding, the fit to the screen, where the window goes when
// its scale changes, and the two X11 sources
// (Xft.dpi in the resource database, the screen's pixel and millimetre
// sizes).

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/x11_queries.h"

namespace quorvel {
namespace {

TEST(ScaleForDpi, OneBelow144ThenTheNearestWholeMultipleOf96) {
  EXPECT_EQ(ScaleForDpi(96), 1);
  EXPECT_EQ(ScaleForDpi(120), 1);
  EXPECT_EQ(ScaleForDpi(143.9), 1);
  EXPECT_EQ(ScaleForDpi(144), 2) << "1.5 rounds up";
  EXPECT_EQ(ScaleForDpi(191.2), 2);
  EXPECT_EQ(ScaleForDpi(192), 2);
  EXPECT_EQ(ScaleForDpi(239.9), 2);
  EXPECT_EQ(ScaleForDpi(240), 3);
  EXPECT_EQ(ScaleForDpi(288), 3);
  EXPECT_EQ(ScaleForDpi(384), 4);
}

TEST(ScaleForDpi, UnknownOrNonsenseDpiIsOne) {
  EXPECT_EQ(ScaleForDpi(0), 1);
  EXPECT_EQ(ScaleForDpi(-192), 1);
  EXPECT_EQ(ScaleForDpi(std::numeric_limits<double>::quiet_NaN()), 1);
  EXPECT_EQ(ScaleForDpi(-std::numeric_limits<double>::infinity()), 1);
  EXPECT_EQ(ScaleForDpi(std::numeric_limits<double>::infinity()), 1);
  // Absurdly large but finite: a bounded scale, so window sizes cannot
  // overflow (the fit to the screen then brings it down).
  EXPECT_EQ(ScaleForDpi(1e30), 16);
}

TEST(ScaleThatFits, ShrinksTheScaleUntilTheWindowFitsButNeverBelowOne) {
  EXPECT_EQ(ScaleThatFits(2, 339, 339, 1024, 768), 2);
  EXPECT_EQ(ScaleThatFits(2, 339, 339, 678, 678), 2) << "exactly the room";
  EXPECT_EQ(ScaleThatFits(2, 339, 339, 677, 1000), 1);
  EXPECT_EQ(ScaleThatFits(5, 339, 339, 1920, 1040), 3) << "height decides";
  EXPECT_EQ(ScaleThatFits(3, 339, 339, 200, 200), 1) << "a tiny screen still gets the window";
  EXPECT_EQ(ScaleThatFits(1, 339, 339, 3840, 2160), 1) << "never enlarged beyond the dpi's scale";
}

TEST(ScaleThatFits, UnknownRoomKeepsTheScale) {
  EXPECT_EQ(ScaleThatFits(2, 339, 339, 0, 0), 2);
  EXPECT_EQ(ScaleThatFits(3, 339, 339, -1, 768), 3);
  EXPECT_EQ(ScaleThatFits(0, 339, 339, 1024, 768), 1) << "a scale below 1 is taken as 1";
  EXPECT_EQ(LargestScaleIn(2, 339, 339, 0, 0), 2) << "a failed lookup keeps the scale";
  EXPECT_EQ(LargestScaleIn(0, 339, 339, 1024, -20), 1);
  EXPECT_EQ(LargestScaleIn(1, 339, 339, 1024, 740), 2) << "the room decides when known";
}

TEST(CentreKeptIn, KeepsTheCentreAndTheFrameOnTheUsableArea) {
  const SDL_Rect screen{0, 0, 1280, 1024};
  const FrameExtents openbox{1, 1, 23, 5};  // borders of 1, a 23 px title bar
  const struct {
    const char* what;
    SDL_Rect old;
    int size;
    SDL_Rect usable;
    FrameExtents frame;
    SDL_Point at;
  } cases[] = {
      {"grows about its centre", {470, 342, 339, 339}, 678, screen, openbox, {301, 173}},
      {"and shrinks back to where it was", {301, 173, 678, 678}, 339, screen, openbox, {470, 342}},
      {"taller than the room: the title bar stays on it",
       {301, 173, 678, 678},
       1017,
       screen,
       openbox,
       {132, 23}},
      {"pushed off the right and bottom: moved back in",
       {900, 700, 339, 339},
       678,
       screen,
       openbox,
       {601, 341}},
      {"pushed above the top: the title bar stays on the screen",
       {470, 10, 339, 339},
       678,
       screen,
       openbox,
       {301, 23}},
      {"a panel at the top counts",
       {470, 30, 339, 339},
       678,
       {0, 40, 1280, 984},
       openbox,
       {301, 63}},
      {"too large for the room: the top-left corner wins",
       {100, 100, 339, 339},
       1356,
       screen,
       openbox,
       {1, 23}},
      {"no window manager: no frame", {0, 0, 339, 339}, 678, screen, {}, {0, 0}},
      {"unknown room: only the centre", {0, 0, 339, 339}, 678, {}, openbox, {-169, -169}},
  };
  for (const auto& c : cases) {
    const SDL_Point at = CentreKeptIn(c.old, c.size, c.size, c.usable, c.frame);
    EXPECT_TRUE(at.x == c.at.x && at.y == c.at.y) << c.what << ": (" << at.x << ", " << at.y << ")";
  }
}

TEST(XftDpiFromResources, ReadsTheValueAsXlibResolvesIt) {
  EXPECT_EQ(XftDpiFromResources("Xft.dpi:\t192\n"), 192.0);
  EXPECT_EQ(XftDpiFromResources("Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n"), 144.0);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: 98.5"), 98.5) << "no newline at the end, a fraction";
  EXPECT_EQ(XftDpiFromResources("*dpi: 120\n"), 120.0) << "a wildcard matches";
  EXPECT_EQ(XftDpiFromResources("*dpi: 120\nXft.dpi: 192\n"), 192.0) << "the tighter binding wins";
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: 96\nXft.dpi: 192\n"), 192.0) << "the later line wins";
}

TEST(XftDpiFromResources, NothingWhenAbsentOrNotAPositiveNumber) {
  EXPECT_EQ(XftDpiFromResources(nullptr), std::nullopt);
  EXPECT_EQ(XftDpiFromResources(""), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.antialias: 1\nXcursor.size: 48\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: 0\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: -96\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: high\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi:\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: nan\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("Xft.dpi: 1e999\n"), std::nullopt);
  EXPECT_EQ(XftDpiFromResources("! Xft.dpi: 192\n"), std::nullopt) << "a comment";
}

TEST(ScreenDpi, FromPixelAndMillimetreSizes) {
  // What `Xvfb -screen 0 1024x768x24 -dpi 192` reports: 135 x 102 mm.
  const std::optional<double> xvfb192 = ScreenDpi(1024, 768, 135, 102);
  ASSERT_TRUE(xvfb192.has_value());
  EXPECT_NEAR(*xvfb192, 192, 1.0);
  EXPECT_EQ(ScaleForDpi(*xvfb192), 2);
  // And with -dpi 96: 271 x 203 mm.
  const std::optional<double> xvfb96 = ScreenDpi(1024, 768, 271, 203);
  ASSERT_TRUE(xvfb96.has_value());
  EXPECT_NEAR(*xvfb96, 96, 0.5);
  EXPECT_EQ(ScaleForDpi(*xvfb96), 1);
}

TEST(ScreenDpi, NothingWithoutAPhysicalSize) {
  EXPECT_EQ(ScreenDpi(1024, 768, 0, 0), std::nullopt);
  EXPECT_EQ(ScreenDpi(1024, 768, 271, 0), std::nullopt);
  EXPECT_EQ(ScreenDpi(0, 768, 271, 203), std::nullopt);
}

}  // namespace
}  // namespace quorvel
