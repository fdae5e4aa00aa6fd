// Writes the game window's client area (the drawing surface with the labels
// over it) as numbered PNG files DIR/frame-000001.png, ... for the headless
// driver's --frames option.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "platform/raster/fonts.h"
#include "ui/game_window.h"

namespace quorvel {

class FrameWriter {
 public:
  FrameWriter();
  ~FrameWriter();
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;

  // Loads the game font if not done yet. False (with `error` set to one line)
  // when it cannot be found.
  bool EnsureFonts(std::string& error);
  // Starts writing into `dir`, an existing directory; empty stops. False with
  // `error` set when the directory or the font is missing.
  bool SetDir(const std::string& dir, std::string& error);
  bool active() const;
  // Writes frame number `frame`, or with `subframe` 1 and up a picture drawn
  // between that frame and the next, named to sort between them
  // (frame-000007s01.png). After the first failure nothing more is written
  // and error() tells why.
  void Write(long frame, int subframe, SDL_Surface* picture, const Form1Labels& labels,
             const Form1Notes& notes);
  const std::string& error() const;

 private:
  std::unique_ptr<FontCache> fonts_;
  std::string dir_;
  std::string error_;
  SDL_Surface* client_ = nullptr;  // reused between frames
};

}  // namespace quorvel
