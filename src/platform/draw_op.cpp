#include "platform/draw_op.h"

#include <cmath>
#include <cstdio>

namespace quorvel {

std::string DrawLogText(const DrawOp& op) {
  static constexpr const char* kNames[] = {"rect",   "fill",  "pen",     "poly",
                                           "circle", "clear", "refresh", "ring"};
  static constexpr int kFloats[] = {4, 0, 0, 0, 3, 0, 0, 3};
  std::string text = "[\"";
  text += kNames[op.kind];
  text += '"';
  char number[32];
  for (int i = 0; i < kFloats[op.kind]; ++i) {
    // JSON has no NaN or infinity; the game never passes them.
    if (!std::isfinite(op.args[i])) {
      text += ", null";
      continue;
    }
    std::snprintf(number, sizeof number, ", %.9g", static_cast<double>(op.args[i]));
    text += number;
  }
  if (op.kind == DrawOp::kPoly) {
    for (const PolyPoint& p : op.points) {
      std::snprintf(number, sizeof number, ", %d, %d", static_cast<int>(p.x),
                    static_cast<int>(p.y));
      text += number;
    }
  } else if (op.kind != DrawOp::kRefresh) {
    text += ", " + std::to_string(op.colour);
  }
  return text + "]";
}

}  // namespace quorvel
