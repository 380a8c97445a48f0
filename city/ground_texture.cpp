#include "city/ground_texture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "city/city_geometry.h"
#include "platform/large_pages.h"
#include "platform/ms_random.h"
#include "records/colour.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

namespace {

enum class Kind : uint8_t { Empty, Lake, PavementOrAnchor, Interior };

Kind KindOf(const CityCell& cell)
{
    if (cell.height == CityCell::kEmpty) return Kind::Empty;
    if (cell.height == CityCell::kLake) return Kind::Lake;
    if (cell.height == CityCell::kPavement || cell.footprint != 0) return Kind::PavementOrAnchor;
    return Kind::Interior;
}

// Texel coordinates map to cells by halving; -1 lies outside and reads Empty.
const CityCell& CellOfTexel(const CityGrid& grid, int64_t tx, int64_t ty)
{
    static const CityCell kOutside{};
    if (tx < 0 || ty < 0) return kOutside;
    return grid.Get(static_cast<int32_t>(tx / 2), static_cast<int32_t>(ty / 2));
}

int Channel(uint32_t colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

class TexelPainter {
public:
    TexelPainter(const ProjectStats& stats, MsRandom& rng)
        : m_stats(stats), m_grid(stats.cityGrid), m_rng(rng), m_background(BackgroundColour())
    {
        const float ratio = stats.measures.commentRatio + stats.measures.assertRatio;
        m_green = std::min(1.0, static_cast<double>(ratio));
        if (std::isnan(m_green)) m_green = 0.0;
        // Every texel looks at the kinds of the cells around it; looking them
        // up once per cell, with a border of empty cells round the grid,
        // makes the picture of a big city several times quicker to paint.
        const int64_t w = m_grid.width, h = m_grid.height;
        m_kindStride = w + 2;
        m_kinds.assign(size_t(m_kindStride * (h + 2)), uint8_t(Kind::Empty));
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x)
                m_kinds[size_t((y + 1) * m_kindStride + x + 1)] =
                    uint8_t(KindOf(m_grid.cells[size_t(y * w + x)]));
    }

    uint32_t Texel(int64_t tx, int64_t ty)
    {
        const int64_t w = m_grid.width, h = m_grid.height;
        if (tx >= 2 * w || ty >= 2 * h) return m_background;
        // Counted by kind without a branch per neighbour: which kind comes
        // next is as good as random.
        int counts[4] = {0, 0, 0, 0};
        for (int64_t dy = -1; dy <= 1; ++dy)
            for (int64_t dx = -1; dx <= 1; ++dx) ++counts[int(KindOfTexel(tx + dx, ty + dy))];
        const int nEmpty = counts[int(Kind::Empty)];
        const int nPavement = counts[int(Kind::PavementOrAnchor)];
        const int nOther = counts[int(Kind::Lake)] + counts[int(Kind::Interior)];
        uint32_t colour = 0;
        switch (KindOfTexel(tx, ty)) {
            case Kind::Empty: {
                const double d =
                    double((ty - h) * (ty - h) + (tx - w) * (tx - w)) * 1.5 / double(w * w + h * h);
                const double e = nEmpty / 9.0 * m_green * 2.0;
                colour = HsvToColor(128, std::max(0.3, e * d + 0.4 * d), std::max(0.2, e));
                break;
            }
            case Kind::Lake: {
                const int k = m_rng.next() % 3 + 3;
                colour = HsvToColor(200, 0.5, m_green / k + 0.6);
                break;
            }
            case Kind::PavementOrAnchor: {
                const uint32_t grey = static_cast<uint32_t>(80.0 - nPavement / 9.0 * 20.0);
                colour = grey << 16 | grey << 8 | grey;
                break;
            }
            case Kind::Interior: {
                const double gm = std::min(3.0, MethodGreen(CellOfTexel(m_grid, tx, ty)));
                double y = nOther / 9.0 * (0.2 * gm + 0.2);
                int hue = 128;
                if (gm <= 0.3) {
                    hue = 64;
                    y *= 2.0;
                }
                colour = HsvToColor(hue, 2.0 * y, y);
                break;
            }
        }
        colour = Fade(colour, tx, ty);
        return AddNoise(colour);
    }

private:
    // Texel coordinates map to cells by halving; -1 lies outside and reads
    // Empty, as does anything past the grid (at most one cell: the caller
    // stays below twice the grid's size).
    Kind KindOfTexel(int64_t tx, int64_t ty) const
    {
        const int64_t cx = tx < 0 ? -1 : tx / 2, cy = ty < 0 ? -1 : ty / 2;
        return static_cast<Kind>(m_kinds[size_t((cy + 1) * m_kindStride + cx + 1)]);
    }

    double MethodGreen(const CityCell& cell) const
    {
        if (cell.fileIndex >= m_stats.files.size()) return 0.0;
        const FileStats* file = m_stats.files[cell.fileIndex].get();
        if (!file || cell.methodIndex >= file->methods.size()) return 0.0;
        const MethodStats& m = *file->methods[cell.methodIndex];
        return GreenRatio(m.eloc, m.commentLines, m.asserts);
    }

    uint32_t Fade(uint32_t colour, int64_t tx, int64_t ty) const
    {
        const int64_t w = m_grid.width, h = m_grid.height;
        const int64_t ex = w - std::llabs(w - tx), ey = h - std::llabs(h - ty);
        if (ex >= 20 && ey >= 20) return colour;
        const double f = std::pow(1.0 - 0.05 * double(std::min(ex, ey)), 3.0);
        uint32_t out = 0;
        for (int shift : {16, 8, 0}) {
            const double c = Channel(colour, shift) * (1.0 - f) + Channel(m_background, shift) * f;
            out |= static_cast<uint32_t>(std::clamp(static_cast<int>(c), 0, 255)) << shift;
        }
        return out;
    }

    uint32_t AddNoise(uint32_t colour)
    {
        uint32_t out = 0;
        for (int shift : {16, 8, 0}) {  // red, then green, then blue
            const int c = Channel(colour, shift) + m_rng.next() % 8 - 4;
            out |= static_cast<uint32_t>(std::clamp(c, 0, 255)) << shift;
        }
        return out;
    }

    const ProjectStats& m_stats;
    const CityGrid& m_grid;
    MsRandom& m_rng;
    uint32_t m_background;
    double m_green = 0.0;
    std::vector<uint8_t> m_kinds;  // per cell, with a border of Empty
    int64_t m_kindStride = 0;
};

}  // namespace

