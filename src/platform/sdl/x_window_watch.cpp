#include "platform/sdl/x_window_watch.h"

#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <vector>

namespace quorvel {

namespace {

struct Watched {
  unsigned long id;  // X window id
  bool gone;
};

// Xlib calls the error handler without user data, so its state lives here.
// Only the window thread touches it (Xlib runs the handler inside the call
// that read the error).
std::vector<Watched> watched;
XErrorHandler previous_handler = nullptr;
bool installed = false;

// The window's X display and id, or false off x11.
bool XIdOf(SDL_Window* window, Display*& display, unsigned long& id) {
  if (window == nullptr) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  display = info.info.x11.display;
  id = info.info.x11.window;
  return true;
}

bool MarkGone(unsigned long id) {
  for (Watched& w : watched) {
    if (w.id == id) {
      w.gone = true;
      return true;
    }
  }
  return false;
}

// A window of ours that the server no longer knows is a window gone, which
// the game treats as a close; any other error keeps its old meaning.
int FilterXError(Display* display, XErrorEvent* event) {
  if ((event->error_code == BadWindow || event->error_code == BadDrawable) &&
      MarkGone(event->resourceid)) {
    return 0;
  }
  return previous_handler != nullptr ? previous_handler(display, event) : 0;
}

}  // namespace

void InstallXErrorFilter() {
  if (installed) return;
  previous_handler = XSetErrorHandler(FilterXError);
  installed = true;
}

void RemoveXErrorFilter() {
  if (!installed) return;
  XSetErrorHandler(previous_handler);
  previous_handler = nullptr;
  installed = false;
  watched.clear();
}

void WatchXWindow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (XIdOf(window, display, id)) watched.push_back({id, false});
}

bool XWindowGone(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return false;
  for (const Watched& w : watched) {
    if (w.id == id) return w.gone;
  }
  return false;
}

void ProbeXWindow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
  // A window that is gone fails with BadWindow, which the filter notes.
  XWindowAttributes attributes;
  XGetWindowAttributes(display, id, &attributes);
}

void BeforeDestroyingXWindow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id) || !XWindowGone(window)) return;
  XEvent unmapped{};
  unmapped.xunmap.type = UnmapNotify;
  unmapped.xunmap.display = display;
  unmapped.xunmap.event = id;
  unmapped.xunmap.window = id;
  XPutBackEvent(display, &unmapped);
}

bool XFocusOnAnyOf(std::span<SDL_Window* const> windows) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (windows.empty() || !XIdOf(windows.front(), display, id)) return false;
  Window focus = None;
  int revert_to = 0;
  XGetInputFocus(display, &focus, &revert_to);
  for (SDL_Window* window : windows) {
    if (XIdOf(window, display, id) && id == focus) return true;
  }
  return false;
}

std::optional<XKeymap> XKeymapNow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return std::nullopt;
  XKeymap keys;
  XQueryKeymap(display, keys.bits.data());
  return keys;
}

bool XAnyKeyDown(SDL_Window* window, const XKeymap& keys, std::span<const unsigned long> keysyms) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return false;
  for (unsigned long keysym : keysyms) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    if (code != 0 && (keys.bits[code / 8] & (1 << (code % 8))) != 0) return true;
  }
  return false;
}

std::optional<char32_t> XTypedChar(SDL_Window* window, SDL_Keycode key, bool shift) {
  Display* display = nullptr;
  unsigned long id = 0;
  if ((key & SDLK_SCANCODE_MASK) != 0 || !XIdOf(window, display, id)) return std::nullopt;
  // SDL names a key by its unshifted character (the digit row by its digit),
  // the same value as that character's X keysym; X finds the key, then what
  // it gives in the keyboard's current group with this Shift state.
  const KeySym named = key < 0x100 ? KeySym(key) : KeySym(0x1000000 | key);
  const KeyCode code = XKeysymToKeycode(display, named);
  XkbStateRec state{};
  if (code == 0 || XkbGetState(display, XkbUseCoreKbd, &state) != Success) return std::nullopt;
  unsigned int mods_used = 0;
  KeySym gives = NoSymbol;
  if (!XkbLookupKeySym(display, code, XkbBuildCoreState(shift ? ShiftMask : 0, state.group),
                       &mods_used, &gives)) {
    return std::nullopt;
  }
  if (gives >= 0x20 && gives < 0x100) return static_cast<char32_t>(gives);  // Latin-1
  if ((gives & 0xff000000) == 0x01000000) return static_cast<char32_t>(gives & 0xffffff);
  return char32_t{0};
}

}  // namespace quorvel
