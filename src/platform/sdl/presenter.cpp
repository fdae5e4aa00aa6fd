#include "platform/sdl/presenter.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/raster/window_painter.h"
#include "ui/layout.h"

namespace quorvel {

namespace {

SDL_Surface* NewArgb(int w, int h) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (s != nullptr) SDL_SetSurfaceBlendMode(s, SDL_BLENDMODE_NONE);
  return s;
}

// The see-through labels' boxes at `scale`, laid side by side in one
// texture: their left edges there.
int BoxesWidth(int scale) {
  int w = 0;
  for (const LabelLayout* label : Form1SeeThroughLabels()) w += LabelRect(*label, scale).w;
  return std::max(w, 1);
}
int BoxesHeight(int scale) {
  int h = 1;
  for (const LabelLayout* label : Form1SeeThroughLabels()) {
    h = std::max(h, LabelRect(*label, scale).h);
  }
  return h;
}

// Whether an OpenGL renderer draws on the CPU after all (Mesa's llvmpipe,
// softpipe or swrast, as on a desktop with no GPU or under Xvfb). Its
// context is current right after SDL_CreateRenderer.
bool DrawsWithoutGpu(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || SDL_strncmp(info.name, "opengl", 6) != 0) {
    return false;
  }
  using GetString = const unsigned char* (*)(unsigned int);
  GetString get_string = nullptr;
  void* found = SDL_GL_GetProcAddress("glGetString");
  SDL_memcpy(&get_string, &found, sizeof get_string);
  constexpr unsigned int kGlRenderer = 0x1F01;
  const char* name =
      get_string != nullptr ? reinterpret_cast<const char*>(get_string(kGlRenderer)) : nullptr;
  if (name == nullptr) return false;
  for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (SDL_strstr(name, cpu) != nullptr) return true;
  }
  return false;
}

// Whether the machine has a GPU as Linux shows one: a DRM device.
bool HasGpuDevice() {
  std::error_code error;
  for (std::filesystem::directory_iterator it("/dev/dri", error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.starts_with("card") || name.starts_with("renderD")) return true;
  }
  return false;
}

// The renderer for `window`, as Presenter::Create promises it.
SDL_Renderer* CreateRenderer(SDL_Window* window) {
  // OpenGL on the CPU only costs more than SDL's own software renderer (and
  // some 70 MB of memory for Mesa's), and Mesa's may fail hard on a window
  // another program destroyed: without a GPU, or when OpenGL turns out to
  // draw on the CPU after all, the software renderer it is. A renderer the
  // player chose (SDL_RENDER_DRIVER) stays.
  const bool chosen = SDL_GetHint(SDL_HINT_RENDER_DRIVER) != nullptr;
  SDL_Renderer* renderer = nullptr;
  if (chosen || HasGpuDevice()) {
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer != nullptr && !chosen && DrawsWithoutGpu(renderer)) {
      SDL_DestroyRenderer(renderer);
      renderer = nullptr;
    }
  }
  if (renderer == nullptr) {
    const int count = SDL_GetNumRenderDrivers();
    for (int i = 0; i < count && renderer == nullptr; ++i) {
      SDL_RendererInfo info{};
      if (SDL_GetRenderDriverInfo(i, &info) == 0 && SDL_strcmp(info.name, "software") == 0) {
        renderer = SDL_CreateRenderer(window, i, SDL_RENDERER_PRESENTVSYNC);
      }
    }
  }
  return renderer;
}

}  // namespace

std::unique_ptr<Presenter> Presenter::Create(const char* title, int x, int y, int width, int height,
                                             Uint32 flags, std::string& error) {
  SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    error = std::string("quorvel: cannot create a window (") + SDL_GetError() + ")";
    return nullptr;
  }
  SDL_Renderer* renderer = nullptr;
  {
    // Trying OpenGL where the X server or the driver cannot give it fails
    // with X errors of its own; SDL then reports the renderer as failed.
    XErrorTrap trap(window);
    renderer = CreateRenderer(window);
  }
  if (renderer == nullptr) {
    error = std::string("quorvel: cannot draw in the game window (") + SDL_GetError() + ")";
    SDL_DestroyWindow(window);
    return nullptr;
  }
  std::unique_ptr<Presenter> presenter(new Presenter(window, renderer));
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) == 0 && SDL_strcmp(info.name, "software") == 0) {
    // SDL's software renderer only imitates the refresh, with a sleep after
    // the present: the game's own frame timer paces the pictures more evenly.
    SDL_RenderSetVSync(renderer, 0);
  }
  presenter->vsync_ =
      SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  return presenter;
}

