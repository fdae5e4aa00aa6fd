#include "support/autopilot.h"

#include "race/frame_tick.h"

namespace quorvel::testing {

std::string AutopilotScript(Game& g, RecordingPlatform& platform, Autopilot& pilot, int max_ticks) {
  std::string script;
  for (int i = 0; i < max_ticks && g.s.Lap < 4; ++i) {
    InputEvent tick;
    tick.keys = pilot.Keys(g.s);
    script += "tick";
    for (const auto& [bit, name] : {std::pair{kTickLeft, " left"}, std::pair{kTickRight, " right"},
                                    std::pair{kTickUp, " up"}, std::pair{kTickDown, " down"}}) {
      if ((tick.keys & bit) != 0) script += name;
    }
    script += "\n";
    Timer1_Timer(g, platform, tick);
    platform.surface.ops.clear();
  }
  return script;
}

}  // namespace quorvel::testing
