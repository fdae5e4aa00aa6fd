// The SDL windows on SDL's off-screen video driver: sizes, what a present
// puts on the screen, the run loop's order of events, close requests kept
// across a sleep and a menu visit, and the modal menu's key and timer events.

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/raster/fonts.h"
#include "platform/raster/window_painter.h"
#include "platform/sdl/sdl_platform.h"
#include "platform/sdl/sdl_session.h"

namespace quorvel {
namespace {

constexpr Colour kBlack = 0;

// Compares what a window shows with `expected`, pixel for pixel (RGB).
::testing::AssertionResult SameRgb(SDL_Surface* shown, SDL_Surface* expected) {
  if (shown == nullptr) return ::testing::AssertionFailure() << "no window surface";
  if (shown->w != expected->w || shown->h != expected->h) {
    return ::testing::AssertionFailure() << "size " << shown->w << "x" << shown->h << ", expected "
                                         << expected->w << "x" << expected->h;
  }
  int differing = 0;
  std::string first;
  for (int y = 0; y < shown->h; ++y) {
    for (int x = 0; x < shown->w; ++x) {
      Uint8 r1, g1, b1, r2, g2, b2;
      const auto pixel = [](SDL_Surface* s, int px, int py) {
        return *reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) +
                                                py * s->pitch + px * 4);
      };
      SDL_GetRGB(pixel(shown, x, y), shown->format, &r1, &g1, &b1);
      SDL_GetRGB(pixel(expected, x, y), expected->format, &r2, &g2, &b2);
      if (r1 != r2 || g1 != g2 || b1 != b2) {
        if (differing++ == 0) {
          first = "first at (" + std::to_string(x) + ", " + std::to_string(y) + "): shown (" +
                  std::to_string(r1) + "," + std::to_string(g1) + "," + std::to_string(b1) +
                  "), expected (" + std::to_string(r2) + "," + std::to_string(g2) + "," +
                  std::to_string(b2) + ")";
        }
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ; " << first;
}

SDL_Surface* NewArgb(int w, int h) {
  return SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
}

void PushWindowEvent(SDL_Window* window, Uint8 what) {
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = SDL_GetWindowID(window);
  event.window.event = what;
  SDL_PushEvent(&event);
}

void PushKey(SDL_Window* window, SDL_Keycode key) {
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.windowID = SDL_GetWindowID(window);
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  SDL_PushEvent(&event);
}

// Game window handlers from lambdas.
struct Handlers final : GameWindowHandlers {
  std::function<void()> load = [] {};
  std::function<void(int)> tick = [](int) {};
  int ticks = 0;
  void Form_Load() override { load(); }
  void Timer1_Timer() override { tick(++ticks); }
};

class SdlWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // Under ctest this is already set; run by hand, no real window opens.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    std::string error;
    platform_ = SdlPlatform::Open(error);
    ASSERT_NE(platform_, nullptr) << error;
  }
  void TearDown() override { platform_.reset(); }

  std::unique_ptr<SdlPlatform> platform_;
};

TEST_F(SdlWindows, GameWindowHasItsFixedClientSizeAndStaysHiddenUntilLoaded) {
  SDL_Window* window = platform_->game_window();
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 339);
  EXPECT_EQ(h, 339);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "Quorvel");
  const Uint32 flags = SDL_GetWindowFlags(window);
  EXPECT_EQ(flags & SDL_WINDOW_RESIZABLE, 0u);
  EXPECT_EQ(flags & SDL_WINDOW_SHOWN, 0u);
  EXPECT_EQ(platform_->Picture1().ScaleWidth(), 337.0f);
  EXPECT_EQ(platform_->Picture1().ScaleHeight(), 337.0f);

  Handlers handlers;
  bool shown_at_load = true;
  bool shown_at_tick = false;
  handlers.load = [&] { shown_at_load = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0; };
  handlers.tick = [&](int) {
    shown_at_tick = (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0;
    platform_->UnloadGameWindow();
  };
  EXPECT_EQ(platform_->Run(handlers), 0);
  EXPECT_FALSE(shown_at_load);
  EXPECT_TRUE(shown_at_tick);
  EXPECT_EQ(handlers.ticks, 1) << "unloading ends the run loop after the current tick";
}

