// The whole-number scale of both windows: from the display's dpi and the
// room on the screen, and both windows at scale 2 showing the same pictures
// in blocks, painted and on SDL's off-screen driver.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/raster/fonts.h"
#include "platform/raster/raster_surface.h"
#include "platform/raster/window_painter.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/x11_queries.h"
#include "support/sdl_images.h"
#include "ui/layout.h"

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

namespace {

using testing::NewImage;
using testing::SurfacePtr;

uint32_t Rgb(SDL_Surface* s, int x, int y) {
  const quorvel::Rgb c = testing::PixelAt(s, x, y);
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

bool Inside(const std::vector<SDL_Rect>& rects, int x, int y) {
  for (const SDL_Rect& r : rects) {
    if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return true;
  }
  return false;
}

// Whether `big` is `small` with every pixel a `scale` x `scale` block,
// except inside `skip` (rectangles in `small`'s pixels).
::testing::AssertionResult IsBlockEnlargement(SDL_Surface* small, SDL_Surface* big, int scale,
                                              const std::vector<SDL_Rect>& skip) {
  if (big->w != small->w * scale || big->h != small->h * scale) {
    return ::testing::AssertionFailure() << "size " << big->w << "x" << big->h;
  }
  int differing = 0, fx = -1, fy = -1;
  for (int y = 0; y < big->h; ++y) {
    for (int x = 0; x < big->w; ++x) {
      if (Inside(skip, x / scale, y / scale)) continue;
      if (Rgb(big, x, y) != Rgb(small, x / scale, y / scale) && differing++ == 0) {
        fx = x;
        fy = y;
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << differing << " pixels differ, first at (" << fx << ", " << fy << ")";
}

std::vector<SDL_Rect> Form1LabelRects() {
  std::vector<SDL_Rect> rects;
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) rects.push_back(LabelRect(*label, 1));
  return rects;
}

std::vector<SDL_Rect> MenuLabelRects() {
  std::vector<SDL_Rect> rects;
  for (const LabelLayout& label : MenuItems()) rects.push_back(LabelRect(label, 1));
  for (const LabelLayout& label : MenuFixedLabels()) rects.push_back(LabelRect(label, 1));
  return rects;
}

// Where the menu puts its cursor frame on item `i` (centred on the item,
// 60 twips above it), as the menu's navigation does.
MenuFrames CursorOn(int i) {
  const LabelLayout& item = MenuItems()[i];
  MenuFrames frames;
  frames.CursorLeft = static_cast<float>(item.left + item.width / 2.0 - 720);
  frames.CursorTop = static_cast<float>(item.top - 60);
  return frames;
}

class ScaledPainting : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    const std::string path = FindGameFont(error);
    ASSERT_FALSE(path.empty()) << error;
    fonts_ = std::make_unique<FontCache>(path);
  }
  std::unique_ptr<FontCache> fonts_;
};

TEST_F(ScaledPainting, EveryLabelRectangleDoubles) {
  for (const LabelLayout* label : Form1LabelsInPaintOrder()) {
    const SDL_Rect one = LabelRect(*label, 1), two = LabelRect(*label, 2);
    EXPECT_TRUE(two.x == 2 * one.x && two.y == 2 * one.y && two.w == 2 * one.w &&
                two.h == 2 * one.h)
        << label->name;
  }
  for (const auto labels : {MenuItems(), MenuFixedLabels()}) {
    for (const LabelLayout& label : labels) {
      const SDL_Rect one = LabelRect(label, 1), two = LabelRect(label, 2);
      EXPECT_TRUE(two.x == 2 * one.x && two.y == 2 * one.y && two.w == 2 * one.w &&
                  two.h == 2 * one.h)
          << label.name;
    }
  }
}

TEST_F(ScaledPainting, GameWindowIsTheSamePictureInBlocks) {
  // A picture with sky, ground, a road triangle and the car marker.
  RasterSurface picture(337, 337);
  picture.FillRect(0, 0, 338, 169, 0xFFFF00);
  picture.FillRect(0, 168, 338, 169, 0x000000);
  picture.SetFillColor(0x808080);
  picture.SetPenColor(0x808080);
  const PolyPoint road[3] = {{-40, 336}, {170, 175}, {400, 336}};
  picture.Polygon(road);
  picture.SetFillColor(0x008000);
  picture.Circle(168.5f, 236.0f, 20.0f, 0xFFFFFF);
  Form1Labels labels{"57", "-3", "ゴール", "2周目", false};
  for (bool goal : {false, true}) {
    labels.Label3Visible = goal;
    SurfacePtr one = NewImage(339, 339), two = NewImage(678, 678);
    PaintForm1(one.get(), picture.image(), labels, {}, *fonts_, 1);
    PaintForm1(two.get(), picture.image(), labels, {}, *fonts_, 2);
    EXPECT_TRUE(IsBlockEnlargement(one.get(), two.get(), 2, Form1LabelRects()))
        << (goal ? "with" : "without") << " the goal banner";
  }
}

TEST_F(ScaledPainting, MenuIsTheSamePictureInBlocksWhereverTheCursorIs) {
  // Items 5 and 6 put the cursor on half pixels (60.5 px and 73.5 px at
  // 96 dpi); they must land on whole blocks too.
  for (int item : {0, 1, 3, 4, 5, 6, 7}) {
    MenuFrames frames = CursorOn(item);
    frames.CourseMarkLeft = static_cast<float>(MenuItems()[1].left);
    frames.CourseMarkTop = static_cast<float>(MenuItems()[1].top);
    SurfacePtr one = NewImage(313, 162), two = NewImage(626, 324);
    PaintForm2(one.get(), frames, *fonts_, 1);
    PaintForm2(two.get(), frames, *fonts_, 2);
    EXPECT_TRUE(IsBlockEnlargement(one.get(), two.get(), 2, MenuLabelRects()))
        << "cursor on item " << item;
  }
}

// The real windows on SDL's off-screen driver.
class ScaledSdlWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);  // ctest sets it; by hand too
    std::string error;
    fonts_path_ = FindGameFont(error);
    ASSERT_FALSE(fonts_path_.empty()) << error;
  }
  std::string fonts_path_;
};

