// Build-time tool: writes the game's icon at one size as a PNG with an alpha
// channel, for the desktop's icon theme. Usage: quorvel-icon SIZE FILE
// (SIZE in pixels, 1 to 1024). Exit status 1 with one line on stderr when
// the arguments are wrong or the file cannot be written.

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/sdl/game_icon.h"

namespace {

constexpr int kMaxSize = 1024;  // pixels

// The raster's PNG writer drops alpha; an icon needs its transparent corners.
bool WriteRgbaPng(SDL_Surface* surface, const char* path, std::string& error) {
  const int stride = surface->w * 4;
  std::vector<unsigned char> rgba(static_cast<size_t>(stride) * surface->h);
  if (SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels,
                        surface->pitch, SDL_PIXELFORMAT_RGBA32, rgba.data(), stride) != 0) {
    error = std::string("cannot convert the icon: ") + SDL_GetError();
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(surface->w);
  image.height = static_cast<png_uint_32>(surface->h);
  image.format = PNG_FORMAT_RGBA;
  const bool written = png_image_write_to_file(&image, path, 0, rgba.data(), stride, nullptr) != 0;
  if (!written) error = std::string("cannot write ") + path + ": " + image.message;
  png_image_free(&image);
  return written;
}

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
  const bool written = WriteRgbaPng(icon, argv[2], error);
  SDL_FreeSurface(icon);
  if (!written) {
    std::fprintf(stderr, "quorvel-icon: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
