// The SDL platform, top to bottom: its state, opening it, the one loop and
// what it delivers (ticks, menu events, sleeps), then the window's size.
#include "platform/sdl/sdl_platform.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <span>
#include <string>
#include <utility>

#include "platform/raster/fonts.h"
#include "platform/raster/raster_surface.h"
#include "platform/raster/window_painter.h"
#include "platform/sdl/game_icon.h"
#include "platform/sdl/presenter.h"
#include "platform/sdl/sdl_audio.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_session.h"
#include "platform/sdl/x11_queries.h"
#include "ui/layout.h"

namespace quorvel {

namespace {

constexpr int64_t kMicrosPerMilli = 1000;
constexpr double kTimer1PeriodUs = kTimer1PeriodMs * 1000.0;
constexpr unsigned long kAltKeysyms[] = {0xffe9, 0xffea};  // XK_Alt_L, XK_Alt_R

// The keys a tick reads, with their virtual-key codes.
constexpr struct {
  uint8_t bit;
  int vk;
} kTickKeys[] = {{kTickLeft, kVkLeft},
                 {kTickRight, kVkRight},
                 {kTickUp, kVkUp},
                 {kTickDown, kVkDown},
                 {kTickEnter, kVkReturn}};

// The display's refresh when it does not say: 60 Hz.
constexpr int64_t kDefaultFramePeriodUs = 1000000 / 60;

// How long the window manager may take to say how large the game window's
// frame will be, before the window is first shown.
constexpr int kFrameQueryTimeoutMs = 100;

// How long pictures wait for the window to take a new size (windowed scale,
// fullscreen) before they are shown anyway, should the window manager
// refuse it; and how often the loop looks meanwhile.
constexpr int64_t kResizeWaitUs = 500000;
constexpr int64_t kResizePollUs = 4000;

// Client areas in pixels at 96 dpi.
const int kForm1Width = kForm1.client_width / kTwipsPerPixel;
const int kForm1Height = kForm1.client_height / kTwipsPerPixel;
const int kForm2Width = kForm2.client_width / kTwipsPerPixel;
const int kForm2Height = kForm2.client_height / kTwipsPerPixel;

// Microseconds on a monotonic clock with an arbitrary origin.
int64_t MonotonicMicros() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Waits for one event until `deadline_us`, or with no limit. True with
// `event` filled when one arrived; false once the deadline has passed.
bool WaitEventUntil(SDL_Event& event, std::optional<int64_t> deadline_us) {
  if (!deadline_us) return SDL_WaitEvent(&event) == 1;
  for (;;) {
    const int64_t left_us = *deadline_us - MonotonicMicros();
    if (left_us <= 0) return SDL_PollEvent(&event) == 1;
    // SDL waits in whole milliseconds; rounding up means waking at or just
    // after the deadline, never spinning just before it.
    const int timeout_ms = static_cast<int>((left_us + 999) / 1000);
    if (SDL_WaitEventTimeout(&event, timeout_ms) == 1) return true;
  }
}

// Added to the game window's title while the race is paused: "paused", in
// the game's language, after the game's name so window lists still sort it
// by name.
constexpr char kPausedSuffix[] = " (一時停止中)";

void Earliest(std::optional<int64_t>& next, std::optional<int64_t> t) {
  if (t && (!next || *t < *next)) next = t;
}

}  // namespace

struct SdlPlatform::Impl {
  // Declared first, so destroyed last: everything below needs SDL and SDL_ttf.
  std::unique_ptr<SdlSession> session;
  std::unique_ptr<SdlAudio> audio;
  std::unique_ptr<FontCache> fonts;
  std::unique_ptr<Presenter> form1;
  // Created for the first menu visit and kept, hidden, between visits: the X
  // server then holds the same resources for the game however many visits
  // it makes.
  std::unique_ptr<Presenter> form2;
  SDL_Surface* menu_image = nullptr;  // form2's client area at the scale

  ~Impl() { SDL_FreeSurface(menu_image); }

  // Screen pixels per 96-dpi pixel in both windows now; the picture stays
  // 337 x 337 whatever it is.
  int scale = 1;
  int auto_scale = 1;               // the display's own
  std::optional<int> chosen_scale;  // the player's, for the window
  bool fullscreen = false;
  // The window manager's answer, before the window was first shown, to how
  // large its frame will be; SDL knows it only once the window is shown.
  FrameExtents requested_frame;
  std::function<void(std::optional<int>, bool)> on_choice;
  std::function<void(const std::string&)> on_warning;
  std::function<void(bool)> on_sound;
  bool fit_told = false;  // the one line about a chosen scale that does not fit
  // While the window is on its way to a new size: when pictures stop
  // waiting for it.
  std::optional<int64_t> resize_until;

  // The game's drawing surface: the picture of the last tick, which is the
  // picture held behind the menu, while paused and after the finish.
  RasterSurface picture{kPicture1Width / kTwipsPerPixel, kPicture1Height / kTwipsPerPixel};
  // The pictures between ticks, drawn beside it so that it stays the race's.
  RasterSurface between{kPicture1Width / kTwipsPerPixel, kPicture1Height / kTwipsPerPixel};
  const RasterSurface* shown = &picture;  // the one on the screen
  Form1Labels labels;
  Form1Notes notes;
  FirstJoystick joystick;

