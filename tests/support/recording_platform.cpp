#include "support/recording_platform.h"

#include <algorithm>
#include <iterator>

#include "race/frame_tick.h"

namespace quorvel {

void PrintTo(const DrawOp& op, std::ostream* os) {
  *os << DrawLogText(op);
}

}  // namespace quorvel

namespace quorvel::testing {

std::vector<DrawOp> RecordingSurface::OpsOf(DrawOp::Kind kind) const {
  std::vector<DrawOp> out;
  std::copy_if(ops.begin(), ops.end(), std::back_inserter(out),
               [kind](const DrawOp& op) { return op.kind == kind; });
  return out;
}

std::size_t RecordingSurface::Count(DrawOp::Kind kind) const {
  return static_cast<std::size_t>(
      std::count_if(ops.begin(), ops.end(), [kind](const DrawOp& op) { return op.kind == kind; }));
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
  if (on_sleep) on_sleep(ms);
}

}  // namespace quorvel::testing
