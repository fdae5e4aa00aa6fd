// Test helper: reading a PNG file into 8-bit RGB, for tests that link libpng
// (the platform folder).
#pragma once

#include <png.h>

#include <string>
#include <vector>

namespace quorvel::testing {

struct PngInfo {
  bool ok = false;
  int w = 0, h = 0;
  std::vector<unsigned char> rgb;
};

inline PngInfo ReadPng(const std::string& path) {
  PngInfo info;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return info;
  image.format = PNG_FORMAT_RGB;
  info.rgb.resize(PNG_IMAGE_SIZE(image));
  info.ok = png_image_finish_read(&image, nullptr, info.rgb.data(), 0, nullptr) != 0;
  info.w = static_cast<int>(image.width);
  info.h = static_cast<int>(image.height);
  return info;
}

}  // namespace quorvel::testing
