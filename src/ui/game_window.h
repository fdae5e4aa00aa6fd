// Run-time state of the game window Form1 that the game changes: the label
// captions it paints over the drawing surface, the goal banner's visibility,
// its timer switch, whether it has been unloaded and what its pictures
// between ticks have shown.
#pragma once

#include <string>

namespace quorvel {

struct Form1Labels {
  std::string Label1 = "120";  // speed; first captions, replaced before the window is seen
  std::string Label2 = "0";    // race time in whole seconds
  std::string Label3;          // goal banner
  std::string Label4 = "120";  // lap
  bool Label3Visible = false;

  friend bool operator==(const Form1Labels&, const Form1Labels&) = default;
};

// What the program shows about the race over the game window's picture,
// beside the race's own labels and never drawn by the race: the result at
// the finish (the race time and the best lap to a hundredth, "（新記録）"
// after each that is a new record) and, while racing a ghost, for some two
// seconds after each gate, the gap to the ghost there ("-1.24", "+0.56").
// An empty text is not shown.
struct Form1Notes {
  std::string RaceTime;
  std::string BestLap;
  std::string Gap;
  friend bool operator==(const Form1Notes&, const Form1Notes&) = default;
};

// The car's pose as a picture between ticks draws it: position in world
// units, heading in radians, steering and throttle lean as reals.
struct PicturePose {
  double x = 0;
  double y = 0;
  double heading = 0;
  double steer = 0;
  double lean = 0;
  friend bool operator==(const PicturePose&, const PicturePose&) = default;
};

// The pictures since the last tick: they run along a straight way in pose
// from `from` (at `from_alpha` of the tick) to `to`, the next tick's pose as
// predicted with the input held. When the input changes, the way restarts
// from the pose shown last, so that no picture takes back at once what the
// ones before it showed. Every tick clears it.
struct BetweenTicks {
  bool started = false;  // a picture between ticks was asked for since the tick
  PicturePose from;
  double from_alpha = 0;
  PicturePose to;
  PicturePose last;  // shown by the last picture (the tick's own while the car stands)
  double last_alpha = 0;
};

struct Form1 {
  Form1Labels labels;
  bool Timer1Enabled = true;  // enabled from the start
  bool Unloaded = false;      // unloading the game window ends the program
  BetweenTicks between;
};

}  // namespace quorvel
