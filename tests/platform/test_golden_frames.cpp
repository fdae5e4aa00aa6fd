// Whole frames as the player sees them, written by quorvel-sim --frames,
// against PNGs kept with the tests, pixel for pixel: the first frame of each
// course and one frame of a crash fall (road pieces far above the picture).
// With QUORVEL_UPDATE_GOLDEN=1 the new frames replace the kept ones.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/png_images.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

std::string Repeat(const std::string& line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\n";
  return s;
}

struct Golden {
  const char* name;
  std::string script;
  size_t frame;  // counting from 1, in the order the sim wrote them
};

TEST(GoldenFrames, MatchTheKeptPngsExactly) {
  const fs::path kept = fs::path(QUORVEL_SOURCE_DIR) / "tests/platform/golden";
  const fs::path work = fs::temp_directory_path() / ("quorvel-golden-" + std::to_string(getpid()));
  const Golden goldens[] = {
      {"course1-start", "", 1},
      {"course2-start", "tick enter\nkey right\nkey down\nkey down\nkey left\nkey enter\ntick\n",
       2},
      // Countdown, hard left off the start straight; the fall's 17th step.
      {"crash-fall", Repeat("tick", 38) + Repeat("tick left up", 40), 78},
  };
  for (const Golden& g : goldens) {
    fs::remove_all(work);
    fs::create_directories(work / "frames");
    std::ofstream(work / "script") << g.script;
    const std::string command = std::string(QUORVEL_SIM_PATH) + " --frames " +
                                (work / "frames").string() + " < " + (work / "script").string() +
                                " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<fs::path> frames;
    for (const auto& entry : fs::directory_iterator(work / "frames")) frames.push_back(entry);
    std::sort(frames.begin(), frames.end());
    ASSERT_GE(frames.size(), g.frame) << g.name;
    const fs::path want = kept / (std::string(g.name) + ".png");
    if (std::getenv("QUORVEL_UPDATE_GOLDEN") != nullptr) {
      fs::copy_file(frames[g.frame - 1], want, fs::copy_options::overwrite_existing);
    }
    const testing::PngInfo got = testing::ReadPng(frames[g.frame - 1].string());
    const testing::PngInfo kept_png = testing::ReadPng(want.string());
    ASSERT_TRUE(got.ok && kept_png.ok) << g.name;
    ASSERT_EQ(got.w * got.h, kept_png.w * kept_png.h) << g.name;
    int differing = 0;
    for (size_t i = 0; i < got.rgb.size(); i += 3) {
      differing += !std::equal(&got.rgb[i], &got.rgb[i] + 3, &kept_png.rgb[i]);
    }
    EXPECT_EQ(differing, 0) << g.name << ": pixels differing from " << want;
  }
  fs::remove_all(work);
}

}  // namespace
}  // namespace quorvel
