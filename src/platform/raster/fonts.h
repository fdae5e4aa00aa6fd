// Finding the game's font through fontconfig and opening it with SDL2_ttf.
#pragma once

#include <SDL_ttf.h>

#include <string>

namespace quorvel {

// Family the labels use (the IPA P Gothic font from Debian's
// fonts-ipafont-gothic); labels with no font of their own use it at 9 pt.
inline constexpr const char* kFontFamily = "IPAPGothic";

// Path of the font file for kFontFamily, or an empty string with `error`
// set to one line naming the missing Debian package.
std::string FindGameFont(std::string& error);

// Point size at 96 dpi to pixels, nearest: 14.25 pt -> 19, 72 pt -> 96.
int PointsToPixels(float points);

// A cache of the game font opened at the pixel sizes asked for (the em
// height in pixels). Initialises SDL2_ttf for its own lifetime (SDL2_ttf
// counts initialisations, so callers may have done it too). With an empty
// path every size is nullptr: labels then show no text.
class FontCache {
 public:
  explicit FontCache(std::string path);
  ~FontCache();
  FontCache(const FontCache&) = delete;
  FontCache& operator=(const FontCache&) = delete;
  // The font at `pixels` pixels, or nullptr when it cannot be opened.
  TTF_Font* At(int pixels);

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace quorvel