  GameWindowHandlers* handlers = nullptr;
  // The keyboard and the first joystick as the game's input.
  class Devices final : public InputSource {
   public:
    explicit Devices(Impl& s) : s_(s) {}
    std::optional<InputEvent> Due(bool menu_open) override {
      if (!menu_open) return s_.ReadTick(s_.focused);
      InputEvent poll = InputEvent::Of(InputEvent::kPoll);
      JoyReading joy;
      if (s_.joystick.Poll(joy)) poll.joy = joy;
      return poll;
    }
    // Keys are the menu's; the race reads held keys at its ticks instead.
    std::optional<InputEvent> Seen(const InputEvent& live, bool menu_open) override {
      if (live.kind == InputEvent::kKey && !menu_open) return std::nullopt;
      return live;
    }
    std::optional<InputEvent> Held() override { return s_.ReadTick(s_.FocusOnOurs(), false); }

   private:
    Impl& s_;
  };
  Devices devices{*this};
  InputSource* source = &devices;
  InputTaps no_taps;
  InputTaps* taps = &no_taps;
  bool focused = false;  // either window had the keyboard focus when the tick came due
  // A close that came inside a tick, and whether the menu was open then: the
  // taps see it once the tick is over.
  std::optional<bool> close_in_menu;
  PeriodicSchedule timer1{int64_t{kTimer1PeriodMs} * kMicrosPerMilli};
  int64_t tick_us = 0;  // when the last tick was due
  // Pictures between ticks, one per display refresh.
  bool smooth = true;
  PeriodicSchedule frames{kDefaultFramePeriodUs};
  bool timer1_on = true;  // enabled from the start
  bool in_tick = false;
  MenuWindow* menu = nullptr;  // while a modal show runs
  PeriodicSchedule menu_timer{int64_t{kMenuTimerPeriodMs} * kMicrosPerMilli};
  bool unloaded = false;
  bool close_requested = false;
  // Pausing while the player is away: the tick clock stops while the game
  // window is minimised or another program has the focus, and starts afresh
  // when the player is back. `had_focus`: a window that never had the focus
  // (no window manager gives it) does not count as left.
  bool pause_on = true;
  bool paused = false;
  bool paused_by_key = false;  // P or Pause: until pressed again
  bool had_focus = false;
  // Tick keys pressed since the last tick: a tap between two ticks still
  // counts as held at the next one.
  uint8_t pressed = 0;
  // Enter went into an Alt+Enter: it is not the game's until released.
  bool return_taken = false;
  // The game's line about the race, shown in the title after the caption.
  std::string status_text;

  // Unloaded, closed, or a window of the game destroyed by another program,
  // which counts as closing it.
  bool ended() const { return unloaded || close_requested || windows_gone(); }
  bool windows_gone() const { return form1->gone() || (form2 != nullptr && form2->gone()); }

  void Loop(const std::function<bool()>& done, std::optional<int64_t> until);
  bool Pump(const std::function<bool()>& wait);
  void HandleEvent(const SDL_Event& event);
  void Deliver(const std::optional<InputEvent>& e);
  bool FocusOnOurs() const;
  bool Away(bool focused) const;
  void Pause();
  void ResumeIfBack();
  void ShowTitle();
  InputEvent ReadTick(bool focused, bool take_presses = true);
  std::optional<int64_t> NextFrameAt(int64_t now) const;
  int64_t FrameLead() const;
  bool Held(int vk, std::optional<XKeymap>& keys);

  void RepaintForm1();
  void Show(const RasterSurface& surface);
  void Hold();
  bool HasItsSize();
  void RepaintMenu();
  FrameExtents Frame() const;
  SDL_Rect Usable() const;
  int LargestWindowedScale() const;
  int WindowedScale() const;
  void ApplyWindowMode();
  void TellFit();
  void PlaceMenu();
  bool HandleWindowKey(const SDL_KeyboardEvent& key);
};

std::unique_ptr<SdlPlatform> SdlPlatform::Open(const WindowStart& start, std::string& error) {
  auto session = SdlSession::Open(error);
  if (session == nullptr) return nullptr;
  // On a palette display (depth 8, which SDL reports as an unknown format)
  // the window's true-colour image would show black.
  SDL_DisplayMode desktop{};
  if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 &&
      (SDL_ISPIXELFORMAT_INDEXED(desktop.format) || SDL_BITSPERPIXEL(desktop.format) < 15)) {
    error =
        "quorvel: the display has too few colours; the game needs a colour depth of 15 bits "
        "or more";
    return nullptr;
  }
  const std::string font_path = FindGameFont(error);
  if (font_path.empty()) {
    error = "quorvel: " + error;
    return nullptr;
  }
  // The display is asked only once SDL has opened it.
  const int auto_scale = start.display_scale ? std::max(*start.display_scale, 1)
                                             : DisplayScale(kForm1Width, kForm1Height);
  auto form1 = Presenter::Create(kForm1.caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 kForm1Width * auto_scale, kForm1Height * auto_scale, 0, error);
  if (form1 == nullptr) return nullptr;
  XPaintUnpaintedBlack(form1->window());
  // The title bar's icon keeps its 16 x 16 design size.
  if (SDL_Surface* icon = CreateGameIcon(kWindowIconPixels)) {
    form1->Trapped([&] { SDL_SetWindowIcon(form1->window(), icon); });
    SDL_FreeSurface(icon);
  }
  auto impl = std::make_unique<Impl>();
  Impl& s = *impl;
  s.session = std::move(session);
  s.fonts = std::make_unique<FontCache>(font_path);
  s.form1 = std::move(form1);
  s.scale = s.auto_scale = auto_scale;
  s.chosen_scale = start.scale;
  s.fullscreen = start.fullscreen;
  s.on_choice = start.on_choice;
  s.smooth = start.smooth;
  SDL_DisplayMode mode{};
  if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) {
    s.frames = PeriodicSchedule(1000000 / mode.refresh_rate);
  }
  s.on_warning = start.on_warning;
  s.audio = std::make_unique<SdlAudio>(start.volume, start.on_warning);
  s.audio->SetOn(start.sound);
  s.on_sound = start.on_sound;
  s.pause_on = start.pause;
  s.requested_frame =
      XRequestFrameExtents(s.form1->window(), kFrameQueryTimeoutMs).value_or(FrameExtents{});
  // The scale that fits, a chosen scale and fullscreen take effect before
  // the window is first seen: a window manager reads the fullscreen state as
  // the window appears.
  if (start.scale || start.fullscreen || s.WindowedScale() != s.scale) s.ApplyWindowMode();
  s.picture.SetRefreshHook([&s] { s.Show(s.picture); });
  s.between.SetRefreshHook([&s] { s.Show(s.between); });
  return std::unique_ptr<SdlPlatform>(new SdlPlatform(std::move(impl)));
}

