#include "app/ghost_run.h"

#include <cmath>
#include <deque>
#include <utility>
#include <vector>

#include "app/input_script.h"
#include "platform/draw_op.h"
#include "race/frame_tick.h"
#include "race/game.h"
#include "race/start_up.h"

namespace quorvel {

namespace {

constexpr int32_t kFinishedLap = 4;

// A surface of the real game window's size that keeps nothing: the ghost's
// game draws its frames for no one.
class NowhereSurface final : public DrawOpSurface {
 public:
  float ScaleWidth() const override { return 337; }
  float ScaleHeight() const override { return 337; }
  void Draw(const DrawOp&) override {}
};

// The ghost game's outside world: its menu takes the recording's key and
// poll lines, its sleeps are only counted.
class GhostPlatform final : public Platform {
 public:
  explicit GhostPlatform(std::function<std::optional<InputEvent>()> menu_source)
      : menu_source_(std::move(menu_source)) {}
  Surface& Picture1() override { return surface_; }
  void SetLabels(const Form1Labels&) override {}
  bool JoyProbe() override { return false; }
  void SetTimer1Enabled(bool) override {}
  void ShowMenuModal(MenuWindow& menu) override {
    menu.Form_Load();
    while (!menu.Closed()) {
      const std::optional<InputEvent> e = menu_source_();
      // The recording ends, or stops fitting, in the menu: leave it as Esc would.
      if (!e) {
        menu.Form_KeyDown(kVkEscape);
        return;
      }
      if (e->kind == InputEvent::kKey) menu.Form_KeyDown(e->key);
      if (e->kind == InputEvent::kPoll) menu.Timer1_Timer(e->joy);
    }
  }
  void UnloadGameWindow() override {}
  void Sleep(int ms) override { slept_ms_ += ms > 0 ? ms : 0; }

 private:
  NowhereSurface surface_;
  std::function<std::optional<InputEvent>()> menu_source_;
  long long slept_ms_ = 0;
};

}  // namespace

struct GhostRun::Impl {
  Impl() : platform([this] { return NextMenuEvent(); }) {}

  Game game;
  GhostPlatform platform;
  std::vector<std::pair<int, ScriptCommand>> commands;  // line number, command
  std::size_t next = 0;
  bool ended = false;  // the recording has run out, stopped fitting, or closed the game
  std::string error;
  Ending ending;
  // The ghost's race clock and pose after its last few steps, oldest first:
  // a picture between ticks looks one tick ahead, and the tick that follows
  // still finds its own pose here.
  std::deque<std::pair<int32_t, GhostPose>> recent;

  // Carries out the next command that moves the game; false once the
  // recording has ended.
  bool Step() {
    while (!ended && next < commands.size()) {
      const auto& [line, c] = commands[next++];
      if (c.kind == ScriptCommand::kCheck) {
        const std::string differs = CheckDifference(c.check, RaceCheck::Of(game.s));
        if (!differs.empty()) {
          Fail(line, "the race differs from the recording after tick " +
                         std::to_string(game.s.Ticks) + ": " + differs);
        }
        continue;
      }
      if (c.kind != ScriptCommand::kEvent) continue;
      if (c.event.kind == InputEvent::kTick) {
        Timer1_Timer(game, platform, c.event);
        if (game.form1.Unloaded) ended = true;
        return true;
      }
      if (c.event.kind == InputEvent::kClose) {
        ended = true;
        return false;
      }
      Fail(line, "a menu key or poll while the menu is closed");
    }
    ended = true;
    return false;
  }

  std::optional<InputEvent> NextMenuEvent() {
    while (!ended && next < commands.size()) {
      const auto& [line, c] = commands[next++];
      if (c.kind == ScriptCommand::kNone || c.kind == ScriptCommand::kVersion) continue;
      if (c.kind == ScriptCommand::kEvent &&
          (c.event.kind == InputEvent::kKey || c.event.kind == InputEvent::kPoll)) {
        return c.event;
      }
      Fail(line, c.kind == ScriptCommand::kCheck ? "a check while the menu is open"
                                                 : "a tick or close while the menu is open");
    }
    ended = true;
    return std::nullopt;
  }

  void Fail(int line, const std::string& what) {
    if (error.empty()) error = "line " + std::to_string(line) + ": " + what;
    ended = true;
  }

  // Runs the game to its start: the load, as the game window loads.
  void Start() {
    game = Game{};
    next = 0;
    ended = false;
    Form1_Load(game, platform);
    recent.clear();
    Note();
  }

  void Note() {
    constexpr std::size_t kKept = 8;
    recent.emplace_back(game.s.Ticks, GhostPose{game.s.Pos[0], game.s.Pos[1], game.s.Steer});
    if (recent.size() > kKept) recent.pop_front();
  }

  // The first of the recent steps whose clock reads `ticks` or more, once
  // the race has stepped on that far; nothing once it has ended before.
  const std::pair<int32_t, GhostPose>* At(int32_t ticks) {
    while (recent.back().first < ticks && game.s.Lap != kFinishedLap && Step()) Note();
    for (const auto& step : recent) {
      if (step.first >= ticks) return &step;
    }
    return nullptr;
  }
};

GhostRun::GhostRun(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
GhostRun::~GhostRun() = default;

std::unique_ptr<GhostRun> GhostRun::Load(std::string_view text, std::string& error) {
  auto impl = std::make_unique<Impl>();
  int line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const std::size_t end = text.find('\n');
    std::string line(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ScriptCommand c;
    std::string why;
    if (!ParseScriptLine(line, c, why)) {
      error = "line " + std::to_string(line_number) + ": " + why;
      return nullptr;
    }
    if (c.kind != ScriptCommand::kNone) impl->commands.emplace_back(line_number, c);
  }
  // Played through once, so that a recording that does not replay costs no
  // more than this; then from the start again, to be played in step.
  impl->Start();
  while (impl->Step()) {
  }
  if (!impl->error.empty()) {
    error = impl->error;
    return nullptr;
  }
  const RaceState& end = impl->game.s;
  impl->ending = {end.CourseChoice, end.CarChoice, end.Lap == kFinishedLap};
  impl->Start();
  return std::unique_ptr<GhostRun>(new GhostRun(std::move(impl)));
}

std::optional<GhostPose> GhostRun::PoseAt(int32_t ticks) {
  const auto* at = impl_->At(ticks);
  if (at == nullptr) return std::nullopt;
  return at->second;
}

std::optional<GhostPose> GhostRun::PoseBetween(int32_t ticks, double alpha) {
  const auto* at = impl_->At(ticks);
  if (at == nullptr) return std::nullopt;
  const std::pair<int32_t, GhostPose> from = *at;  // At may drop it from the recent steps
  const auto* to = impl_->At(ticks + 1);
  if (to == nullptr || from.first != ticks || to->first != ticks + 1) return from.second;
  const auto blend = [alpha](double a, double b) { return a + alpha * (b - a); };
  return GhostPose{static_cast<float>(blend(from.second.x, to->second.x)),
                   static_cast<float>(blend(from.second.y, to->second.y)),
                   static_cast<int16_t>(std::lround(blend(from.second.Steer, to->second.Steer)))};
}

const GhostRun::Ending& GhostRun::ending() const {
  return impl_->ending;
}

int32_t GhostRun::ticks() const {
  return impl_->game.s.Ticks;
}

}  // namespace quorvel
