// Everything the game asks the X server itself, on SDL's x11 driver: the
// display's dpi, the keyboard focus, the game's own windows as the server
// sees them, and the traps that catch the X errors of a call that may fail
// because another program destroyed a window of the game's. With any other
// video driver every call is a no-op.
//
// Xlib reports errors asynchronously, through one process-wide handler. The
// game's goes in before SDL opens the display and comes out after SDL has
// closed it (SDL restores the handler it found before closing its
// connections). While a trap is open the handler only counts errors; the
// trap waits at its end for the errors of the calls made inside it. An error
// outside every trap goes to Xlib's own handler, which prints "X Error ..."
// and ends the game with status 1.
#pragma once

#include <SDL.h>

#include <optional>
#include <span>
#include <string>

typedef struct _XDisplay Display;  // Xlib's

namespace quorvel {

// The window's X display and id; false off x11.
bool XIdOf(SDL_Window* window, Display*& display, unsigned long& id);

// Around SDL_Init and SDL_Quit.
void InstallXErrorHandler();
void RemoveXErrorHandler();

// Catches the X errors of the calls made while it is open, and at its end
// waits for the answers to those made on the display of `window` (none for
// nullptr, off x11, or for a window SDL no longer knows).
class XErrorTrap {
 public:
  explicit XErrorTrap(SDL_Window* window);
  ~XErrorTrap();
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;
  // Whether the calls made so far caused an error (waits for their answers:
  // one round trip).
  bool Caught();

 private:
  void Sync();
  void* display_ = nullptr;
  unsigned long errors_before_;
};

// Gives the window the title `utf8` in both of its X properties, whatever
// the locale: _NET_WM_NAME as UTF-8, which window managers show, and
// WM_NAME in the oldest encoding that holds it. SDL sets them only where the
// locale's own encoding can hold the title, and the game never sets a
// locale. Nothing off x11.
void XSetTitle(SDL_Window* window, const std::string& utf8);

// Whether the X server still has the window (one round trip); true off x11.
bool XWindowExists(SDL_Window* window);

// Call just before SDL_DestroyWindow for a window another program destroyed.
// SDL hides a window it still thinks shown before destroying it and then
// waits for the X server to report it unmapped, which for a window that is
// gone never happens; this hands SDL that report.
void BeforeDestroyingGoneXWindow(SDL_Window* window);

// The frame a window manager draws around a client area (title bar and
// borders), in screen pixels; all 0 without one.
struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
};

// The frame the window manager will draw around `window`, asked before the
// window is first shown (_NET_REQUEST_FRAME_EXTENTS), so that its first size
// can already fit the screen with its title bar. Waits at most `timeout_ms`
// for the answer. Nothing off x11, without a window manager that offers the
// request, or without an answer in time.
std::optional<FrameExtents> XRequestFrameExtents(SDL_Window* window, int timeout_ms);

// The window's client area as the X server has it now, which lags behind
// SDL's own idea while a resize is under way (one round trip). Nothing off
// x11 or for a window that is gone.
std::optional<SDL_Point> XWindowSize(SDL_Window* window);

// Has the X server fill what the window has not painted yet with black:
// after a resize (fullscreen, a new scale) the new area shows black until
// the first picture at the new size, rather than whatever the screen held
// there before. Nothing off x11.
void XPaintUnpaintedBlack(SDL_Window* window);

// Whether the X input focus is on one of `windows`; false off x11.
bool XFocusOnAnyOf(std::span<SDL_Window* const> windows);
// The dots per inch of the display SDL has opened, as the desktop states it.
//
// On X11, in this order:
//  1. Xft.dpi in the X server's resource database (the RESOURCE_MANAGER
//     property of the root window): what desktops set for their scaling
//     (200 % gives 192) and what `xrdb` loads. It wins because it is the
//     user's choice; the physical size below is often a guess.
//  2. The X screen's own resolution, from its size in pixels and in
//     millimetres: what `Xvfb -dpi`, `xrandr --dpi` and the X server's
//     DisplaySize set.
// SDL 2.26's SDL_GetDisplayDPI is no use there: on X11 with RandR it reads
// only the monitor's physical size, which Xvfb reports as 0 mm (so it
// fails) and a real monitor's EDID may get wrong; it reads Xft.dpi only on
// servers without RandR.
// Other video drivers give 96: a Wayland compositor already enlarges the
// windows of programs that do not ask for high-density buffers (the game
// does not), so scaling here too would enlarge them twice.
// Nothing is read from files or the environment beyond the display
// connection itself.
// 96 when no source gives an answer or the video driver is not X11.
double DisplayDpi();

// Xft.dpi from the text of an X resource database (as in RESOURCE_MANAGER),
// wildcards and later overrides as Xlib resolves them. Nothing when the
// resource is absent or is not a positive number.
std::optional<double> XftDpiFromResources(const char* resources);

// The X screen's resolution from its pixel and millimetre sizes (the mean
// of the horizontal and vertical dpi). Nothing when a size is 0 or less.
std::optional<double> ScreenDpi(int width_px, int height_px, int width_mm, int height_mm);

}  // namespace quorvel
