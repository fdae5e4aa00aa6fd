#include "render/draw_scene.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "race/ghost_car.h"
#include "render/draw_ground_triangle.h"
#include "render/nearest_int32.h"
#include "render/project_point.h"

namespace quorvel {

namespace {

constexpr Colour kSkyColour = 0x00FFFF00;
constexpr Colour kGroundColour = 0;
constexpr Colour kBeginnerMarkerColour = 0x00008000;
constexpr Colour kAdvancedMarkerColour = 255;
constexpr Colour kMarkerOutlineColour = 0x00FFFFFF;
// Magenta, a colour neither course nor the sky uses, so the ghost's outline
// shows on every road colour.
constexpr Colour kGhostOutlineColour = 0x00FF00FF;
constexpr float kMarkerEyeHeight = 4.0f;  // world units, whatever the road's eye height
constexpr std::string_view kLapSuffix = "周目";

// Replaces `out` with the decimal text of the whole number `v` (already
// floored), reusing its storage. A double is printed directly so that no
// speed, however large, goes through an integer conversion.
void SetWholeNumberText(std::string& out, double v) {
  char buffer[400];  // enough for every finite double in fixed notation
  // Adding +0.0 turns -0.0 into 0.0, which must show as "0".
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, v + 0.0, std::chars_format::fixed, 0);
  out.assign(buffer, result.ptr);
}

void SetLapText(std::string& out, int32_t lap) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, lap);
  out.assign(buffer, result.ptr);
  out.append(kLapSuffix);
}

// How far a ground point lies ahead of the eye along the view direction,
// world units.
double ViewDepth(const RaceState& s, double x, double y) {
  const double heading = s.Heading;
  return (x - s.Pos[2]) * std::cos(heading) + (y - s.Pos[3]) * std::sin(heading);
}

// The ghost car's marker as outlines only, where its race stands at this
// race's clock, projected at the marker's height and sized by perspective:
// the car's own marker scaled by the car's depth over the ghost's, so a
// ghost where the car is looks like the car's marker and one twice as far is
// half its size. Down to a 2-pixel ring with a 1-pixel small circle, so a
// ghost far ahead stays visible. A ghost behind the eye or too far to the
// side is not drawn.
void DrawGhostMarker(const RaceState& s, GhostCar& ghost, Surface& picture, float width) {
  const std::optional<GhostPose> pose = ghost.PoseAt(s.Ticks);
  if (!pose) return;
  int32_t x = 0;
  int32_t y = 0;
  if (!ProjectPoint(s, width, pose->x, pose->y, x, y, kMarkerEyeHeight)) return;
  // The projection took only points well ahead of the eye; this also keeps
  // a non-finite depth from reaching the surface.
  const double depth = ViewDepth(s, pose->x, pose->y);
  if (!(depth > 0)) return;
  constexpr double kSmallestScale = 0.1;  // the large circle's radius 2 pixels
  const double scale = std::max(ViewDepth(s, s.Pos[0], s.Pos[1]) / depth, kSmallestScale);
  const float small_radius = static_cast<float>(std::max(5.0 * scale, 1.0));
  picture.CircleOutline(static_cast<float>(x), static_cast<float>(y - 20.0 * scale),
                        static_cast<float>(20.0 * scale), kGhostOutlineColour);
  picture.CircleOutline(static_cast<float>(x - pose->Steer / 2.0 * scale),
                        static_cast<float>(y - 12.0 * scale), small_radius, kGhostOutlineColour);
}

}  // namespace

void DrawScenePicture(RaceState& s, double steer, double lean, Surface& picture,
                      const float& EyeHeight) {
  // Neighbouring road triangles share corners: each is projected once.
  ProjectionCache projections;
  DrawScenePicture(s, steer, lean, picture, EyeHeight, projections);
}

void DrawScenePicture(RaceState& s, double steer, double lean, Surface& picture,
                      const float& EyeHeight, ProjectionCache& projections) {
  // The eye stands `behind` world units back from the car, against the
  // heading swung by the steering (radians).
  const double eye_angle = steer / 80.0 + s.Heading;
  const double behind = lean / 4.0 + 10;
  s.Pos[2] = static_cast<float>(s.Pos[0] - behind * std::cos(eye_angle));
  s.Pos[3] = static_cast<float>(s.Pos[1] - behind * std::sin(eye_angle));

  const float width = picture.ScaleWidth();
  const float height = picture.ScaleHeight();
  const float band_width = static_cast<float>(static_cast<double>(width) + 1);
  const float half_height = static_cast<float>(static_cast<double>(height) / 2);
  const float band_height = static_cast<float>(static_cast<double>(height) / 2 + 1);
  picture.FillRect(0, 0, band_width, band_height, kSkyColour);
  picture.FillRect(0, half_height, band_width, band_height, kGroundColour);

  // The tables hold whole triangles 0..119 only; a larger count must not
  // read past them.
  const int16_t count = std::min<int16_t>(s.RoadTriCount, kRoadTriCapacity);
  const int32_t course_depth = 0;
  for (int16_t i = 0; i < count; ++i) {
    const Colour colour = NearestInt32(s.RoadColor[i]);
    picture.SetFillColor(colour);
    picture.SetPenColor(colour);
    const float* corners = &s.RoadTri[6 * i];
    DrawGroundTriangle(s, picture, projections, corners[0], corners[1], corners[2], corners[3],
                       corners[4], corners[5], course_depth, EyeHeight);
  }

  if (s.ghost != nullptr) DrawGhostMarker(s, *s.ghost, picture, width);

  // The car always lies in view from the eye, so the result is not needed.
  int32_t car_x = 0;
  int32_t car_y = 0;
  ProjectPoint(s, width, s.Pos[0], s.Pos[1], car_x, car_y, kMarkerEyeHeight);
  picture.SetFillColor(s.CarType == 1 ? kAdvancedMarkerColour : kBeginnerMarkerColour);
  // Offsets in pixels, formed in double so that no coordinate can overflow.
  picture.Circle(static_cast<float>(car_x), static_cast<float>(car_y - 20.0), 20,
                 kMarkerOutlineColour);
  picture.Circle(static_cast<float>(car_x - steer / 2.0), static_cast<float>(car_y - 12.0), 5,
                 kMarkerOutlineColour);
}

void DrawScene(RaceState& s, Form1Labels& labels, Platform& platform, const float& EyeHeight) {
  Surface& picture = platform.Picture1();
  DrawScenePicture(s, s.Steer, s.CameraLag, picture, EyeHeight);
  SetWholeNumberText(labels.Label1, std::floor(static_cast<double>(s.Speed) * 10));
  SetWholeNumberText(labels.Label2, std::floor(s.Ticks / 100.0 * 8));
  SetLapText(labels.Label4, s.Lap);
  platform.SetLabels(labels);
  picture.Refresh();
}

}  // namespace quorvel