// An OpenGL renderer makes SDL replace the X window by one that can show
// OpenGL: the id SDL keeps is the one to ask about.
Presenter::Presenter(SDL_Window* window, SDL_Renderer* renderer)
    : window_(window), renderer_(renderer), id_(SDL_GetWindowID(window)) {}

Presenter::~Presenter() {
  SDL_FreeSurface(box_);
  SDL_FreeSurface(overlay_image_);
  if (gone_) BeforeDestroyingGoneXWindow(window_);
  // Destroying the renderer destroys its textures.
  Trapped([this] {
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
  });
}

bool Presenter::shown() const {
  return (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0;
}

void Presenter::Probe() {
  if (!gone_) gone_ = !XWindowExists(window_);
}

void Presenter::Show() {
  // Showing a window that another program destroyed would wait forever for
  // it to appear.
  Probe();
  if (!gone_) Trapped([this] { SDL_ShowWindow(window_); });
}

void Presenter::Hide() {
  if (!gone_) Trapped([this] { SDL_HideWindow(window_); });
}

void Presenter::TakeFocus() {
  if (gone_) return;
  Trapped([this] {
    SDL_RaiseWindow(window_);
    SDL_SetWindowInputFocus(window_);
  });
}

void Presenter::SetTitle(const std::string& title) {
  if (gone_) return;
  Trapped([&] {
    SDL_SetWindowTitle(window_, title.c_str());
    XSetTitle(window_, title);
  });
}

bool Presenter::ShowForm1(SDL_Surface* picture, const Form1Labels& labels, const Form1Notes& notes,
                          FontCache& fonts, int scale) {
  if (gone_ || !shown()) return true;
  bool shown_now = false;
  Trapped([&] {
    FollowWindowSize();
    shown_now = DrawForm1(picture, labels, notes, fonts, scale);
    if (shown_now) SDL_RenderPresent(renderer_);
  });
  return shown_now;
}

bool Presenter::ShowImage(SDL_Surface* image) {
  if (gone_ || !shown() || image == nullptr) return true;
  bool shown_now = false;
  Trapped([&] {
    FollowWindowSize();
    int out_w = 0, out_h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &out_w, &out_h) != 0 || !Upload(picture_, image)) {
      return;
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const SDL_Rect at{(out_w - image->w) / 2, (out_h - image->h) / 2, image->w, image->h};
    shown_now = SDL_RenderCopy(renderer_, picture_, nullptr, &at) == 0;
    if (shown_now) SDL_RenderPresent(renderer_);
  });
  return shown_now;
}

// A renderer drawing into the window's surface hears of a new window size
// only from SDL's event queue: a picture presented before that would show
// at the old size.
void Presenter::FollowWindowSize() {
  int w = 0, h = 0, out_w = 0, out_h = 0;
  SDL_GetWindowSize(window_, &w, &h);
  if (SDL_GetRendererOutputSize(renderer_, &out_w, &out_h) == 0 && (out_w != w || out_h != h)) {
    SDL_PumpEvents();
  }
}

// `image` into `texture`, made anew at its size where needed.
bool Presenter::Upload(SDL_Texture*& texture, SDL_Surface* image) {
  if (!Ready(texture, image->w, image->h)) return false;
  SDL_Surface* argb = image->format->format == SDL_PIXELFORMAT_ARGB8888
                          ? image
                          : SDL_ConvertSurfaceFormat(image, SDL_PIXELFORMAT_ARGB8888, 0);
  if (argb == nullptr) return false;
  SDL_LockSurface(argb);
  SDL_UpdateTexture(texture, nullptr, argb->pixels, argb->pitch);
  SDL_UnlockSurface(argb);
  if (argb != image) SDL_FreeSurface(argb);
  return true;
}

// A texture of `w` x `h` pixels, made anew when its size differs.
bool Presenter::Ready(SDL_Texture*& texture, int w, int h) {
  int now_w = 0, now_h = 0;
  if (texture != nullptr && SDL_QueryTexture(texture, nullptr, nullptr, &now_w, &now_h) == 0 &&
      now_w == w && now_h == h) {
    return true;
  }
  if (texture != nullptr) SDL_DestroyTexture(texture);
  texture =
      SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, w, h);
  if (texture == nullptr) return false;
  // Every picture pixel becomes a scale x scale block.
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  // Copied as they are: blending could alter colours.
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
  return true;
}

