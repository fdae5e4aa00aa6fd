#include "render/projection_cache.h"

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

ProjectionCache::ProjectionCache(Mode mode) : max_kept_(mode == kKeep ? kMaxKept : 0) {
  outcome_.fill(kEmpty);
}

void ProjectionCache::UseView(const ProjectionView& view) {
  if (SameBits(view, view_)) return;
  view_ = view;
  cone_ = ViewCone(view);
  if (kept_ == 0) return;
  outcome_.fill(kEmpty);
  kept_ = 0;
}

bool ProjectionCache::ProjectAndKeep(uint32_t slot, uint32_t x, uint32_t y, PolyPoint& Screen) {
  const float ground_x = std::bit_cast<float>(x);
  const float ground_y = std::bit_cast<float>(y);
  const GroundProjection p = max_kept_ > 0 && cone_.SurelyOutside(ground_x, ground_y)
                                 ? GroundProjection{{}, ProjectionOutcome::kNotWritten}
                                 : ProjectGroundPoint(view_, ground_x, ground_y);
  if (p.outcome != ProjectionOutcome::kNotWritten) Screen = p.screen;
  if (kept_ < max_kept_) {
    entry_[slot] = Entry{x, y, p.screen};
    outcome_[slot] = p.outcome;
    ++kept_;
  }
  return p.outcome == ProjectionOutcome::kWrittenUsable;
}

}  // namespace quorvel
