// Predicates on the ground plane. Coordinates are world units, passed as
// single-precision values. A point on a line is always grouped with the
// points below it (or, for a line taken as vertical, to its left); the road
// test and the gate test inherit that convention.
#pragma once

namespace quorvel {

// True when (px, py) lies strictly above the line through (x1, y1) and
// (x2, y2): its y is greater than the line's y at px. A line whose
// |x2 - x1| is below 0.001 counts as vertical: true when px > x1.
bool SideOfLine(float x1, float y1, float x2, float y2, float px, float py);

// True when (px, py) lies on the same side of each edge's line as the corner
// opposite that edge. Either winding order.
bool InTriangle(float x1, float y1, float x2, float y2, float x3, float y3, float px, float py);

// True when each segment's ends lie on different sides of the other's line.
bool SegmentsCross(float ax, float ay, float bx, float by, float cx, float cy, float dx, float dy);

}  // namespace quorvel
