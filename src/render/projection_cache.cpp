#include "render/projection_cache.h"

#include <algorithm>

namespace quorvel {

namespace {

bool SameBits(float a, float b) {
  return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

bool SameBits(const ProjectionView& a, const ProjectionView& b) {
  return SameBits(a.eye_x, b.eye_x) && SameBits(a.eye_y, b.eye_y) &&
         SameBits(a.heading, b.heading) && SameBits(a.width, b.width) &&
         SameBits(a.eye_height, b.eye_height);
}

}  // namespace

ProjectionCache::ProjectionCache(uint32_t max_kept) : max_kept_(std::min(max_kept, kMaxKept)) {
  outcome_.fill(kEmpty);
}

void ProjectionCache::UseView(const ProjectionView& view) {
  if (SameBits(view, view_)) return;
  view_ = view;
  if (kept_ == 0) return;
  outcome_.fill(kEmpty);
  kept_ = 0;
}

bool ProjectionCache::ProjectAndKeep(uint32_t slot, uint32_t x, uint32_t y, int32_t& ScreenX,
                                     int32_t& ScreenY) {
  const GroundProjection p =
      ProjectGroundPoint(view_, std::bit_cast<float>(x), std::bit_cast<float>(y));
  if (p.written) {
    ScreenX = p.x;
    ScreenY = p.y;
  }
  if (kept_ < max_kept_) {
    entry_[slot] = Entry{x, y, p.x, p.y};
    outcome_[slot] = !p.written ? kNotWritten : p.usable ? kWrittenUsable : kWrittenUnusable;
    ++kept_;
  }
  return p.usable;
}

}  // namespace quorvel
