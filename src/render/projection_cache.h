// Ground-point projections of one picture, so that a corner shared by
// neighbouring road triangles, or by the pieces of a split triangle, is
// projected once. Projection is most of a picture's cost, and a busy
// picture meets most of its corners two or three times.
#pragma once

#include <array>
#include <bit>
#include <cstdint>

#include "render/project_point.h"

namespace quorvel {

// A fixed table that the drawing of one picture owns: nothing is allocated,
// and starting afresh clears one byte per slot. About 70 KB, meant to live
// on the stack of that drawing; not copyable.
class ProjectionCache {
 public:
  // 4096 slots: the busiest picture of either course meets about 1,550
  // distinct corners. Past three quarters full, further corners are
  // projected without being kept, so probing stays short whatever comes.
  static constexpr uint32_t kSlots = 4096;
  static constexpr uint32_t kMaxKept = kSlots / 4 * 3;

  // kKeep keeps up to kMaxKept corners; those met after that are
  // projected every time they come. kPlain keeps nothing and spares
  // nothing: every corner takes the whole projection every time, as with
  // ProjectPoint, for comparing with.
  enum Mode { kKeep, kPlain };
  explicit ProjectionCache(Mode mode = kKeep);
  ProjectionCache(const ProjectionCache&) = delete;
  ProjectionCache& operator=(const ProjectionCache&) = delete;

  // Projects from `view` from now on. Whatever was kept for a view that
  // differs in any bit is forgotten.
  void UseView(const ProjectionView& view);

  // Exactly ProjectPoint for this point and the view in use: the same
  // result, and `Screen` (ScreenX, ScreenY) written with the same values,
  // or left alone, as ProjectPoint writes or leaves them. Points are told
  // apart by the bit patterns of their coordinates.
  bool Project(const float& GroundX, const float& GroundY, PolyPoint& Screen) {
    const uint32_t x = std::bit_cast<uint32_t>(GroundX);
    const uint32_t y = std::bit_cast<uint32_t>(GroundY);
    for (uint32_t slot = SlotOf(x, y);; slot = (slot + 1) % kSlots) {
      const ProjectionOutcome outcome = outcome_[slot];
      if (outcome == kEmpty) return ProjectAndKeep(slot, x, y, Screen);
      const Entry& e = entry_[slot];
      if (e.x != x || e.y != y) continue;
      if (outcome != ProjectionOutcome::kNotWritten) Screen = e.screen;
      return outcome == ProjectionOutcome::kWrittenUsable;
    }
  }

 private:
  static constexpr ProjectionOutcome kEmpty{0};

  struct Entry {
    uint32_t x, y;     // bit patterns of the ground point, world units
    PolyPoint screen;  // pixels, when written
  };

  // Fibonacci hashing of both patterns at once: the low mantissa bits,
  // where neighbouring corners differ, reach the slot number taken from
  // the top.
  static uint32_t SlotOf(uint32_t x, uint32_t y) {
    constexpr int kSlotBits = std::countr_zero(kSlots);
    const uint64_t key = (static_cast<uint64_t>(x) << 32) | y;
    return static_cast<uint32_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - kSlotBits));
  }

  // Projects the point with the bit patterns x, y, not kept yet, and keeps
  // it in the empty `slot` (its place in the probe sequence) while there is
  // room.
  bool ProjectAndKeep(uint32_t slot, uint32_t x, uint32_t y, PolyPoint& Screen);

  uint32_t max_kept_;  // kMaxKept, or 0 for kPlain
  uint32_t kept_ = 0;
  ProjectionView view_{};
  ViewCone cone_{view_};
  std::array<ProjectionOutcome, kSlots> outcome_;
  std::array<Entry, kSlots> entry_;  // meaningful only where outcome_ is not kEmpty
};

}  // namespace quorvel
