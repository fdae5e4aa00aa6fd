// The game itself on the SDL platform (off-screen driver) with SDL's virtual
// pads plugged in, pulled out and swapped mid-race and mid-menu: the known
// pad's hat and face buttons drive it like any common pad, an unknown pad is
// read raw, and the player's mapping file is what makes the pad known.

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "race/game.h"
#include "race/game_window_handlers.h"

namespace quorvel {
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

// One joystick poll of the game: the pad plugged in first (nullptr keeps the
// one there, "" pulls it out), its state, the reading the game gets, and the
// menu cursor (-1 while racing) and steering as this poll finds them.
struct Step {
  const char* plug;
  Uint8 hat;
  int16_t x;
  int buttons;  // bit i = button i
  bool read;
  JoyReading want;
  int item;
  int16_t steer;
};

// Every call goes to the SDL platform; a joystick poll runs the next step
// first, and after the last one the game window is unloaded.
class PadScript final : public Platform, public GameWindowHandlers {
 public:
  PadScript(SdlPlatform& sdl, std::vector<Step> steps) : sdl_(sdl), steps_(std::move(steps)) {}
  ~PadScript() override { Plug(""); }
  // The race runs from the first tick, without the countdown.
  void Form_Load() override { form1_.Form_Load(), game_.s.Ticks = 0; }
  void Timer1_Timer() override { form1_.Timer1_Timer(); }
  Surface& Picture1() override { return sdl_.Picture1(); }
  void SetLabels(const Form1Labels& labels) override { sdl_.SetLabels(labels); }
  bool KeyHeld(int vk) override { return sdl_.KeyHeld(vk); }
  bool JoyProbe() override { return sdl_.JoyProbe(); }
  void SetTimer1Enabled(bool on) override { sdl_.SetTimer1Enabled(on); }
  void ShowMenuModal(MenuWindow& menu) override { sdl_.ShowMenuModal(menu); }
  void UnloadGameWindow() override { sdl_.UnloadGameWindow(); }
  void Sleep(int ms) override { sdl_.Sleep(ms); }
  bool JoyGetPos(JoyReading& out) override {
    if (next_ == steps_.size()) sdl_.UnloadGameWindow();
    if (next_ == steps_.size()) return false;
    const Step& step = steps_[next_++];
    EXPECT_EQ(game_.form2 ? game_.form2->CurrentItem : -1, step.item) << "step " << next_ - 1;
    EXPECT_EQ(game_.s.Steer, step.steer) << "step " << next_ - 1;
    if (step.plug != nullptr) Plug(step.plug);
    if (pad_ != nullptr) {
      SDL_JoystickSetVirtualHat(pad_, 0, step.hat);
      SDL_JoystickSetVirtualAxis(pad_, 0, step.x);
      for (int i = 0; i < 4; ++i) SDL_JoystickSetVirtualButton(pad_, i, (step.buttons >> i) & 1);
    }
    const bool read = sdl_.JoyGetPos(out);
    EXPECT_EQ(read, step.read) << "step " << next_ - 1;
    if (read && step.read) {
      EXPECT_EQ(std::vector<uint32_t>({out.dwXpos, out.dwYpos, out.dwButtons}),
                std::vector<uint32_t>({step.want.dwXpos, step.want.dwYpos, step.want.dwButtons}))
          << "step " << next_ - 1;
    }
    return read;
  }
  size_t steps_run() const { return next_; }

 private:
  void Plug(const char* name) {
    if (pad_ != nullptr) SDL_JoystickClose(pad_), SDL_JoystickDetachVirtual(0);
    pad_ = name[0] != '\0' ? SDL_JoystickOpen(AttachPad(name)) : nullptr;
  }
  SdlPlatform& sdl_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  SDL_Joystick* pad_ = nullptr;  // the script's own handle, for setting its state
  Game game_;
  Form1Handlers form1_{game_, *this};
};

TEST(SdlPadGame, KnownAndUnknownPadsComeAndGoMidRaceAndMidMenu) {
  // SDL knows "Test pad" only from the mapping file in the settings folder:
  // south = button 2, east = button 3, D-pad = the hat. Its GUID is SDL's,
  // taken with the checksum field cleared, as mapping lists carry it.
  ASSERT_EQ(SDL_Init(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
  char guid[33] = {};
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(AttachPad("Test pad")), guid, sizeof guid);
  SDL_Quit();
  std::fill(guid + 4, guid + 8, '0');
  const std::string home = ::testing::TempDir() + "pad_game_" + std::to_string(getpid());
  std::filesystem::create_directories(home + "/quorvel");
  std::ofstream(home + "/quorvel/gamecontrollerdb.txt")
      << guid << ",Test pad,a:b2,b:b3,leftx:a0,lefty:a1,dpup:h0.1,dpright:h0.2,dpdown:h0.4,"
      << "dpleft:h0.8,platform:Linux\n";
  setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  std::string error;
  auto sdl = SdlPlatform::Open(error);
  ASSERT_NE(sdl, nullptr) << error;

  const int south = 4, east = 8;
  PadScript script(
      *sdl, {
                {nullptr, SDL_HAT_CENTERED, 0, 0, false, {}, -1, 0},  // no pad
                // D-pad left beats the stick held right.
                {"Test pad", SDL_HAT_LEFT, 32767, 0, true, {0, 32768, 0}, -1, 0},
                {"", 0, 0, 0, false, {}, -1, -1},
                // Unknown: the stick and buttons 0 and 1 only.
                {"Odd pad", SDL_HAT_LEFT, 32767, south, true, {65535, 32768, 0}, -1, 0},
                {"Test pad", SDL_HAT_CENTERED, 0, south, true, {32768, 32768, 1}, -1, 1},  // menu
                {nullptr, SDL_HAT_DOWN, 0, south, true, {32768, 65535, 1}, 0, 1},
                {"", 0, 0, 0, false, {}, 3, 1},
                // Still down for the menu's latch, so no second move until released.
                {"Test pad", SDL_HAT_DOWN, 0, 0, true, {32768, 65535, 0}, 3, 1},
                {nullptr, SDL_HAT_CENTERED, 0, 0, true, {32768, 32768, 0}, 3, 1},
                {nullptr, SDL_HAT_DOWN, 0, 0, true, {32768, 65535, 0}, 3, 1},
                {nullptr, SDL_HAT_CENTERED, 0, east, true, {32768, 32768, 2}, 7, 1},  // cancel
                {nullptr, SDL_HAT_RIGHT, 0, east, true, {65535, 32768, 2}, -1, 1},
                {"", 0, 0, 0, false, {}, -1, 2},
            });
  EXPECT_EQ(sdl->Run(script), 0);
  EXPECT_EQ(script.steps_run(), 13u);
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace quorvel
