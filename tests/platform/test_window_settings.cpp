// The settings file's text, its atomic write and read-back, and which keys
// size the window instead of playing.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sdl/window_keys.h"
#include "platform/sdl/window_settings.h"

namespace quorvel {
namespace {

TEST(WindowSettings, WholeWellFormedFilesOnly) {
  struct Case {
    const char* text;
    bool ok;
    std::optional<int> scale = std::nullopt;
    bool fullscreen = false;
  };
  const Case cases[] = {
      {"scale = 2\nfullscreen = yes\n", true, 2, true},
      {"  fullscreen=no \n\nscale = auto\n", true, std::nullopt, false},
      {"scale = 16\n", true, 16, false},
      {"scale = 3\r\nfullscreen = yes\r\n", true, 3, true},
      {"scale = 2\nfullscreen = ye", false},  // cut short
      {"", false},                            // cut to nothing
      {"scale = 17\n", false},
      {"scale = 0\n", false},
      {"scale = 2x\n", false},
      {"scale = 2\nscale = 3\n", false},
      {"fullscreen = true\n", false},
      {"volume = 3\n", false},
      {"scale 2\n", false},
  };
  for (const Case& c : cases) {
    WindowSettings out{7, true};
    std::string why;
    EXPECT_EQ(ParseWindowSettings(c.text, out, why), c.ok) << c.text;
    const WindowSettings want =
        c.ok ? WindowSettings{c.scale, c.fullscreen} : WindowSettings{7, true};
    EXPECT_EQ(out, want) << c.text;  // untouched when refused
  }
}

TEST(WindowSettings, SavedFileReadsBackAndBadFilesGiveDefaultsWithOneWarning) {
  char dir_template[] = "/tmp/quorvel-settings-XXXXXX";
  const std::string dir = mkdtemp(dir_template);
  const std::string path = dir + "/quorvel/settings";  // folder made on save
  std::string warning, error;
  EXPECT_EQ(LoadWindowSettings(path, warning), WindowSettings{});
  EXPECT_EQ(warning, "") << "a missing file is the first start, not a fault";
  for (const WindowSettings& s : {WindowSettings{3, true}, WindowSettings{std::nullopt, false}}) {
    ASSERT_TRUE(SaveWindowSettings(path, s, error)) << error;
    EXPECT_EQ(LoadWindowSettings(path, warning), s);
    EXPECT_EQ(warning, "");
  }
  const std::filesystem::directory_iterator files(dir + "/quorvel");
  EXPECT_EQ(std::distance(begin(files), end(files)), 1) << "no temporary file left behind";
  std::ofstream(path) << "scale = 2\nfull";
  EXPECT_EQ(LoadWindowSettings(path, warning), WindowSettings{});
  EXPECT_NE(warning, "");
  EXPECT_EQ(warning.find('\n'), std::string::npos);
  warning.clear();
  std::remove(path.c_str());
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);  // read without a writer: would wait forever
  EXPECT_EQ(LoadWindowSettings(path, warning), WindowSettings{});
  EXPECT_NE(warning, "");
  std::system(("rm -rf " + dir).c_str());
}

TEST(WindowKeys, SizeKeysAreTheWindowsAndEscOnlyInFullscreenOutsideTheMenu) {
  constexpr char32_t kAsSdlNamesIt = 0xffffffff;
  constexpr Uint16 kCtrlShift = KMOD_LCTRL | KMOD_LSHIFT;
  struct Case {
    SDL_Keycode key;
    Uint16 mod;
    bool fullscreen, menu_open;
    WindowKey want;
    char32_t typed = kAsSdlNamesIt;  // what the layout gives for the key
  };
  const Case cases[] = {
      {SDLK_F11, 0, false, true, WindowKey::kToggleFullscreen},
      {SDLK_RETURN, KMOD_LALT, false, false, WindowKey::kToggleFullscreen},
      {SDLK_RETURN, 0, true, false, WindowKey::kNone},
      {SDLK_ESCAPE, 0, true, false, WindowKey::kLeaveFullscreen},
      {SDLK_ESCAPE, 0, true, true, WindowKey::kNone},
      {SDLK_ESCAPE, 0, false, false, WindowKey::kNone},
      {SDLK_EQUALS, KMOD_LCTRL, false, false, WindowKey::kScaleUp},
      {SDLK_KP_PLUS, KMOD_RCTRL, false, true, WindowKey::kScaleUp},
      {SDLK_MINUS, KMOD_LCTRL, false, false, WindowKey::kScaleDown},
      {SDLK_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto},
      {SDLK_0, 0, false, false, WindowKey::kNone},
      {SDLK_UP, KMOD_LCTRL, false, false, WindowKey::kNone},
      // Japanese layout: "+" is Shift+";", "=" Shift+"-".
      {SDLK_SEMICOLON, kCtrlShift, false, false, WindowKey::kScaleUp, U'+'},
      {SDLK_SEMICOLON, KMOD_LCTRL, false, false, WindowKey::kNone, U';'},
      {SDLK_MINUS, KMOD_LCTRL, false, false, WindowKey::kScaleDown, U'-'},
      // French layout: "-" on the 6 key, "+" Shift+"=", the 0 key gives "à".
      {SDLK_6, KMOD_LCTRL, false, false, WindowKey::kScaleDown, U'-'},
      {SDLK_6, kCtrlShift, false, false, WindowKey::kNone, U'6'},
      {SDLK_EQUALS, kCtrlShift, false, false, WindowKey::kScaleUp, U'+'},
      {SDLK_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto, U'à'},
      {SDLK_KP_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto, 0},
      {SDLK_KP_MINUS, KMOD_LCTRL, false, false, WindowKey::kScaleDown, 0},
  };
  for (const Case& c : cases) {
    const char32_t typed = c.typed == kAsSdlNamesIt ? UnshiftedChar(c.key) : c.typed;
    EXPECT_EQ(WindowKeyFor(c.key, c.mod, typed, c.fullscreen, c.menu_open), c.want)
        << SDL_GetKeyName(c.key) << " mod " << c.mod;
  }
}

}  // namespace
}  // namespace quorvel
