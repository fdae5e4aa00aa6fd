// Build-time tool: writes the game's icon at one size as a PNG with an alpha
// channel, for the desktop's icon theme. Usage: quorvel-icon SIZE FILE
// (SIZE in pixels, 1 to 1024). Exit status 1 with one line on stderr when
// the arguments are wrong or the file cannot be written.

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/raster/png_writer.h"
#include "platform/sdl/game_icon.h"

namespace {
constexpr int kMaxSize = 1024;  // pixels
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quorvel-icon SIZE FILE\n");
    return 1;
  }
  char* end = nullptr;
  const long size = std::strtol(argv[1], &end, 10);
  if (end == argv[1] || *end != '\0' || size < 1 || size > kMaxSize) {
    std::fprintf(stderr, "quorvel-icon: SIZE must be 1 to %d pixels, not '%s'\n", kMaxSize,
                 argv[1]);
    return 1;
  }
  SDL_Surface* icon = quorvel::CreateGameIcon(static_cast<int>(size));
  if (icon == nullptr) {
    std::fprintf(stderr, "quorvel-icon: cannot draw the icon (%s)\n", SDL_GetError());
    return 1;
  }
  std::string error;
  const bool written = quorvel::WritePng(icon, argv[2], error, quorvel::PngAlpha::kKeep);
  SDL_FreeSurface(icon);
  if (!written) {
    std::fprintf(stderr, "quorvel-icon: %s: %s\n", argv[2], error.c_str());
    return 1;
  }
  return 0;
}
