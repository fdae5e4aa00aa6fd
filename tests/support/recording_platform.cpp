#include "support/recording_platform.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "race/frame_tick.h"

namespace quorvel::testing {

SurfaceOp SurfaceOp::Rect(float x, float y, float w, float h, Colour c) {
  SurfaceOp op;
  op.kind = kRect;
  op.args = {x, y, w, h};
  op.colour = c;
  return op;
}

SurfaceOp SurfaceOp::Fill(Colour c) {
  SurfaceOp op;
  op.kind = kFill;
  op.colour = c;
  return op;
}

SurfaceOp SurfaceOp::Pen(Colour c) {
  SurfaceOp op;
  op.kind = kPen;
  op.colour = c;
  return op;
}

SurfaceOp SurfaceOp::Poly(PolyPoint a, PolyPoint b, PolyPoint c) {
  SurfaceOp op;
  op.kind = kPoly;
  op.points = {a, b, c};
  return op;
}

SurfaceOp SurfaceOp::CircleOp(float x, float y, float r, Colour outline) {
  SurfaceOp op;
  op.kind = kCircle;
  op.args = {x, y, r, 0};
  op.colour = outline;
  return op;
}

SurfaceOp SurfaceOp::Clear(Colour c) {
  SurfaceOp op;
  op.kind = kClear;
  op.colour = c;
  return op;
}

SurfaceOp SurfaceOp::RefreshOp() {
  return SurfaceOp{};
}

namespace {

std::string Num(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(v));
  return buffer;
}

}  // namespace

std::string Describe(const SurfaceOp& op) {
  const std::string c = std::to_string(op.colour);
  const auto& a = op.args;
  switch (op.kind) {
    case SurfaceOp::kRect:
      return "[\"rect\", " + Num(a[0]) + ", " + Num(a[1]) + ", " + Num(a[2]) + ", " + Num(a[3]) +
             ", " + c + "]";
    case SurfaceOp::kFill:
      return "[\"fill\", " + c + "]";
    case SurfaceOp::kPen:
      return "[\"pen\", " + c + "]";
    case SurfaceOp::kPoly: {
      std::string s = "[\"poly\"";
      for (const PolyPoint& p : op.points) {
        s += ", " + std::to_string(p.x) + ", " + std::to_string(p.y);
      }
      return s + "]";
    }
    case SurfaceOp::kCircle:
      return "[\"circle\", " + Num(a[0]) + ", " + Num(a[1]) + ", " + Num(a[2]) + ", " + c + "]";
    case SurfaceOp::kClear:
      return "[\"clear\", " + c + "]";
    case SurfaceOp::kRefresh:
      return "[\"refresh\"]";
  }
  return "[\"?\"]";
}

void PrintTo(const SurfaceOp& op, std::ostream* os) {
  *os << Describe(op);
}

std::vector<SurfaceOp> RecordingSurface::OpsOf(SurfaceOp::Kind kind) const {
  std::vector<SurfaceOp> out;
  std::copy_if(ops.begin(), ops.end(), std::back_inserter(out),
               [kind](const SurfaceOp& op) { return op.kind == kind; });
  return out;
}

std::size_t RecordingSurface::Count(SurfaceOp::Kind kind) const {
  return static_cast<std::size_t>(std::count_if(
      ops.begin(), ops.end(), [kind](const SurfaceOp& op) { return op.kind == kind; }));
}

void RecordingSurface::FillRect(float x, float y, float w, float h, Colour colour) {
  ops.push_back(SurfaceOp::Rect(x, y, w, h, colour));
}

void RecordingSurface::SetFillColor(Colour colour) {
  ops.push_back(SurfaceOp::Fill(colour));
}

void RecordingSurface::SetPenColor(Colour colour) {
  ops.push_back(SurfaceOp::Pen(colour));
}

void RecordingSurface::Circle(float x, float y, float r, Colour outline) {
  ops.push_back(SurfaceOp::CircleOp(x, y, r, outline));
}

void RecordingSurface::Polygon(const PolyPoint points[3]) {
  ops.push_back(SurfaceOp::Poly(points[0], points[1], points[2]));
}

void RecordingSurface::SetBackColor(Colour colour) {
  ops.push_back(SurfaceOp::Clear(colour));
}

void RecordingSurface::Refresh() {
  ops.push_back(SurfaceOp::RefreshOp());
}

void RecordingPlatform::SetLabels(const Form1Labels& labels) {
  label_calls.push_back(labels);
  label_call_ops.push_back(surface.ops.size());
}

InputEvent RecordingPlatform::TickEvent() const {
  InputEvent e;
  constexpr std::pair<int, uint8_t> kKeys[] = {{kVkLeft, kTickLeft},
                                               {kVkRight, kTickRight},
                                               {kVkUp, kTickUp},
                                               {kVkDown, kTickDown},
                                               {kVkReturn, kTickEnter}};
  for (const auto& [vk, bit] : kKeys) {
    if (held_keys.count(vk) != 0) e.keys |= bit;
  }
  e.joy = joystick;
  return e;
}

void Tick(Game& g, RecordingPlatform& platform) {
  Timer1_Timer(g, platform, platform.TickEvent());
}

bool RecordingPlatform::JoyProbe() {
  ++joy_probes;
  return joy_probe_result;
}

void RecordingPlatform::SetTimer1Enabled(bool enabled) {
  timer_calls.push_back(enabled);
  timer_enabled = enabled;
}

void RecordingPlatform::ShowMenuModal(MenuWindow& menu) {
  ++menu_shows;
  if (on_show_menu) on_show_menu(menu);
}

void RecordingPlatform::Sleep(int ms) {
  sleeps.push_back(ms);
  slept_ms += ms;
}

}  // namespace quorvel::testing
