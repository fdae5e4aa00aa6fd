// The menu window Form2's private state, set afresh at every load.
#pragma once

#include <cstdint>

namespace quorvel {

// Menu items are the label array Label2(0..7), named by index.
enum MenuItem : int32_t {
  kItemCourse1 = 0,
  kItemCourse2 = 1,
  kItemCourse3 = 2,  // switched off: never under the cursor, never chosen
  kItemBeginnerCar = 3,
  kItemAdvancedCar = 4,
  kItemQuit = 5,
  kItemStart = 6,
  kItemCancel = 7,
};

struct MenuState {
  int32_t CurrentItem = 0;    // item under the cursor, never 2
  int32_t PendingCourse = 0;  // 0 or 1
  int32_t PendingCar = 3;     // 3 or 4
  bool JoyUpLatch = false;
  bool JoyDownLatch = false;
  bool JoyLeftLatch = false;
  bool JoyRightLatch = false;
  // Frame positions in twips, as single-precision values (half twips kept).
  float Shape4Left = 180, Shape4Top = 180;  // cursor frame
  float Shape2Left = 240, Shape2Top = 240;  // course mark
  float Shape3Left = 960, Shape3Top = 720;  // car mark
  bool Closed = false;                      // the window has unloaded itself
};

}  // namespace quorvel
