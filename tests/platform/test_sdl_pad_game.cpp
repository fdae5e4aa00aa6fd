// The SDL game with virtual pads swapped mid-race and mid-menu: a pad from the
// player's mapping file drives by hat and face buttons, an unknown one is raw.

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/sdl/sdl_platform.h"
#include "race/game_window_handlers.h"
#include "support/scratch.h"

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
  EXPECT_EQ(sdl->Run(script, taps), 0);
  EXPECT_EQ(script.next_, 11u);
}

}  // namespace
}  // namespace quorvel
