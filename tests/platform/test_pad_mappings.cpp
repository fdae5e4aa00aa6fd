// The player's mapping file: which lines reach SDL, and the warnings for the
// rest, the bound on the work included.

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sdl/sdl_input.h"
#include "support/scratch.h"

namespace quorvel {
namespace {

std::string Guid(int n) {
  char guid[33];
  std::snprintf(guid, sizeof guid, "030000005e040000%08x00000000", static_cast<unsigned>(n));
  return guid;
}

std::string Mapping(int n, const std::string& platform_field) {
  return Guid(n) + ",Pad " + std::to_string(n) + ",a:b0,b:b1,leftx:a0,lefty:a1," + platform_field;
}

bool Known(int n) {
  char* mapping = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(Guid(n).c_str()));
  SDL_free(mapping);
  return mapping != nullptr;
}

TEST(PadMappings, ThisPlatformsLinesReachSdlUpToTheBoundAndTheRestIsWarnedOnce) {
  ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
  const testing::ScratchDir scratch("pads");
  const std::string file = (scratch / "gamecontrollerdb.txt").string();
  std::string many = "# more than the bound\n";
  for (int n = 100; n < 100 + kMaxPadMappings + 1; ++n) many += Mapping(n, "platform:Linux,\n");
  struct Case {
    std::string text;
    std::string warnings;  // joined by "|", the file's name as <F>
    std::vector<int> known, unknown;
  } cases[] = {
      {"# a comment\n" + Mapping(1, "") + "\n" + Mapping(2, "platform:Windows,") + "\n" +
           Mapping(3, "platform:linux") + "\r\nzz,platform:Linux,\n  \n" +
           Mapping(4, "platform:Linux,  "),
       "ignoring 1 line of <F> that is not a controller mapping (line 5)",
       {1, 3, 4},
       {2}},
      {many,
       "ignoring <F> from line " + std::to_string(kMaxPadMappings + 2) + " on: only its first " +
           std::to_string(kMaxPadMappings) + " mappings are read",
       {100, 99 + kMaxPadMappings},
       {100 + kMaxPadMappings}},
  };
  for (const Case& c : cases) {
    std::ofstream(file) << c.text;
    std::string got;
    for (const std::string& w : AddPadMappingsFile(file)) got += (got.empty() ? "" : "|") + w;
    const auto at = got.find("'" + file + "'");
    if (at != std::string::npos) got.replace(at, file.size() + 2, "<F>");
    EXPECT_EQ(got, c.warnings);
    for (int n : c.known) EXPECT_TRUE(Known(n)) << n;
    for (int n : c.unknown) EXPECT_FALSE(Known(n)) << n;
  }
  std::filesystem::remove(file);
  EXPECT_TRUE(AddPadMappingsFile(file).empty()) << "a missing file is no fault";
  SDL_Quit();
}

}  // namespace
}  // namespace quorvel