GroundTexture BuildGroundTexture(const ProjectStats& stats, MsRandom& rng, int32_t maxSize)
{
    GroundTexture texture;
    const CityGrid& grid = stats.cityGrid;
    if (grid.width <= 0 || grid.height <= 0 ||
        grid.cells.size() < size_t(grid.width) * size_t(grid.height))
        return texture;
    const int64_t wantW = 2 * int64_t(grid.width), wantH = 2 * int64_t(grid.height);
    const int64_t limit = std::max<int64_t>(1, maxSize);
    const int64_t step = (std::max(wantW, wantH) + limit - 1) / limit;
    texture.step = static_cast<int32_t>(step);
    texture.width = static_cast<int32_t>((wantW + step - 1) / step);
    texture.height = static_cast<int32_t>((wantH + step - 1) / step);
    texture.cityWidth = grid.width;
    texture.cityHeight = grid.height;
    try {
        const size_t count = size_t(texture.width) * size_t(texture.height);
        texture.texels.reserve(count);
        AdviseLargePages(texture.texels.data(), count * sizeof(uint32_t));
        texture.texels.resize(count);
        TexelPainter painter(stats, rng);
        for (int64_t j = 0; j < texture.height; ++j)
            for (int64_t i = 0; i < texture.width; ++i)
                texture.texels[size_t(j) * texture.width + i] = painter.Texel(i * step, j * step);
    } catch (const std::bad_alloc&) {
        return GroundTexture{};
    }
    return texture;
}

uint32_t ProjectSeed(const ProjectStats& stats)
{
    uint32_t seed = 0;
    for (size_t i = 0; i < stats.name.size(); ++i)
        seed +=
            static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(stats.name[i])) *
                                  static_cast<int32_t>(i + 1));
    return seed;
}

}  // namespace codeburg