TEST_F(SdlWindows, RefreshShowsThePictureWithTheLabelsOverIt) {
  Form1Labels labels;
  labels.Label1 = "123";
  labels.Label2 = "-4";
  labels.Label4 = "1周目";
  labels.Label3 = "ゴール";
  labels.Label3Visible = true;

  Handlers handlers;
  handlers.load = [&] {
    // Drawn before the window is shown: the first frame.
    platform_->Picture1().SetBackColor(kBlack);
    platform_->SetLabels(labels);
    platform_->Picture1().Refresh();
  };
  SDL_Surface* first = nullptr;
  handlers.tick = [&](int n) {
    SDL_Surface* screen = SDL_GetWindowSurface(platform_->game_window());
    if (n == 1) first = SDL_DuplicateSurface(screen);
    if (n == 2) {
      platform_->Picture1().SetBackColor(0xFF0000);  // blue
      labels.Label3Visible = false;
      platform_->SetLabels(labels);
      platform_->Picture1().Refresh();
      platform_->UnloadGameWindow();
    }
  };
  ASSERT_EQ(platform_->Run(handlers), 0);
  ASSERT_NE(first, nullptr);

  std::string error;
  FontCache fonts(FindGameFont(error));
  SDL_Surface* expected = NewArgb(339, 339);
  SDL_Surface* picture = NewArgb(337, 337);
  SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 0, 0, 0));
  labels.Label3Visible = true;
  PaintForm1(expected, picture, labels, fonts);
  EXPECT_TRUE(SameRgb(first, expected)) << "the first frame, shown with the window";
  // Not just the bare picture: the white speed box (Label1 at 264, 288) and
  // the yellow goal banner lie over the black image.
  Uint8 r, g, b;
  SDL_GetRGB(static_cast<Uint32*>(first->pixels)[290 * first->pitch / 4 + 266], first->format, &r,
             &g, &b);
  EXPECT_EQ(r + g + b, 3 * 255) << "speed label box";

  SDL_FillRect(picture, nullptr, SDL_MapRGB(picture->format, 0, 0, 255));
  labels.Label3Visible = false;
  PaintForm1(expected, picture, labels, fonts);
  EXPECT_TRUE(SameRgb(SDL_GetWindowSurface(platform_->game_window()), expected))
      << "a refresh during a tick";

  SDL_FreeSurface(first);
  SDL_FreeSurface(expected);
  SDL_FreeSurface(picture);
}

TEST_F(SdlWindows, TitleBarCloseDuringASleepActsOnceTheTickHasReturned) {
  Handlers handlers;
  bool tick_finished = false;
  std::chrono::steady_clock::duration slept{};
  handlers.tick = [&](int) {
    PushWindowEvent(platform_->game_window(), SDL_WINDOWEVENT_CLOSE);
    const auto start = std::chrono::steady_clock::now();
    platform_->Sleep(120);
    slept = std::chrono::steady_clock::now() - start;
    tick_finished = true;
  };
  EXPECT_EQ(platform_->Run(handlers), 0);
  EXPECT_TRUE(tick_finished);
  EXPECT_EQ(handlers.ticks, 1);
  EXPECT_GE(slept, std::chrono::milliseconds(120)) << "the close did not cut the sleep short";
}

// Pushes a title-bar close of `window` from SDL's timer thread after `ms`.
SDL_TimerID CloseLater(SDL_Window* window, Uint32 ms) {
  static_assert(sizeof(Uint32) <= sizeof(void*));
  return SDL_AddTimer(
      ms,
      [](Uint32, void* id) -> Uint32 {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = static_cast<Uint32>(reinterpret_cast<uintptr_t>(id));
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        SDL_PushEvent(&event);
        return 0;
      },
      reinterpret_cast<void*>(static_cast<uintptr_t>(SDL_GetWindowID(window))));
}

TEST_F(SdlWindows, TimerSwitchedOffDeliversNothingUntilTheWindowCloses) {
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_TIMER), 0) << SDL_GetError();
  Handlers handlers;
  handlers.tick = [&](int) {
    platform_->SetTimer1Enabled(false);
    CloseLater(platform_->game_window(), 400);
  };
  EXPECT_EQ(platform_->Run(handlers), 0);
  EXPECT_EQ(handlers.ticks, 1) << "five periods passed with the timer off";
}

