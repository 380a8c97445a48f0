#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/city_cell.h"

namespace codeburg {

class CityGrid;

// A laid-out block kept as its buildings instead of its cells: the squares of
// a block never overlap and everything else in it is Empty, so the squares
// alone give back every cell, at a small fraction of the memory.
struct BlockPlan {
    struct Square {
        int32_t x, y;  // corner cell within the block
        int32_t side;
        CityCell anchor;
    };
    int32_t width = 0, height = 0;
    std::vector<Square> squares;

    // Writes the buildings into "city" with the block's corner at (left,
    // top); the rest of the block's rectangle is left as it is. False when
    // the block does not fit there.
    bool Render(CityGrid& city, int32_t left, int32_t top) const;
};

// A file block while its methods are being placed. It behaves exactly like a
// CityGrid written cell by cell — the same width, height, bounds and centre
// after every write, the same growth and shifts — but keeps its cells in a
// larger backing store with room on every side, so that a block growing a few
// cells at a time is not copied at every step. Cropping hands the result over
// as an ordinary grid.
class BlockCanvas {
public:
    // Starts from the content of "grid" (a fresh block is 10 x 10 and Empty).
    // False when memory runs out.
    bool Start(const CityGrid& grid);

    int32_t centreX() const { return m_centreX; }
    int32_t centreY() const { return m_centreY; }

    // As CityGrid's operations of the same names.
    bool IsEmpty(int32_t x, int32_t y) const
    {
        const int64_t sx = x + m_offsetX, sy = y + m_offsetY;
        if (sx < 0 || sy < 0 || sx >= m_storeWidth || sy >= m_storeHeight) return true;
        return (m_occupied[size_t(sy * m_wordsPerRow + sx / 64)] >> (sx % 64) & 1) == 0;
    }
    bool IsFree(int32_t x, int32_t y, int32_t w, int32_t h) const;
    bool Set(int32_t x, int32_t y, const CityCell& cell, int32_t& shiftX, int32_t& shiftY);
    bool FillSquare(int32_t x, int32_t y, int32_t side, const CityCell& anchor);

    // Replaces "grid" with what CityGrid::Crop(margin) would leave of this
    // block. False when memory runs out ("grid" is then emptied).
    bool CropInto(CityGrid& grid, int32_t margin) const;
    // The same crop as a plan. False when a plan cannot stand for it: the
    // canvas started from a grid that already held cells, or a square could
    // not be written whole.
    bool CropPlan(BlockPlan& plan, int32_t margin) const;

private:
    bool Reserve(int64_t newWidth, int64_t newHeight, int64_t moveX, int64_t moveY);
    void MarkOccupancy(int64_t storeX, int64_t storeY, bool occupied);
    bool RowFree(int64_t storeY, int64_t left, int64_t right) const;

    // The grid as its user sees it.
    int32_t m_width = 0, m_height = 0;
    int32_t m_minX = 0, m_minY = 0, m_maxX = 0, m_maxY = 0;
    int32_t m_centreX = 0, m_centreY = 0;
    // Grid cell (x, y) is stored at (x + m_offsetX, y + m_offsetY) of a
    // m_storeWidth x m_storeHeight store; stored cells outside the grid stay
    // Empty, so tests may read them freely.
    std::vector<CityCell> m_store;
    int64_t m_storeWidth = 0, m_storeHeight = 0;
    // One bit per stored cell, set where the cell is not Empty: the search
    // for room tests thousands of squares per building, and a row of bits
    // answers for up to 64 cells at once.
    std::vector<uint64_t> m_occupied;
    int64_t m_wordsPerRow = 0;
    // Memory of an earlier store, for the next growth or the next block.
    std::vector<CityCell> m_spareStore;
    std::vector<uint64_t> m_spareOccupied;
    int64_t m_offsetX = 0, m_offsetY = 0;
    // Squares written so far, with corners counted from the content's
    // position at the start: adding the total shift since gives grid cells.
    std::vector<BlockPlan::Square> m_squares;
    int64_t m_shiftX = 0, m_shiftY = 0;
    bool m_planned = true;
};

}  // namespace codeburg
