// Painting of both windows: the game window's picture with its labels over
// it (also at double scale), the menu's controls in their stacking order,
// and real Japanese glyphs in the game's font.

#include <SDL.h>
#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "platform/raster/fonts.h"
#include "platform/raster/raster_surface.h"
#include "platform/raster/window_painter.h"
#include "support/sdl_images.h"
#include "ui/layout.h"

namespace quorvel {
namespace {

using testing::NewImage;
using testing::SurfacePtr;

Rgb At(SDL_Surface* s, int x, int y) {
  return testing::PixelAt(s, x, y);
}

std::string Text(Rgb c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

::testing::AssertionResult Is(SDL_Surface* s, int x, int y, Rgb want) {
  const Rgb got = At(s, x, y);
  if (got == want) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "pixel (" << x << ", " << y << ") is " << Text(got) << ", expected " << Text(want);
}

// How many pixels of the rectangle have exactly colour `c`.
int Count(SDL_Surface* s, SDL_Rect r, Rgb c) {
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y) {
    for (int x = r.x; x < r.x + r.w; ++x) n += At(s, x, y) == c;
  }
  return n;
}

std::vector<uint32_t> CodePoints(const std::string& utf8) {
  std::vector<uint32_t> out;
  for (unsigned char b : utf8) {
    if ((b & 0xC0) == 0x80) {
      out.back() = (out.back() << 6) | (b & 0x3F);
    } else {
      out.push_back(b < 0x80 ? b : b < 0xE0 ? b & 0x1F : b < 0xF0 ? b & 0x0F : b & 0x07);
    }
  }
  return out;
}

constexpr Rgb kBackground{224, 224, 224};
constexpr Rgb kPictureColour{0, 0, 128};  // what the picture is filled with here
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlack{0, 0, 0};

class WindowPainter : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    const std::string path = FindGameFont(error);
    ASSERT_FALSE(path.empty()) << error;
    fonts_ = std::make_unique<FontCache>(path);
    picture_.FillRect(0, 0, 338, 338, 128 << 16);
  }

  SurfacePtr Form1(const Form1Labels& labels, int scale = 1, const Form1Notes& notes = {}) {
    SurfacePtr out = NewImage(339 * scale, 339 * scale);
    PaintForm1(out.get(), picture_.image(), labels, notes, *fonts_, scale);
    return out;
  }

  SurfacePtr Form2(const MenuFrames& frames) {
    SurfacePtr out = NewImage(313, 162);
    PaintForm2(out.get(), frames, *fonts_);
    return out;
  }

  RasterSurface picture_{337, 337};
  std::unique_ptr<FontCache> fonts_;
};

TEST_F(WindowPainter, GameWindowShowsThePictureWithTheLabelsOverIt) {
  Form1Labels labels;
  labels.Label1 = "12";
  labels.Label2 = "-4";
  labels.Label4 = "1周目";
  SurfacePtr out = Form1(labels);
  // The window's own background shows in a 2-pixel strip right and below.
  EXPECT_TRUE(Is(out.get(), 338, 0, kBackground));
  EXPECT_TRUE(Is(out.get(), 337, 338, kBackground));
  EXPECT_TRUE(Is(out.get(), 336, 336, kPictureColour));
  // The lap and speed labels are white boxes; the time label is transparent.
  EXPECT_TRUE(Is(out.get(), 264, 8, kWhite));
  EXPECT_TRUE(Is(out.get(), 328, 32, kWhite));
  EXPECT_TRUE(Is(out.get(), 329, 8, kPictureColour));
  EXPECT_TRUE(Is(out.get(), 264, 288, kWhite));
  EXPECT_TRUE(Is(out.get(), 16, 8, kPictureColour));
  EXPECT_GT(Count(out.get(), {16, 8, 49, 25}, kBlack), 20);  // the digits of "-4"
  // The goal banner, hidden while racing.
  EXPECT_TRUE(Is(out.get(), 16, 120, kPictureColour));
  labels.Label3 = "ゴール";
  labels.Label3Visible = true;
  out = Form1(labels);
  const SDL_Rect banner = LabelRect(kForm1Label3, 1);
  EXPECT_EQ(banner.w, 297);
  EXPECT_EQ(banner.h, 113);
  EXPECT_TRUE(Is(out.get(), banner.x, banner.y, kYellow));
  EXPECT_TRUE(Is(out.get(), banner.x + banner.w - 1, banner.y + banner.h - 1, kYellow));
  EXPECT_TRUE(Is(out.get(), banner.x + banner.w, banner.y, kPictureColour));
  EXPECT_GT(Count(out.get(), banner, kRed), 1000);
  // At double scale every pixel is a 2 x 2 block and labels keep their places.
  SurfacePtr two = Form1(labels, 2);
  EXPECT_TRUE(Is(two.get(), 2 * 336 + 1, 2 * 336 + 1, kPictureColour));
  EXPECT_TRUE(Is(two.get(), 2 * banner.x, 2 * banner.y, kYellow));
  EXPECT_TRUE(Is(two.get(), 2 * banner.x - 1, 2 * banner.y, kPictureColour));
}

