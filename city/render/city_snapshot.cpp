#include "city/render/city_snapshot.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "city/city_geometry.h"
#include "city/ground_texture.h"
#include "city/hud_text.h"
#include "city/render/city_renderer.h"
#include "city/render/offscreen_context.h"
#include "city/render/text_overlay.h"
#include "platform/ms_random.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

bool RenderCitySnapshot(const ProjectStats& stats, const SnapshotOptions& options, RgbImage& image,
                        std::string* error, SnapshotTimings* timings)
{
    std::vector<RgbImage> images;
    const bool ok = RenderCitySnapshots(stats, std::span(&options, 1), images, error, timings);
    image = ok ? std::move(images.front()) : RgbImage{};
    return ok;
}

bool RenderCitySnapshots(const ProjectStats& stats, std::span<const SnapshotOptions> pictures,
                         std::vector<RgbImage>& images, std::string* error,
                         SnapshotTimings* timings)
{
    images.clear();
    if (pictures.empty()) return true;
    const SnapshotOptions& first = pictures.front();
    auto start = Clock::now();
    CityRenderer renderer;
    if (!renderer.initialize(error)) return false;
    if (timings) timings->setupMs = Since(start);

    start = Clock::now();
    CityGeometry own;
    if (!first.geometry) own = BuildCityGeometry(stats, first.mode);
    const CityGeometry& geometry = first.geometry ? *first.geometry : own;
    if (timings) timings->buildingsMs = Since(start);
    start = Clock::now();
    MsRandom rng(ProjectSeed(stats));
    // Beyond 4096 texels a side the ground only costs memory: a texel is then
    // far below a pixel of any picture this is for.
    const int32_t groundLimit = std::min<int32_t>(renderer.maxTextureSize(), 4096);
    const GroundTexture ground = BuildGroundTexture(stats, rng, groundLimit);
    if (timings) {
        timings->groundMs = Since(start);
        timings->buildings = static_cast<int32_t>(geometry.boxes.size() + geometry.towers.size());
        timings->groundWidth = ground.width;
        timings->groundHeight = ground.height;
    }

    start = Clock::now();
    renderer.setCity(geometry, ground);
    renderer.setPicked(first.pickedBox, first.pickedTower);
    if (timings) timings->uploadMs = Since(start);

    for (const SnapshotOptions& options : pictures) {
        start = Clock::now();
        OffscreenFramebuffer framebuffer;
        if (!framebuffer.create(options.width, options.height, error)) {
            renderer.release();
            images.clear();
            return false;
        }
        const CityGrid& grid = stats.cityGrid;
        const int32_t maxEloc = stats.measures.maxMethodEloc;
        const Camera camera =
            options.camera ? *options.camera : MapViewCamera(grid.width, grid.height, maxEloc);
        if (options.view && options.projection)
            renderer.render(options.width, options.height, *options.view, *options.projection);
        else
            renderer.render(options.width, options.height, ViewMatrix(camera),
                            CityProjection(grid.width, grid.height, maxEloc));
        RgbImage& image = images.emplace_back();
        framebuffer.read(image);
        if (timings) timings->renderMs += Since(start);
        if (image.pixels.empty()) {
            renderer.release();
            images.clear();
            if (error) *error = "out of memory reading the picture back";
            return false;
        }
        if (options.creditLine) {
            start = Clock::now();
            // The window's snapshot texts, of which a picture taken without a
            // window keeps only the credit line: the others name keys to press.
            HudState state;
            state.clientWidth = options.width;
            state.clientHeight = options.height;
            state.snapshot = true;
            state.displayMode = options.mode;
            std::vector<HudText> lines = HudTexts(&stats, state, nullptr, CityFilter{});
            std::erase_if(lines, [](const HudText& line) { return line.text != kCreditLine; });
            DrawHudTexts(image, lines, kHudTextPixels, nullptr);
            if (timings) timings->creditMs += Since(start);
        }
    }
    renderer.release();
    return true;
}

}  // namespace codeburg
