#include "race/start_up.h"

#include <cstdint>

#include "course/course_builders.h"
#include "race/race_constants.h"
#include "race/reset_race.h"
#include "render/draw_scene.h"

namespace quorvel {

void Form1_Load(Game& g, Platform& platform) {
  RaceState& s = g.s;
  s.CourseChoice = 0;
  s.CarChoice = 3;
  s.QuitRequested = false;
  platform.JoyProbe();  // nothing depends on its result
  s.JoyButtonLatch = false;
  s.CarType = 0;
  const int32_t road_width = 30;  // world units
  BuildCourse1(s, road_width);
  ResetRace(s, g.form1.labels);
  DrawScene(s, g.form1.labels, platform, kEyeHeight);
}

}  // namespace quorvel