SdlPlatform::SdlPlatform(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SdlPlatform::~SdlPlatform() = default;

int SdlPlatform::Run(GameWindowHandlers& handlers, InputTaps* taps, InputSource* source) {
  Impl& s = *impl_;
  s.handlers = &handlers;
  s.taps = taps != nullptr ? taps : &s.no_taps;
  s.source = source != nullptr ? source : &s.devices;
  handlers.Form_Load();
  s.taps->AfterTick();
  if (!s.ended()) {
    s.form1->Show();
    // Should the window manager's frame have been unknown before, it is
    // known now that the window is managed.
    if (!s.fullscreen && s.WindowedScale() != s.scale) s.ApplyWindowMode();
    s.TellFit();
    s.form1->TakeFocus();
    s.RepaintForm1();
    s.timer1.SetEnabled(s.timer1_on, MonotonicMicros());
    s.Loop([] { return false; }, std::nullopt);
    s.form1->Hide();
  }
  s.handlers = nullptr;
  s.taps = &s.no_taps;
  s.source = &s.devices;
  return 0;
}

// The one loop. Queued events come first, so a tick sees the newest key
// state; then whichever of the tick, the menu's timer and `until` is due;
// else it waits for the earliest of them or an event. A tick never starts
// inside another (the menu and the sleep run within one), and the game's
// end, whatever caused it, ends every level at once.
void SdlPlatform::Impl::Loop(const std::function<bool()>& done, std::optional<int64_t> until) {
  SDL_Event event;
  while (!ended() && !done()) {
    if (Pump([&] { return SDL_PollEvent(&event) == 1; })) {
      HandleEvent(event);
      continue;
    }
    const int64_t now = MonotonicMicros();
    if (until && now >= *until) return;
    if (!in_tick && timer1.Due(now)) {
      focused = FocusOnOurs();
      if (focused) had_focus = true;
      if (Away(focused)) {
        // The focus also goes when another program destroys the game
        // window: that is a close, not a pause.
        form1->Probe();
        if (!ended()) Pause();
        continue;
      }
      tick_us = *timer1.deadline();
      timer1.BeginRun();
      Deliver(source->Due(false));
      timer1.EndRun(MonotonicMicros());
      // The pictures between ticks follow this tick's due time at the
      // display's pace, however long the tick itself took.
      frames.SetEnabled(false, 0);
      frames.SetEnabled(smooth, tick_us);
      continue;
    }
    const std::optional<int64_t> frame_at = NextFrameAt(now);
    if (frame_at && *frame_at <= now) {
      frames.BeginRun();
      const double alpha =
          std::clamp(static_cast<double>(now - tick_us) / kTimer1PeriodUs, 0.0, 1.0);
      const std::optional<InputEvent> input = source->Held();
      if (input) handlers->Form_PaintBetweenTicks(alpha, *input, between);
      frames.EndRun(MonotonicMicros());
      continue;
    }
    if (menu != nullptr && menu_timer.Due(now)) {
      menu_timer.BeginRun();
      Deliver(source->Due(true));
      menu_timer.EndRun(MonotonicMicros());
      continue;
    }
    // Shown as soon as the window has its new size, whatever event, if
    // any, says so.
    if (resize_until && HasItsSize()) {
      RepaintForm1();
      continue;
    }
    std::optional<int64_t> next = until;
    if (resize_until) Earliest(next, now + kResizePollUs);
    if (!in_tick) Earliest(next, timer1.deadline());
    if (menu != nullptr) Earliest(next, menu_timer.deadline());
    Earliest(next, frame_at);
    if (Pump([&] { return WaitEventUntil(event, next); })) HandleEvent(event);
  }
}

// Takes the next event from SDL, in an X error trap: handling X's events,
// SDL asks about windows that another program may have destroyed meanwhile.
// After an error, the windows are asked whether they are still there.
bool SdlPlatform::Impl::Pump(const std::function<bool()>& wait) {
  XErrorTrap trap(form1->window());
  const bool got = wait();
  if (trap.Caught()) {
    form1->Probe();
    if (form2 != nullptr) form2->Probe();
  }
  return got;
}

// Hands an event of the source's, through the taps, to whoever takes it now.
void SdlPlatform::Impl::Deliver(const std::optional<InputEvent>& e) {
  if (!e) return;
  const bool menu_open = menu != nullptr;
  switch (e->kind) {
    case InputEvent::kTick:
      if (menu_open || in_tick || handlers == nullptr) return;
      taps->Before(*e, false);
      in_tick = true;
      handlers->Timer1_Timer(*e);
      in_tick = false;
      taps->AfterTick();
      // The tick ran to its end (a crash's fall, a menu visit) before the
      // close was seen through: what the taps keep is the state its input
      // leads to.
      if (close_in_menu) taps->Before(InputEvent::Of(InputEvent::kClose), *close_in_menu);
      close_in_menu.reset();
      return;
    case InputEvent::kKey:
    case InputEvent::kPoll:
      if (!menu_open) return;
      taps->Before(*e, true);
      if (e->kind == InputEvent::kKey) {
        menu->Form_KeyDown(e->key);
      } else {
        menu->Timer1_Timer(e->joy);
      }
      taps->After();
      if (!menu->Closed()) RepaintMenu();
      return;
    case InputEvent::kClose:
      if (close_requested) return;
      close_requested = true;
      if (in_tick) {
        close_in_menu = menu_open;
      } else {
        taps->Before(*e, menu_open);
      }
      return;
  }
}

void SdlPlatform::Impl::HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      Deliver(source->Seen(InputEvent::Of(InputEvent::kClose), menu != nullptr));
      break;
    case SDL_WINDOWEVENT: {
      const SDL_WindowEvent& w = event.window;
      const bool on_menu = form2 != nullptr && w.windowID == form2->id();
      if (w.windowID != form1->id() && !on_menu) break;
      // Either window's close button ends the game, the menu's visit too.
      if (w.event == SDL_WINDOWEVENT_CLOSE) {
        Deliver(source->Seen(InputEvent::Of(InputEvent::kClose), menu != nullptr));
      }
      if (w.event == SDL_WINDOWEVENT_FOCUS_GAINED || w.event == SDL_WINDOWEVENT_RESTORED ||
          w.event == SDL_WINDOWEVENT_SHOWN) {
        ResumeIfBack();
      }
      if (w.event == SDL_WINDOWEVENT_HIDDEN) (on_menu ? form2 : form1)->Probe();
      if (on_menu) {
        if (w.event == SDL_WINDOWEVENT_EXPOSED) RepaintMenu();
        break;
      }
      // A window shown again (restored from minimised) shows the held
      // picture at once, not the black the X server fills it with until
      // the next tick's.
      if (w.event == SDL_WINDOWEVENT_EXPOSED || w.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
          w.event == SDL_WINDOWEVENT_SHOWN || w.event == SDL_WINDOWEVENT_RESTORED) {
        RepaintForm1();
      }
      // The window manager applies fullscreen (and moves) after the menu was
      // placed: it follows the game window wherever it ends up.
      if ((w.event == SDL_WINDOWEVENT_SIZE_CHANGED || w.event == SDL_WINDOWEVENT_MOVED) &&
          menu != nullptr && form2 != nullptr && !form2->gone()) {
        PlaceMenu();
      }
      break;
    }
    case SDL_KEYDOWN: {
      if (HandleWindowKey(event.key)) break;
      // While the menu is open the game window is its disabled owner: keys
      // typed while it holds the focus belong to the menu.
      const bool ours = event.key.windowID == form1->id() ||
                        (form2 != nullptr && event.key.windowID == form2->id());
      const int vk = VkFromSdlKey(event.key.keysym.sym);
      if (!ours || vk == 0) break;
      if (menu == nullptr && event.key.repeat == 0) {
        for (const auto& k : kTickKeys) {
          if (k.vk == vk) pressed |= k.bit;
        }
      }
      Deliver(source->Seen(InputEvent::Key(static_cast<int16_t>(vk)), menu != nullptr));
      break;
    }
    case SDL_KEYUP:
      if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
        return_taken = false;
      }
      break;
    default:
      audio->OnEvent(event);
      joystick.OnEvent(event);
      break;
  }
}

