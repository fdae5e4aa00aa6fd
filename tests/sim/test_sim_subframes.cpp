// quorvel-sim --subframes: pictures between ticks go to the frame files only;
// the state lines and the draw log stay the ticks'.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "race/start_up.h"
#include "support/autopilot.h"
#include "support/recording_platform.h"
#include "support/scratch.h"
#include "support/sim_run.h"

namespace quorvel {
namespace {

TEST(SimSubframes, StateLinesAndDrawLogStayTheTicksAndFramesSortBetween) {
  Game g;
  testing::RecordingPlatform platform;
  Form1_Load(g, platform);
  testing::Autopilot pilot(2.0f);
  // The countdown, a stretch of race, a crash off the road, a menu visit.
  std::string script = testing::AutopilotScript(g, platform, pilot, 120);
  for (int i = 0; i < 30; ++i) script += "tick up left\n";
  script += "tick enter\nkey escape\ntick up\n";

  const testing::SimOutput plain = testing::RunSimOn(script, {"--draw-log"});
  const testing::SimOutput smooth = testing::RunSimOn(script, {"--draw-log", "--subframes", "4"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(smooth.out, plain.out);
  EXPECT_EQ(smooth.err, "");

  const testing::ScratchDir dir("subframes");
  ASSERT_EQ(testing::RunSimOn(script, {"--frames", dir.path().string(), "--subframes", "3"}).status,
            0);
  int frames = 0, between = 0;
  for (const auto& f : std::filesystem::directory_iterator(dir.path())) {
    (f.path().filename().string().find('s') == 12 ? between : frames) += 1;
  }
  // The draw log's frames, and two pictures after every tick of the race;
  // none in the countdown.
  int logged = 0;
  for (std::size_t at = 0; (at = plain.out.find("{\"frame\": ", at)) != std::string::npos; ++at) {
    ++logged;
  }
  EXPECT_EQ(frames, logged);
  EXPECT_GT(between, 2 * 100);
  EXPECT_TRUE(std::filesystem::exists(dir / "frame-000050s02.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "frame-000010s01.png")) << "countdown";
}

}  // namespace
}  // namespace quorvel
