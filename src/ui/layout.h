// The layout of both windows as data, as they are first shown. Positions and sizes are in
// twips (15 twips = 1 pixel at 96 dpi); colours are (r, g, b). Font sizes are
// points; 0 means the default user-interface font at 9 pt.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace quorvel {

constexpr int kTwipsPerPixel = 15;

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class Align { Left, Right, Centre };

struct LabelLayout {
  const char* name;              // control name, e.g. "Label3" or "Label2(5)"
  int left, top, width, height;  // twips
  bool transparent;              // paints only its text
  Rgb back;                      // ignored when transparent
  Rgb fore;
  Align align;
  float points;         // 0 = default font
  const char* caption;  // the caption as first shown, UTF-8
  bool enabled = true;  // false: drawn greyed, never chosen
};

struct ShapeLayout {
  const char* name;
  int left, top, width, height;  // twips; left/top are where it first stands
  Rgb colour;
  int pen_pixels;
};

struct WindowLayout {
  const char* caption;
  int client_width, client_height;  // twips
  Rgb background;
};

// Game window Form1 and its drawing surface Picture1 at (0, 0).
extern const WindowLayout kForm1;
constexpr int kPicture1Width = 5055;  // twips, no border: inner 337 x 337 px
constexpr int kPicture1Height = 5055;
constexpr int kTimer1PeriodMs = 80;

// The four labels of Form1, by role.
extern const LabelLayout kForm1Label1;  // speed
extern const LabelLayout kForm1Label2;  // race time
extern const LabelLayout kForm1Label3;  // goal banner
extern const LabelLayout kForm1Label4;  // lap
// What the program shows about the race (Form1Notes): the result's two rows
// under the goal banner, in its colours, and the gap to the ghost, a small
// box in the sky between the time and the lap.
extern const LabelLayout kForm1RaceTime;
extern const LabelLayout kForm1BestLap;
extern const LabelLayout kForm1Gap;
// All seven in painting order (bottom first): the race's four, then the
// notes.
std::span<const LabelLayout* const> Form1LabelsInPaintOrder();

// Menu window Form2.
extern const WindowLayout kForm2;
constexpr int kMenuTimerPeriodMs = 100;
// Menu items Label2(0..7), by index.
std::span<const LabelLayout> MenuItems();
// The fixed labels Label4, Label5, Label1, Label3 of Form2.
std::span<const LabelLayout> MenuFixedLabels();
extern const ShapeLayout kShape1;  // frame around the window
extern const ShapeLayout kShape2;  // course mark
extern const ShapeLayout kShape3;  // car mark
extern const ShapeLayout kShape4;  // cursor frame

// One element of Form2's stacking order.
struct MenuLayer {
  enum Kind { kItem, kFixedLabel, kShape } kind;
  int index;  // item index, index into MenuFixedLabels(), or shape number 1..4
};
// Form2's controls from the bottom up (painting order).
std::span<const MenuLayer> MenuPaintOrder();

}  // namespace quorvel