// Whether `vk` is held now. The key state is the keyboard's while either
// window of the game has the focus, released otherwise. SDL's own state is
// not asked on x11: SDL forgets every held key whenever the focus passes
// from the menu to the game window, and a key still held then would read as
// a new press.
bool SdlPlatform::Impl::Held(int vk, std::optional<XKeymap>& keys) {
  if (keys) return XAnyKeyDown(form1->window(), *keys, XKeysymsForVk(vk));
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  for (SDL_Keycode key : SdlKeysForVk(vk)) {
    const SDL_Scancode code = SDL_GetScancodeFromKey(key);
    if (code != SDL_SCANCODE_UNKNOWN && state[code] != 0) return true;
  }
  return false;
}

// When the next picture between ticks is to be drawn, from `now` on:
// outside every tick and menu, and only where the next tick is not about to
// draw its own. A present that waits for the display's refresh may take a
// whole refresh period: then no picture starts within that period (and a
// little) of the tick, so that the wait never delays it. Nothing when the
// next tick comes first.
std::optional<int64_t> SdlPlatform::Impl::NextFrameAt(int64_t now) const {
  const std::optional<int64_t> frame = frames.deadline();
  const std::optional<int64_t> tick = timer1.deadline();
  if (in_tick || menu != nullptr || handlers == nullptr || paused || !frame || !tick) {
    return std::nullopt;
  }
  const int64_t at = std::max(*frame - FrameLead(), now);
  const int64_t period = frames.period_us();
  if (*tick - at <= (form1->vsync() ? period + period / 8 : period / 4)) return std::nullopt;
  return at;
}

