// A Platform fake for logic tests: its surface records every drawing
// operation in order (in the draw log's terms), and keys, joystick, menu
// and sleep are scripted or totalled. No pixels are drawn.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "race/game.h"
#include "ui/game_window.h"

namespace quorvel::testing {

// One call on the surface. Only the fields of its kind are meaningful; the
// others stay zero so that whole ops compare equal.
struct SurfaceOp {
  enum Kind { kRect, kFill, kPen, kPoly, kCircle, kClear, kRefresh };
  Kind kind = kRefresh;
  std::array<float, 4> args{};  // rect: x, y, w, h; circle: x, y, r (pixels)
  Colour colour = 0;            // rect, fill, pen, circle outline, clear
  std::array<PolyPoint, 3> points{};

  static SurfaceOp Rect(float x, float y, float w, float h, Colour c);
  static SurfaceOp Fill(Colour c);
  static SurfaceOp Pen(Colour c);
  static SurfaceOp Poly(PolyPoint a, PolyPoint b, PolyPoint c);
  static SurfaceOp CircleOp(float x, float y, float r, Colour outline);
  static SurfaceOp Clear(Colour c);
  static SurfaceOp RefreshOp();

  friend bool operator==(const SurfaceOp&, const SurfaceOp&) = default;
};

// The op as a draw-log entry, e.g. ["rect", 0, 0, 361, 181, 16776960];
// floats are printed with enough digits to read back the same single.
std::string Describe(const SurfaceOp& op);
void PrintTo(const SurfaceOp& op, std::ostream* os);

class RecordingSurface final : public Surface {
 public:
  float width = 360;  // pixels
  float height = 360;
  std::vector<SurfaceOp> ops;

  // The ops of one kind, in order.
  std::vector<SurfaceOp> OpsOf(SurfaceOp::Kind kind) const;
  std::size_t Count(SurfaceOp::Kind kind) const;

  float ScaleWidth() const override { return width; }
  float ScaleHeight() const override { return height; }
  void FillRect(float x, float y, float w, float h, Colour colour) override;
  void SetFillColor(Colour colour) override;
  void SetPenColor(Colour colour) override;
  void Circle(float x, float y, float r, Colour outline) override;
  void Polygon(const PolyPoint points[3]) override;
  void SetBackColor(Colour colour) override;
  void Refresh() override;
};

class RecordingPlatform final : public Platform {
 public:
  RecordingSurface surface;

  // Every SetLabels call, in order, with the number of surface ops made
  // before it (to check that texts are set before the frame is shown).
  std::vector<Form1Labels> label_calls;
  std::vector<std::size_t> label_call_ops;
  // Scripted input: keys (virtual-key codes) held now; the joystick reading
  // polls return, nullopt = no joystick.
  std::set<int> held_keys;
  std::optional<JoyReading> joystick;
  // The tick event those make.
  InputEvent TickEvent() const;
  bool joy_probe_result = false;
  int joy_probes = 0;
  // Every SetTimer1Enabled call, and the flag it left.
  std::vector<bool> timer_calls;
  bool timer_enabled = true;
  // Runs for every modal show in place of the menu window's events; it
  // drives the menu itself, Form_Load included. Unset: the show returns.
  std::function<void(MenuWindow&)> on_show_menu;
  int menu_shows = 0;
  bool unloaded = false;
  int slept_ms = 0;  // total of all Sleep calls
  std::vector<int> sleeps;

  Surface& Picture1() override { return surface; }
  void SetLabels(const Form1Labels& labels) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override { unloaded = true; }
  void Sleep(int ms) override;
};

// One tick of the game's timer with the platform's scripted keys and joystick.
void Tick(Game& g, RecordingPlatform& platform);

}  // namespace quorvel::testing
