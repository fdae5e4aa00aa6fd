// A Platform fake for logic tests: its surface records every drawing
// operation in order (in the draw log's terms), and keys, joystick, menu
// and sleep are scripted or totalled. No pixels are drawn.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/draw_op.h"
#include "platform/platform.h"
#include "race/game.h"
#include "race/ghost_car.h"
#include "ui/game_window.h"

namespace quorvel {
// Prints an op in test failures as the draw log would.
void PrintTo(const DrawOp& op, std::ostream* os);
}  // namespace quorvel

namespace quorvel::testing {

class RecordingSurface final : public DrawOpSurface {
 public:
  float width = 360;  // pixels
  float height = 360;
  std::vector<DrawOp> ops;

  // The ops of one kind, in order.
  std::vector<DrawOp> OpsOf(DrawOp::Kind kind) const;
  std::size_t Count(DrawOp::Kind kind) const;

  float ScaleWidth() const override { return width; }
  float ScaleHeight() const override { return height; }
  void Draw(const DrawOp& op) override { ops.push_back(op); }
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
  std::function<void(int ms)> on_sleep;  // runs for every Sleep, after the record
  std::string status_text;               // the last line the game gave SetStatusText

  Surface& Picture1() override { return surface; }
  void SetLabels(const Form1Labels& labels) override;
  bool JoyProbe() override;
  void SetTimer1Enabled(bool enabled) override;
  void ShowMenuModal(MenuWindow& menu) override;
  void UnloadGameWindow() override { unloaded = true; }
  void Sleep(int ms) override;
  void SetStatusText(const std::string& text) override { status_text = text; }
};

// A ghost car standing at one place for the whole race.
struct StandingGhost final : GhostCar {
  explicit StandingGhost(GhostPose at) : at(at) {}
  std::optional<GhostPose> PoseAt(int32_t /*ticks*/) override { return at; }
  GhostPose at;
};

// One tick of the game's timer with the platform's scripted keys and joystick.
void Tick(Game& g, RecordingPlatform& platform);

}  // namespace quorvel::testing