// With presents that wait for the display's refresh, the refresh paces the
// pictures and the frame timer only bounds them: a picture may start up to
// half a period early, so that each refresh gets one whatever the timer's
// phase, and a present that does not wait still gives no more than one a
// period.
int64_t SdlPlatform::Impl::FrameLead() const {
  return form1->vsync() ? frames.period_us() / 2 : 0;
}

// Whether either window of the game has the keyboard focus: one X round
// trip at most.
bool SdlPlatform::Impl::FocusOnOurs() const {
  SDL_Window* const ours[2] = {form1->window(), form2 ? form2->window() : nullptr};
  SDL_Window* const focus = SDL_GetKeyboardFocus();
  return (focus != nullptr && (focus == ours[0] || focus == ours[1])) ||
         XFocusOnAnyOf(std::span<SDL_Window* const>(ours, form2 ? 2 : 1));
}

// Whether the player has left the race for now: the game window minimised,
// or the focus gone from both windows after one of them had it. Asked only
// when a tick is due, never during a menu visit (which runs inside a tick):
// the focus passing between the game window and the menu is no leaving.
bool SdlPlatform::Impl::Away(bool focused) const {
  if (handlers != nullptr && paused_by_key) return true;
  if (!pause_on || handlers == nullptr || focused) return false;
  return had_focus || (SDL_GetWindowFlags(form1->window()) & SDL_WINDOW_MINIMIZED) != 0;
}

// No ticks until the player is back; the title says why the race stands.
// Taps from before the pause are dropped: they were meant for a race that
// went on.
void SdlPlatform::Impl::Pause() {
  paused = true;
  audio->SetPaused(true);
  pressed = 0;
  timer1.SetEnabled(false, 0);
  ShowTitle();
  Hold();
}

// Back from a pause: the first tick comes one whole period after this
// moment, with no catch-up for the time away.
void SdlPlatform::Impl::ResumeIfBack() {
  if (!paused || Away(FocusOnOurs())) return;
  paused = false;
  audio->SetPaused(false);
  ShowTitle();
  // The pictures between ticks start again from the held one.
  tick_us = MonotonicMicros();
  timer1.SetEnabled(timer1_on, tick_us);
}

// The input of one tick: the keyboard asked once (one keymap, an X round
// trip at most) and the joystick polled once. Keys read released while
// neither window has the focus. The presses since the last tick count, and
// are taken unless `take_presses` is false (the input held now, for a
// picture between ticks).
InputEvent SdlPlatform::Impl::ReadTick(bool focused, bool take_presses) {
  InputEvent tick = InputEvent::Of(InputEvent::kTick);
  SDL_Window* const ours[2] = {form1->window(), form2 ? form2->window() : nullptr};
  if (focused) {
    std::optional<XKeymap> keys = XKeymapNow(ours[0]);
    for (const auto& k : kTickKeys) {
      if (Held(k.vk, keys)) tick.keys |= k.bit;
    }
    const bool alt =
        keys ? XAnyKeyDown(ours[0], *keys, kAltKeysyms) : (SDL_GetModState() & KMOD_ALT) != 0;
    // Enter pressed with Alt toggles fullscreen and stays the window's until
    // it is released, even should Alt be let go first.
    const bool enter = (tick.keys & kTickEnter) != 0;
    if (enter && alt) return_taken = true;
    if (!enter) return_taken = false;
  }
  tick.keys |= take_presses ? std::exchange(pressed, uint8_t{0}) : pressed;
  if (return_taken) tick.keys &= ~kTickEnter;
  JoyReading joy;
  if (joystick.Poll(joy, take_presses)) tick.joy = joy;
  return tick;
}

Surface& SdlPlatform::Picture1() {
  return impl_->picture;
}

void SdlPlatform::SetLabels(const Form1Labels& labels) {
  impl_->labels = labels;
}

bool SdlPlatform::JoyProbe() {
  return impl_->joystick.Probe();
}

void SdlPlatform::SetTimer1Enabled(bool enabled) {
  Impl& s = *impl_;
  s.timer1_on = enabled;
  if (s.handlers == nullptr || s.paused) return;
  // The pictures between ticks start from the held one when the timer comes
  // back (after a menu visit).
  if (enabled && !s.timer1.enabled()) s.tick_us = MonotonicMicros();
  s.timer1.SetEnabled(enabled, s.tick_us);
}

