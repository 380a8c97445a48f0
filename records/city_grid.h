#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "records/city_cell.h"

namespace codeburg {

class StatsBuffer;

// What writing at "position" along one side of "size" cells does to that
// side: its new size and how far the existing content moves (grids grow by 8
// beyond the written cell, so a spiral moving outwards rarely reallocates).
struct GridGrowth {
    int64_t size;
    int64_t move;
};
GridGrowth GrowthForWrite(int32_t position, int32_t size);

// Writes a side x side building square from (x, y) through "set" (which acts
// as CityGrid::Set, returning false on failure and the shift it caused): the
// anchor at the corner, interior cells as the anchor with footprint 0, a
// Pavement ring around them. The corner goes first and the rest row by row,
// since the order decides how a grid grows. False when a write failed.
template <typename SetCell>
bool WriteBuildingSquare(int32_t x, int32_t y, int32_t side, const CityCell& anchor, SetCell&& set)
{
    CityCell interior = anchor;
    interior.footprint = 0;
    CityCell pavement;
    pavement.height = CityCell::kPavement;
    for (int32_t j = 0; j < side; ++j) {
        for (int32_t i = 0; i < side; ++i) {
            const bool inside = i >= 1 && j >= 1 && i <= side - 2 && j <= side - 2;
            const CityCell& value = (i == 0 && j == 0) ? anchor : inside ? interior : pavement;
            int32_t dx = 0, dy = 0;
            if (!set(x + i, y + j, value, dx, dy)) return false;
            x += dx, y += dy;
        }
    }
    return true;
}

// A growable two-dimensional array of cells: one per file block and one for the
// whole city. Reading outside the grid yields an Empty cell; writing outside it
// grows the grid by the fixed growth rule and reports how far the content moved.
class CityGrid {
public:
    CityGrid();  // 10 x 10, all Empty, centre and bounds at (5, 5)

    int32_t width = 0;
    int32_t height = 0;
    int32_t minX = 0, minY = 0;
    int32_t maxX = 0, maxY = 0;
    int32_t centreX = 0, centreY = 0;
    std::vector<CityCell> cells;  // row-major, index y * width + x
    uint8_t alternateSize = 0;    // always 0
    int32_t reserved[4] = {0, 0, 0, 0};

    // Discards the cells and allocates width x height Empty cells with centre
    // and bounds at (width / 2, height / 2). False when memory runs out (the
    // grid then keeps its previous content). Clearing a large grid takes a
    // while; "tick", when set, is called between its steps.
    bool Allocate(int32_t newWidth, int32_t newHeight, const std::function<void()>& tick = {});
    void Clear();  // 0 x 0, no cells

    const CityCell& Get(int32_t x, int32_t y) const;

    // Writes a cell, growing the grid when (x, y) lies outside. On return
    // shiftX/shiftY hold how far existing content moved; the cell landed at
    // (x + shiftX, y + shiftY). False when growing failed.
    bool Set(int32_t x, int32_t y, const CityCell& cell, int32_t* shiftX = nullptr,
             int32_t* shiftY = nullptr);

    // True when every cell of the w x h rectangle at (x, y) is Empty; cells
    // outside the grid count as Empty.
    bool IsFree(int32_t x, int32_t y, int32_t w, int32_t h) const;

    // Writes a side x side building square from (x, y), growing the grid as
    // Set does: the anchor cell at the corner, interior cells as the anchor
    // with footprint 0, a Pavement ring around them. False when growing failed.
    bool FillSquare(int32_t x, int32_t y, int32_t side, const CityCell& anchor);

    // Keeps the written rectangle plus "margin" Empty cells on every side.
    void Crop(int32_t margin);

    // Copies "block" whole (Empty cells included) with its corner at (x, y)
    // and widens the bounds to the copied rectangle. False when it does not
    // fit inside this grid.
    bool CopyFrom(const CityGrid& block, int32_t x, int32_t y);

    void Serialise(StatsBuffer& buffer) const;
    // The serialised form in two parts, so that a large city can go to a file
    // straight from memory: everything before the cells, then the cells'
    // bytes, which are empty where memory does not hold them as the file does.
    void SerialiseHead(StatsBuffer& buffer) const;
    std::span<const uint8_t> RawCellBytes() const;
    // False when the stored size is inconsistent or the data ends early; the
    // grid is then left empty (0 x 0).
    bool Deserialise(StatsBuffer& buffer);

    bool operator==(const CityGrid&) const = default;
};

}  // namespace codeburg
