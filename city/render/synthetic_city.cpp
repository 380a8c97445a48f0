#include "city/render/synthetic_city.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "platform/ms_random.h"
#include "records/file_stats.h"
#include "records/project_stats.h"

namespace codeburg {

void MakeSyntheticCity(ProjectStats& stats, int32_t files, int32_t methodsPerFile, uint32_t seed)
{
    MsRandom rng(seed);
    stats.name = "synthetic";
    stats.files.clear();
    int32_t maxEloc = 0;
    for (int32_t f = 0; f < files; ++f) {
        auto file = std::make_unique<FileStats>("file" + std::to_string(f) + ".cpp", 25, rng);
        const std::string cls = "Class" + std::to_string(f);
        for (int32_t m = 0; m < methodsPerFile; ++m) {
            const bool ctor = m % 10 == 0;
            MethodStats* method =
                file->AddMethod(cls, ctor ? cls : "m" + std::to_string(m), rng.next() % 4);
            method->eloc = rng.next() % 120;
            method->commentLines = rng.next() % 30;
            method->asserts = rng.next() % 3;
            method->emptyLines = rng.next() % 10;
            maxEloc = std::max(maxEloc, method->eloc);
        }
        stats.files.push_back(std::move(file));
    }
    stats.measures.maxMethodEloc = maxEloc;
    stats.measures.commentRatio = 0.2f;
    stats.measures.assertRatio = 0.02f;

    // Blocks of a fixed side, each holding its file's buildings in rows.
    constexpr int32_t kSlot = 8;  // cells per building slot: up to footprint 4 + 2 x 2 border
    const int32_t perRow = std::max<int32_t>(1, int32_t(std::ceil(std::sqrt(methodsPerFile))));
    const int32_t blockSide = perRow * kSlot + 2;
    const int32_t blocksPerRow = std::max<int32_t>(1, int32_t(std::ceil(std::sqrt(files))));
    const int32_t side = blocksPerRow * blockSide + 8;
    CityGrid& grid = stats.cityGrid;
    grid.Allocate(side, side);
    auto cell = [&grid](int32_t x, int32_t y) -> CityCell& {
        return grid.cells[size_t(y) * grid.width + x];
    };
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            if ((x - 4) % blockSide == 0 || (y - 4) % blockSide == 0)
                cell(x, y).height = CityCell::kPavement;
    for (int32_t f = 0; f < files; ++f) {
        const int32_t bx = 4 + (f % blocksPerRow) * blockSide + 1;
        const int32_t by = 4 + (f / blocksPerRow) * blockSide + 1;
        for (int32_t m = 0; m < methodsPerFile; ++m) {
            const MethodStats& method = *stats.files[f]->methods[m];
            const int32_t footprint = method.paramCount + 1;
            const int32_t border = 1 + (m % 2);
            const int32_t s = footprint + 2 * border;
            const int32_t x0 = bx + (m % perRow) * kSlot, y0 = by + (m / perRow) * kSlot;
            CityCell anchor;
            anchor.height = static_cast<uint16_t>(method.eloc + 1);
            anchor.footprint = static_cast<uint8_t>(footprint);
            anchor.side = static_cast<uint8_t>(s);
            anchor.fileIndex = static_cast<uint32_t>(f);
            anchor.methodIndex = static_cast<uint32_t>(m);
            for (int32_t j = 0; j < s; ++j)
                for (int32_t i = 0; i < s; ++i) {
                    CityCell c = anchor;
                    const bool inside = i >= 1 && j >= 1 && i <= s - 2 && j <= s - 2;
                    if (i == 0 && j == 0) {
                    } else if (inside) {
                        c.footprint = 0;
                    } else {
                        c = CityCell{};
                        c.height = CityCell::kPavement;
                    }
                    cell(x0 + i, y0 + j) = c;
                }
        }
    }
    for (int32_t y = 1; y < 4; ++y)
        for (int32_t x = 1; x < std::min(side - 1, 12); ++x) cell(x, y).height = CityCell::kLake;
}

}  // namespace codeburg
