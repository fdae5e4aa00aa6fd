#include "platform/headless/headless_platform.h"

#include <utility>

#include "platform/draw_op.h"

namespace quorvel {

namespace {

// The headless drawing surface: forwards every call to the real rasteriser
// and, when asked, records it for the draw log, one JSON line per refreshed
// frame: {"frame": K, "ops": [["rect", x, y, w, h, colour], ..., ["refresh"]]}.
class LoggingSurface final : public DrawOpSurface {
 public:
  explicit LoggingSurface(RasterSurface& raster) : raster_(raster) {}

  // Takes each frame's line, newline included; empty records nothing.
  void SetLog(std::function<void(const std::string& line)> log) {
    log_ = std::move(log);
    ops_.clear();
  }
  // At every refresh, once the image holds it: the frame's number, its
  // subframe, and whether it is a scene frame (false when the background was
  // cleared since the previous refresh: the crash's black frame). False
  // leaves the frame's line out: the log stops where the frames do.
  std::function<bool(long frame, int subframe, bool scene)> on_refresh;
  int subframe = 0;

  float ScaleWidth() const override { return raster_.ScaleWidth(); }
  float ScaleHeight() const override { return raster_.ScaleHeight(); }
  void Draw(const DrawOp& op) override {
    if (log_ != nullptr && subframe == 0) {
      if (!ops_.empty()) ops_ += ", ";
      ops_ += DrawLogText(op);
    }
    if (op.kind == DrawOp::kClear) cleared_ = true;
    raster_.Draw(op);
    if (op.kind != DrawOp::kRefresh) return;
    if (subframe > 0) {
      if (on_refresh) on_refresh(frames_, subframe, true);
      return;
    }
    ++frames_;
    const bool scene = !cleared_;
    cleared_ = false;
    const bool kept = !on_refresh || on_refresh(frames_, 0, scene);
    if (log_ && kept) {
      log_("{\"frame\": " + std::to_string(frames_) + ", \"ops\": [" + ops_ + "]}\n");
    }
    ops_.clear();
  }

 private:
  RasterSurface& raster_;
  std::function<void(const std::string&)> log_;
  std::string ops_;  // this frame's operations so far, comma-separated
  long frames_ = 0;
  bool cleared_ = false;
};

// What a game no one sees draws on: nothing is kept.
class NowhereSurface final : public DrawOpSurface {
 public:
  NowhereSurface(float width, float height) : width_(width), height_(height) {}
  float ScaleWidth() const override { return width_; }
  float ScaleHeight() const override { return height_; }
  void Draw(const DrawOp&) override {}

 private:
  float width_, height_;
};

}  // namespace

struct HeadlessPlatform::Impl {
  Impl(int width, int height, bool output)
      : raster(output ? width : 1, output ? height : 1),
        surface(raster),
        nowhere(static_cast<float>(width), static_cast<float>(height)),
        picture(output ? static_cast<Surface&>(surface) : nowhere) {}

  RasterSurface raster;
  LoggingSurface surface;
  NowhereSurface nowhere;
  Surface& picture;
  std::function<bool(long, int)> on_refresh;

  std::function<std::optional<InputEvent>()> menu_source;
  InputTaps no_taps;
  InputTaps* taps = &no_taps;

  Form1Labels labels;
  Form1Notes notes;
  int draws = 0;
  int slept_ms = 0;
};

HeadlessPlatform::HeadlessPlatform(int width, int height, bool output)
    : impl_(std::make_unique<Impl>(width, height, output)) {
  Impl* s = impl_.get();
  s->surface.on_refresh = [s](long frame, int subframe, bool scene) {
    if (scene && subframe == 0) ++s->draws;
    return !s->on_refresh || s->on_refresh(frame, subframe);
  };
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::SetSubframe(int subframe) {
  impl_->surface.subframe = subframe;
}

void HeadlessPlatform::SetMenuSource(std::function<std::optional<InputEvent>()> source) {
  impl_->menu_source = std::move(source);
}

void HeadlessPlatform::SetTaps(InputTaps* taps) {
  impl_->taps = taps != nullptr ? taps : &impl_->no_taps;
}

int HeadlessPlatform::draws() const {
  return impl_->draws;
}

int HeadlessPlatform::slept_ms() const {
  return impl_->slept_ms;
}

void HeadlessPlatform::ResetCounters() {
  impl_->draws = 0;
  impl_->slept_ms = 0;
}

const Form1Labels& HeadlessPlatform::labels() const {
  return impl_->labels;
}

const Form1Notes& HeadlessPlatform::notes() const {
  return impl_->notes;
}

void HeadlessPlatform::SetNotes(const Form1Notes& notes) {
  impl_->notes = notes;
}

RasterSurface& HeadlessPlatform::raster() {
  return impl_->raster;
}

void HeadlessPlatform::SetDrawLog(std::function<void(const std::string& line)> log) {
  impl_->surface.SetLog(std::move(log));
}

void HeadlessPlatform::SetOnRefresh(std::function<bool(long frame, int subframe)> on_refresh) {
  impl_->on_refresh = std::move(on_refresh);
}

Surface& HeadlessPlatform::Picture1() {
  return impl_->picture;
}

void HeadlessPlatform::SetLabels(const Form1Labels& labels) {
  impl_->labels = labels;
}

// No device is ever there: every joystick reading comes with its event.
bool HeadlessPlatform::JoyProbe() {
  return false;
}

// No timer runs here: the driver fires each tick itself, and the game keeps
// the switch and the unload in its own window state.
void HeadlessPlatform::SetTimer1Enabled(bool) {}

void HeadlessPlatform::ShowMenuModal(MenuWindow& menu) {
  menu.Form_Load();
  impl_->taps->After();
  while (!menu.Closed()) {
    const std::optional<InputEvent> event =
        impl_->menu_source ? impl_->menu_source() : std::nullopt;
    if (!event) {
      // The script has run out: leave as Esc would. The show ends here even
      // if the menu ignored it, so a script can never hang the driver.
      menu.Form_KeyDown(kVkEscape);
      return;
    }
    if (event->kind == InputEvent::kKey) menu.Form_KeyDown(event->key);
    if (event->kind == InputEvent::kPoll) menu.Timer1_Timer(event->joy);
    impl_->taps->After();
  }
}

void HeadlessPlatform::UnloadGameWindow() {}

void HeadlessPlatform::Sleep(int ms) {
  // A Windows sleep takes an unsigned count; the game only passes positive
  // ones, and a negative one must not wind the record back.
  if (ms > 0) impl_->slept_ms += ms;
  impl_->taps->Sleeping(ms);
}

}  // namespace quorvel
