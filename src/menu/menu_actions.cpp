#include "menu/menu_actions.h"

#include <cstdint>

#include "course/course_builders.h"
#include "race/reset_race.h"

namespace quorvel {

namespace {
constexpr int32_t kRoadWidth = 30;  // world units, course 1
}

void CloseMenu(Game& g) {
  if (g.form2) g.form2->Closed = true;
}

void ConfirmChoice(Game& g) {
  if (!g.form2 || g.form2->Closed) return;
  MenuState& m = *g.form2;
  switch (m.CurrentItem) {
    case kItemStart:
      // A start always rebuilds, so unchanged choices restart the race.
      if (m.PendingCourse == kItemCourse2) {
        BuildCourse2(g.s);
      } else {
        BuildCourse1(g.s, kRoadWidth);
      }
      g.s.CarType = m.PendingCar == kItemAdvancedCar ? 1 : 0;
      g.s.CourseChoice = m.PendingCourse;
      g.s.CarChoice = m.PendingCar;
      ResetRace(g.s, g.form1.labels);
      CloseMenu(g);
      break;
    case kItemCancel:
      CloseMenu(g);
      break;
    case kItemQuit:
      g.s.QuitRequested = true;
      CloseMenu(g);
      break;
    default:  // choosing happens by moving the cursor
      break;
  }
}

}  // namespace quorvel
