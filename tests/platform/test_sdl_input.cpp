// Keyboard codes and the first joystick as the game sees them, the joystick
// through SDL's virtual joystick driver (no device needed).

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/platform.h"
#include "platform/sdl/first_joystick.h"
#include "platform/sdl/key_codes.h"

namespace quorvel {
namespace {

TEST(KeyCodes, GameAndMenuKeysMapToTheirVirtualKeyCodes) {
  EXPECT_EQ(VkFromSdlKey(SDLK_ESCAPE), 27);
  EXPECT_EQ(VkFromSdlKey(SDLK_RETURN), 13);
  EXPECT_EQ(VkFromSdlKey(SDLK_KP_ENTER), 13);
  EXPECT_EQ(VkFromSdlKey(SDLK_LEFT), 37);
  EXPECT_EQ(VkFromSdlKey(SDLK_UP), 38);
  EXPECT_EQ(VkFromSdlKey(SDLK_RIGHT), 39);
  EXPECT_EQ(VkFromSdlKey(SDLK_DOWN), 40);
  EXPECT_EQ(VkFromSdlKey(SDLK_a), 65);
  EXPECT_EQ(VkFromSdlKey(SDLK_z), 90);
  EXPECT_EQ(VkFromSdlKey(SDLK_0), 48);
  EXPECT_EQ(VkFromSdlKey(SDLK_9), 57);
}

TEST(KeyCodes, KeysWithoutACodeAreDropped) {
  // SDL's keypad and function keys carry a scancode bit: they must not
  // land in the letter or digit ranges.
  for (SDL_Keycode key : {SDLK_LSHIFT, SDLK_SPACE, SDLK_KP_8, SDLK_F1, SDLK_TAB, SDLK_UNKNOWN}) {
    EXPECT_EQ(VkFromSdlKey(key), 0) << SDL_GetKeyName(key);
  }
}

TEST(KeyCodes, EveryMappedKeyIsHeldThroughItsOwnCode) {
  for (int vk = 0; vk < 256; ++vk) {
    for (SDL_Keycode key : SdlKeysForVk(vk)) {
      EXPECT_EQ(VkFromSdlKey(key), vk) << "vk " << vk << " key " << SDL_GetKeyName(key);
    }
  }
  EXPECT_EQ(SdlKeysForVk(13).size(), 2u) << "Enter and keypad Enter";
  EXPECT_TRUE(SdlKeysForVk(0).empty());
  EXPECT_TRUE(SdlKeysForVk(255).empty());
}

TEST(JoystickMapping, AxesKeepOnlyExactCentreNeutral) {
  EXPECT_EQ(AxisToJoyPos(0), 32768u);
  EXPECT_EQ(AxisToJoyPos(-1), 32767u);
  EXPECT_EQ(AxisToJoyPos(1), 32769u);
  EXPECT_EQ(AxisToJoyPos(-32768), 0u);
  EXPECT_EQ(AxisToJoyPos(32767), 65535u);
  EXPECT_EQ(ButtonBits(false, false), 0u);
  EXPECT_EQ(ButtonBits(true, false), 1u);
  EXPECT_EQ(ButtonBits(false, true), 2u);
  EXPECT_EQ(ButtonBits(true, true), 3u);
}

// SDL's joystick subsystem alone, with one virtual joystick of two axes and
// two buttons.
class VirtualJoystick : public ::testing::Test {
 protected:
  void SetUp() override {
    // A virtual device's state reaches SDL only as events, which SDL drops
    // while no window has focus unless told otherwise.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
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
  void Set(int16_t x, int16_t y, bool b1, bool b2) {
    SDL_JoystickSetVirtualAxis(handle_, 0, x);
    SDL_JoystickSetVirtualAxis(handle_, 1, y);
    SDL_JoystickSetVirtualButton(handle_, 0, b1 ? SDL_PRESSED : SDL_RELEASED);
    SDL_JoystickSetVirtualButton(handle_, 1, b2 ? SDL_PRESSED : SDL_RELEASED);
  }
  // Polls and returns the reading, failing the test when the poll fails.
  JoyReading PollOk() {
    JoyReading r;
    r.dwXpos = r.dwYpos = r.dwButtons = 0xDEAD;
    EXPECT_TRUE(joystick_.Poll(r)) << "poll failed";
    return r;
  }

  int device_ = -1;
  SDL_Joystick* handle_ = nullptr;  // the test's own handle, for setting values
  FirstJoystick joystick_;
};

void ExpectReading(const JoyReading& r, uint32_t x, uint32_t y, uint32_t buttons) {
  EXPECT_EQ(r.dwXpos, x) << "X axis";
  EXPECT_EQ(r.dwYpos, y) << "Y axis";
  EXPECT_EQ(r.dwButtons, buttons) << "button bits";
}

TEST_F(VirtualJoystick, NoJoystickMeansEveryPollAndProbeFails) {
  JoyReading r;
  EXPECT_FALSE(joystick_.Poll(r));
  EXPECT_FALSE(joystick_.Probe());
  EXPECT_FALSE(joystick_.Poll(r));
}

TEST_F(VirtualJoystick, ReadsNeutralExtremesAndButtons) {
  PlugIn();
  ExpectReading(PollOk(), 32768, 32768, 0);

  Set(-32768, 32767, true, false);
  ExpectReading(PollOk(), 0, 65535, 1);

  Set(32767, -32768, false, true);
  ExpectReading(PollOk(), 65535, 0, 2);

  // One step off centre is already a direction.
  Set(-1, 0, true, true);
  ExpectReading(PollOk(), 32767, 32768, 3);

  Set(0, 0, false, false);
  ExpectReading(PollOk(), 32768, 32768, 0);
}

TEST_F(VirtualJoystick, UnplugFailsPollsAndPlugInLaterWorksAgain) {
  PlugIn();
  Set(-32768, 0, true, false);
  ExpectReading(PollOk(), 0, 32768, 1);

  Unplug();
  JoyReading r;
  EXPECT_FALSE(joystick_.Poll(r));
  EXPECT_FALSE(joystick_.Poll(r)) << "and stays failed";

  PlugIn();
  Set(32767, 0, false, true);
  ExpectReading(PollOk(), 65535, 32768, 2);
}

TEST_F(VirtualJoystick, FollowsDeviceEvents) {
  PlugIn();
  SDL_Event event;
  while (SDL_PollEvent(&event) == 1) joystick_.OnEvent(event);
  ExpectReading(PollOk(), 32768, 32768, 0);

  const SDL_JoystickID id = SDL_JoystickInstanceID(handle_);
  Unplug();
  SDL_Event removed{};
  removed.type = SDL_JOYDEVICEREMOVED;
  removed.jdevice.which = id;
  joystick_.OnEvent(removed);
  JoyReading r;
  EXPECT_FALSE(joystick_.Poll(r));
}

TEST_F(VirtualJoystick, ProbeLeavesNothingOpenAndPollsStillWork) {
  PlugIn();
  const SDL_JoystickID id = SDL_JoystickInstanceID(handle_);
  SDL_JoystickClose(handle_);
  handle_ = nullptr;
  ASSERT_EQ(SDL_JoystickFromInstanceID(id), nullptr);

  EXPECT_TRUE(joystick_.Probe());
  EXPECT_EQ(SDL_JoystickFromInstanceID(id), nullptr) << "the probe left the device open";

  ExpectReading(PollOk(), 32768, 32768, 0);
  EXPECT_TRUE(joystick_.Probe());
  EXPECT_NE(SDL_JoystickFromInstanceID(id), nullptr) << "the probe closed the poller's handle";
  JoyReading r;
  EXPECT_TRUE(joystick_.Poll(r));
  handle_ = SDL_JoystickOpen(device_);
}

}  // namespace
}  // namespace quorvel
