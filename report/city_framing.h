#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "city/camera.h"

namespace codeburg {

struct CityGeometry;
class ProjectStats;

// How a picture taken without a window looks at the city.
enum class SnapshotView {
    Overview,    // from above the south-west corner, 45 degrees down, framed
    Map,         // straight down, north up, framed
    ClassicMap,  // the window's own map camera and square projection, unframed
};

// A camera for one picture: row-vector matrices as the renderer takes them
// (the projection in Direct3D depth form).
struct FramedCamera {
    Mat4 view;
    Mat4 projection;
};

// Share of the picture the city fills: of its shorter side, and at most of
// its longer side (a wide, flat overview is bounded by the width).
constexpr float kFrameShortSide = 0.9f;
constexpr float kFrameLongSide = 0.98f;

// Frames the points (world units) for a picture of width x height pixels:
// every point lands inside the picture, and their bounding box spans
// kFrameShortSide of the shorter side unless the longer side bounds it first.
// The box is centred, or centred in the part right of "reservedLeft" pixels
// (a legend's) when it fits there whole. An empty set frames the unit
// square; the view must be Overview or Map.
FramedCamera FramePoints(std::span<const Vec3> points, SnapshotView view, int32_t width,
                         int32_t height, int32_t reservedLeft = 0);

// The points that bound what a picture of the city shows: the corners of the
// ground and every building's roof, lowered to twice the 99th percentile of
// the heights (or a tenth of the city's side): a lone tower may leave the
// frame rather than shrink the city.
void CityOutline(const ProjectStats& stats, const CityGeometry& geometry,
                 std::vector<Vec3>& points);

// Where a world point lands in the picture, in pixels from the top-left
// corner; false when it lies behind the camera.
bool ProjectToPixel(const FramedCamera& camera, Vec3 point, int32_t width, int32_t height,
                    float& px, float& py);

}  // namespace codeburg
