// Makes the recordings kept in tests/recordings: real sessions played on the
// headless platform through the game's own recorder, driven by the tests'
// autopilot. Run it only to add a recording; the kept ones are never
// remade, since a recording that no longer replays is a change in the game.
//
//   record_sessions DIR [NAME...]
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/input_recorder.h"
#include "platform/headless/headless_platform.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"
#include "support/autopilot.h"

namespace quorvel {
namespace {

struct Session {
  HeadlessPlatform screen;
  Game g;
  InputRecorder* recorder = nullptr;
  std::vector<InputEvent> menu_steps;  // the next menu visit's keys and polls

  void Tick(InputEvent e) {
    const std::optional<InputEvent> taken = recorder->Take(e, false);
    if (taken) Timer1_Timer(g, screen, *taken);
  }
  void Race(float cruise, bool joystick, int max_ticks) {
    testing::Autopilot pilot(cruise);
    for (int i = 0; i < max_ticks && g.s.Lap < 4 && !g.form1.Unloaded; ++i) {
      const uint8_t keys = pilot.Keys(g.s);
      InputEvent e;
      if (joystick) {
        JoyReading r;
        if (keys & kTickLeft) r.dwXpos = 0;
        if (keys & kTickRight) r.dwXpos = 65535;
        if (keys & kTickUp) r.dwYpos = 0;
        if (keys & kTickDown) r.dwYpos = 65535;
        e.joy = r;
      } else {
        e.keys = keys;
      }
      Tick(e);
    }
  }
  void Menu(std::vector<InputEvent> steps, bool by_joystick = false) {
    menu_steps = std::move(steps);
    InputEvent e;
    if (by_joystick) {
      e.joy = JoyReading{kStickNeutral, kStickNeutral, kJoyButton1};
    } else {
      e.keys = kTickEnter;
    }
    Tick(e);
  }
  void Ticks(int n, uint8_t keys) {
    for (int i = 0; i < n; ++i) {
      InputEvent e;
      e.keys = keys;
      Tick(e);
    }
  }
};

InputEvent Poll(std::optional<JoyReading> joy = std::nullopt) {
  InputEvent e = InputEvent::Of(InputEvent::kPoll);
  e.joy = joy;
  return e;
}

const std::vector<std::pair<std::string, std::function<void(Session&)>>> kSessions = {
    {"course1-race", [](Session& s) { s.Race(2.0f, false, 16000); }},
    {"course2-race",
     [](Session& s) {
       s.Menu({Poll(), InputEvent::Key(kVkRight), InputEvent::Key(kVkDown), Poll(),
               InputEvent::Key(kVkRight), InputEvent::Key(kVkDown), InputEvent::Key(kVkLeft),
               InputEvent::Key(kVkReturn)});
       s.Race(1.0f, false, 16000);
     }},
    {"menu-visit",
     [](Session& s) {
       s.Ticks(200, kTickUp);
       s.Menu({Poll(), InputEvent::Key(kVkDown), Poll(), InputEvent::Key(kVkUp), Poll(),
               InputEvent::Key(65), InputEvent::Key(kVkEscape)});
       s.Race(2.0f, false, 400);
     }},
    {"crash", [](Session& s) { s.Ticks(400, kTickUp | kTickLeft); }},
    {"joystick-race",
     [](Session& s) {
       s.Tick(InputEvent{.joy = JoyReading{}});
       s.Race(2.0f, true, 16000);
     }},
    {"old-format", [](Session& s) { s.Race(2.0f, false, 700); }},
};

bool Record(const std::string& dir, const std::string& name,
            const std::function<void(Session&)>& play) {
  const std::string path = dir + "/" + name + ".rec";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  Session s;
  InputRecorder recorder(fd, s.g.s, "quorvel test recording: " + name);
  s.recorder = &recorder;
  s.screen.SetMenuSource([&s]() -> std::optional<InputEvent> {
    InputEvent e = Poll();
    if (!s.menu_steps.empty()) {
      e = s.menu_steps.front();
      s.menu_steps.erase(s.menu_steps.begin());
    }
    return s.recorder->Take(e, true);
  });
  Form1_Load(s.g, s.screen);
  play(s);
  if (!s.g.form1.Unloaded) recorder.Take(InputEvent::Of(InputEvent::kClose), false);
  const bool ok = recorder.Finish(s.g.form1.Unloaded);
  std::printf("%s: Lap %d, Ticks %d\n", name.c_str(), s.g.s.Lap, s.g.s.Ticks);
  return ::close(fd) == 0 && ok;
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: record_sessions DIR [NAME...]\n");
    return 2;
  }
  const std::set<std::string> names(argv + 2, argv + argc);
  for (const auto& [name, play] : quorvel::kSessions) {
    if (!names.empty() && names.count(name) == 0) continue;
    if (!quorvel::Record(argv[1], name, play)) {
      std::fprintf(stderr, "record_sessions: cannot record %s\n", name.c_str());
      return 1;
    }
  }
  return 0;
}
