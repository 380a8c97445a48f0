#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "city/camera.h"
#include "city/display_mode.h"
#include "city/render/jpeg_writer.h"

namespace codeburg {

class ProjectStats;
struct CityGeometry;

struct SnapshotOptions {
    int32_t width = 1280;
    int32_t height = 720;
    DisplayMode mode = DisplayMode::Color;
    std::optional<Camera> camera;  // none: the map view
    // A camera framed by the caller, used instead of "camera" and the
    // window's square projection (row-vector matrices, Direct3D depth).
    std::optional<Mat4> view, projection;
    // Buildings made by the caller (recoloured, say), drawn instead of the
    // project's own in "mode"; not owned, must outlive the call.
    const CityGeometry* geometry = nullptr;
    int32_t pickedBox = -1;  // drawn without texture, as when pointed at
    int32_t pickedTower = -1;
    // The picture in snapshot form: the credit line written over it, as the
    // window's snapshot has it (left out when no font can be found).
    bool creditLine = false;
};

// What one picture took, for reports and benchmarks.
struct SnapshotTimings {
    double setupMs = 0;      // framebuffer, shaders and building textures
    double buildingsMs = 0;  // the building list
    double groundMs = 0;     // the ground texture
    double uploadMs = 0;     // batches and textures handed to the device
    double renderMs = 0;     // drawing and reading the pixels back
    double creditMs = 0;     // finding the font and writing the credit line
    int32_t buildings = 0;
    int32_t groundWidth = 0, groundHeight = 0;  // texels
};

// Renders the project's city into an offscreen framebuffer of the requested
// size and reads it back. Needs a current OpenGL 3.3 context. False with a
// reason in "error" (a size the device cannot render, a framebuffer that
// cannot be made); the image is then empty.
bool RenderCitySnapshot(const ProjectStats& stats, const SnapshotOptions& options, RgbImage& image,
                        std::string* error, SnapshotTimings* timings = nullptr);

// Several pictures of one city, each with its own size, camera and credit
// line, the buildings, the ground and their upload made once: the first
// picture's mode, geometry and picks hold for all. On failure "images" is
// empty.
bool RenderCitySnapshots(const ProjectStats& stats, std::span<const SnapshotOptions> pictures,
                         std::vector<RgbImage>& images, std::string* error,
                         SnapshotTimings* timings = nullptr);

}  // namespace codeburg