// A menu window that records its events and closes on Esc.
struct RecordingMenu final : MenuWindow {
  std::function<void()> on_load = [] {};
  std::function<void(int)> on_timer = [](int) {};
  std::vector<int> keys;
  int timer_events = 0;
  bool closed = false;
  MenuFrames frames;

  void Form_Load() override { on_load(); }
  void Form_KeyDown(int16_t keycode) override {
    keys.push_back(keycode);
    if (keycode == 27) closed = true;
    // Moves the cursor frame, so a repaint shows the change.
    frames.CursorLeft += 1440;
  }
  void Timer1_Timer() override { on_timer(++timer_events); }
  bool Closed() const override { return closed; }
  MenuFrames Frames() const override { return frames; }
};

TEST_F(SdlWindows, ModalMenuGetsKeysAndTimerAndKeepsTheGameWindowsClose) {
  RecordingMenu menu;
  SDL_Window* game = platform_->game_window();
  int menu_w = 0, menu_h = 0, menu_x = 0, menu_y = 0;
  Uint32 menu_flags = 0;
  bool hidden_at_load = false;
  menu.on_load = [&] {
    SDL_Window* w = platform_->menu_window();
    ASSERT_NE(w, nullptr);
    SDL_GetWindowSize(w, &menu_w, &menu_h);
    SDL_GetWindowPosition(w, &menu_x, &menu_y);
    menu_flags = SDL_GetWindowFlags(w);
    hidden_at_load = (menu_flags & SDL_WINDOW_SHOWN) == 0;
    PushKey(w, SDLK_LEFT);
    PushKey(w, SDLK_a);
    PushKey(w, SDLK_LSHIFT);       // no virtual-key code: dropped
    PushKey(game, SDLK_KP_ENTER);  // typed while the owner window held the focus
    PushWindowEvent(game, SDL_WINDOWEVENT_CLOSE);
  };
  bool painted_as_expected = false;
  std::string paint_message;
  menu.on_timer = [&](int n) {
    if (n == 1) {
      std::string error;
      FontCache fonts(FindGameFont(error));
      SDL_Surface* expected = NewArgb(313, 162);
      PaintForm2(expected, menu.Frames(), fonts);
      const auto same = SameRgb(SDL_GetWindowSurface(platform_->menu_window()), expected);
      painted_as_expected = same;
      paint_message = same.message();
      SDL_FreeSurface(expected);
    }
    if (n == 2) {
      PushKey(platform_->menu_window(), SDLK_ESCAPE);
      PushKey(platform_->menu_window(), SDLK_RIGHT);  // after the close: not the menu's
    }
  };

  Handlers handlers;
  bool menu_gone_after = false;
  handlers.tick = [&](int) {
    platform_->SetTimer1Enabled(false);
    platform_->ShowMenuModal(menu);
    platform_->SetTimer1Enabled(true);
    menu_gone_after = platform_->menu_window() == nullptr;
  };
  EXPECT_EQ(platform_->Run(handlers), 0);

  EXPECT_EQ(handlers.ticks, 1) << "the close kept during the menu ends the game after the tick";
  EXPECT_TRUE(menu_gone_after);
  EXPECT_TRUE(hidden_at_load) << "Form_Load runs before the menu is shown";
  EXPECT_EQ(menu_w, 313);
  EXPECT_EQ(menu_h, 162);
  EXPECT_NE(menu_flags & SDL_WINDOW_BORDERLESS, 0u);
  int game_x = 0, game_y = 0;
  SDL_GetWindowPosition(game, &game_x, &game_y);
  EXPECT_EQ(menu_x, game_x + (339 - 313) / 2);
  EXPECT_EQ(menu_y, game_y + (339 - 162) / 2);
  EXPECT_EQ(menu.keys, (std::vector<int>{37, 65, 13, 27}));
  EXPECT_EQ(menu.timer_events, 2);
  EXPECT_TRUE(painted_as_expected) << paint_message;
}

TEST(SdlSessionOpen, FailsWithOneLineWhenThereIsNoDisplay) {
  // SDL would otherwise settle on an invisible off-screen window.
  const char* names[] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"};
  std::vector<std::pair<std::string, std::string>> saved;
  for (const char* name : names) {
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
}  // namespace quorvel
