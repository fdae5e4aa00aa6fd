// The keyboard and the first joystick as the game reads them: SDL's keys and
// the game's virtual-key codes, the window's own keys, the first joystick
// or pad on SDL's virtual joysticks, the player's pad mappings, and pads
// swapped mid-race and mid-menu in the real game loop.

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_platform.h"
#include "race/game_window_handlers.h"
#include "support/scratch.h"

namespace quorvel {

namespace {

TEST(KeyCodes, MapToVirtualKeyCodesAndBack) {
  // Keypad and function keys carry SDL's scancode bit: no letter, no digit.
  // W, A, S, D and the keypad's arrows are the arrow keys.
  const std::pair<SDL_Keycode, int> table[] = {
      {SDLK_ESCAPE, 27}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_LEFT, 37}, {SDLK_UP, 38},
      {SDLK_RIGHT, 39},  {SDLK_DOWN, 40},   {SDLK_a, 37},        {SDLK_w, 38},    {SDLK_d, 39},
      {SDLK_s, 40},      {SDLK_KP_4, 37},   {SDLK_KP_8, 38},     {SDLK_KP_6, 39}, {SDLK_KP_2, 40},
      {SDLK_b, 66},      {SDLK_z, 90},      {SDLK_0, 48},        {SDLK_9, 57},    {SDLK_KP_5, 0},
      {SDLK_F1, 0},      {SDLK_LSHIFT, 0},  {SDLK_SPACE, 0}};
  for (const auto& [key, vk] : table) {
    EXPECT_EQ(VkFromSdlKey(key), vk) << SDL_GetKeyName(key);
    if (vk == 0) continue;
    const auto held = SdlKeysForVk(vk);
    EXPECT_NE(std::find(held.begin(), held.end(), key), held.end())
        << SDL_GetKeyName(key) << " does not count as vk " << vk << " held";
  }
}

// SDL's game-controller layer, with one virtual joystick of two axes and two
// buttons that SDL maps as the left stick and the south and east buttons.
class VirtualJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    // Virtual device state reaches SDL as events, dropped while no window
    // has focus unless this is set.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
  }
  void TearDown() override {
    if (device_ >= 0) Unplug();
    SDL_Quit();
  }
  void PlugIn() {
    device_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 2, 0);
    ASSERT_GE(device_, 0) << SDL_GetError();
    handle_ = SDL_JoystickOpen(device_);
    ASSERT_NE(handle_, nullptr) << SDL_GetError();
  }
  void Unplug() {
    if (handle_ != nullptr) SDL_JoystickClose(handle_);
    handle_ = nullptr;
    SDL_JoystickDetachVirtual(device_);
    device_ = -1;
  }
  // Sets the device, polls, and checks the reading.
  void Expect(int16_t x, int16_t y, bool b1, bool b2, uint32_t want_x, uint32_t want_y,
              uint32_t want_buttons) {
    SDL_JoystickSetVirtualAxis(handle_, 0, x);
    SDL_JoystickSetVirtualAxis(handle_, 1, y);
    SDL_JoystickSetVirtualButton(handle_, 0, b1 ? SDL_PRESSED : SDL_RELEASED);
    SDL_JoystickSetVirtualButton(handle_, 1, b2 ? SDL_PRESSED : SDL_RELEASED);
    JoyReading r{0xDEAD, 0xDEAD, 0xDEAD};
    ASSERT_TRUE(joystick_.Poll(r)) << "poll failed";
    EXPECT_EQ(r.dwXpos, want_x) << "X from " << x;
    EXPECT_EQ(r.dwYpos, want_y) << "Y from " << y;
    EXPECT_EQ(r.dwButtons, want_buttons) << "buttons " << b1 << b2;
  }
  bool PollFails() {
    JoyReading r;
    return !joystick_.Poll(r);
  }

  int device_ = -1;
  SDL_Joystick* handle_ = nullptr;  // the test's own, for setting values
  FirstJoystick joystick_;
};

TEST_F(VirtualJoystick, AxesKeepOnlyExactCentreNeutralAndButtonsAreBits1And2) {
  PlugIn();
  Expect(0, 0, false, false, 32768, 32768, 0);
  Expect(-32768, 32767, true, false, 0, 65535, 1);
  Expect(32767, -32768, false, true, 65535, 0, 2);
  Expect(-1, 1, true, true, 32767, 32769, 3);
}

