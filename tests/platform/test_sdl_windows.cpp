// The SDL windows on SDL's off-screen video driver: what the run loop calls
// when, the timer schedule it keeps, what a present puts on the screen,
// close requests kept across a sleep and a menu visit, and the modal menu's
// key and timer events.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/raster/fonts.h"
#include "platform/raster/window_painter.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_session.h"
#include "support/sdl_images.h"

namespace quorvel {

namespace {

// Whether a window shows `expected`, pixel for pixel (RGB).
::testing::AssertionResult Shows(SDL_Window* window, SDL_Surface* expected) {
  return testing::SameRgb(testing::ShownImage(window).get(), expected);
}

void Push(SDL_Window* window, Uint8 window_event, SDL_Keycode key = SDLK_UNKNOWN) {
  SDL_Event event{};
  if (key == SDLK_UNKNOWN) {
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(window);
    event.window.event = window_event;
  } else {
    event.type = SDL_KEYDOWN;
    event.key.windowID = SDL_GetWindowID(window);
    event.key.keysym.sym = key;
  }
  SDL_PushEvent(&event);
}
void PushKey(SDL_Window* window, SDL_Keycode key) {
  Push(window, 0, key);
}

struct Handlers final : GameWindowHandlers {
  std::function<void()> load = [] {};
  std::function<void(int)> tick = [](int) {};
  int ticks = 0;
  void Form_Load() override { load(); }
  void Timer1_Timer(const InputEvent&) override { tick(++ticks); }
};

class SdlWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);  // ctest sets it; by hand too
    std::string error;
    platform_ = SdlPlatform::Open({}, error);
    ASSERT_NE(platform_, nullptr) << error;
    fonts_ = std::make_unique<FontCache>(FindGameFont(error));
  }
  void TearDown() override {
    fonts_.reset();
    platform_.reset();
  }
  bool Shown(SDL_Window* w) { return (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0; }

  std::unique_ptr<SdlPlatform> platform_;
  std::unique_ptr<FontCache> fonts_;
};

TEST_F(SdlWindows, LoadsHiddenThenShowsTheFirstFrameWithItsLabels) {
  SDL_Window* window = testing::GameWindow();
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 339);
  EXPECT_EQ(h, 339);
  EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE, 0u);

  Form1Labels labels{"123", "-4", "ゴール", "1周目", true};
  Handlers handlers;
  bool shown_at_load = true;
  handlers.load = [&] {
    shown_at_load = Shown(window);
    platform_->Picture1().SetBackColor(0x0000FF);  // red
    platform_->SetLabels(labels);
    platform_->Picture1().Refresh();
  };
  SDL_Surface* expected = SDL_CreateRGBSurfaceWithFormat(0, 339, 339, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormat(0, 337, 337, 32, SDL_PIXELFORMAT_ARGB8888);
  handlers.tick = [&](int) {
    EXPECT_TRUE(Shown(window));
    SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 255, 0, 0));
    PaintForm1(expected, picture, labels, {}, *fonts_);
    EXPECT_TRUE(Shows(testing::GameWindow(), expected)) << "the first frame";
    // Something other than the bare picture: the white speed box at (264, 288).
    const Uint32 box = static_cast<Uint32*>(expected->pixels)[290 * expected->pitch / 4 + 266];
    EXPECT_EQ(box & 0xFFFFFF, 0xFFFFFFu);

    labels.Label3Visible = false;
    platform_->SetLabels(labels);
    platform_->Picture1().Refresh();
    PaintForm1(expected, picture, labels, {}, *fonts_);
    EXPECT_TRUE(Shows(testing::GameWindow(), expected)) << "a refresh with new labels";

    // The program's notes show at once, over a picture that stands.
    const Form1Notes notes{"タイム 52.16秒（新記録）", "ベストラップ 17.04秒", "+0.56"};
    platform_->SetNotes(notes);
    PaintForm1(expected, picture, labels, notes, *fonts_);
    EXPECT_TRUE(Shows(testing::GameWindow(), expected)) << "the result and the gap";
    platform_->UnloadGameWindow();
  };
  EXPECT_EQ(platform_->Run(handlers), 0);
  EXPECT_FALSE(shown_at_load);
  EXPECT_EQ(handlers.ticks, 1) << "unloading ends the run loop after the current tick";
  SDL_FreeSurface(expected);
  SDL_FreeSurface(picture);
}

