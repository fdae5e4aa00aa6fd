// The game on real windows: opens the display and the game window, then runs
// the game window's handlers until it is unloaded or closed.

#include <cstdio>
#include <string>
#include <vector>

#include "app/game_options.h"
#include "platform/sdl/sdl_platform.h"
#include "race/game.h"
#include "race/game_window_handlers.h"

namespace {

class Form1Adapter final : public quorvel::GameWindowHandlers {
 public:
  explicit Form1Adapter(quorvel::Form1Handlers& form1) : form1_(form1) {}
  void Form_Load() override { form1_.Form_Load(); }
  void Timer1_Timer() override { form1_.Timer1_Timer(); }

 private:
  quorvel::Form1Handlers& form1_;
};

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// SDL's X11 driver opens a D-Bus connection (screensaver, input methods) and
// the D-Bus library keeps one buffer past SDL_Quit; not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libdbus-1.so\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  quorvel::GameOptions options;
  std::string error;
  // A bad command line is reported before any window opens.
  if (!quorvel::ParseGameOptions(args, options, error)) {
    std::fprintf(stderr, "quorvel: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(quorvel::GameUsage().c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (options.version) {
    std::printf("%s\n", quorvel::GameVersionLine().c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  auto platform = quorvel::SdlPlatform::Open(error);
  if (platform == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  quorvel::Game game;
  quorvel::Form1Handlers form1(game, *platform);
  Form1Adapter handlers(form1);
  return platform->Run(handlers);
}
