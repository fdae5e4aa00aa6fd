#include "platform/sdl/sdl_platform.h"

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "platform/raster/window_painter.h"
#include "platform/sdl/display_scale.h"
#include "platform/sdl/event_wait.h"
#include "platform/sdl/game_icon.h"
#include "platform/sdl/key_codes.h"
#include "platform/sdl/sdl_platform_impl.h"
#include "platform/sdl/x_window_watch.h"

namespace quorvel {

namespace {

constexpr int64_t kMicrosPerMilli = 1000;
constexpr unsigned long kAltKeysyms[] = {0xffe9, 0xffea};  // XK_Alt_L, XK_Alt_R

}  // namespace

SdlPlatform::Impl::Impl(std::unique_ptr<SdlSession> session_in, std::unique_ptr<FontCache> fonts_in,
                        std::unique_ptr<ClientWindow> form1_in, int scale_in)
    : session(std::move(session_in)),
      fonts(std::move(fonts_in)),
      form1(std::move(form1_in)),
      scale(scale_in),
      auto_scale(scale_in),
      picture(kPicture1Width / kTwipsPerPixel, kPicture1Height / kTwipsPerPixel),
      timer1(int64_t{kTimer1PeriodMs} * kMicrosPerMilli) {}

void SdlPlatform::Impl::RepaintForm1() {
  PaintForm1(form1->image(), picture.image(), labels, *fonts, scale);
  form1->Present();
}

void SdlPlatform::Impl::RepaintMenu() {
  if (menu == nullptr || form2 == nullptr) return;
  PaintForm2(form2->image(), menu->Frames(), *fonts, scale);
  form2->Present();
}

void SdlPlatform::Impl::HandleWindowEvent(const SDL_Event& event) {
  ForgetKeyboard();
  switch (event.type) {
    case SDL_QUIT:
      close_requested = true;
      break;
    case SDL_WINDOWEVENT:
      if (event.window.windowID == form1->id()) {
        // While the menu is open the game window is its disabled owner: its
        // close button does nothing, as on a modal dialog's owner anywhere.
        if (event.window.event == SDL_WINDOWEVENT_CLOSE && menu == nullptr) {
          close_requested = true;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
            event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          RepaintForm1();
        }
        if (event.window.event == SDL_WINDOWEVENT_HIDDEN) ProbeXWindow(form1->window());
        // The window manager applies fullscreen (and moves) after the menu was
        // placed: it follows the game window wherever it ends up.
        if ((event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
             event.window.event == SDL_WINDOWEVENT_MOVED) &&
            menu != nullptr && form2 != nullptr && !form2->gone()) {
          PlaceMenu();
        }
      } else if (form2 != nullptr && event.window.windowID == form2->id()) {
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) RepaintMenu();
        if (event.window.event == SDL_WINDOWEVENT_HIDDEN) ProbeXWindow(form2->window());
      }
      break;
    case SDL_KEYDOWN:
      if (HandleWindowKey(event.key)) break;
      if (key_down && menu == nullptr) key_down(VkFromSdlKey(event.key.keysym.sym));
      break;
    case SDL_KEYUP:
      if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
        return_taken = false;
      }
      break;
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
      joystick.OnEvent(event);
      break;
    default:
      break;
  }
}

std::unique_ptr<SdlPlatform> SdlPlatform::Open(std::string& error) {
  return OpenWith(std::nullopt, WindowStart{}, error);
}

std::unique_ptr<SdlPlatform> SdlPlatform::Open(const WindowStart& start, std::string& error) {
  return OpenWith(std::nullopt, start, error);
}

std::unique_ptr<SdlPlatform> SdlPlatform::OpenAtScale(int scale, std::string& error) {
  return OpenWith(std::max(scale, 1), WindowStart{}, error);
}

std::unique_ptr<SdlPlatform> SdlPlatform::OpenWith(std::optional<int> fixed_scale,
                                                   const WindowStart& start, std::string& error) {
  auto session = SdlSession::Open(error);
  if (session == nullptr) return nullptr;
  // On a palette display (depth 8, which SDL reports as an unknown format)
  // the window's true-colour image would show black.
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 &&
      (SDL_ISPIXELFORMAT_INDEXED(desktop.format) || SDL_BITSPERPIXEL(desktop.format) < 15)) {
    error =
        "Quorvel: the display has too few colours; the game needs a colour depth of 15 bits "
        "or more";
    return nullptr;
  }
  const std::string font_path = FindGameFont(error);
  if (font_path.empty()) {
    error = "Quorvel: " + error;
    return nullptr;
  }
  const int width = kForm1.client_width / kTwipsPerPixel;
  const int height = kForm1.client_height / kTwipsPerPixel;
  // The display is asked only once SDL has opened it.
  const int auto_scale = fixed_scale ? *fixed_scale : DisplayScale(width, height);
  auto form1 = ClientWindow::Create(kForm1.caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                    width * auto_scale, height * auto_scale, 0, error);
  if (form1 == nullptr) return nullptr;
  // The title bar's icon keeps its 16 x 16 design size.
  if (SDL_Surface* icon = CreateGameIcon(kWindowIconPixels)) {
    SDL_SetWindowIcon(form1->window(), icon);
    SDL_FreeSurface(icon);
  }
  auto impl = std::make_unique<Impl>(std::move(session), std::make_unique<FontCache>(font_path),
                                     std::move(form1), auto_scale);
  Impl* state = impl.get();
  state->chosen_scale = start.scale;
  state->fullscreen = start.fullscreen;
  state->choice_changed = start.choice_changed;
  // A chosen scale or fullscreen takes effect before the window is first
  // seen: a window manager reads the fullscreen state as the window appears.
  if (start.scale || start.fullscreen) state->ApplyWindowMode();
  state->picture.SetRefreshHook([state] { state->RepaintForm1(); });
  return std::unique_ptr<SdlPlatform>(new SdlPlatform(std::move(impl)));
}

