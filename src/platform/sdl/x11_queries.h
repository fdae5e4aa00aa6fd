// Everything the game asks the X server itself, on SDL's x11 driver: the
// display's dpi, the keyboard (keymap, layout, focus), and the game's own
// windows as the server sees them.
//
// The game's own X windows:
// an error filter that notices when one of them has been destroyed (by the
// game at its end, or by another program), and whether the keyboard focus is
// on one of them. With any other video driver every call is a no-op.
//
// Xlib reports errors asynchronously, through one process-wide handler: the
// filter goes in before SDL opens the display and comes out after SDL has
// closed it, so that SDL, which restores the handler it found before closing
// its connections, hands every late error to the filter rather than to
// Xlib's default handler (which prints "X Error ..." and exits with 1).
#pragma once

#include <SDL.h>

#include <array>
#include <optional>
#include <span>

#include "platform/sdl/display_scale.h"

namespace quorvel {

// Around SDL_Init and SDL_Quit.
void InstallXErrorFilter();
void RemoveXErrorFilter();

// Starts watching a window of the game's: from now on BadWindow and
// BadDrawable errors about it are the window being gone, never fatal. The id
// stays watched after the window is destroyed, for errors still on the way.
void WatchXWindow(SDL_Window* window);
// While `tolerate` is on, X errors from the OpenGL extension (GLX) are
// ignored: they come of trying an OpenGL renderer where the X server or the
// driver cannot give one, and SDL then reports the renderer as failed.
// Turning it off first waits for the errors still on the way.
void XTolerateGlxErrors(SDL_Window* window, bool tolerate);

// Whether the X server no longer has the window (destroyed, by whoever).
bool XWindowGone(SDL_Window* window);
// Asks the X server whether the window still exists (one round trip); the
// answer shows in XWindowGone. SDL reports a window destroyed by another
// program only as hidden, so this follows every hide.
void ProbeXWindow(SDL_Window* window);

// Call just before SDL_DestroyWindow. SDL hides a window it still thinks
// shown before destroying it and then waits for the X server to report it
// unmapped, which for a window that is gone never happens; this hands SDL
// that report.
void BeforeDestroyingXWindow(SDL_Window* window);

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
// The keyboard's keys down, one bit per X key code, as the X server saw
// them at one moment.
struct XKeymap {
  std::array<char, 32> bits{};
};
// Asks the X server which keys are down now (one round trip), through the
// display of `window`, so whichever window has the focus and whatever SDL
// made of focus changes. Nullopt off x11.
std::optional<XKeymap> XKeymapNow(SDL_Window* window);
// Whether any of `keysyms` (X keysym values) is down in `keys`; no round trip.
bool XAnyKeyDown(SDL_Window* window, const XKeymap& keys, std::span<const unsigned long> keysyms);

// The character that the key SDL calls `key` gives on the current layout
// with Shift held or not (0 for none). Nullopt off x11 or for a key X does
// not know.
std::optional<char32_t> XTypedChar(SDL_Window* window, SDL_Keycode key, bool shift);

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
