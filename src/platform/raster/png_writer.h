// PNG output of an SDL_Surface, for frames written by the headless driver
// and for tests.
#pragma once

#include <SDL.h>

#include <string>

namespace quorvel {

// Writes `surface` as an 8-bit RGB PNG. Returns false (and sets `error`)
// when the file cannot be written.
bool WritePng(SDL_Surface* surface, const std::string& path, std::string& error);

}  // namespace quorvel
