// Run-time state of the game window Form1 that the game changes: the label
// captions it paints over the drawing surface, the goal banner's visibility,
// its timer switch and whether it has been unloaded.
#pragma once

#include <string>

namespace quorvel {

struct Form1Labels {
  std::string Label1 = "120";  // speed; design captions, replaced before the window is seen
  std::string Label2 = "0";    // race time in whole seconds
  std::string Label3;          // goal banner
  std::string Label4 = "120";  // lap
  bool Label3Visible = false;

  friend bool operator==(const Form1Labels&, const Form1Labels&) = default;
};

struct Form1 {
  Form1Labels labels;
  bool Timer1Enabled = true;  // enabled from design time
  bool Unloaded = false;      // unloading the game window ends the program
};

}  // namespace quorvel