void SdlPlatform::UnloadGameWindow() {
  impl_->unloaded = true;
}

// The caption, the game's line about the race and, while paused, why the
// race stands: "Quorvel — ゴール 52.16秒 (一時停止中)".
void SdlPlatform::Impl::ShowTitle() {
  std::string title = kForm1.caption;
  if (!status_text.empty()) title += " — " + status_text;
  if (paused) title += kPausedSuffix;
  form1->SetTitle(title);
}

void SdlPlatform::SetNotes(const Form1Notes& notes) {
  if (notes == impl_->notes) return;
  impl_->notes = notes;
  // Shown at once, also over a race that stands (the finish, a pause).
  impl_->RepaintForm1();
}

SoundCommands& SdlPlatform::Sound() {
  return *impl_->audio;
}

void SdlPlatform::SetStatusText(const std::string& text) {
  if (text == impl_->status_text) return;
  impl_->status_text = text;
  impl_->ShowTitle();
}

void SdlPlatform::Sleep(int ms) {
  impl_->taps->Sleeping(ms);
  impl_->Loop([] { return false; }, MonotonicMicros() + int64_t{ms} * kMicrosPerMilli);
}

void SdlPlatform::ShowMenuModal(MenuWindow& menu) {
  Impl& s = *impl_;
  if (s.menu != nullptr) return;  // one menu window at a time
  if (s.form2 == nullptr) {
    std::string error;
    // Titled with the game's name, as the game window is, in window lists.
    s.form2 = Presenter::Create(kForm1.caption, 0, 0, kForm2Width, kForm2Height,
                                SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR, error);
    if (s.form2 != nullptr) {
      s.form2->Trapped([&] { SDL_SetWindowModalFor(s.form2->window(), s.form1->window()); });
    }
  } else {
    s.form2->Probe();
  }
  if (s.form2 != nullptr && !s.form2->gone()) s.PlaceMenu();
  // Should SDL refuse the window, the menu still runs, unseen, on the game
  // window's keys, so the game is never stuck in a visit it cannot end.
  s.menu = &menu;
  s.Hold();
  menu.Form_Load();
  s.taps->After();
  if (s.form2 != nullptr && !s.form2->gone() && !menu.Closed()) {
    s.form2->Show();
    s.form2->TakeFocus();
    s.RepaintMenu();
  }
  s.menu_timer.SetEnabled(true, MonotonicMicros());
  s.Loop([&menu] { return menu.Closed(); }, std::nullopt);
  s.menu_timer.SetEnabled(false, 0);
  if (s.form2 != nullptr) s.form2->Hide();
  s.menu = nullptr;
  if (s.form1->shown() && !s.form1->gone()) s.form1->TakeFocus();
  s.RepaintForm1();
}

void SdlPlatform::Impl::RepaintForm1() {
  if (!form1->shown() || form1->gone() || !HasItsSize()) return;
  form1->ShowForm1(shown->image(), labels, notes, *fonts, scale);
}

// `surface` has a new picture to show: the tick's own, or one between ticks.
void SdlPlatform::Impl::Show(const RasterSurface& surface) {
  shown = &surface;
  RepaintForm1();
}

// While the race stands (the menu, a pause), the picture is the race's own:
// the last tick's, not one on the way to a tick that has not run.
void SdlPlatform::Impl::Hold() {
  if (shown == &picture) return;
  shown = &picture;
  RepaintForm1();
}

// Whether the window has the size its mode and scale give it, as both SDL
// and the X server see it. While a resize is under way they disagree, and a
// picture presented then shows cut, in a corner, or beside a stale copy of
// the last one. The X server is asked only then; a window manager that
// never grants the size holds the pictures back no longer than
// kResizeWaitUs.
bool SdlPlatform::Impl::HasItsSize() {
  if (!resize_until) return true;
  SDL_Window* window = form1->window();
  SDL_Point want{kForm1Width * scale, kForm1Height * scale};
  if (fullscreen) {
    SDL_Rect screen_rect{};
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &screen_rect) == 0) {
      want = SDL_Point{screen_rect.w, screen_rect.h};
    }
  }
  SDL_Point sdl{};
  SDL_GetWindowSize(window, &sdl.x, &sdl.y);
  const std::optional<SDL_Point> x = XWindowSize(window);
  const bool there =
      sdl.x == want.x && sdl.y == want.y && (!x || (x->x == want.x && x->y == want.y));
  if (there || MonotonicMicros() >= *resize_until || form1->gone()) resize_until.reset();
  return !resize_until;
}

void SdlPlatform::Impl::RepaintMenu() {
  if (menu == nullptr || form2 == nullptr) return;
  if (menu_image == nullptr) return;
  PaintForm2(menu_image, menu->Frames(), *fonts, scale);
  form2->ShowImage(menu_image);
}

