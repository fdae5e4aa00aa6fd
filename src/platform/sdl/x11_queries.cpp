#include "platform/sdl/x11_queries.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
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
// The error code the X server gives OpenGL's presents to a window that is
// gone (GLXBadDrawable), once a window is watched; -1 before or without GLX.
int glx_bad_drawable = -1;
int glx_opcode = -1;  // GLX's major request code; -1 before or without GLX
bool tolerate_glx = false;

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

bool AnyGone() {
  for (const Watched& w : watched) {
    if (w.gone) return true;
  }
  return false;
}

// A window of ours that the server no longer knows is a window gone, which
// the game treats as a close; any other error keeps its old meaning.
int FilterXError(Display* display, XErrorEvent* event) {
  if (tolerate_glx && event->request_code == glx_opcode) return 0;
  // SDL asks where a window lies (TranslateCoordinates) as it handles the
  // events of windows that another program may destroy meanwhile, and has
  // been seen to ask about no window at all: the answer only moves SDL's
  // idea of a position, so its failure is no fault of the game's.
  if (event->error_code == BadWindow && event->request_code == X_TranslateCoords) return 0;
  if ((event->error_code == BadWindow || event->error_code == BadDrawable) &&
      event->resourceid == 0) {
    return 0;
  }
  if ((event->error_code == BadWindow || event->error_code == BadDrawable ||
       event->error_code == glx_bad_drawable) &&
      MarkGone(event->resourceid)) {
    return 0;
  }
  // SDL makes a new drawing context (GC) for a window whenever its size
  // changes; made for a window already gone, it never exists, and freeing it
  // later fails. Nothing is lost by that.
  if (event->error_code == BadGC && event->request_code == X_FreeGC && AnyGone()) return 0;
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
  glx_bad_drawable = -1;
  glx_opcode = -1;
  tolerate_glx = false;
}

void XTolerateGlxErrors(SDL_Window* window, bool tolerate) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
  if (!tolerate) XSync(display, False);
  tolerate_glx = tolerate;
}

void WatchXWindow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
  watched.push_back({id, false});
  int opcode = 0, first_event = 0, first_error = 0;
  if (XQueryExtension(display, "GLX", &opcode, &first_event, &first_error)) {
    glx_bad_drawable = first_error + 2;  // after GLXBadContext, GLXBadContextState
    glx_opcode = opcode;
  }
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

namespace {

// Whether the running window manager lists `atom` among what it supports.
bool WindowManagerSupports(Display* display, Atom atom) {
  const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM,
                         &type, &format, &count, &after, &data) == Success &&
      data != nullptr) {
    if (type == XA_ATOM && format == 32) {
      const auto* atoms = reinterpret_cast<const Atom*>(data);  // Xlib hands 32-bit items as long
      for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == atom;
    }
    XFree(data);
  }
  return found;
}

std::optional<FrameExtents> ReadFrameExtents(Display* display, Window window, Atom extents) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::optional<FrameExtents> frame;
  if (XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    if (type == XA_CARDINAL && format == 32 && count == 4) {
      const auto* v = reinterpret_cast<const long*>(data);
      frame = FrameExtents{static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
                           static_cast<int>(v[3])};
    }
    XFree(data);
  }
  return frame;
}

}  // namespace

std::optional<FrameExtents> XRequestFrameExtents(SDL_Window* window, int timeout_ms) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return std::nullopt;
  const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
  const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
  if (!WindowManagerSupports(display, request)) return std::nullopt;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = id;
  event.xclient.message_type = request;
  event.xclient.format = 32;
  XSendEvent(display, DefaultRootWindow(display), False,
             SubstructureRedirectMask | SubstructureNotifyMask, &event);
  XFlush(display);
  // The answer is a property on the window; each read is a round trip.
  const Uint64 end = SDL_GetTicks64() + static_cast<Uint64>(timeout_ms);
  for (;;) {
    if (std::optional<FrameExtents> frame = ReadFrameExtents(display, id, extents)) return frame;
    if (SDL_GetTicks64() >= end) return std::nullopt;
    SDL_Delay(2);
  }
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

std::optional<SDL_Point> XWindowSize(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id) || XWindowGone(window)) return std::nullopt;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, id, &attributes) == 0) return std::nullopt;
  return SDL_Point{attributes.width, attributes.height};
}

void XPaintUnpaintedBlack(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
  XSetWindowBackground(display, id, BlackPixel(display, DefaultScreen(display)));
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

// The display's dpi.
namespace {

constexpr double kDefaultDpi = 96.0;
constexpr double kMillimetresPerInch = 25.4;

std::optional<double> PositiveNumber(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  const double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

// A connection of our own to the display SDL uses ($DISPLAY), kept only for
// the two queries: SDL 2 does not hand out its X11 connection before a
// window exists, and the windows' size depends on the answer.
std::optional<double> X11DisplayDpi() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return std::nullopt;
  std::optional<double> dpi = XftDpiFromResources(XResourceManagerString(display));
  if (!dpi) {
    const int screen = DefaultScreen(display);
    dpi = ScreenDpi(DisplayWidth(display, screen), DisplayHeight(display, screen),
                    DisplayWidthMM(display, screen), DisplayHeightMM(display, screen));
  }
  XCloseDisplay(display);
  return dpi;
}

}  // namespace

std::optional<double> XftDpiFromResources(const char* resources) {
  if (resources == nullptr || resources[0] == '\0') return std::nullopt;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (database == nullptr) return std::nullopt;
  char* type = nullptr;
  XrmValue value{};
  std::optional<double> dpi;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr != nullptr) {
    dpi = PositiveNumber(std::string(value.addr, strnlen(value.addr, value.size)));
  }
  XrmDestroyDatabase(database);
  return dpi;
}

std::optional<double> ScreenDpi(int width_px, int height_px, int width_mm, int height_mm) {
  if (width_px <= 0 || height_px <= 0 || width_mm <= 0 || height_mm <= 0) return std::nullopt;
  const double horizontal = width_px * kMillimetresPerInch / width_mm;
  const double vertical = height_px * kMillimetresPerInch / height_mm;
  return (horizontal + vertical) / 2.0;
}

double DisplayDpi() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && std::strcmp(driver, "x11") == 0) {
    if (const std::optional<double> dpi = X11DisplayDpi()) return *dpi;
  }
  return kDefaultDpi;
}

}  // namespace quorvel