// Real glyphs, not the font's missing-glyph box: every character of every
// caption is in the font, and a painted caption differs from the same
// number of missing glyphs.
// The renderer's layers, stacked as a renderer stacks them (the picture
// enlarged, the see-through labels' boxes, the overlay's rectangles), give
// exactly the window PaintForm1 paints, over a picture that changes under
// the see-through time label.
TEST_F(WindowPainter, LayersStackedGiveTheWholeWindow) {
  for (int i = 0; i < 24; ++i) {
    picture_.FillRect(10 + 3 * i, 0, 2, 40, (0x10203 * i * 11) & 0xFFFFFF);
  }
  // The result and the gap lie in the overlay with the opaque labels.
  const std::tuple<Form1Labels, int, Form1Notes> cases[] = {
      {Form1Labels{"0", "-4", "", "1周目", false}, 1, {}},
      {Form1Labels{"120", "88", "ゴール", "3周目", true},
       2,
       {"タイム 52.16秒（新記録）", "ベストラップ 17.04秒", ""}},
      {Form1Labels{"7", "-1", "ゴール", "-1周目", false}, 3, {"", "", "+0.56"}},
  };
  for (const auto& [labels, scale, notes] : cases) {
    const int side = 339 * scale;
    SurfacePtr stacked = NewImage(side, side);
    SDL_Rect whole{0, 0, 337 * scale, 337 * scale};
    SDL_SetSurfaceBlendMode(picture_.image(), SDL_BLENDMODE_NONE);
    SDL_BlitScaled(picture_.image(), nullptr, stacked.get(), &whole);
    for (const LabelLayout* label : Form1SeeThroughLabels()) {
      SDL_Rect box = LabelRect(*label, scale);
      SurfacePtr image = NewImage(box.w, box.h);
      PaintSeeThroughLabel(image.get(), *label, picture_.image(), labels, *fonts_, scale);
      SDL_SetSurfaceBlendMode(image.get(), SDL_BLENDMODE_NONE);
      SDL_BlitSurface(image.get(), nullptr, stacked.get(), &box);
    }
    SurfacePtr overlay = NewImage(side, side);
    PaintForm1Overlay(overlay.get(), labels, notes, *fonts_, scale);
    SDL_SetSurfaceBlendMode(overlay.get(), SDL_BLENDMODE_NONE);
    for (SDL_Rect rect : Form1OverlayRects(337, 337, labels, notes, scale)) {
      SDL_Rect to = rect;
      SDL_BlitSurface(overlay.get(), &rect, stacked.get(), &to);
    }
    EXPECT_TRUE(testing::SameRgb(stacked.get(), Form1(labels, scale, notes).get()))
        << "scale " << scale << ", time " << labels.Label2;
  }
}

TEST_F(WindowPainter, CaptionsUseRealGlyphs) {
  std::vector<std::string> captions = {"ゴール", "0123456789-周目"};
  for (const LabelLayout& l : MenuItems()) captions.push_back(l.caption);
  for (const LabelLayout& l : MenuFixedLabels()) captions.push_back(l.caption);
  TTF_Font* font = fonts_->At(16);
  ASSERT_NE(font, nullptr);
  for (const std::string& caption : captions) {
    for (uint32_t cp : CodePoints(caption)) {
      EXPECT_TRUE(TTF_GlyphIsProvided32(font, cp)) << "U+" << std::hex << cp << " in " << caption;
    }
  }
  LabelLayout label = kForm1Label3;
  SurfacePtr real = NewImage(339, 339);
  SurfacePtr boxes = NewImage(339, 339);
  PaintLabel(real.get(), label, "ゴール", *fonts_, 1);
  PaintLabel(boxes.get(), label, "\uE000\uE001\uE002", *fonts_, 1);  // private use: no glyphs
  const SDL_Rect box = LabelRect(label, 1);
  const int ink = Count(real.get(), box, kRed);
  EXPECT_GT(ink, 1000);
  int differing = 0;
  for (int y = box.y; y < box.y + box.h; ++y) {
    for (int x = box.x; x < box.x + box.w; ++x)
      differing += !(At(real.get(), x, y) == At(boxes.get(), x, y));
  }
  EXPECT_GT(differing, ink / 4);
}

