#include "platform/sdl/display_dpi.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace quorvel {

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
