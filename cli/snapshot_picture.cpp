#include "cli/snapshot_picture.h"

#include <algorithm>

#include "city/city_geometry.h"
#include "records/project_stats.h"

#if CODEBURG_HAVE_RENDER
#include "city/render/city_snapshot.h"
#include "city/render/offscreen_context.h"
#include "city/render/text_overlay.h"
#endif

namespace codeburg::cli {

const char* const kNoRendererMessage =
    "this build of codeburg-cli cannot render: it was built without OpenGL";

#if CODEBURG_HAVE_RENDER
namespace {

// Blends "colour" (0x00RRGGBB) over a rectangle of the picture, clipped to it.
void FillRect(RgbImage& image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour,
              float opacity)
{
    const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int32_t x1 = std::min(x + w, image.width), y1 = std::min(y + h, image.height);
    const float rgb[3] = {float((colour >> 16) & 0xFF), float((colour >> 8) & 0xFF),
                          float(colour & 0xFF)};
    for (int32_t py = y0; py < y1; ++py)
        for (int32_t px = x0; px < x1; ++px) {
            uint8_t* p = &image.pixels[(size_t(py) * image.width + px) * 3];
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>(p[c] * (1 - opacity) + rgb[c] * opacity + 0.5f);
        }
}

void DrawLegend(RgbImage& image, const LegendLayout& layout)
{
    FillRect(image, layout.x, layout.y, layout.width, layout.height, layout.panelColour,
             kLegendPanelOpacity);
    for (const LegendSwatch& s : layout.swatches) {
        FillRect(image, s.x - 1, s.y - 1, s.size + 2, s.size + 2, 0x00A0A0A0, 1.0f);
        FillRect(image, s.x, s.y, s.size, s.size, s.colour, 1.0f);
    }
    // Without a font the picture keeps its panel and swatches: still a key.
    DrawHudTexts(image, layout.texts, layout.textPixels, nullptr);
}

}  // namespace
#endif

PictureTaker::PictureTaker() = default;
PictureTaker::~PictureTaker() = default;

bool PictureTaker::take(const ProjectStats& stats, const PictureRequest& request, RgbImage& image,
                        int32_t* buildings, std::string* error)
{
    std::vector<RgbImage> images;
    if (!takeSeveral(stats, std::span(&request, 1), images, buildings, error)) return false;
    image = std::move(images.front());
    return true;
}

bool PictureTaker::takeSeveral(const ProjectStats& stats, std::span<const PictureRequest> requests,
                               std::vector<RgbImage>& images, int32_t* buildings,
                               std::string* error)
{
    images.clear();
#if CODEBURG_HAVE_RENDER
    if (requests.empty()) return true;
    if (!m_context) {
        std::string reason;
        m_context = OffscreenContext::Create(&reason);
        if (!m_context) {
            if (error) *error = "cannot create an offscreen OpenGL context: " + reason;
            return false;
        }
    }
    // One set of buildings for every picture; the framed ones need it first.
    const PictureRequest& first = requests.front();
    CityGeometry own;
    const CityGeometry* geometry = first.geometry;
    if (!geometry) {
        own = BuildCityGeometry(stats, first.mode);
        geometry = &own;
    }
    std::vector<SnapshotOptions> pictures;
    std::vector<LegendLayout> legends;
    std::vector<Vec3> outline;
    for (const PictureRequest& request : requests) {
        const LegendFacts facts = request.legendFacts
                                      ? *request.legendFacts
                                      : LegendFactsOf(stats, request.mode, request.buildDate);
        const LegendLayout& legend = legends.emplace_back(
            request.legend ? LayoutLegend(facts, request.width, request.height) : LegendLayout{});
        SnapshotOptions& options = pictures.emplace_back();
        options.width = request.width;
        options.height = request.height;
        options.mode = request.mode;
        options.geometry = geometry;
        if (!request.viewpoint && request.view != SnapshotView::ClassicMap) {
            if (outline.empty()) CityOutline(stats, *geometry, outline);
            const FramedCamera camera =
                FramePoints(outline, request.view, request.width, request.height,
                            request.legend ? legend.x + legend.width + legend.x : 0);
            options.view = camera.view;
            options.projection = camera.projection;
        } else {
            // The window's own pictures, exactly: its camera, its credit line.
            options.creditLine = true;
            options.camera = request.viewpoint;
        }
    }
    SnapshotTimings timings;
    std::string reason;
    if (!RenderCitySnapshots(stats, pictures, images, &reason, &timings)) {
        if (error) *error = reason;
        return false;
    }
    if (buildings) *buildings = timings.buildings;
    for (size_t i = 0; i < images.size(); ++i)
        if (requests[i].legend) DrawLegend(images[i], legends[i]);
    return true;
#else
    (void)stats, (void)requests, (void)buildings;
    if (error) *error = kNoRendererMessage;
    return false;
#endif
}

}  // namespace codeburg::cli
