// The headless platform: the draw log line by line as the driver's protocol
// has it, the draw and sleep counters, the scripted menu visit and the frame
// files, quorvel-sim's checked against golden ones.

#include <SDL.h>
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/headless/frame_writer.h"
#include "platform/headless/headless_platform.h"
#include "support/scratch.h"
#include "support/sdl_images.h"

namespace quorvel {
namespace {

constexpr Colour kSky = 16776960;

// Draws what a scene frame draws, in the order the game draws it.
void DrawSceneLike(Surface& s) {
  const float w = s.ScaleWidth();
  const float h = s.ScaleHeight();
  s.FillRect(0, 0, w + 1, h / 2 + 1, kSky);
  s.FillRect(0, h / 2, w + 1, h / 2 + 1, 0);
  s.SetFillColor(8421504);
  s.SetPenColor(8421504);
  const PolyPoint tri[3] = {{-5, 300}, {187, 190}, {400, 330}};
  s.Polygon(tri);
  s.SetFillColor(32768);
  s.Circle(187, 260, 20, 16777215);
  s.Circle(184.5f, 268, 5, 16777215);
  s.Refresh();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

TEST(HeadlessDrawLog, OneLinePerRefreshInTheProtocolsFormat) {
  HeadlessPlatform p;
  std::ostringstream log;
  p.SetDrawLog([&log](const std::string& line) { log << line; });
  DrawSceneLike(p.Picture1());
  p.Picture1().SetBackColor(0);
  p.Picture1().Refresh();
  const std::vector<std::string> lines = Lines(log.str());
  ASSERT_EQ(lines.size(), 2u) << log.str();
  EXPECT_EQ(lines[0],
            "{\"frame\": 1, \"ops\": [[\"rect\", 0, 0, 338, 169.5, 16776960], "
            "[\"rect\", 0, 168.5, 338, 169.5, 0], [\"fill\", 8421504], [\"pen\", 8421504], "
            "[\"poly\", -5, 300, 187, 190, 400, 330], [\"fill\", 32768], "
            "[\"circle\", 187, 260, 20, 16777215], [\"circle\", 184.5, 268, 5, 16777215], "
            "[\"refresh\"]]}");
  EXPECT_EQ(lines[1], "{\"frame\": 2, \"ops\": [[\"clear\", 0], [\"refresh\"]]}");
  p.SetDrawLog(nullptr);
  DrawSceneLike(p.Picture1());
  EXPECT_EQ(Lines(log.str()).size(), 2u);
}

// %.9g: every single reads back as the same single.
TEST(HeadlessDrawLog, SinglesReadBackExactly) {
  HeadlessPlatform p(101, 77);
  std::ostringstream log;
  p.SetDrawLog([&log](const std::string& line) { log << line; });
  p.Picture1().Circle(0.1f, 1.0f / 3.0f, 123456.789f, 255);
  p.Picture1().FillRect(-0.0f, 3.4e38f, 1e-7f, 7.25f, 0);
  p.Picture1().Refresh();
  EXPECT_EQ(Lines(log.str()).at(0),
            "{\"frame\": 1, \"ops\": [[\"circle\", 0.100000001, 0.333333343, 123456.789, 255], "
            "[\"rect\", -0, 3.39999995e+38, 1.00000001e-07, 7.25, 0], [\"refresh\"]]}");
  EXPECT_EQ(std::strtof("0.100000001", nullptr), 0.1f);
  EXPECT_EQ(std::strtof("0.333333343", nullptr), 1.0f / 3.0f);
  EXPECT_EQ(std::strtof("3.39999995e+38", nullptr), 3.4e38f);
}

TEST(HeadlessPlatform, CountsSceneFramesAndSleepWithoutWaiting) {
  HeadlessPlatform p;
  EXPECT_EQ(p.Picture1().ScaleWidth(), 337.0f);
  DrawSceneLike(p.Picture1());
  // The crash: the falling frames, the black pause, the restart frame.
  for (int i = 0; i < 3; ++i) {
    DrawSceneLike(p.Picture1());
    p.Sleep(80);
  }
  p.Picture1().SetBackColor(0);
  p.Picture1().Refresh();
  p.Sleep(1600);
  p.Sleep(-5);
  DrawSceneLike(p.Picture1());
  EXPECT_EQ(p.draws(), 5);
  EXPECT_EQ(p.slept_ms(), 3 * 80 + 1600);
  p.ResetCounters();
  EXPECT_EQ(p.draws(), 0);
  EXPECT_EQ(p.slept_ms(), 0);
  // The image is the real drawing.
  EXPECT_EQ(testing::ColourAt(p.raster(), 10, 10), kSky);
  EXPECT_EQ(testing::ColourAt(p.raster(), 187, 260), 32768);
}

// A menu that notes its events, moves its cursor frame on every event and
// closes on Enter or Esc unless told not to.
class FakeMenu final : public MenuWindow {
 public:
  explicit FakeMenu(bool ignores_escape = false) : ignores_escape_(ignores_escape) {}
  void Form_Load() override { events.push_back("load"); }
  void Form_KeyDown(int16_t key) override {
    events.push_back("key " + std::to_string(key));
    frames_.CursorLeft += 1;
    if (key == kVkReturn || (key == kVkEscape && !ignores_escape_)) closed_ = true;
  }
  void Timer1_Timer(const std::optional<JoyReading>& r) override {
    events.push_back(r ? "poll " + std::to_string(r->dwXpos) : "poll none");
    frames_.CursorTop += 1;
  }
  bool Closed() const override { return closed_; }
  MenuFrames Frames() const override { return frames_; }

  std::vector<std::string> events;

 private:
  bool ignores_escape_;
  bool closed_ = false;
  MenuFrames frames_;
};

TEST(HeadlessMenu, ScriptedEventsDriveTheModalShowUntilItCloses) {
  HeadlessPlatform p;
  FakeMenu menu;
  InputEvent poll = InputEvent::Of(InputEvent::kPoll);
  poll.joy = JoyReading{0, 32768, 0};
  std::vector<InputEvent> script = {
      InputEvent::Key(kVkDown), poll, InputEvent::Of(InputEvent::kPoll), InputEvent::Key(kVkReturn),
      InputEvent::Key(kVkUp),  // never taken: the menu has closed
  };
  size_t next = 0;
  p.SetMenuSource([&] { return std::optional<InputEvent>(script.at(next++)); });
  p.ShowMenuModal(menu);
  EXPECT_EQ(menu.events,
            (std::vector<std::string>{"load", "key 40", "poll 0", "poll none", "key 13"}));
  EXPECT_EQ(next, 4u);
  // The script running out leaves as Esc, even from a menu that stays open.
  FakeMenu stubborn(true);
  p.SetMenuSource(nullptr);
  p.ShowMenuModal(stubborn);
  EXPECT_EQ(stubborn.events, (std::vector<std::string>{"load", "key 27"}));
}

struct PngInfo {
  bool ok = false;
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
};

PngInfo ReadPng(const std::string& path) {
  PngInfo info;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return info;
  image.format = PNG_FORMAT_RGB;
  info.rgb.resize(PNG_IMAGE_SIZE(image));
  info.ok = png_image_finish_read(&image, nullptr, info.rgb.data(), 0, nullptr) != 0;
  info.w = static_cast<int>(image.width);
  info.h = static_cast<int>(image.height);
  return info;
}

TEST(HeadlessFrames, EveryRefreshBecomesANumberedClientAreaPng) {
  const testing::ScratchDir scratch("frames");
  const std::filesystem::path& dir = scratch.path();
  HeadlessPlatform p;
  FrameWriter frames;
  std::string error;
  ASSERT_TRUE(frames.SetDir(dir.string(), error)) << error;
  p.SetOnRefresh([&](long frame, int subframe) {
    frames.Write(frame, subframe, p.raster().image(), p.labels(), p.notes());
    return frames.error().empty();
  });
  Form1Labels labels;
  labels.Label4 = "1周目";
  p.SetLabels(labels);
  DrawSceneLike(p.Picture1());
  p.Picture1().SetBackColor(0);
  p.Picture1().Refresh();
  EXPECT_EQ(frames.error(), "");
  const PngInfo first = ReadPng((dir / "frame-000001.png").string());
  const PngInfo second = ReadPng((dir / "frame-000002.png").string());
  ASSERT_TRUE(first.ok && second.ok);
  EXPECT_EQ(first.w * first.h, 339 * 339);
  auto pixel = [](const PngInfo& png, int x, int y) {
    const unsigned char* c = &png.rgb[(static_cast<size_t>(y) * png.w + x) * 3];
    return c[0] | (c[1] << 8) | (c[2] << 16);
  };
  EXPECT_EQ(pixel(first, 100, 50), kSky);
  EXPECT_EQ(pixel(first, 270, 10), 0xFFFFFF);  // the lap label's white box
  EXPECT_EQ(pixel(first, 338, 338), 0xE0E0E0);
  EXPECT_EQ(pixel(second, 100, 50), 0);
  // A directory that vanishes: the failure is kept, not hidden.
  std::filesystem::remove_all(dir);
  DrawSceneLike(p.Picture1());
  EXPECT_NE(frames.error(), "");
  EXPECT_FALSE(frames.SetDir((dir / "missing").string(), error));
  EXPECT_EQ(error, "not a directory");  // the caller names the directory, quoted
}

// quorvel-sim --frames against kept PNGs, pixel for pixel: each course's first
// frame and a crash fall. QUORVEL_UPDATE_GOLDEN=1 replaces the kept ones.
TEST(HeadlessFrames, GoldenFramesFromTheSimMatchExactly) {
  namespace fs = std::filesystem;
  std::string crash;  // countdown, then hard left off the start straight
  for (int i = 0; i < 78; ++i) crash += i < 38 ? "tick\n" : "tick left up\n";
  // Name, script, frame: each course's first, and one of the crash fall.
  const std::tuple<std::string, std::string, std::string> goldens[] = {
      {"course1-start", "", "000001"},
      {"course2-start", "tick enter\nkey right\nkey down\nkey down\nkey left\nkey enter\ntick\n",
       "000002"},
      {"crash-fall", crash, "000078"}};
  const testing::ScratchDir scratch("golden");
  const fs::path& work = scratch.path();
  for (const auto& [name, script, frame] : goldens) {
    scratch.Clear();
    std::ofstream(work / "script") << script;
    const std::string command = std::string(QUORVEL_SIM_PATH) + " --frames " + work.string() +
                                " < " + (work / "script").string() + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const fs::path written = work / ("frame-" + frame + ".png");
    const fs::path kept = fs::path(QUORVEL_SOURCE_DIR) / "tests/platform/golden" / (name + ".png");
    if (std::getenv("QUORVEL_UPDATE_GOLDEN") != nullptr) {
      fs::copy_file(written, kept, fs::copy_options::overwrite_existing);
    }
    const PngInfo got = ReadPng(written.string()), want = ReadPng(kept.string());
    ASSERT_TRUE(got.ok && want.ok && got.w == want.w && got.h == want.h) << name;
    EXPECT_TRUE(got.rgb == want.rgb) << name << " differs from " << kept;
  }
}

}  // namespace
}  // namespace quorvel
