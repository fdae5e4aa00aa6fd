#include "platform/raster/png_writer.h"

#include <png.h>

#include <vector>

namespace quorvel {

bool WritePng(SDL_Surface* surface, const std::string& path, std::string& error, PngAlpha alpha) {
  if (surface == nullptr || surface->w <= 0 || surface->h <= 0) {
    error = "no image to write";
    return false;
  }
  // Three or four bytes a pixel in R, G, B (, A) order, whatever the
  // surface's format.
  const bool keep_alpha = alpha == PngAlpha::kKeep;
  const int stride = surface->w * (keep_alpha ? 4 : 3);
  std::vector<unsigned char> rgb(static_cast<size_t>(stride) * surface->h);
  if (SDL_LockSurface(surface) != 0) {
    error = std::string("cannot read the image: ") + SDL_GetError();
    return false;
  }
  const int converted = SDL_ConvertPixels(
      surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
      keep_alpha ? SDL_PIXELFORMAT_RGBA32 : SDL_PIXELFORMAT_RGB24, rgb.data(), stride);
  SDL_UnlockSurface(surface);
  if (converted != 0) {
    error = std::string("cannot convert the image: ") + SDL_GetError();
    return false;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(surface->w);
  image.height = static_cast<png_uint_32>(surface->h);
  image.format = keep_alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), stride, nullptr) == 0) {
    error = std::string("cannot write it: ") + image.message;
    png_image_free(&image);
    return false;
  }
  png_image_free(&image);
  return true;
}

}  // namespace quorvel
