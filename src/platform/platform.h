// The whole outside world as the game logic sees it: one drawing surface, the
// labels of the game window, the game timer, the modal menu window,
// unloading the game window and a blocking sleep. Input arrives as
// InputEvent values handed to the game's handlers; where they come from is
// an InputSource, and the taps of an InputTaps list see each on its way.
// Platform has two implementations: SDL2 windows (src/platform/sdl) and a
// headless twin (src/platform/headless) that quorvel-sim, the ghost and the
// tests drive. Everything here is called on the one window thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/game_window.h"

namespace quorvel {

// Windows colour value: red + 256 * green + 65536 * blue.
using Colour = int32_t;

// Integer picture point in pixels, as handed to the polygon call.
struct PolyPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const PolyPoint&, const PolyPoint&) = default;
};

// Virtual-key codes the game uses.
constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr int kVkLeft = 37;
constexpr int kVkUp = 38;
constexpr int kVkRight = 39;
constexpr int kVkDown = 40;

// One successful joystick poll: axes 0..65535 with 32768 the only neutral
// value, button bits (1 = button 1, 2 = button 2).
constexpr uint32_t kStickNeutral = 32768;  // the only neutral axis value
constexpr uint32_t kJoyButton1 = 1;
constexpr uint32_t kJoyButton2 = 2;

struct JoyReading {
  uint32_t dwXpos = 32768;
  uint32_t dwYpos = 32768;
  uint32_t dwButtons = 0;
  friend bool operator==(const JoyReading&, const JoyReading&) = default;
};

// The keys a tick reads, one bit each.
enum TickKey : uint8_t {
  kTickLeft = 1,
  kTickRight = 2,
  kTickUp = 4,
  kTickDown = 8,
  kTickEnter = 16,
};

// One piece of input, exactly as a script line or a recording holds it: a
// tick of the game window's timer with the keys held then and the joystick
// reading, a key-down or a timer poll of the open menu window, or the game
// window's close button. The platform produces these and the game consumes
// them as values; it never asks the devices itself.
struct InputEvent {
  enum Kind : uint8_t { kTick, kKey, kPoll, kClose };
  Kind kind = kTick;
  uint8_t keys = 0;               // kTick: TickKey bits held
  std::optional<JoyReading> joy;  // kTick, kPoll: nullopt = the poll failed (no joystick)
  int16_t key = 0;                // kKey: virtual-key code

  static InputEvent Of(Kind kind) {
    InputEvent e;
    e.kind = kind;
    return e;
  }
  static InputEvent Key(int16_t vk) {
    InputEvent e = Of(kKey);
    e.key = vk;
    return e;
  }
  friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

// Where the game's input comes from: the keyboard and the joystick, or a
// recording played back. The platform asks it whenever the game needs input
// and tells it what the window saw; nothing else reads the devices.
class InputSource {
 public:
  virtual ~InputSource() = default;
  // The game window's timer (menu closed) or the menu's timer (menu open)
  // is due: the event the game takes now (a tick, a poll, or what a
  // recording holds at that point: also a key or a close). Nothing once
  // the source has run out: no more ticks, and an open menu is left as Esc
  // would leave it.
  virtual std::optional<InputEvent> Due(bool menu_open) = 0;
  // A key went down in one of the windows (a kKey of its virtual-key code),
  // or the player closed the game (kClose): what the game takes of it.
  virtual std::optional<InputEvent> Seen(const InputEvent& live, bool menu_open) = 0;
  // The input a picture between ticks is predicted with: what the devices
  // hold now, or the next tick's of a recording; nothing keeps the tick's
  // own picture.
  virtual std::optional<InputEvent> Held() = 0;
};

// Watches the game's input on its way in, without changing it: a recorder,
// the records and their ghost, the sound.
class InputTap {
 public:
  virtual ~InputTap() = default;
  // Every event the game takes, just before it takes it. A close comes only
  // between ticks, so that the race has finished the tick it was in.
  virtual void Before(const InputEvent& e, bool menu_open) = 0;
  // The game sleeps `ms` milliseconds inside the event it is carrying out
  // (a crash's fall and black pause).
  virtual void Sleeping(int /*ms*/) {}
  // The game has carried out the event: a key or poll of the open menu
  // (the menu still loaded, even when it has just closed), or a tick, up to
  // the menu's load when the tick opened the menu.
  virtual void After() {}
  // Once the game window has loaded, and after each tick with the menu
  // visit it made.
  virtual void AfterTick() {}
};

// The taps an event passes, in order. A platform calls Before and Sleeping,
// After once the menu has loaded and after each menu event, and AfterTick at
// the end of each tick; After comes once per event, also for a tick that
// opened no menu.
class InputTaps {
 public:
  void Add(InputTap& tap) { taps_.push_back(&tap); }
  void Before(const InputEvent& e, bool menu_open) {
    after_due_ = true;
    for (InputTap* tap : taps_) tap->Before(e, menu_open);
  }
  void Sleeping(int ms) const {
    for (InputTap* tap : taps_) tap->Sleeping(ms);
  }
  void After() {
    if (!after_due_) return;
    after_due_ = false;
    for (InputTap* tap : taps_) tap->After();
  }
  void AfterTick() {
    After();
    for (InputTap* tap : taps_) tap->AfterTick();
  }

