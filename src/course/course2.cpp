// Course 2: a winding loop on a grid of 40 x 40 cells, 56 cells in seven
// colours (112 triangles) and 29 gates. Positions are world units.
#include <cstdint>
#include <iterator>
#include <vector>

#include "course/course_builders.h"
#include "course/course_store.h"

namespace quorvel {

namespace {

// Colour values, red + 256 * green + 65536 * blue.
constexpr int32_t kYellow = 65535;
constexpr int32_t kRed = 255;
constexpr int32_t kBlue = 16711680;
constexpr int32_t kWhite = 16777215;
constexpr int32_t kGrey = 8421504;
constexpr int32_t kTeal = 8421376;
constexpr int32_t kOlive = 4239536;

constexpr int16_t kRoadTriCount = 112;
constexpr int32_t kLastGate = 28;

constexpr float kHalfPi = 1.5707964f;
constexpr float kPiF = 3.1415927f;

struct Cell {
  float col, row;
  int32_t color;
};

// In driving order; cell k becomes triangles 2k and 2k + 1. The start line
// lies between cells 3 and 4.
constexpr Cell kCells[] = {
    {0, 0, kYellow}, {1, 0, kYellow}, {2, 0, kYellow}, {3, 0, kYellow},  // 0-3
    {4, 0, kRed},    {5, 0, kRed},    {5, 1, kRed},    {5, 2, kRed},     // 4-7
    {4, 2, kRed},    {3, 2, kRed},    {3, 3, kRed},                      // 8-10
    {3, 4, kBlue},   {4, 4, kBlue},   {5, 4, kBlue},   {6, 4, kBlue},    // 11-14
    {7, 4, kBlue},   {8, 4, kBlue},                                      // 15-16
    {8, 3, kWhite},  {8, 2, kWhite},  {8, 1, kWhite},  {8, 0, kWhite},   // 17-20
    {9, 0, kWhite},  {10, 0, kWhite},                                    // 21-22
    {10, 1, kBlue},  {10, 2, kBlue},  {10, 3, kBlue},  {10, 4, kBlue},   // 23-26
    {10, 5, kBlue},  {10, 6, kBlue},  {11, 6, kBlue},  {11, 7, kBlue},   // 27-30
    {11, 8, kBlue},                                                      // 31
    {10, 8, kRed},   {9, 8, kRed},                                       // 32-33
    {8, 8, kYellow}, {8, 7, kYellow}, {8, 6, kYellow},                   // 34-36
    {7, 6, kGrey},   {6, 6, kGrey},   {6, 7, kGrey},                     // 37-39
    {6, 8, kTeal},   {5, 8, kTeal},   {4, 8, kTeal},   {3, 8, kTeal},    // 40-43
    {3, 9, kTeal},   {2, 9, kTeal},   {1, 9, kTeal},   {0, 9, kTeal},    // 44-47
    {0, 8, kTeal},   {0, 7, kTeal},   {0, 6, kTeal},   {0, 5, kTeal},    // 48-51
    {0, 4, kTeal},   {0, 3, kTeal},   {0, 2, kTeal},                     // 52-54
    {0, 1, kOlive},                                                      // 55
};
static_assert(std::size(kCells) * 2 == kRoadTriCount);

// Fields in record order: restart point, gate line ends, restart heading.
struct GateRow {
  float respawn_x, respawn_y, line_x1, line_y1, line_x2, line_y2, heading;
};

// Gates 1..28. Gates 23-27 span x -10..30 only, not the whole road.
constexpr GateRow kGates[] = {
    {220, 60, 190, 60, 250, 60, kHalfPi},      // 1
    {180, 100, 180, 70, 180, 130, kPiF},       // 2
    {140, 140, 110, 140, 170, 140, kHalfPi},   // 3
    {180, 180, 180, 150, 180, 210, 0.0f},      // 4
    {240, 180, 240, 150, 240, 210, 0.0f},      // 5
    {300, 180, 300, 150, 300, 210, 0.0f},      // 6
    {340, 140, 310, 140, 370, 140, -kHalfPi},  // 7
    {340, 60, 310, 60, 370, 60, -kHalfPi},     // 8
    {380, 20, 380, -10, 380, 50, 0.0f},        // 9
    {420, 60, 390, 60, 450, 60, kHalfPi},      // 10
    {420, 140, 390, 140, 450, 140, kHalfPi},   // 11
    {420, 220, 390, 220, 450, 220, kHalfPi},   // 12
    {460, 300, 430, 300, 490, 300, kHalfPi},   // 13
    {420, 340, 420, 310, 420, 370, kPiF},      // 14
    {380, 340, 380, 310, 380, 370, kPiF},      // 15
    {340, 300, 310, 300, 370, 300, -kHalfPi},  // 16
    {300, 260, 300, 230, 300, 290, kPiF},      // 17
    {260, 300, 230, 300, 290, 300, kHalfPi},   // 18
    {220, 340, 220, 310, 220, 370, kPiF},      // 19
    {180, 340, 180, 310, 180, 370, kPiF},      // 20
    {100, 380, 100, 350, 100, 410, kPiF},      // 21
    {60, 380, 60, 350, 60, 410, kPiF},         // 22
    {20, 340, -10, 340, 30, 340, -kHalfPi},    // 23
    {20, 260, -10, 260, 30, 260, -kHalfPi},    // 24
    {20, 180, -10, 180, 30, 180, -kHalfPi},    // 25
    {20, 120, -10, 120, 30, 120, -kHalfPi},    // 26
    {20, 60, -10, 60, 30, 60, -kHalfPi},       // 27
    {80, 20, 80, -10, 80, 50, 0.0f},           // 28
};
static_assert(std::size(kGates) == kLastGate);

}  // namespace

void BuildCourse2(RaceState& s) {
  s.Pos[0] = 0;
  s.Pos[1] = 0;
  s.Heading = 0;
  s.StartGate = GateRec{160, 20, 159, -10, 159, 50, 0.0f};

  s.Gates = std::vector<GateRec>(static_cast<size_t>(kLastGate) + 1);
  s.Gates[0] = s.StartGate;
  int32_t index = 1;
  for (const GateRow& g : kGates) {
    SetGate(s, index++, g.respawn_x, g.respawn_y, g.heading, g.line_x1, g.line_y1, g.line_x2,
            g.line_y2);
  }

  s.RoadTriCount = kRoadTriCount;
  const int32_t cell_size = 40;
  int32_t tri = 0;
  for (const Cell& c : kCells) {
    AddRoadQuad(s, tri, c.col, c.row, cell_size, c.color);
    tri += 2;
  }
}

}  // namespace quorvel