// The window manager's title bar and borders around the windowed game
// window, as SDL knows them once the window is shown, else as the window
// manager announced them (SDL reports none in fullscreen, nor before).
FrameExtents SdlPlatform::Impl::Frame() const {
  int top = 0, left = 0, bottom = 0, right = 0;
  int got = -1;
  if (!fullscreen) {
    form1->Trapped(
        [&] { got = SDL_GetWindowBordersSize(form1->window(), &top, &left, &bottom, &right); });
  }
  if (got == 0 && (top != 0 || left != 0 || bottom != 0 || right != 0)) {
    return FrameExtents{left, right, top, bottom};
  }
  return requested_frame;
}

// The display's room less the task bars; empty when unknown.
SDL_Rect SdlPlatform::Impl::Usable() const {
  SDL_Rect usable{};
  const int display = std::max(SDL_GetWindowDisplayIndex(form1->window()), 0);
  if (SDL_GetDisplayUsableBounds(display, &usable) != 0) usable = SDL_Rect{};
  return usable;
}

int SdlPlatform::Impl::LargestWindowedScale() const {
  // The room less the frame around the client area. An unknown room keeps
  // the scale asked for, rather than the largest of all.
  const SDL_Rect usable = Usable();
  const FrameExtents frame = Frame();
  return LargestScaleIn(std::max(auto_scale, chosen_scale.value_or(1)), kForm1Width, kForm1Height,
                        usable.w > 0 ? usable.w - frame.left - frame.right : 0,
                        usable.h > 0 ? usable.h - frame.top - frame.bottom : 0);
}

// The windowed scale is the player's choice (Ctrl+Plus/Minus, --scale, the
// settings file) or, with none, the display's own; at most the largest that
// fits, frame included. The choice itself stays as it was: it is the
// player's, and may fit a larger screen.
int SdlPlatform::Impl::WindowedScale() const {
  return std::min(chosen_scale.value_or(auto_scale), LargestWindowedScale());
}

// Says once that the player's scale does not fit, as the windowed window is
// first seen at a lower one.
void SdlPlatform::Impl::TellFit() {
  if (fit_told || fullscreen || !chosen_scale || scale >= *chosen_scale) return;
  fit_told = true;
  if (on_warning) {
    on_warning("scale " + std::to_string(*chosen_scale) +
               " does not fit on the screen with the window's frame; using scale " +
               std::to_string(scale));
  }
}

// Puts the windows in the current mode and scale and repaints them;
// fullscreen takes the largest scale that fits the screen.
void SdlPlatform::Impl::ApplyWindowMode() {
  SDL_Window* window = form1->window();
  const bool is_fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  if (fullscreen != is_fullscreen) {
    int refused = 0;
    form1->Trapped([&] {
      refused = SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    });
    if (refused != 0) fullscreen = is_fullscreen;  // the window stays as it was
  }
  if (fullscreen) {
    SDL_Rect screen{};
    if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(window), 0), &screen) != 0) {
      screen = SDL_Rect{};  // unknown: the scale stays
    }
    scale = LargestScaleIn(scale, kForm1Width, kForm1Height, screen.w, screen.h);
  } else {
    scale = WindowedScale();
    const int new_w = kForm1Width * scale, new_h = kForm1Height * scale;
    SDL_Rect old{};
    SDL_GetWindowPosition(window, &old.x, &old.y);
    SDL_GetWindowSize(window, &old.w, &old.h);
    if (old.w != new_w || old.h != new_h) {
      // Growing then shrinking again puts the window back where it was.
      const int display = std::max(SDL_GetWindowDisplayIndex(window), 0);
      const SDL_Point at =
          is_fullscreen ? SDL_Point{static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display)),
                                    static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(display))}
                        : CentreKeptIn(old, new_w, new_h, Usable(), Frame());
      form1->Trapped([&] {
        SDL_SetWindowSize(window, new_w, new_h);
        SDL_SetWindowPosition(window, at.x, at.y);
      });
    }
  }
  resize_until = MonotonicMicros() + kResizeWaitUs;
  RepaintForm1();
  if (menu != nullptr && form2 != nullptr && !form2->gone()) {
    PlaceMenu();
    form2->TakeFocus();
    RepaintMenu();
  }
  if (form1->shown()) TellFit();
}

// Sizes the menu window at the current scale and centres it over the game
// window.
void SdlPlatform::Impl::PlaceMenu() {
  const int w = kForm2Width * scale, h = kForm2Height * scale;
  if (menu_image == nullptr || menu_image->w != w || menu_image->h != h) {
    SDL_FreeSurface(menu_image);
    menu_image = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  }
  SDL_Point at{};
  form1->Trapped([&] { at = CentredOver(form1->window(), w, h); });
  form2->Trapped([&] {
    int now_w = 0, now_h = 0;
    SDL_GetWindowSize(form2->window(), &now_w, &now_h);
    if (now_w != w || now_h != h) SDL_SetWindowSize(form2->window(), w, h);
    SDL_SetWindowPosition(form2->window(), at.x, at.y);
  });
}

