#include "platform/sdl/x11_queries.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quorvel {

namespace {

// Xlib calls the error handler without user data, so the traps' state lives
// here. Only the window thread touches it (Xlib runs the handler inside the
// call that read the error).
XErrorHandler previous_handler = nullptr;
bool installed = false;
int open_traps = 0;
unsigned long trapped_errors = 0;  // caught in traps so far

int HandleXError(Display* display, XErrorEvent* event) {
  if (open_traps > 0) {
    ++trapped_errors;
    return 0;
  }
  return previous_handler != nullptr ? previous_handler(display, event) : 0;
}

}  // namespace

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

void InstallXErrorHandler() {
  if (installed) return;
  previous_handler = XSetErrorHandler(HandleXError);
  installed = true;
}

void RemoveXErrorHandler() {
  if (!installed) return;
  XSetErrorHandler(previous_handler);
  previous_handler = nullptr;
  installed = false;
}

XErrorTrap::XErrorTrap(SDL_Window* window) : errors_before_(trapped_errors) {
  unsigned long id = 0;
  Display* display = nullptr;
  if (XIdOf(window, display, id)) display_ = display;
  ++open_traps;
}

XErrorTrap::~XErrorTrap() {
  Sync();
  --open_traps;
}

void XErrorTrap::Sync() {
  if (display_ != nullptr) XSync(static_cast<Display*>(display_), False);
}

bool XErrorTrap::Caught() {
  Sync();
  return trapped_errors != errors_before_;
}

bool XWindowExists(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return true;
  XErrorTrap trap(window);
  XWindowAttributes attributes;
  return XGetWindowAttributes(display, id, &attributes) != 0 && !trap.Caught();
}

void XSetTitle(SDL_Window* window, const std::string& utf8) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
  const Atom net_wm_name = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8_string = XInternAtom(display, "UTF8_STRING", False);
  XChangeProperty(display, id, net_wm_name, utf8_string, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()),
                  static_cast<int>(utf8.size()));
  // Latin-1 where it holds the title, else compound text: what clients
  // reading only WM_NAME understand.
  char* list[] = {const_cast<char*>(utf8.c_str())};
  XTextProperty text{};
  if (Xutf8TextListToTextProperty(display, list, 1, XStdICCTextStyle, &text) >= Success) {
    XSetWMName(display, id, &text);
    XFree(text.value);
  }
  XFlush(display);
}

void BeforeDestroyingGoneXWindow(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
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
  XErrorTrap trap(window);
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
  if (!XIdOf(window, display, id)) return std::nullopt;
  XErrorTrap trap(window);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, id, &attributes) == 0 || trap.Caught()) return std::nullopt;
  return SDL_Point{attributes.width, attributes.height};
}

void XPaintUnpaintedBlack(SDL_Window* window) {
  Display* display = nullptr;
  unsigned long id = 0;
  if (!XIdOf(window, display, id)) return;
  XErrorTrap trap(window);
  XSetWindowBackground(display, id, BlackPixel(display, DefaultScreen(display)));
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