TEST_F(VirtualJoystick, NoneUnpluggedAndPluggedInLater) {
  EXPECT_TRUE(PollFails()) << "no joystick";
  EXPECT_FALSE(joystick_.Probe());
  PlugIn();
  Expect(-32768, 0, true, false, 0, 32768, 1);
  Unplug();
  EXPECT_TRUE(PollFails()) << "unplugged";
  EXPECT_TRUE(PollFails()) << "and stays so";
  PlugIn();
  Expect(32767, 0, false, true, 65535, 32768, 2);
}

TEST_F(VirtualJoystick, ProbeLeavesNothingOpenAndPollsStillWork) {
  PlugIn();
  const SDL_JoystickID id = SDL_JoystickInstanceID(handle_);
  SDL_JoystickClose(handle_);
  handle_ = nullptr;
  EXPECT_TRUE(joystick_.Probe());
  EXPECT_EQ(SDL_JoystickFromInstanceID(id), nullptr) << "the probe left the device open";
  EXPECT_FALSE(PollFails());
  EXPECT_TRUE(joystick_.Probe());
  EXPECT_NE(SDL_JoystickFromInstanceID(id), nullptr) << "the probe closed the poller's handle";
  EXPECT_FALSE(PollFails());
}

}  // namespace

namespace {

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
      {SDLK_p, 0, false, false, WindowKey::kPause},
      {SDLK_PAUSE, 0, true, false, WindowKey::kPause},
      {SDLK_p, 0, false, true, WindowKey::kNone},  // the menu's key
      {SDLK_p, KMOD_LCTRL, false, false, WindowKey::kNone},
      {SDLK_m, 0, false, true, WindowKey::kToggleSound},
      {SDLK_m, KMOD_LSHIFT, true, false, WindowKey::kToggleSound},
      {SDLK_m, KMOD_LCTRL, false, false, WindowKey::kNone},
  };
  for (const Case& c : cases) {
    const char32_t typed = c.typed != 0 ? c.typed : UnshiftedChar(c.key);
    EXPECT_EQ(WindowKeyFor(c.key, c.mod, typed, c.fullscreen, c.menu_open), c.want)
        << SDL_GetKeyName(c.key) << " mod " << c.mod;
  }
}

}  // namespace

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
           Mapping(4, "platform:Linux,  ") + "\n" + Mapping(5, std::string("a:b0,\0b:b1,", 12)),
       "ignoring 2 lines of <F> that are not controller mappings (first: line 5)",
       {1, 3, 4},
       {2, 5}},
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

namespace {

// Two axes, buttons 0..3 and one hat; returns the device index.
int AttachPad(const char* name) {
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.naxes = 2;
  desc.nbuttons = 4;
  desc.nhats = 1;
  desc.name = name;
  return SDL_JoystickAttachVirtualEx(&desc);
}

// One poll: the pad plugged first (nullptr keeps it, "" pulls it), its hat, X and
// buttons; the reading ({-1}: none); menu cursor (-1: racing) and steering found.
using Step = std::tuple<const char*, Uint8, int16_t, int, std::vector<int64_t>, int, int16_t>;

// Sets the pads up for each step before the game's poll, and checks what
// the poll read as the game receives it; unloads after the last step.
class PadScript final : public GameWindowHandlers, public InputTap {
 public:
  PadScript(SdlPlatform& sdl, std::vector<Step> steps) : sdl_(sdl), steps_(std::move(steps)) {
    SetUp();
  }
  void Form_Load() override {
    form1_.Form_Load();
    game_.s.Ticks = 0;  // no countdown
  }
  void Timer1_Timer(const InputEvent& tick) override { form1_.Timer1_Timer(tick); }
  void Before(const InputEvent& live, bool) override {
    if (live.kind != InputEvent::kTick && live.kind != InputEvent::kPoll) return;
    if (next_ == steps_.size()) {
      sdl_.UnloadGameWindow();
      return;
    }
    SCOPED_TRACE(next_);
    const auto& [plug, hat, x, buttons, reading, item, steer] = steps_[next_++];
    EXPECT_EQ(game_.form2 ? game_.form2->CurrentItem : -1, item);
    EXPECT_EQ(game_.s.Steer, steer);
    const auto got =
        live.joy ? std::vector<int64_t>{live.joy->dwXpos, live.joy->dwYpos, live.joy->dwButtons}
                 : std::vector<int64_t>{-1};
    EXPECT_EQ(got, reading);
    SetUp();
  }
  size_t next_ = 0;

