// The game's command line: what is accepted, what is refused with one line.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.h"

namespace quorvel {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Each command line with what it gives: scale (0 for none), fullscreen,
// record and replay paths, help and version (quorvel-sim's, after "SIM":
// its frames, records and ghost paths); "" where it is refused with one
// short line, "!text" where that line must hold `text`.
TEST(GameOptions, AcceptedAndRefusedCommandLines) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "0 0 [] [] 0 0"},
      {"--scale 3", "3 0 [] [] 0 0"},
      {"--scale=16 --fullscreen", "16 1 [] [] 0 0"},
      {"--record race.txt", "0 0 [race.txt] [] 0 0"},
      {"--replay=-", "0 0 [] [-] 0 0"},
      {"-h --version", "0 0 [] [] 1 1"},
      {"--scale", ""},
      {"--scale 0", ""},
      {"--scale 17", ""},
      {"--scale 2x", ""},
      {"--motion fast", "!--motion takes smooth or original"},
      {"--scale=", ""},
      {"--fullscreen=1", ""},
      {"--record", ""},
      {"--record=", ""},
      {"--bogus",
       "![--scale N] [--fullscreen] [--motion smooth|original] [--[no-]ghost] [--[no-]sound] "
       "[--record FILE | --replay FILE] [--records] [--help] [--version]"},
      {"--no-ghost=1", "!--no-ghost takes no value"},
      {"--no-sound --sound", "0 0 [] [] 0 0"},
      {"--sound=yes", "!--sound takes no value"},
      {"race.txt", ""},
      {"--fullscreen race.txt", "!'race.txt'"},
      {"-x", "!'-x'"},
      {"--record a --replay b", ""},
      {"--scale 99999999999999999999", ""},
      {"--help=1", "!--help takes no value"},
      // A value that is the next option: the player left the value out.
      {"--record --scale 2", "!not the option '--scale'"},
      {"--scale --fullscreen", "!not the option"},
      {"--record=--scale", "0 0 [--scale] [] 0 0"},
      {"--replay - --full", "!not the option '-'"},
      {"--replay=- --full", "0 1 [] [-] 0 0"},
      {"--record=-x", "0 0 [-x] [] 0 0"},
      {"--scale -3", "!not the option '-3'"},
      {"--scale=-3", "!not '-3'"},
      {"SIM --frames -5", "!--frames takes a directory, not the option '-5'"},
      {"SIM --frames -///", "!not the option '-///'"},
      {"SIM --records -5", "!--records takes a directory, not the option '-5'"},
      {"SIM --frames=-5 --records ./-5", "[-5] [./-5] []"},
      {"SIM --audio", "!--audio takes a file name"},
      {"SIM --audio -o.wav", "!not the option '-o.wav'"},
  };
  for (const auto& [line, want] : cases) {
    GameOptions o;
    SimOptions sim;
    std::string error;
    std::ostringstream got;
    const bool is_sim = std::string_view(line).starts_with("SIM");
    if (is_sim && ParseSimOptions(Words(line + 3), sim, error)) {
      got << '[' << sim.frames_dir << "] [" << sim.records_dir << "] [" << sim.ghost_path << ']';
    } else if (!is_sim && ParseGameOptions(Words(line), o, error)) {
      got << o.scale.value_or(0) << ' ' << o.fullscreen << " [" << o.record_path << "] ["
          << o.replay_path << "] " << o.help << ' ' << o.version;
    } else if (error.empty() || error.find('\n') != std::string::npos || error.size() > 200) {
      got << "refused without one short line: " << error;
    } else if (want[0] == '!') {
      got << '!' << (error.find(want + 1) != std::string::npos ? want + 1 : error);
    }
    EXPECT_EQ(got.str(), want) << line;
  }
}

}  // namespace
}  // namespace quorvel
