// Helpers for the course tests: triangle access, readable gate comparison.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>

#include "race/race_state.h"

namespace quorvel {

inline void PrintTo(const GateRec& g, std::ostream* os) {
  *os << "{respawn (" << g.RespawnX << ", " << g.RespawnY << ") line (" << g.LineX1 << ", "
      << g.LineY1 << ")-(" << g.LineX2 << ", " << g.LineY2 << ") heading " << g.RespawnHeading
      << " [0x" << std::hex << std::bit_cast<uint32_t>(g.RespawnHeading) << std::dec << "]}";
}

// All seven fields, the heading bit for bit.
inline ::testing::AssertionResult SameGate(const GateRec& actual, const GateRec& expected) {
  const bool same = actual.RespawnX == expected.RespawnX && actual.RespawnY == expected.RespawnY &&
                    actual.LineX1 == expected.LineX1 && actual.LineY1 == expected.LineY1 &&
                    actual.LineX2 == expected.LineX2 && actual.LineY2 == expected.LineY2 &&
                    std::bit_cast<uint32_t>(actual.RespawnHeading) ==
                        std::bit_cast<uint32_t>(expected.RespawnHeading);
  if (same) return ::testing::AssertionSuccess();
  std::ostringstream text;
  text << "\n  actual:   ";
  PrintTo(actual, &text);
  text << "\n  expected: ";
  PrintTo(expected, &text);
  return ::testing::AssertionFailure() << text.str();
}

// Triangle i's corners as stored: x1, y1, x2, y2, x3, y3.
inline std::array<float, 6> TriAt(const RaceState& s, int i) {
  std::array<float, 6> t{};
  for (int k = 0; k < 6; ++k) t[k] = s.RoadTri[static_cast<size_t>(6 * i + k)];
  return t;
}

inline std::string TriText(const std::array<float, 6>& t) {
  std::ostringstream os;
  os.precision(9);
  os << "(" << t[0] << ", " << t[1] << ") (" << t[2] << ", " << t[3] << ") (" << t[4] << ", "
     << t[5] << ")";
  return os.str();
}

// Single-precision headings nearest to the multiples of pi.
inline constexpr float kQuarterPi = 0.7853982f;
inline constexpr float kHalfPi = 1.5707964f;
inline constexpr float kThreeQuarterPi = 2.3561945f;
inline constexpr float kPiF = 3.1415927f;

// The stored gates of both courses, fields in record order.
inline const std::array<GateRec, 16> kCourse1Gates = {{
    {0, 0, -1, 50, -1, -50, 0.0f},
    {141, 59, 106, 94, 177, 23, kQuarterPi},
    {200, 200, 150, 200, 250, 200, kHalfPi},
    {141, 341, 106, 306, 177, 377, kThreeQuarterPi},
    {0, 400, 0, 350, 0, 450, kPiF},
    {-100, 300, -70, 300, -130, 300, -kHalfPi},
    {-200, 200, -200, 230, -200, 170, kPiF},
    {-300, 300, -270, 300, -330, 300, kHalfPi},
    {-400, 400, -400, 350, -400, 450, kPiF},
    {-541, 341, -506, 306, -577, 377, -kThreeQuarterPi},
    {-600, 200, -550, 200, -650, 200, -kHalfPi},
    {-541, 59, -506, 94, -577, 23, -kQuarterPi},
    {-400, 0, -400, 50, -400, -50, 0.0f},
    {-300, 0, -300, 50, -300, -50, 0.0f},
    {-200, 0, -200, 50, -200, -50, 0.0f},
    {-100, 0, -100, 50, -100, -50, 0.0f},
}};

inline const std::array<GateRec, 29> kCourse2Gates = {{
    {160, 20, 159, -10, 159, 50, 0.0f},       {220, 60, 190, 60, 250, 60, kHalfPi},
    {180, 100, 180, 70, 180, 130, kPiF},      {140, 140, 110, 140, 170, 140, kHalfPi},
    {180, 180, 180, 150, 180, 210, 0.0f},     {240, 180, 240, 150, 240, 210, 0.0f},
    {300, 180, 300, 150, 300, 210, 0.0f},     {340, 140, 310, 140, 370, 140, -kHalfPi},
    {340, 60, 310, 60, 370, 60, -kHalfPi},    {380, 20, 380, -10, 380, 50, 0.0f},
    {420, 60, 390, 60, 450, 60, kHalfPi},     {420, 140, 390, 140, 450, 140, kHalfPi},
    {420, 220, 390, 220, 450, 220, kHalfPi},  {460, 300, 430, 300, 490, 300, kHalfPi},
    {420, 340, 420, 310, 420, 370, kPiF},     {380, 340, 380, 310, 380, 370, kPiF},
    {340, 300, 310, 300, 370, 300, -kHalfPi}, {300, 260, 300, 230, 300, 290, kPiF},
    {260, 300, 230, 300, 290, 300, kHalfPi},  {220, 340, 220, 310, 220, 370, kPiF},
    {180, 340, 180, 310, 180, 370, kPiF},     {100, 380, 100, 350, 100, 410, kPiF},
    {60, 380, 60, 350, 60, 410, kPiF},        {20, 340, -10, 340, 30, 340, -kHalfPi},
    {20, 260, -10, 260, 30, 260, -kHalfPi},   {20, 180, -10, 180, 30, 180, -kHalfPi},
    {20, 120, -10, 120, 30, 120, -kHalfPi},   {20, 60, -10, 60, 30, 60, -kHalfPi},
    {80, 20, 80, -10, 80, 50, 0.0f},
}};

}  // namespace quorvel