struct Handlers final : GameWindowHandlers {
  std::function<void()> tick = [] {};
  void Form_Load() override {}
  void Timer1_Timer(const InputEvent&) override { tick(); }
};

struct StillMenu final : MenuWindow {
  std::function<void()> on_timer = [] {};
  bool closed = false;
  void Form_Load() override {}
  void Form_KeyDown(int16_t) override {}
  void Timer1_Timer(const std::optional<JoyReading>&) override { on_timer(); }
  bool Closed() const override { return closed; }
  MenuFrames Frames() const override { return CursorOn(6); }
};

// Whether the menu window shows `expected` pixel for pixel.
::testing::AssertionResult Shows(SDL_Window* window, SDL_Surface* expected) {
  const SurfacePtr screen = testing::ShownImage(window);
  if (screen == nullptr) return ::testing::AssertionFailure() << "no image shown";
  return IsBlockEnlargement(expected, screen.get(), 1, {});
}

// Cyan with red and blue stripes across the see-through time label, whose
// text the renderer's layers must blend over whatever lies under it.
void DrawStripes(Surface& picture) {
  picture.SetBackColor(0xFFFF00);
  for (int i = 0; i < 12; ++i) picture.FillRect(12 + 5 * i, 0, 2, 40, i % 2 ? 0x0000FF : 0xFF0000);
}

TEST_F(ScaledSdlWindows, AtScaleTwoBothWindowsAreTwiceAsLargeAndShowTheBlocks) {
  std::string error;
  WindowStart start;
  start.display_scale = 2;
  auto platform = SdlPlatform::Open(start, error);
  ASSERT_NE(platform, nullptr) << error;
  int w = 0, h = 0;
  SDL_GetWindowSize(testing::GameWindow(), &w, &h);
  EXPECT_EQ(w, 678);
  EXPECT_EQ(h, 678);
  // The game still draws on its 337 x 337 surface.
  EXPECT_EQ(platform->Picture1().ScaleWidth(), 337.0f);
  EXPECT_EQ(platform->Picture1().ScaleHeight(), 337.0f);

  FontCache fonts(fonts_path_);
  Form1Labels labels{"0", "-4", "", "1周目", false};
  RasterSurface picture(337, 337);
  DrawStripes(picture);
  SurfacePtr expected1 = NewImage(678, 678), expected2 = NewImage(626, 324);
  PaintForm1(expected1.get(), picture.image(), labels, {}, fonts, 2);
  PaintForm2(expected2.get(), CursorOn(6), fonts, 2);

  StillMenu menu;
  SDL_Rect menu_at{};
  menu.on_timer = [&] {
    SDL_Window* m = testing::MenuWindow();
    SDL_GetWindowSize(m, &menu_at.w, &menu_at.h);
    SDL_GetWindowPosition(m, &menu_at.x, &menu_at.y);
    EXPECT_TRUE(Shows(m, expected2.get())) << "the menu";
    menu.closed = true;
  };
  Handlers handlers;
  handlers.tick = [&] {
    DrawStripes(platform->Picture1());
    platform->SetLabels(labels);
    platform->Picture1().Refresh();
    SDL_RendererInfo renderer{};
    SDL_GetRendererInfo(SDL_GetRenderer(testing::GameWindow()), &renderer);
    EXPECT_TRUE(testing::SameRgb(testing::ShownImage(testing::GameWindow()).get(), expected1.get()))
        << "the game window, through " << renderer.name;
    platform->ShowMenuModal(menu);
    platform->UnloadGameWindow();
  };
  EXPECT_EQ(platform->Run(handlers), 0);
  EXPECT_EQ(menu_at.w, 626);
  EXPECT_EQ(menu_at.h, 324);
  int gx = 0, gy = 0;
  SDL_GetWindowPosition(testing::GameWindow(), &gx, &gy);
  EXPECT_NEAR(menu_at.x + menu_at.w / 2.0, gx + 678 / 2.0, 1.0) << "centred over the game";
  EXPECT_NEAR(menu_at.y + menu_at.h / 2.0, gy + 678 / 2.0, 1.0);
}

TEST_F(ScaledSdlWindows, ADisplayWithoutDpiGivesThe96DpiSize) {
  // The off-screen driver reports no dpi: 96 is assumed, nothing changes.
  std::string error;
  auto platform = SdlPlatform::Open({}, error);
  ASSERT_NE(platform, nullptr) << error;
  int w = 0, h = 0;
  SDL_GetWindowSize(testing::GameWindow(), &w, &h);
  EXPECT_EQ(w, 339);
  EXPECT_EQ(h, 339);
}

}  // namespace

}  // namespace quorvel
