// Keyboard codes and the first joystick as the game sees them, the joystick
// through SDL's virtual joystick driver (no device needed); the config folder.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "base/own_files.h"
#include "platform/platform.h"
#include "platform/sdl/first_joystick.h"
#include "platform/sdl/key_codes.h"

namespace quorvel {
namespace {

TEST(KeyCodes, MapToVirtualKeyCodesAndBack) {
  // Keypad and function keys carry SDL's scancode bit: no letter, no digit.
  const std::pair<SDL_Keycode, int> table[] = {
      {SDLK_ESCAPE, 27}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_LEFT, 37},  {SDLK_UP, 38},
      {SDLK_RIGHT, 39},  {SDLK_DOWN, 40},   {SDLK_a, 65},        {SDLK_z, 90},     {SDLK_0, 48},
      {SDLK_9, 57},      {SDLK_KP_8, 0},    {SDLK_F1, 0},        {SDLK_LSHIFT, 0}, {SDLK_SPACE, 0}};
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

TEST(ConfigDir, XdgConfigHomeWhenAbsoluteElseHomeDotConfig) {
  const char* cases[][3] = {{"/x", "/h", "/x/quorvel"},
                            {"x", "/h", "/h/.config/quorvel"},
                            {nullptr, "/h", "/h/.config/quorvel"},
                            {nullptr, "rel/h", ""},
                            {"", "", ""}};
  for (const auto& [xdg, home, want] : cases) {
    for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", xdg}, {"HOME", home}}) {
      value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    EXPECT_EQ(ConfigDir(), want) << (xdg ? xdg : "(unset)");
  }
}

}  // namespace
}  // namespace quorvel
