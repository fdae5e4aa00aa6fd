#include "platform/headless/headless_platform.h"

#include <utility>

#include "platform/headless/draw_log.h"
#include "platform/headless/frame_writer.h"

namespace quorvel {

struct HeadlessPlatform::Impl {
  Impl(int width, int height) : raster(width, height), surface(raster) {}

  RasterSurface raster;
  LoggingSurface surface;
  FrameWriter frames;

  std::function<std::optional<InputEvent>()> menu_source;

  Form1Labels labels;
  std::string status_text;
  MenuFrames menu_frames;
  int draws = 0;
  int slept_ms = 0;
};

HeadlessPlatform::HeadlessPlatform(int width, int height)
    : impl_(std::make_unique<Impl>(width, height)) {
  Impl* s = impl_.get();
  s->surface.SetOnRefresh([s](long frame, int subframe, bool scene) {
    if (scene && subframe == 0) ++s->draws;
    if (s->frames.active()) s->frames.Write(frame, subframe, s->raster.image(), s->labels);
    return s->frames.error().empty();
  });
}

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::SetSubframe(int subframe) {
  impl_->surface.SetSubframe(subframe);
}

void HeadlessPlatform::SetMenuSource(std::function<std::optional<InputEvent>()> source) {
  impl_->menu_source = std::move(source);
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

const std::string& HeadlessPlatform::status_text() const {
  return impl_->status_text;
}

void HeadlessPlatform::SetStatusText(const std::string& text) {
  impl_->status_text = text;
}

MenuFrames HeadlessPlatform::last_menu_frames() const {
  return impl_->menu_frames;
}

RasterSurface& HeadlessPlatform::raster() {
  return impl_->raster;
}

void HeadlessPlatform::SetDrawLog(std::function<void(const std::string& line)> log) {
  impl_->surface.SetLog(std::move(log));
}

bool HeadlessPlatform::SetFramesDir(const std::string& dir, std::string& error) {
  return impl_->frames.SetDir(dir, error);
}

std::string HeadlessPlatform::frames_error() const {
  return impl_->frames.error();
}

bool HeadlessPlatform::RenderForm1(SDL_Surface** out, std::string& error) {
  if (out == nullptr) return false;
  *out = impl_->frames.Render(impl_->raster.image(), impl_->labels, error);
  return *out != nullptr;
}

Surface& HeadlessPlatform::Picture1() {
  return impl_->surface;
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
  impl_->menu_frames = menu.Frames();
  while (!menu.Closed()) {
    const std::optional<InputEvent> event =
        impl_->menu_source ? impl_->menu_source() : std::nullopt;
    if (!event) {
      // The script has run out: leave as Esc would. The show ends here even
      // if the menu ignored it, so a script can never hang the driver.
      menu.Form_KeyDown(kVkEscape);
      impl_->menu_frames = menu.Frames();
      return;
    }
    if (event->kind == InputEvent::kKey) menu.Form_KeyDown(event->key);
    if (event->kind == InputEvent::kPoll) menu.Timer1_Timer(event->joy);
    impl_->menu_frames = menu.Frames();
  }
}

void HeadlessPlatform::UnloadGameWindow() {}

void HeadlessPlatform::Sleep(int ms) {
  // A Windows sleep takes an unsigned count; the game only passes positive
  // ones, and a negative one must not wind the record back.
  if (ms > 0) impl_->slept_ms += ms;
}

}  // namespace quorvel
