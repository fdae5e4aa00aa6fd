// The game's command line: what is accepted, what is refused with one line.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/game_options.h"

namespace quorvel {
namespace {

TEST(GameOptions, AcceptedCommandLines) {
  struct Case {
    std::vector<std::string> args;
    int scale;  // 0: none given
    bool fullscreen;
    std::string record, replay;
    bool help, version;
  };
  const Case cases[] = {
      {{}, 0, false, "", "", false, false},
      {{"--scale", "3"}, 3, false, "", "", false, false},
      {{"--scale=16", "--fullscreen"}, 16, true, "", "", false, false},
      {{"--record", "race.txt"}, 0, false, "race.txt", "", false, false},
      {{"--replay=-"}, 0, false, "", "-", false, false},
      {{"--help"}, 0, false, "", "", true, false},
      {{"-h", "--version"}, 0, false, "", "", true, true},
  };
  for (const Case& c : cases) {
    GameOptions o;
    std::string error;
    ASSERT_TRUE(ParseGameOptions(c.args, o, error)) << error;
    EXPECT_EQ(o.scale.value_or(0), c.scale);
    EXPECT_EQ(o.fullscreen, c.fullscreen);
    EXPECT_EQ(o.record_path, c.record);
    EXPECT_EQ(o.replay_path, c.replay);
    EXPECT_EQ(o.help, c.help);
    EXPECT_EQ(o.version, c.version);
  }
}

TEST(GameOptions, RefusedCommandLinesGiveOneLine) {
  const std::vector<std::vector<std::string>> cases = {
      {"--scale"},
      {"--scale", "0"},
      {"--scale", "17"},
      {"--scale", "2x"},
      {"--scale", "-1"},
      {"--scale="},
      {"--fullscreen=1"},
      {"--record"},
      {"--record="},
      {"--bogus"},
      {"race.txt"},
      {"--record", "a", "--replay", "b"},
      {std::string(5000, 'x')},
  };
  for (const auto& args : cases) {
    GameOptions o;
    std::string error;
    EXPECT_FALSE(ParseGameOptions(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
    EXPECT_LT(error.size(), 200u);
  }
  EXPECT_NE(GameUsage().find("--scale N"), std::string::npos);
  EXPECT_EQ(GameVersionLine().rfind("quorvel ", 0), 0u);
}

}  // namespace
}  // namespace quorvel