// F11, Alt+Enter, Ctrl+Plus/Minus/0, Esc in fullscreen, P, Pause and M:
// acts on them and returns true, so that they go no further; false for the
// game's keys.
bool SdlPlatform::Impl::HandleWindowKey(const SDL_KeyboardEvent& key) {
  const SDL_Keycode sym = key.keysym.sym;
  // The layout is asked only for Ctrl's keys: one round trip per such press.
  const char32_t typed = (key.keysym.mod & KMOD_CTRL) == 0
                             ? UnshiftedChar(sym)
                             : XTypedChar(form1->window(), sym, (key.keysym.mod & KMOD_SHIFT) != 0)
                                   .value_or(UnshiftedChar(sym));
  const WindowKey what = WindowKeyFor(sym, key.keysym.mod, typed, fullscreen, menu != nullptr);
  if (what == WindowKey::kNone) return false;
  if (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) return_taken = true;
  if (key.repeat != 0) return true;  // a held key acts once
  if (what == WindowKey::kPause) {
    paused_by_key = !paused_by_key;
    if (paused_by_key && !paused) Pause();
    ResumeIfBack();
    return true;
  }
  if (what == WindowKey::kToggleSound) {
    audio->SetOn(!audio->on());
    if (on_sound) on_sound(audio->on());
    return true;
  }
  const int before = WindowedScale();
  const std::optional<int> chosen_before = chosen_scale;
  const bool fullscreen_before = fullscreen;
  switch (what) {
    case WindowKey::kToggleFullscreen:
      fullscreen = !fullscreen;
      break;
    case WindowKey::kLeaveFullscreen:
      fullscreen = false;
      break;
    // From the scale shown, through the scales that fit; at either end the
    // choice stays as it was.
    case WindowKey::kScaleUp:
      if (!fullscreen && before < LargestWindowedScale()) chosen_scale = before + 1;
      break;
    case WindowKey::kScaleDown:
      if (!fullscreen && before > 1) chosen_scale = before - 1;
      break;
    case WindowKey::kScaleAuto:
      if (!fullscreen) chosen_scale.reset();
      break;
    case WindowKey::kPause:
    case WindowKey::kToggleSound:
    case WindowKey::kNone:
      break;
  }
  ApplyWindowMode();
  if (on_choice && (chosen_scale != chosen_before || fullscreen != fullscreen_before)) {
    on_choice(chosen_scale, fullscreen);
  }
  return true;
}

// The whole-number scale of the windows.
namespace {

constexpr double kBaseDpi = 96.0;  // the density the layout's pixels are meant for
constexpr double kHighDpi = 144.0;
constexpr int kMaxScale = 16;  // far beyond any screen; keeps window sizes in int range

}  // namespace

int ScaleForDpi(double dpi) {
  if (!std::isfinite(dpi) || dpi < kHighDpi) return 1;
  const double nearest = std::floor(dpi / kBaseDpi + 0.5);
  return static_cast<int>(std::clamp(nearest, 1.0, static_cast<double>(kMaxScale)));
}

int ScaleThatFits(int scale, int width, int height, int avail_width, int avail_height) {
  scale = std::clamp(scale, 1, kMaxScale);
  if (avail_width <= 0 || avail_height <= 0 || width <= 0 || height <= 0) return scale;
  while (scale > 1 && (width * scale > avail_width || height * scale > avail_height)) --scale;
  return scale;
}

int LargestScaleIn(int fallback, int width, int height, int avail_width, int avail_height) {
  if (avail_width <= 0 || avail_height <= 0) return std::clamp(fallback, 1, kMaxScale);
  return ScaleThatFits(kMaxScale, width, height, avail_width, avail_height);
}

namespace {

// `at` moved as little as possible into [low, high]; `low` when that is empty.
int Within(int at, int low, int high) {
  return std::max(std::min(at, high), low);
}

}  // namespace

SDL_Point CentreKeptIn(const SDL_Rect& old, int width, int height, const SDL_Rect& usable,
                       const FrameExtents& frame) {
  // Halved towards zero both ways, so the step and its reverse cancel.
  SDL_Point at{old.x + (old.w - width) / 2, old.y + (old.h - height) / 2};
  if (usable.w <= 0 || usable.h <= 0) return at;
  at.x = Within(at.x, usable.x + frame.left, usable.x + usable.w - frame.right - width);
  at.y = Within(at.y, usable.y + frame.top, usable.y + usable.h - frame.bottom - height);
  return at;
}

int DisplayScale(int width, int height) {
  const int wanted = ScaleForDpi(DisplayDpi());
  if (wanted == 1) return 1;
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) usable = SDL_Rect{};
  return ScaleThatFits(wanted, width, height, usable.w, usable.h);
}

// When a window timer is due.
PeriodicSchedule::PeriodicSchedule(int64_t period_us) : period_us_(period_us) {}

void PeriodicSchedule::SetEnabled(bool enabled, int64_t now_us) {
  if (enabled && !enabled_) next_us_ = now_us + period_us_;
  enabled_ = enabled;
}

std::optional<int64_t> PeriodicSchedule::deadline() const {
  if (!enabled_) return std::nullopt;
  return next_us_;
}

bool PeriodicSchedule::Due(int64_t now_us) const {
  return enabled_ && now_us >= next_us_;
}

void PeriodicSchedule::BeginRun() {
  next_us_ += period_us_;
}

void PeriodicSchedule::EndRun(int64_t now_us) {
  // A handler that switched the timer off and on again has re-armed it from
  // that moment; the rule below leaves such a future deadline alone.
  if (enabled_ && next_us_ <= now_us) next_us_ = now_us + period_us_;
}

}  // namespace quorvel
