#include "app/race_lines.h"

#include "app/input_script.h"

namespace quorvel {

namespace {
constexpr int32_t kCourse2 = 1;
constexpr int32_t kAdvancedCar = 4;
}  // namespace

std::vector<std::string> RaceStartLines(const RaceState& s) {
  // A start from the menu leaves a latch pressed: Enter's when Enter
  // confirmed it, button 1's when the button did.
  const bool by_button = !s.EnterLatch && s.JoyButtonLatch;
  std::vector<std::string> lines;
  if (by_button) {
    lines.push_back("tick joy 32768 32768 1");
  } else {
    lines.push_back(s.JoyButtonLatch ? "tick enter joy 32768 32768 1" : "tick enter");
  }
  // The cursor opens on course 1; moving along a row chooses.
  if (s.CourseChoice == kCourse2) lines.push_back("key right");
  lines.push_back("key down");
  if (s.CarChoice == kAdvancedCar) lines.push_back("key right");
  lines.push_back("key down");  // onto "キャンセル"
  lines.push_back("key left");  // onto "ゲームスタート"
  if (by_button) {
    lines.push_back("poll joy 32768 32768 0");
    lines.push_back("poll joy 32768 32768 1");
  } else {
    lines.push_back("key enter");
  }
  return lines;
}

void RaceLines::AddCheckIfDue(bool at_end) {
  if (ticks_unchecked_ == 0) return;
  if (!at_end && ticks_unchecked_ < kTicksPerCheck) return;
  lines_.push_back(FormatCheckLine(RaceCheck::Of(race_)));
  bytes_ += lines_.back().size() + 1;
  ticks_unchecked_ = 0;
}

void RaceLines::Take(const InputEvent& e, bool menu_open) {
  if (overflowed_) return;
  // As the recorder: the check of the state after the last tick goes before
  // the next line read with the menu closed.
  if (!menu_open) AddCheckIfDue(false);
  lines_.push_back(FormatScriptLine(e));
  bytes_ += lines_.back().size() + 1;
  if (e.kind == InputEvent::kTick) ++ticks_unchecked_;
  if (bytes_ > kMaxBytes) {
    overflowed_ = true;
    lines_ = {};
  }
}

void RaceLines::StartRace(bool at_load) {
  lines_.clear();
  bytes_ = 0;
  overflowed_ = false;
  ticks_unchecked_ = 0;
  if (at_load) return;
  lines_ = RaceStartLines(race_);
  for (const std::string& line : lines_) bytes_ += line.size() + 1;
  ticks_unchecked_ = 1;  // the tick that opened the menu
}

std::string RaceLines::RecordingText(const std::string& header) const {
  if (overflowed_) return {};
  std::string text = "version " + std::to_string(kRecordingFormat) + "\n# " + header + "\n";
  for (const std::string& line : lines_) text += line + '\n';
  if (ticks_unchecked_ > 0) text += FormatCheckLine(RaceCheck::Of(race_)) + '\n';
  return text;
}

}  // namespace quorvel
