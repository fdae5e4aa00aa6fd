// Conversion of a double to a 32-bit integer as the drawing needs it for
// picture coordinates (pixels) and colour values.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace quorvel {

// Nearest integer, ties to even (the default rounding mode), saturated to
// the int32 range so that no input makes the conversion undefined. NaN maps
// to INT32_MIN, which every range test on picture coordinates rejects.
inline int32_t NearestInt32(double v) {
  const double r = std::nearbyint(v);
  if (!(r >= -2147483648.0)) return std::numeric_limits<int32_t>::min();
  if (r > 2147483647.0) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(r);
}

}  // namespace quorvel