// A caption wider than its label is narrowed to fit with all its ink, not
// clipped; one that fits is drawn as in a label wide enough for anything.
TEST_F(WindowPainter, WideCaptionsAreNarrowedToTheirLabelNotCut) {
  const std::tuple<const LabelLayout&, const char*, int> cases[] = {
      {kForm1Label1, "12", 1},     {kForm1Label1, "120", 1},    {kForm1Label1, "120", 2},
      {kForm1Label1, "123456", 1}, {kForm1Label4, "-1周目", 1}, {kForm1Label4, "-1周目", 3},
      {kForm1Label2, "-4", 1},     {kForm1Label2, "123456", 1}};
  const auto ink = [](SDL_Surface* s, SDL_Rect r) {  // distance from white, summed
    double sum = 0;
    for (int y = r.y; y < r.y + r.h; ++y) {
      for (int x = r.x; x < r.x + r.w; ++x) {
        const Rgb c = At(s, x, y);
        sum += 765 - c.r - c.g - c.b;
      }
    }
    return sum;
  };
  for (const auto& [layout, caption, scale] : cases) {
    LabelLayout label = layout;  // moved right, with room for `wide` on its left
    label.left += 3000;
    label.align = Align::Right;
    LabelLayout wide = label;  // same right edge, 3000 twips wider
    wide.left -= 3000;
    wide.width += 3000;
    const auto paint = [&](const LabelLayout& l) {  // on white
      SurfacePtr s = NewImage(539 * scale, 339 * scale);
      SDL_FillRect(s.get(), nullptr, SDL_MapRGB(s->format, 255, 255, 255));
      PaintLabel(s.get(), l, caption, *fonts_, scale);
      return s;
    };
    const SurfacePtr narrow = paint(label), full = paint(wide);
    const SDL_Rect box = LabelRect(label, scale), wide_box = LabelRect(wide, scale);
    int text_w = 0;
    TTF_SizeUTF8(fonts_->At(PointsToPixels(label.points) * scale), caption, &text_w, nullptr);
    const double share = std::min(1.0, static_cast<double>(box.w) / text_w);
    const double want = ink(full.get(), wide_box) * share;
    EXPECT_NEAR(ink(narrow.get(), box), want, want * 0.02) << caption << " at " << scale;
    if (share == 1.0) {
      EXPECT_EQ(ink(narrow.get(), box), ink(full.get(), box)) << caption;
    }
  }
}

TEST_F(WindowPainter, MenuFramesLieAboveTheOpaqueItems) {
  MenuFrames frames;  // as the menu opens: cursor and course mark on item 0
  frames.CursorLeft = 907.5f;
  frames.CursorTop = 60;
  frames.CourseMarkLeft = 960;
  frames.CourseMarkTop = 120;
  frames.CarMarkLeft = 960;
  frames.CarMarkTop = 600;
  SurfacePtr out = Form2(frames);
  const Rgb green{128, 255, 128};
  const SDL_Rect item0 = LabelRect(MenuItems()[0], 1);
  EXPECT_TRUE(Is(out.get(), item0.x, item0.y + 8, kBlack));  // the course mark's left side
  EXPECT_TRUE(Is(out.get(), item0.x + 1, item0.y + 8, green));
  EXPECT_TRUE(Is(out.get(), item0.x + item0.w - 1, item0.y + 8, kBlack));
  EXPECT_TRUE(Is(out.get(), 60, 4, kRed));  // the cursor, two pixels wide
  EXPECT_TRUE(Is(out.get(), 61, 5, kRed));
  EXPECT_TRUE(Is(out.get(), 62, 6, kBackground));
  const SDL_Rect car = LabelRect(MenuItems()[3], 1);
  EXPECT_TRUE(Is(out.get(), car.x, car.y + 8, kBlack));
  // The frame around the window, on top of item 2 where it leaves the window.
  EXPECT_TRUE(Is(out.get(), 0, 0, kBlack));
  EXPECT_TRUE(Is(out.get(), 312, 12, kBlack));
  EXPECT_TRUE(Is(out.get(), 150, 160, kBlack));
  EXPECT_TRUE(Is(out.get(), 150, 161, kBackground));
  // Item 2, switched off, runs out of the window greyed: no black text.
  const SDL_Rect item2 = LabelRect(MenuItems()[2], 1);
  const SDL_Rect shown{item2.x + 1, item2.y, 312 - item2.x - 1, item2.h};
  EXPECT_GT(Count(out.get(), shown, Rgb{160, 160, 160}), 10);
  EXPECT_EQ(Count(out.get(), shown, kBlack), 0);
}

// The cursor frame on "ゲームスタート" and "ゲームの終了" is narrower than the
// item and centred on it, to the pixel.
TEST_F(WindowPainter, CursorOnAnActionItemIsCentred) {
  for (int index : {5, 6}) {
    const LabelLayout& item = MenuItems()[index];
    MenuFrames frames;
    frames.CursorLeft = static_cast<float>(item.left + item.width / 2.0 - 720);
    frames.CursorTop = static_cast<float>(item.top - 60);
    SurfacePtr out = Form2(frames);
    const SDL_Rect r = LabelRect(item, 1);
    int first = -1, last = -1;
    for (int x = 0; x < 313; ++x) {
      if (!(At(out.get(), x, r.y + r.h / 2) == kRed)) continue;
      if (first < 0) first = x;
      last = x;
    }
    EXPECT_GT(first, r.x) << "item " << index;
    EXPECT_EQ(first - r.x, r.x + r.w - 1 - last) << "item " << index;
  }
}

}  // namespace
}  // namespace quorvel