// A menu window that records its events and closes on Esc.
struct RecordingMenu final : MenuWindow {
  std::function<void()> on_load = [] {};
  std::function<void(int)> on_timer = [](int) {};
  std::vector<int> keys;
  int timer_events = 0;
  MenuFrames frames;
  void Form_Load() override { on_load(); }
  void Form_KeyDown(int16_t keycode) override {
    keys.push_back(keycode);
    frames.CursorLeft += 1440;  // so that a repaint shows each key
  }
  void Timer1_Timer(const std::optional<JoyReading>&) override { on_timer(++timer_events); }
  bool Closed() const override { return !keys.empty() && keys.back() == 27; }
  MenuFrames Frames() const override { return frames; }
};

// Either window's close button ends the game at once: a crash's sleep and a
// menu visit included, without waiting for them to end.
TEST_F(SdlWindows, CloseEndsASleepOrAMenuVisitAtOnce) {
  for (const bool in_menu : {false, true}) {
    SCOPED_TRACE(in_menu ? "menu" : "sleep");
    RecordingMenu menu;
    menu.on_load = [&] { Push(testing::MenuWindow(), SDL_WINDOWEVENT_CLOSE); };
    Handlers handlers;
    std::chrono::steady_clock::duration took{};
    handlers.tick = [&](int) {
      const auto start = std::chrono::steady_clock::now();
      if (in_menu) {
        platform_->ShowMenuModal(menu);
      } else {
        Push(testing::GameWindow(), SDL_WINDOWEVENT_CLOSE);
        platform_->Sleep(3000);
      }
      took = std::chrono::steady_clock::now() - start;
    };
    EXPECT_EQ(platform_->Run(handlers), 0);
    EXPECT_EQ(handlers.ticks, 1);
    EXPECT_LT(took, std::chrono::milliseconds(500));
    EXPECT_EQ(menu.timer_events, 0);
    TearDown();
    SetUp();
  }
}

TEST_F(SdlWindows, TheGamesLineAboutTheRaceFollowsTheCaptionInTheTitle) {
  Handlers handlers;
  std::vector<std::string> titles;
  handlers.tick = [&](int n) {
    platform_->SetStatusText(n == 1 ? "ゴール 52.16秒（新記録）" : "");
    titles.push_back(SDL_GetWindowTitle(testing::GameWindow()));
    if (n == 2) platform_->UnloadGameWindow();
  };
  EXPECT_EQ(platform_->Run(handlers), 0);
  EXPECT_EQ(titles, (std::vector<std::string>{"Quorvel — ゴール 52.16秒（新記録）", "Quorvel"}));
}

TEST_F(SdlWindows, ModalMenuGetsKeysAndTimer) {
  SDL_Window* game = testing::GameWindow();
  RecordingMenu menu;
  SDL_Rect at{};
  bool hidden_at_load = false, borderless = false;
  menu.on_load = [&] {
    SDL_Window* w = testing::MenuWindow();
    ASSERT_NE(w, nullptr);
    SDL_GetWindowSize(w, &at.w, &at.h);
    SDL_GetWindowPosition(w, &at.x, &at.y);
    hidden_at_load = !Shown(w);
    borderless = (SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS) != 0;
    PushKey(w, SDLK_LEFT);
    PushKey(w, SDLK_b);
    PushKey(w, SDLK_LSHIFT);       // no virtual-key code: dropped
    PushKey(game, SDLK_KP_ENTER);  // typed while the owner window had the focus
  };
  SDL_Surface* expected = SDL_CreateRGBSurfaceWithFormat(0, 313, 162, 32, SDL_PIXELFORMAT_ARGB8888);
  menu.on_timer = [&](int n) {
    if (n == 1) {
      PaintForm2(expected, menu.Frames(), *fonts_);
      EXPECT_TRUE(Shows(testing::MenuWindow(), expected)) << "repainted after the keys";
    } else {
      PushKey(testing::MenuWindow(), SDLK_ESCAPE);
      PushKey(testing::MenuWindow(), SDLK_RIGHT);  // after the close: not the menu's
    }
  };
  Handlers handlers;
  handlers.tick = [&](int n) {
    if (n > 1) {
      platform_->UnloadGameWindow();
      return;
    }
    platform_->SetTimer1Enabled(false);
    platform_->ShowMenuModal(menu);
    platform_->SetTimer1Enabled(true);
    EXPECT_FALSE(Shown(testing::MenuWindow())) << "hidden after the visit";
  };
  EXPECT_EQ(platform_->Run(handlers), 0);

  EXPECT_EQ(handlers.ticks, 2);
  EXPECT_TRUE(hidden_at_load) << "Form_Load runs before the menu is shown";
  EXPECT_TRUE(borderless);
  int game_x = 0, game_y = 0;
  SDL_GetWindowPosition(game, &game_x, &game_y);
  EXPECT_EQ(at.w, 313);
  EXPECT_EQ(at.h, 162);
  EXPECT_EQ(at.x, game_x + (339 - 313) / 2);
  EXPECT_EQ(at.y, game_y + (339 - 162) / 2);
  EXPECT_EQ(menu.keys, (std::vector<int>{37, 66, 13, 27}));
  EXPECT_EQ(menu.timer_events, 2);
  SDL_FreeSurface(expected);
}