SdlPlatform::SdlPlatform(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SdlPlatform::~SdlPlatform() = default;

void SdlPlatform::SetKeyDownHandler(std::function<void(int vk)> handler) {
  impl_->key_down = std::move(handler);
}

SDL_Window* SdlPlatform::game_window() const {
  return impl_->form1->window();
}

SDL_Window* SdlPlatform::menu_window() const {
  return impl_->menu != nullptr && impl_->form2 != nullptr ? impl_->form2->window() : nullptr;
}

int SdlPlatform::scale() const {
  return impl_->scale;
}

int SdlPlatform::Run(GameWindowHandlers& handlers) {
  Impl& s = *impl_;
  handlers.Form_Load();
  if (s.ended()) return 0;
  s.form1->Show();
  s.form1->TakeFocus();
  s.RepaintForm1();
  s.running = true;
  s.timer1.SetEnabled(s.timer1_on, MonotonicMicros());
  SDL_Event event;
  while (!s.ended()) {
    // Everything already queued first, so a tick sees the newest key state.
    while (SDL_PollEvent(&event) == 1) s.HandleWindowEvent(event);
    if (s.ended()) break;
    if (s.timer1.Due(MonotonicMicros())) {
      s.timer1.BeginRun();
      s.ForgetKeyboard();
      handlers.Timer1_Timer();
      s.timer1.EndRun(MonotonicMicros());
      continue;
    }
    if (WaitEventUntil(event, s.timer1.deadline())) s.HandleWindowEvent(event);
  }
  s.running = false;
  s.form1->Hide();
  return 0;
}

Surface& SdlPlatform::Picture1() {
  return impl_->picture;
}

void SdlPlatform::SetLabels(const Form1Labels& labels) {
  impl_->labels = labels;
}

bool SdlPlatform::KeyHeld(int vk) {
  // The key state is the keyboard's while either window of the game has
  // the focus, released otherwise. SDL's own state is not asked on x11: SDL
  // forgets every held key whenever the focus passes from the menu to the
  // game window, and a key still held then would read as a new press.
  Impl& s = *impl_;
  SDL_Window* const ours[2] = {s.form1->window(), s.form2 ? s.form2->window() : nullptr};
  if (!s.keyboard.taken) {
    const std::span<SDL_Window* const> windows(ours, s.form2 ? 2 : 1);
    SDL_Window* const focus = SDL_GetKeyboardFocus();
    s.keyboard.focused =
        (focus != nullptr && (focus == ours[0] || focus == ours[1])) || XFocusOnAnyOf(windows);
    s.keyboard.keys = s.keyboard.focused ? XKeymapNow(ours[0]) : std::nullopt;
    s.keyboard.taken = true;
  }
  if (!s.keyboard.focused) return false;
  bool held = false;
  bool alt = false;
  if (s.keyboard.keys) {
    held = XAnyKeyDown(ours[0], *s.keyboard.keys, XKeysymsForVk(vk));
    if (vk == kVkReturn && held) alt = XAnyKeyDown(ours[0], *s.keyboard.keys, kAltKeysyms);
  } else {
    const Uint8* state = SDL_GetKeyboardState(nullptr);
    for (SDL_Keycode key : SdlKeysForVk(vk)) {
      const SDL_Scancode code = SDL_GetScancodeFromKey(key);
      held = held || (code != SDL_SCANCODE_UNKNOWN && state[code] != 0);
    }
    alt = (SDL_GetModState() & KMOD_ALT) != 0;
  }
  // Enter pressed with Alt toggles fullscreen and stays the window's until
  // it is released, even should Alt be let go first.
  if (vk == kVkReturn) {
    if (held && alt) s.return_taken = true;
    if (!held) s.return_taken = false;
    if (s.return_taken) return false;
  }
  return held;
}

bool SdlPlatform::JoyGetPos(JoyReading& out) {
  return impl_->joystick.Poll(out);
}

bool SdlPlatform::JoyProbe() {
  return impl_->joystick.Probe();
}

void SdlPlatform::SetTimer1Enabled(bool enabled) {
  impl_->timer1_on = enabled;
  if (impl_->running) impl_->timer1.SetEnabled(enabled, MonotonicMicros());
}

void SdlPlatform::UnloadGameWindow() {
  impl_->unloaded = true;
}

void SdlPlatform::Sleep(int ms) {
  const int64_t deadline = MonotonicMicros() + int64_t{ms} * kMicrosPerMilli;
  SDL_Event event;
  while (MonotonicMicros() < deadline) {
    if (WaitEventUntil(event, deadline)) impl_->HandleWindowEvent(event);
  }
  impl_->ForgetKeyboard();
}

}  // namespace quorvel
