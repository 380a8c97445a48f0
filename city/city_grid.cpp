#include "city/city_grid.h"

#include <cstddef>
#include <new>

namespace codeburg {

namespace {

const CityCell kEmptyCell{};

}  // namespace

CityGrid::CityGrid()
{
    Allocate(10, 10);
}

bool CityGrid::Allocate(int32_t newWidth, int32_t newHeight)
{
    if (newWidth < 0 || newHeight < 0) return false;
    std::vector<CityCell> fresh;
    try {
        fresh.resize(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight));
    } catch (const std::bad_alloc&) {
        return false;
    }
    cells = std::move(fresh);
    width = newWidth;
    height = newHeight;
    centreX = minX = maxX = newWidth / 2;
    centreY = minY = maxY = newHeight / 2;
    return true;
}

void CityGrid::Clear()
{
    cells.clear();
    cells.shrink_to_fit();
    width = height = 0;
    minX = minY = maxX = maxY = centreX = centreY = 0;
}

const CityCell& CityGrid::Get(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return kEmptyCell;
    return cells[static_cast<size_t>(y) * width + x];
}

}  // namespace codeburg
