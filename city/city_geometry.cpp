#include "city/city_geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/large_pages.h"
#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"
#include "scoring/scoring_settings.h"

namespace codeburg {

namespace {

const char* const kModeNames[kDisplayModeCount] = {"Color Mode", "Readability Mode", "Asserts Mode",
                                                   "Line/Method Mode"};

// The same hue with saturation and value scaled. Vertex colours are 0x00RRGGBB
// while ColorToHsv reads red from the low byte, so swap first: otherwise a red
// building would get dark blue walls.
uint32_t Shade(uint32_t rgb, double saturationFactor, double valueFactor)
{
    const Hsv hsv = ColorToHsv(SwapRedBlue(rgb));
    return HsvToColor(hsv.hue, hsv.saturation * saturationFactor, hsv.value * valueFactor);
}

CityVertex Vertex(float x, float y, float z, float nx, float ny, float nz, uint32_t colour, float u,
                  float v)
{
    CityVertex r;
    r.x = x;
    r.y = y;
    r.z = z;
    r.nx = nx;
    r.ny = ny;
    r.nz = nz;
    r.diffuse = colour;
    r.u = u;
    r.v = v;
    return r;
}

int32_t RoofHeight(int32_t heightWord)
{
    return std::max(1, heightWord / 2);
}

bool IsTower(const MethodStats& method)
{
    return method.methodName == method.className;
}

const MethodStats* MethodAt(const ProjectStats& stats, uint32_t fileIndex, uint32_t methodIndex)
{
    if (fileIndex >= stats.files.size()) return nullptr;
    const FileStats* file = stats.files[fileIndex].get();
    if (!file || methodIndex >= file->methods.size()) return nullptr;
    return file->methods[methodIndex].get();
}

}  // namespace

DisplayMode NextDisplayMode(DisplayMode mode)
{
    return static_cast<DisplayMode>((static_cast<int32_t>(mode) + 1) % kDisplayModeCount);
}

const char* DisplayModeName(DisplayMode mode)
{
    const int32_t n = static_cast<int32_t>(mode);
    return n >= 0 && n < kDisplayModeCount ? kModeNames[n] : "??";
}

uint32_t BackgroundColour()
{
    return HsvToColor(230, 0.0, 0.1);
}

ColourReferences ColourReferencesOf(const ProjectStats& stats)
{
    ColourReferences refs;
    refs.lineCount = stats.LineCount();
    const std::vector<ScoringTopic>& topics =
        stats.settings ? stats.settings->topics : stats.topics;
    if (topics.size() > 2) refs.assertReference = topics[2].reference;
    return refs;
}

double GreenRatio(int32_t eloc, int32_t commentLines, int32_t asserts)
{
    if (eloc == 0) return commentLines > 0 ? 1.0 : 0.0;
    return (double(commentLines) + double(asserts)) / double(eloc);
}

uint32_t MethodColour(const MethodStats& m, uint32_t fileColour, DisplayMode mode,
                      const ColourReferences& refs)
{
    const double g = GreenRatio(m.eloc, m.commentLines, m.asserts);
    switch (mode) {
        case DisplayMode::Readability: {
            const double gc = std::min(g, 2.0);
            if (gc <= 0.3) return HsvToColor(20, 0.45, gc);
            return HsvToColor(20, 0.0, 2.0 * gc);
        }
        case DisplayMode::Asserts: {
            const double a = m.eloc == 0 ? 1.0 : double(m.asserts) / double(m.eloc);
            const double r = refs.assertReference;
            if (a <= r) return HsvToColor(0, 0.55, 0.2 - (r - a));
            return HsvToColor(0, 0.0, a + 0.8 - r);
        }
        case DisplayMode::LineMethod: {
            const int64_t e = m.eloc, l = refs.lineCount;
            if (e > l) return HsvToColor(0, 0.55, 0.2 - double((e - l) / 100));
            return HsvToColor(128, 0.0, double((l - e) / 100) + 0.8);
        }
        default: {
            const Hsv hsv = ColorToHsv(fileColour);
            const double factor = g < 0.8 ? 0.8 : g > 1.5 ? 1.5 : g;
            return HsvToColor(hsv.hue, hsv.saturation, hsv.value * factor);
        }
    }
}

WallTexture ChooseWallTexture(int32_t h, float w)
{
    if (h > 5 && h < 20 && w > 4.0f) return WallTexture::Medium;
    if (h <= 7) return WallTexture::Low;
    if (h > 30 || w < 2.0f) return WallTexture::Tall;
    return WallTexture::Default;
}

void MakeBox(float x0, float z0, int32_t p, int32_t heightWord, uint32_t c, BoxBuilding& box)
{
    const float h = static_cast<float>(RoofHeight(heightWord));
    const float x1 = x0 + p + 0.02f, z1 = z0 + p + 0.02f;
    const uint32_t d = Shade(c, 0.85, 0.3);
    auto& v = box.vertices;
    // Walls: top then bottom at each corner, walking round the box back to the start.
    const float cx[5] = {x0, x1, x1, x0, x0};
    const float cz[5] = {z0, z0, z1, z1, z0};
    const float nx[5] = {-1, 1, 1, -1, -1};
    const float nz[5] = {-1, -1, 1, 1, -1};
    for (int i = 0; i < 5; ++i) {
        const float u = static_cast<float>(i % 2);
        v[2 * i] = Vertex(cx[i], h, cz[i], nx[i], 0, nz[i], c, u, 0.0f);
        v[2 * i + 1] = Vertex(cx[i], 0.0f, cz[i], nx[i], 0, nz[i], d, u, 1.0f);
    }
    v[10] = Vertex(x0, h, z0, 0, 1, 0, c, 0.0f, 0.0f);
    v[11] = Vertex(x1, h, z0, 0, 1, 0, d, 1.0f, 0.0f);
    v[12] = Vertex(x0, h, z1, 0, 1, 0, c, 0.0f, 1.0f);
    v[13] = Vertex(x1, h, z1, 0, 1, 0, d, 1.0f, 1.0f);
    box.roofHeight = RoofHeight(heightWord);
    box.wallTexture = ChooseWallTexture(box.roofHeight, p + 0.02f);
}

void MakeTower(float x0, float z0, int32_t p, int32_t heightWord, uint32_t c, TowerBuilding& tower)
{
    const float h = static_cast<float>(RoofHeight(heightWord));
    const float r = p / 2.0f;
    const float cx = x0 + (p + 0.02f) / 2.0f, cz = z0 + (p + 0.02f) / 2.0f;
    const uint32_t base = Shade(c, 0.85, 0.95);
    const uint32_t apex = Shade(c, 0.85, 0.95 * 0.75 * 0.75);
    auto& v = tower.vertices;
    for (int k = 0; k <= 8; ++k) {
        const double t = k * 2.0 * M_PI / 8.0;
        const float s = static_cast<float>(std::sin(t)), co = static_cast<float>(std::cos(t));
        const float u = k / 8.0f;
        const float px = cx + r * s, pz = cz + r * co;
        v[2 * k] = Vertex(px, 0.0f, pz, s, 0, co, base, u, 0.0f);
        v[2 * k + 1] = Vertex(px, h, pz, s, 0, co, c, u, 1.0f);
        v[18 + 2 * k] = Vertex(px, h, pz, s, 0, co, c, u, 1.0f);
        v[18 + 2 * k + 1] = Vertex(cx, h + 0.5f, cz, 0, 1, 0, apex, u, 0.0f);
    }
    tower.roofHeight = RoofHeight(heightWord);
}

CityGeometry BuildCityGeometry(const ProjectStats& stats, DisplayMode mode)
{
    CityGeometry geometry;
    size_t towerMethods = 0, allMethods = 0;
    for (const auto& file : stats.files) {
        if (!file) continue;
        allMethods += file->methods.size();
        for (const auto& m : file->methods) towerMethods += IsTower(*m) ? 1 : 0;
    }
    const size_t boxLimit = allMethods - towerMethods;
    geometry.boxes.reserve(boxLimit);
    geometry.towers.reserve(towerMethods);
    // Half a kilobyte a box: a big project's buildings fill tens of megabytes.
    AdviseLargePages(geometry.boxes.data(), geometry.boxes.capacity() * sizeof(BoxBuilding));
    AdviseLargePages(geometry.towers.data(), geometry.towers.capacity() * sizeof(TowerBuilding));

    const ColourReferences refs = ColourReferencesOf(stats);
    const CityGrid& grid = stats.cityGrid;
    if (grid.width <= 0 || grid.height <= 0 ||
        grid.cells.size() < size_t(grid.width) * size_t(grid.height))
        return geometry;
    for (int32_t y = 0; y < grid.height; ++y) {
        for (int32_t x = 0; x < grid.width; ++x) {
            const CityCell& cell = grid.cells[size_t(y) * grid.width + x];
            if (!cell.isAnchor()) continue;
            const MethodStats* m = MethodAt(stats, cell.fileIndex, cell.methodIndex);
            if (!m) continue;
            const int32_t p = cell.footprint, s = cell.side;
            const int32_t o = s / 2 - p / 2;
            const float x0 = static_cast<float>(x + o), z0 = static_cast<float>(y + o);
            const uint32_t colour = MethodColour(*m, m->file ? m->file->colour : 0, mode, refs);
            if (IsTower(*m)) {
                if (geometry.towers.size() >= towerMethods) continue;
                TowerBuilding& t = geometry.towers.emplace_back();
                MakeTower(x0, z0, p, cell.height, colour, t);
                t.method = m;
                t.anchorX = x;
                t.anchorY = y;
                t.side = s;
            } else {
                if (geometry.boxes.size() >= boxLimit) continue;
                BoxBuilding& b = geometry.boxes.emplace_back();
                MakeBox(x0, z0, p, cell.height, colour, b);
                b.method = m;
                b.anchorX = x;
                b.anchorY = y;
                b.side = s;
            }
        }
    }
    return geometry;
}

void RecolourCity(CityGeometry& geometry, const ProjectStats& stats, DisplayMode mode)
{
    // Rebuilding is one pass over the grid; keeping the shapes apart would save little.
    geometry = BuildCityGeometry(stats, mode);
}

}  // namespace codeburg