TEST(SdlSessionOpen, FailsWithOneLineWhenThereIsNoDisplay) {
  // SDL would otherwise settle on an invisible off-screen window.
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
    if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    unsetenv(name);
  }
  std::string error;
  auto session = SdlSession::Open(error);
  for (const auto& [name, value] : saved) setenv(name.c_str(), value.c_str(), 1);
  EXPECT_EQ(session, nullptr);
  EXPECT_NE(error.find("display"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

}  // namespace

namespace {

constexpr int64_t kPeriod = 80'000;  // us
constexpr int64_t kWakeLate = 700;   // us: the event wait wakes in whole ms

// Runs the event loop's rule until `end_us`; the n-th handler takes
// `handler_us(n)`. Returns the times the events started.
template <typename HandlerTime>
std::vector<int64_t> FireUntil(PeriodicSchedule& schedule, int64_t now, int64_t end_us,
                               HandlerTime handler_us) {
  std::vector<int64_t> fired;
  while (now < end_us && schedule.deadline()) {
    if (schedule.Due(now)) {
      fired.push_back(now);
      schedule.BeginRun();
      now += handler_us(fired.size() - 1);
      schedule.EndRun(now);
    } else {
      now = std::max(now, *schedule.deadline()) + kWakeLate;
    }
  }
  return fired;
}

TEST(PeriodicSchedule, LateWakeUpsDoNotAccumulateOverManyPeriods) {
  PeriodicSchedule schedule(kPeriod);
  schedule.SetEnabled(true, 5'000);
  const auto fired = FireUntil(schedule, 5'000, 5'000 + 10'000 * kPeriod + kWakeLate + 1,
                               [](size_t) { return int64_t{3'000}; });
  ASSERT_EQ(fired.size(), 10'000u);
  for (size_t i = 0; i < fired.size(); ++i) {
    ASSERT_EQ(fired[i], 5'000 + int64_t(i + 1) * kPeriod + kWakeLate) << "event " << i;
  }
}

TEST(PeriodicSchedule, LongHandlerIsFollowedByOneEventAPeriodLaterNotABurst) {
  PeriodicSchedule schedule(kPeriod);
  schedule.SetEnabled(true, 0);
  // The third event runs 3.12 s, as the crash sequence does.
  const auto fired = FireUntil(schedule, 0, 4'000'000, [](size_t n) {
    return n == 2 ? int64_t{3'120'000} : int64_t{1'000};
  });
  ASSERT_GE(fired.size(), 5u);
  EXPECT_EQ(fired[3], fired[2] + 3'120'000 + kPeriod + kWakeLate);
  EXPECT_EQ(fired[4] - fired[3], kPeriod) << "then the normal period again";
}

TEST(PeriodicSchedule, NothingRunsWhileOffAndSwitchingOnRestartsAFullPeriod) {
  PeriodicSchedule schedule(kPeriod);
  EXPECT_FALSE(schedule.Due(1'000'000'000)) << "starts switched off";

  // A tick's menu visit: off, a modal menu for 2 s, on again.
  schedule.SetEnabled(true, 0);
  ASSERT_TRUE(schedule.Due(kPeriod));
  schedule.BeginRun();
  schedule.SetEnabled(false, kPeriod + 100);
  EXPECT_FALSE(schedule.Due(kPeriod + 1'000'000));
  EXPECT_FALSE(schedule.deadline().has_value());
  schedule.SetEnabled(true, kPeriod + 2'000'000);
  schedule.EndRun(kPeriod + 2'000'100);
  EXPECT_EQ(schedule.deadline(), kPeriod + 2'000'000 + kPeriod);
  schedule.SetEnabled(true, kPeriod + 2'050'000);
  EXPECT_EQ(schedule.deadline(), kPeriod + 2'000'000 + kPeriod) << "on while on changes nothing";

  // A handler that only switches it off leaves it off.
  schedule.BeginRun();
  schedule.SetEnabled(false, 0);
  schedule.EndRun(10 * kPeriod);
  EXPECT_FALSE(schedule.deadline().has_value());
}

}  // namespace

}  // namespace quorvel
