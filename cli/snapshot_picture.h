#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "city/camera.h"
#include "report/city_framing.h"
#include "report/snapshot_legend.h"

namespace codeburg {
class OffscreenContext;
class ProjectStats;
struct CityGeometry;
struct RgbImage;
}  // namespace codeburg

namespace codeburg::cli {

// What one picture of a city shows.
struct PictureRequest {
    int32_t width = 1280, height = 720;
    DisplayMode mode = DisplayMode::Color;
    SnapshotView view = SnapshotView::Overview;
    std::optional<Camera> viewpoint;  // the window's camera and projection
    bool legend = true;
    std::string buildDate;
    // Buildings coloured by the caller, and the key that explains them;
    // otherwise the display mode's. Not owned.
    const CityGeometry* geometry = nullptr;
    std::optional<LegendFacts> legendFacts;
};

extern const char* const kNoRendererMessage;

// Takes pictures offscreen, one OpenGL context for all of them.
class PictureTaker {
public:
    PictureTaker();
    ~PictureTaker();

    // The window's own pictures (classic map, a viewpoint) come out exactly
    // as the window draws them, credit line included; the framed views carry
    // the legend instead. False with a reason: no renderer in this build, no
    // OpenGL context, a size beyond the device.
    bool take(const ProjectStats& stats, const PictureRequest& request, RgbImage& image,
              int32_t* buildings, std::string* error);
    // Several pictures of one city, its buildings and ground made once: the
    // first request's mode and geometry hold for all.
    bool takeSeveral(const ProjectStats& stats, std::span<const PictureRequest> requests,
                     std::vector<RgbImage>& images, int32_t* buildings, std::string* error);

private:
    std::unique_ptr<OffscreenContext> m_context;
};

}  // namespace codeburg::cli
