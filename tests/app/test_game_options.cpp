// The game's command line: what is accepted, what is refused with one line.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/game_options.h"

namespace quorvel {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Each accepted line with what it gives: scale (0 for none), fullscreen,
// record and replay paths, help and version, as one summary string.
TEST(GameOptions, AcceptedAndRefusedCommandLines) {
  const std::pair<const char*, const char*> accepted[] = {
      {"", "0 0 [] [] 0 0"},
      {"--scale 3", "3 0 [] [] 0 0"},
      {"--scale=16 --fullscreen", "16 1 [] [] 0 0"},
      {"--record race.txt", "0 0 [race.txt] [] 0 0"},
      {"--replay=-", "0 0 [] [-] 0 0"},
      {"-h --version", "0 0 [] [] 1 1"},
  };
  for (const auto& [line, want] : accepted) {
    GameOptions o;
    std::string error;
    ASSERT_TRUE(ParseGameOptions(Words(line), o, error)) << line << ": " << error;
    std::ostringstream got;
    got << o.scale.value_or(0) << ' ' << o.fullscreen << " [" << o.record_path << "] ["
        << o.replay_path << "] " << o.help << ' ' << o.version;
    EXPECT_EQ(got.str(), want) << line;
  }
  const char* refused[] = {"--scale",
                           "--scale 0",
                           "--scale 17",
                           "--scale 2x",
                           "--scale=",
                           "--fullscreen=1",
                           "--record",
                           "--record=",
                           "--bogus",
                           "race.txt",
                           "--record a --replay b",
                           "--scale 99999999999999999999"};
  for (const char* line : refused) {
    GameOptions o;
    std::string error;
    EXPECT_FALSE(ParseGameOptions(Words(line), o, error)) << line;
    EXPECT_FALSE(error.empty() || error.find('\n') != std::string::npos || error.size() > 200)
        << line << ": " << error;
  }
}

}  // namespace
}  // namespace quorvel
