// PNG output of an SDL_Surface, for frames written by the headless driver
// and for tests.
#pragma once

#include <SDL.h>

#include <string>

namespace quorvel {

enum class PngAlpha { kDrop, kKeep };

// Writes `surface` as an 8-bit RGB PNG, or RGBA with kKeep (icons need their
// transparent corners). Returns false (and sets `error`) when the file
// cannot be written; `error` leaves out the path, which the caller names as
// it sees fit.
bool WritePng(SDL_Surface* surface, const std::string& path, std::string& error,
              PngAlpha alpha = PngAlpha::kDrop);

}  // namespace quorvel
