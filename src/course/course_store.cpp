// The store operations behind both course builders. The course data is fixed,
// so an index or coordinate outside the tables can only come from a bad edit
// of a builder: it stops the program at once, before anything is written.
#include "course/course_store.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quorvel {

namespace {

constexpr int32_t kLastTriIndex = kRoadTriCapacity - 1;

[[noreturn]] void StopOnBadCall() {
  std::fflush(stderr);
  std::abort();
}

// Gate coordinates are stored as 16-bit world units, rounded to nearest with
// ties to even. Returns false when the rounded value does not fit (or is NaN).
bool RoundToInt16(float v, int16_t& out) {
  const float r = std::nearbyint(v);
  if (!(r >= -32768.0f && r <= 32767.0f)) return false;
  out = static_cast<int16_t>(r);
  return true;
}

}  // namespace

void SetRoadTri(RaceState& s, int32_t Index, float X1, float Y1, float X2, float Y2, float X3,
                float Y3, int32_t Color) {
  if (Index < 0 || Index > kLastTriIndex) {
    std::fprintf(stderr, "SetRoadTri: triangle index %d outside 0..%d\n", static_cast<int>(Index),
                 static_cast<int>(kLastTriIndex));
    StopOnBadCall();
  }
  float* tri = &s.RoadTri[static_cast<size_t>(6 * Index)];
  tri[0] = X1;
  tri[1] = Y1;
  tri[2] = X2;
  tri[3] = Y2;
  tri[4] = X3;
  tri[5] = Y3;
  s.RoadColor[static_cast<size_t>(Index)] = static_cast<float>(Color);
}

void AddRoadQuad(RaceState& s, int32_t Index, float Col, float Row, const int32_t& CellSize,
                 int32_t Color) {
  if (Index < 0 || Index > kLastTriIndex - 1) {
    std::fprintf(stderr, "AddRoadQuad: first triangle index %d outside 0..%d\n",
                 static_cast<int>(Index), static_cast<int>(kLastTriIndex - 1));
    StopOnBadCall();
  }
  // Cell edges in world units: each product and sum is taken in double and
  // rounded to single once.
  const double p = CellSize;
  const float x0 = static_cast<float>(static_cast<double>(Col) * p);
  const float x1 = static_cast<float>(static_cast<double>(Col) * p + p);
  const float y0 = static_cast<float>(static_cast<double>(Row) * p);
  const float y1 = static_cast<float>(static_cast<double>(Row) * p + p);
  // Split along the diagonal (x1, y0)-(x0, y1), shared by both triangles.
  SetRoadTri(s, Index, x0, y0, x1, y0, x0, y1, Color);
  SetRoadTri(s, Index + 1, x1, y0, x0, y1, x1, y1, Color);
}

void SetGate(RaceState& s, int32_t Index, float RespawnX, float RespawnY, float RespawnHeading,
             float LineX1, float LineY1, float LineX2, float LineY2) {
  const size_t count = s.Gates.size();
  if (Index < 0 || static_cast<size_t>(Index) >= count) {
    std::fprintf(stderr, "SetGate: gate index %d outside the gate table of %zu gates\n",
                 static_cast<int>(Index), count);
    StopOnBadCall();
  }
  const float in[6] = {RespawnX, RespawnY, LineX1, LineY1, LineX2, LineY2};
  static constexpr const char* kNames[6] = {"RespawnX", "RespawnY", "LineX1",
                                            "LineY1",   "LineX2",   "LineY2"};
  int16_t out[6] = {};
  for (int k = 0; k < 6; ++k) {
    if (!RoundToInt16(in[k], out[k])) {
      std::fprintf(stderr, "SetGate: gate %d %s %.9g does not round into -32768..32767\n",
                   static_cast<int>(Index), kNames[k], static_cast<double>(in[k]));
      StopOnBadCall();
    }
  }
  GateRec& g = s.Gates[static_cast<size_t>(Index)];
  g.RespawnX = out[0];
  g.RespawnY = out[1];
  g.LineX1 = out[2];
  g.LineY1 = out[3];
  g.LineX2 = out[4];
  g.LineY2 = out[5];
  g.RespawnHeading = RespawnHeading;
}

}  // namespace quorvel
