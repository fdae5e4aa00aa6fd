// The settings file's text, its atomic write and read-back, and which keys
// size the window instead of playing.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/sdl/window_keys.h"
#include "platform/sdl/window_settings.h"

namespace quorvel {
namespace {

TEST(WindowSettings, WholeWellFormedFilesOnly) {
  const WindowSettings kOld{7, true};
  std::string why;
  const std::pair<const char*, WindowSettings> accepted[] = {
      {"scale = 2\nfullscreen = yes\n", {2, true}},
      {"  fullscreen=no \n\nscale = auto\n", {std::nullopt, false}},
      {"scale = 16\n", {16, false}},
      {"scale = 3\r\nfullscreen = yes\r\n", {3, true}}};
  for (const auto& [text, want] : accepted) {
    WindowSettings out = kOld;
    EXPECT_TRUE(ParseWindowSettings(text, out, why)) << text;
    EXPECT_EQ(out, want) << text;
  }
  // Cut short, cut to nothing, out of range, malformed, repeated, unknown.
  for (const char* text :
       {"scale = 2\nfullscreen = ye", "", "scale = 17\n", "scale = 0\n", "scale = 2x\n",
        "scale = 2\nscale = 3\n", "fullscreen = true\n", "volume = 3\n", "scale 2\n"}) {
    WindowSettings out = kOld;
    EXPECT_FALSE(ParseWindowSettings(text, out, why)) << text;
    EXPECT_EQ(out, kOld) << text;
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
  EXPECT_TRUE(!warning.empty() && warning.find('\n') == std::string::npos) << warning;
  warning.clear();
  std::remove(path.c_str());
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);  // read without a writer: would wait forever
  EXPECT_EQ(LoadWindowSettings(path, warning), WindowSettings{});
  EXPECT_NE(warning, "");
  std::filesystem::remove_all(dir);
}

TEST(WindowKeys, SizeKeysAreTheWindowsAndEscOnlyInFullscreenOutsideTheMenu) {
  constexpr Uint16 kCtrlShift = KMOD_LCTRL | KMOD_LSHIFT;
  struct Case {
    SDL_Keycode key;
    Uint16 mod;
    bool fullscreen, menu_open;
    WindowKey want;
    char32_t typed = 0;  // what the layout gives for the key; 0: the key's own character
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
      // Japanese layout: "+" is Shift+";".
      {SDLK_SEMICOLON, kCtrlShift, false, false, WindowKey::kScaleUp, U'+'},
      {SDLK_SEMICOLON, KMOD_LCTRL, false, false, WindowKey::kNone, U';'},
      // French layout: "-" on the 6 key, "+" Shift+"=", the 0 key gives "à".
      {SDLK_6, KMOD_LCTRL, false, false, WindowKey::kScaleDown, U'-'},
      {SDLK_6, kCtrlShift, false, false, WindowKey::kNone, U'6'},
      {SDLK_EQUALS, kCtrlShift, false, false, WindowKey::kScaleUp, U'+'},
      {SDLK_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto, U'à'},
      {SDLK_KP_0, KMOD_LCTRL, false, false, WindowKey::kScaleAuto},
      {SDLK_KP_MINUS, KMOD_LCTRL, false, false, WindowKey::kScaleDown},
  };
  for (const Case& c : cases) {
    const char32_t typed = c.typed != 0 ? c.typed : UnshiftedChar(c.key);
    EXPECT_EQ(WindowKeyFor(c.key, c.mod, typed, c.fullscreen, c.menu_open), c.want)
        << SDL_GetKeyName(c.key) << " mod " << c.mod;
  }
}

}  // namespace
}  // namespace quorvel
