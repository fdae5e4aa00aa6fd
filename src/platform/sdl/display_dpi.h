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
#pragma once

#include <optional>

namespace quorvel {

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
