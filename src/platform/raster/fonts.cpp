#include "platform/raster/fonts.h"

#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace quorvel {

namespace {

const char kMissingFont[] =
    "font IPAPGothic not found: install the Debian package fonts-ipafont-gothic";

const FcChar8* Fc(const char* text) {
  return reinterpret_cast<const FcChar8*>(text);
}

// True when one of the matched font's family names is kFontFamily: fontconfig
// answers every query with its best substitute, so a match alone proves
// nothing.
bool IsGameFamily(FcPattern* match) {
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(family, Fc(kFontFamily)) == 0) return true;
  }
  return false;
}

bool Readable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::fclose(f);
  return true;
}

}  // namespace

std::string FindGameFont(std::string& error) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) {
    error = kMissingFont;
    return {};
  }
  std::string path;
  FcPattern* pattern = FcPatternCreate();
  if (pattern != nullptr && FcPatternAddString(pattern, FC_FAMILY, Fc(kFontFamily)) &&
      FcConfigSubstitute(config, pattern, FcMatchPattern)) {
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcChar8* file = nullptr;
    if (match != nullptr && IsGameFamily(match) &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      path = reinterpret_cast<const char*>(file);
    }
    if (match != nullptr) FcPatternDestroy(match);
  }
  if (pattern != nullptr) FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  if (path.empty() || !Readable(path)) {
    error = kMissingFont;
    return {};
  }
  return path;
}

int PointsToPixels(float points) {
  // 96 pixels per inch, 72 points per inch.
  return static_cast<int>(std::nearbyint(static_cast<double>(points) * 96.0 / 72.0));
}

struct FontCache::Impl {
  std::string path;
  bool ttf_ready = false;
  std::map<int, TTF_Font*> fonts;  // by pixel size; nullptr: could not be opened
};

FontCache::FontCache(std::string path) : impl_(new Impl) {
  impl_->path = std::move(path);
  // SDL2_ttf counts its initialisations, so this pairs with the TTF_Quit in
  // the destructor whatever the caller did.
  impl_->ttf_ready = TTF_Init() == 0;
}

FontCache::~FontCache() {
  for (auto& [pixels, font] : impl_->fonts) {
    if (font != nullptr) TTF_CloseFont(font);
  }
  if (impl_->ttf_ready) TTF_Quit();
  delete impl_;
}

TTF_Font* FontCache::At(int pixels) {
  if (pixels <= 0 || impl_->path.empty() || !impl_->ttf_ready) return nullptr;
  auto it = impl_->fonts.find(pixels);
  if (it != impl_->fonts.end()) return it->second;
  // SDL2_ttf sizes fonts at 72 dpi, where a point is a pixel: the size given
  // is the em height in pixels, as a Windows font of that many pixels.
  TTF_Font* font = TTF_OpenFont(impl_->path.c_str(), pixels);
  impl_->fonts.emplace(pixels, font);
  return font;
}

}  // namespace quorvel