 private:
  std::vector<InputTap*> taps_;
  bool after_due_ = false;
};

// The game window's drawing surface Picture1: pixel units, a persistent
// off-screen image that reaches the screen only on Refresh.
class Surface {
 public:
  virtual ~Surface() = default;
  // Inner size in pixels.
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;
  // Rectangle from (x, y), w by h pixels, filled and outlined in `colour`.
  virtual void FillRect(float x, float y, float w, float h, Colour colour) = 0;
  // Fill colour used by later polygons and circles.
  virtual void SetFillColor(Colour colour) = 0;
  // Pen colour: the one-pixel outline of later polygons.
  virtual void SetPenColor(Colour colour) = 0;
  // Circle at centre (x, y) with radius r pixels, filled with the fill
  // colour and outlined in `outline`.
  virtual void Circle(float x, float y, float r, Colour outline) = 0;
  // The outline of that circle alone, one pixel wide in `outline`: what is
  // inside stays as it was. Leaves the fill colour alone.
  virtual void CircleOutline(float x, float y, float r, Colour outline) = 0;
  // Triangle filled with the fill colour and outlined with the pen colour;
  // the outline's pixels belong to the shape.
  virtual void Polygon(const PolyPoint points[3]) = 0;
  // Background colour: clears the whole image to `colour`.
  virtual void SetBackColor(Colour colour) = 0;
  // Shows the off-screen image, with the labels over it, at once.
  virtual void Refresh() = 0;
};

// Frame positions of the menu window in twips, for painting it.
struct MenuFrames {
  float CursorLeft = 180, CursorTop = 180;          // Shape4
  float CourseMarkLeft = 240, CourseMarkTop = 240;  // Shape2
  float CarMarkLeft = 960, CarMarkTop = 720;        // Shape3
};

// The menu window Form2 as the platform drives it during a modal show:
// its load, key-down and timer handlers and what it needs painted.
class MenuWindow {
 public:
  virtual ~MenuWindow() = default;
  virtual void Form_Load() = 0;
  // One key-down event, auto-repeats included; `keycode` is a virtual-key code.
  virtual void Form_KeyDown(int16_t keycode) = 0;
  // The menu's 100 ms timer, with that period's joystick poll.
  virtual void Timer1_Timer(const std::optional<JoyReading>& joy) = 0;
  // True once the window has unloaded itself; the modal show then returns.
  virtual bool Closed() const = 0;
  virtual MenuFrames Frames() const = 0;
};

// The game window Form1's own handlers, as a platform's run loop calls them.
class GameWindowHandlers {
 public:
  virtual ~GameWindowHandlers() = default;
  // Once, before the window is first shown.
  virtual void Form_Load() = 0;
  // Every 80 ms while Timer1 is on, with the input read for that tick;
  // never overlapping another tick.
  virtual void Timer1_Timer(const InputEvent& tick) = 0;
  // Between two ticks, at the display's pace: a picture `alpha` (0..1) of
  // the way to the next tick, with the keys and stick held now, drawn on
  // `picture`, a surface of Picture1's size beside it (Picture1 keeps the
  // tick's own). Nothing by default: the picture stays the tick's.
  virtual void Form_PaintBetweenTicks(double /*alpha*/, const InputEvent& /*held*/,
                                      Surface& /*picture*/) {}
};

class Platform {
 public:
  virtual ~Platform() = default;
  virtual Surface& Picture1() = 0;
  // Captions and goal banner visibility of the game window, painted over
  // the surface image from the next repaint on.
  virtual void SetLabels(const Form1Labels& labels) = 0;
  // Start-up probe: captures the first joystick and releases it at once.
  // Returns whether the capture succeeded; nothing depends on it.
  virtual bool JoyProbe() = 0;
  // Switches the game window's 80 ms timer off or on.
  virtual void SetTimer1Enabled(bool enabled) = 0;
  // Loads the menu window, shows it modally and returns once it has closed.
  virtual void ShowMenuModal(MenuWindow& menu) = 0;
  // Unloads the game window, which ends the program.
  virtual void UnloadGameWindow() = 0;
  // Blocks the game for `ms` milliseconds.
  virtual void Sleep(int ms) = 0;
  // A line about the race for the player, shown outside the race view (the
  // game window's title); empty shows none. Nothing by default.
  virtual void SetStatusText(const std::string& /*text*/) {}
  // What the program shows about the race over the game window's picture,
  // from the next repaint on (the result, the gap to the ghost); never part
  // of the race's own drawing. Nothing by default.
  virtual void SetNotes(const Form1Notes& /*notes*/) {}
};

}  // namespace quorvel
