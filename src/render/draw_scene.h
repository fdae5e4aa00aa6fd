// Drawing of one whole frame of the race view, with the three texts.
#pragma once

#include "platform/platform.h"
#include "race/race_state.h"
#include "render/projection_cache.h"
#include "ui/game_window.h"

namespace quorvel {

// Places the eye point behind the car (writes Pos(2), Pos(3)), paints sky,
// ground, the road triangles in index order and the car marker into the
// platform's surface (with the outline of the ghost's marker, sized by its
// distance, between road and car where `s.ghost` is set), writes the speed,
// time and lap captions into `labels`, hands the labels to the platform and
// refreshes. EyeHeight is in world units and applies to the road only; the
// marker always uses 4. At most the 120 triangles the tables hold are drawn,
// whatever RoadTriCount says. Any CarType other than 1 gets the beginner
// car's marker colour.
void DrawScene(RaceState& s, Form1Labels& labels, Platform& platform, const float& EyeHeight);

// The picture of DrawScene with the steering and the throttle lean as real
// numbers (a pose between two ticks), and no texts: the labels stay as
// they are. With whole `steer` and `lean` equal to Steer and CameraLag the
// pixels are DrawScene's.
void DrawScenePicture(RaceState& s, double steer, double lean, Surface& picture,
                      const float& EyeHeight);

// The same picture with the road's corners projected through `projections`,
// which keeps them for one eye, eye height and width at a time: for a
// caller that chooses how they are kept.
void DrawScenePicture(RaceState& s, double steer, double lean, Surface& picture,
                      const float& EyeHeight, ProjectionCache& projections);

}  // namespace quorvel