bool Presenter::DrawForm1(SDL_Surface* picture, const Form1Labels& labels, const Form1Notes& notes,
                          FontCache& fonts, int scale) {
  if (picture == nullptr) return false;
  scale = std::max(scale, 1);
  const int cw = kForm1.client_width / kTwipsPerPixel * scale;
  const int ch = kForm1.client_height / kTwipsPerPixel * scale;
  int out_w = 0, out_h = 0;
  if (SDL_GetRendererOutputSize(renderer_, &out_w, &out_h) != 0) return false;
  // Smaller than the client area only for a moment, in a size change; the
  // caller presents only once the window has its size.
  const SDL_Point at{(out_w - cw) / 2, (out_h - ch) / 2};

  if (!Upload(picture_, picture)) return false;

  // The overlay is repainted only when a text or the scale changes.
  if (overlay_image_ == nullptr || overlay_image_->w != cw || overlay_image_->h != ch) {
    SDL_FreeSurface(overlay_image_);
    overlay_image_ = NewArgb(cw, ch);
    overlay_scale_ = 0;
  }
  if (overlay_image_ == nullptr || !Ready(overlay_, cw, ch)) return false;
  if (overlay_scale_ != scale || !(overlay_labels_ == labels) || !(overlay_notes_ == notes)) {
    PaintForm1Overlay(overlay_image_, labels, notes, fonts, scale);
    SDL_UpdateTexture(overlay_, nullptr, overlay_image_->pixels, overlay_image_->pitch);
    overlay_labels_ = labels;
    overlay_notes_ = notes;
    overlay_scale_ = scale;
  }

  // Black around the client area, where the output is larger (fullscreen).
  if (out_w != cw || out_h != ch) {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
  }
  const SDL_Rect picture_at{at.x, at.y, picture->w * scale, picture->h * scale};
  SDL_RenderCopy(renderer_, picture_, nullptr, &picture_at);

  // The see-through labels' text is blended over this picture on the CPU,
  // with the very blend the headless frames use.
  if (!Ready(see_through_, BoxesWidth(scale), BoxesHeight(scale))) {
    return false;
  }
  int left = 0;
  for (const LabelLayout* label : Form1SeeThroughLabels()) {
    const SDL_Rect box = LabelRect(*label, scale);
    if (box_ == nullptr || box_->w != box.w || box_->h != box.h) {
      SDL_FreeSurface(box_);
      box_ = NewArgb(box.w, box.h);
      if (box_ == nullptr) return false;
    }
    PaintSeeThroughLabel(box_, *label, picture, labels, fonts, scale);
    const SDL_Rect in_texture{left, 0, box.w, box.h};
    SDL_UpdateTexture(see_through_, &in_texture, box_->pixels, box_->pitch);
    const SDL_Rect on_screen{at.x + box.x, at.y + box.y, box.w, box.h};
    SDL_RenderCopy(renderer_, see_through_, &in_texture, &on_screen);
    left += box.w;
  }

  bool drawn = true;
  for (const SDL_Rect& rect : Form1OverlayRects(picture->w, picture->h, labels, notes, scale)) {
    const SDL_Rect on_screen{at.x + rect.x, at.y + rect.y, rect.w, rect.h};
    drawn = SDL_RenderCopy(renderer_, overlay_, &rect, &on_screen) == 0 && drawn;
  }
  return drawn;
}

SDL_Point CentredOver(SDL_Window* owner, int w, int h) {
  int x = 0, y = 0, cw = 0, ch = 0;
  SDL_GetWindowPosition(owner, &x, &y);
  SDL_GetWindowSize(owner, &cw, &ch);
  int top = 0, left = 0, bottom = 0, right = 0;
  // Fails without a window manager, and for a fullscreen window has nothing
  // to report; the frame is then the client area.
  if (SDL_GetWindowBordersSize(owner, &top, &left, &bottom, &right) != 0) {
    top = left = bottom = right = 0;
  }
  const int frame_x = x - left, frame_y = y - top;
  const int frame_w = cw + left + right, frame_h = ch + top + bottom;
  return {frame_x + (frame_w - w) / 2, frame_y + (frame_h - h) / 2};
}

}  // namespace quorvel
