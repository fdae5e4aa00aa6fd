#include "race/reset_race.h"

#include "race/race_constants.h"

namespace quorvel {

void ResetRace(RaceState& s, Form1Labels& labels) {
  s.Pos[0] = static_cast<float>(s.StartGate.RespawnX);
  s.Pos[1] = static_cast<float>(s.StartGate.RespawnY);
  s.Heading = s.StartGate.RespawnHeading;
  s.LastGate = 0;
  s.Speed = 0;
  s.Ticks = kResetTicks;
  s.PastStartLine = true;
  s.Lap = 1;
  labels.Label3.clear();
  labels.Label3Visible = false;
  s.Steer = 0;
  s.CameraLag = 0;
}

}  // namespace quorvel