 private:
  // The pads as the next step has them.
  void SetUp() {
    if (next_ == steps_.size()) return;
    const auto& [plug, hat, x, buttons, reading, item, steer] = steps_[next_];
    if (plug != nullptr && pad_ != nullptr) SDL_JoystickClose(pad_);
    if (plug != nullptr && pad_ != nullptr) SDL_JoystickDetachVirtual(0);
    if (plug != nullptr) pad_ = *plug ? SDL_JoystickOpen(AttachPad(plug)) : nullptr;
    SDL_JoystickSetVirtualHat(pad_, 0, hat);
    SDL_JoystickSetVirtualAxis(pad_, 0, x);
    for (int i = 0; i < 4; ++i) SDL_JoystickSetVirtualButton(pad_, i, (buttons >> i) & 1);
  }

  SdlPlatform& sdl_;
  std::vector<Step> steps_;
  SDL_Joystick* pad_ = nullptr;  // the script's own handle, for setting its state
  Game game_;
  Form1Handlers form1_{game_, sdl_};
};

TEST(SdlPadGame, KnownAndUnknownPadsComeAndGoMidRaceAndMidMenu) {
  // "Test pad" is known only from the settings folder's mapping file, by GUID
  // with the checksum cleared as mapping lists have it; line 2 is bad.
  ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  char guid[33] = {};
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(AttachPad("Test pad")), guid, sizeof guid);
  SDL_Quit();
  std::fill(guid + 4, guid + 8, '0');
  const testing::ScratchDir scratch("pad-game");
  const std::string home = scratch.path().string();
  std::filesystem::create_directories(home + "/quorvel");
  const std::string file = home + "/quorvel/gamecontrollerdb.txt";
  std::ofstream(file) << "# mine\nnot a mapping\n"
                      << guid << ",Test pad,a:b2,b:b3,leftx:a0,lefty:a1,dpup:h0.1,dpright:h0.2,"
                      << "dpdown:h0.4,dpleft:h0.8,platform:Linux\nzz,platform:Windows\n";
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  std::string error;
  ::testing::internal::CaptureStderr();
  auto sdl = SdlPlatform::Open({}, error);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "quorvel: warning: ignoring 1 line of '" + file +
                "' that is not a controller mapping (line 2)\n");
  ASSERT_NE(sdl, nullptr) << error;

  const int south = 4, east = 8;
  PadScript script(*sdl, {{nullptr, 0, 0, 0, {-1}, -1, 0},
                          {"Test pad", SDL_HAT_LEFT, 32767, 0, {0, 32768, 0}, -1, 0},  // D-pad wins
                          {"", 0, 0, 0, {-1}, -1, -1},
                          {"Odd pad", SDL_HAT_LEFT, 32767, south, {65535, 32768, 0}, -1, 0},  // raw
                          {"Test pad", 0, 0, south, {32768, 32768, 1}, -1, 1},  // opens the menu
                          {nullptr, SDL_HAT_DOWN, 0, south, {32768, 65535, 1}, 0, 1},
                          {"", 0, 0, 0, {-1}, 3, 1},
                          {"Test pad", 0, 0, 0, {32768, 32768, 0}, 3, 1},
                          {nullptr, SDL_HAT_DOWN, 0, east, {32768, 65535, 2}, 3, 1},  // cancels
                          {nullptr, SDL_HAT_RIGHT, -32768, 0, {65535, 32768, 0}, -1, 1},
                          {"", 0, 0, 0, {-1}, -1, 2}});
  InputTaps taps;
  taps.Add(script);
  EXPECT_EQ(sdl->Run(script, &taps), 0);
  EXPECT_EQ(script.next_, 11u);
}

}  // namespace

}  // namespace quorvel
