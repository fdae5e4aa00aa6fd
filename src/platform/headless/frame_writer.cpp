#include "platform/headless/frame_writer.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/raster/png_writer.h"
#include "platform/raster/window_painter.h"
#include "ui/layout.h"

namespace quorvel {

namespace {

// Frame names have six digits, so that they sort in frame order.
constexpr long kMaxFrames = 999999;

// The strip of the game window's own background right of and below the
// drawing surface, in pixels (2).
int ClientMargin() {
  return (kForm1.client_width - kPicture1Width) / kTwipsPerPixel;
}

SDL_Surface* NewClientSurface(const SDL_Surface* picture) {
  return SDL_CreateRGBSurfaceWithFormat(0, picture->w + ClientMargin(), picture->h + ClientMargin(),
                                        32, SDL_PIXELFORMAT_ARGB8888);
}

}  // namespace

FrameWriter::FrameWriter() = default;

FrameWriter::~FrameWriter() {
  if (client_ != nullptr) SDL_FreeSurface(client_);
}

bool FrameWriter::EnsureFonts(std::string& error) {
  if (fonts_ != nullptr) return true;
  const std::string path = FindGameFont(error);
  if (path.empty()) return false;
  fonts_ = std::make_unique<FontCache>(path);
  return true;
}

bool FrameWriter::SetDir(const std::string& dir, std::string& error) {
  if (dir.empty()) {
    dir_.clear();
    return true;
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    error = "not a directory";
    return false;
  }
  if (!EnsureFonts(error)) return false;
  dir_ = dir;
  error_.clear();
  return true;
}

bool FrameWriter::active() const {
  return !dir_.empty() && error_.empty();
}

void FrameWriter::Write(long frame, int subframe, SDL_Surface* picture, const Form1Labels& labels,
                        const Form1Notes& notes) {
  if (!active()) return;
  if (frame > kMaxFrames) {
    error_ = "more than " + std::to_string(kMaxFrames) +
             " frames: their six-digit names would no longer sort in order";
    return;
  }
  if (client_ == nullptr || client_->w != picture->w + ClientMargin() ||
      client_->h != picture->h + ClientMargin()) {
    if (client_ != nullptr) SDL_FreeSurface(client_);
    client_ = NewClientSurface(picture);
    if (client_ == nullptr) {
      error_ = std::string("cannot make an image: ") + SDL_GetError();
      return;
    }
  }
  PaintForm1(client_, picture, labels, notes, *fonts_);
  char name[48];
  if (subframe > 0) {
    std::snprintf(name, sizeof name, "frame-%06lds%02d.png", frame, subframe);
  } else {
    std::snprintf(name, sizeof name, "frame-%06ld.png", frame);
  }
  // The directory is left out of the message: the caller names it.
  std::string error;
  if (!WritePng(client_, (std::filesystem::path(dir_) / name).string(), error)) {
    error_ = name + std::string(": ") + error;
  }
}

const std::string& FrameWriter::error() const {
  return error_;
}

}  // namespace quorvel
