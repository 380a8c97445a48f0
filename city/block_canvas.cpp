#include "city/block_canvas.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

#include "records/city_grid.h"

namespace codeburg {

namespace {

constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();
constexpr int64_t kMinRoom = 16;

}  // namespace

bool BlockCanvas::Start(const CityGrid& grid)
{
    m_width = grid.width, m_height = grid.height;
    m_minX = grid.minX, m_minY = grid.minY, m_maxX = grid.maxX, m_maxY = grid.maxY;
    m_centreX = grid.centreX, m_centreY = grid.centreY;
    // The larger of the two stores is kept for the next growth.
    if (m_store.capacity() > m_spareStore.capacity()) std::swap(m_store, m_spareStore);
    if (m_occupied.capacity() > m_spareOccupied.capacity()) std::swap(m_occupied, m_spareOccupied);
    m_store.clear();
    m_occupied.clear();
    m_storeWidth = m_storeHeight = m_offsetX = m_offsetY = 0;
    m_wordsPerRow = 0;
    m_squares.clear();
    m_shiftX = m_shiftY = 0;
    m_planned = true;
    if (!Reserve(m_width, m_height, 0, 0)) return false;
    // A grid whose cells fall short of its size reads Empty beyond them.
    const size_t known = std::min(grid.cells.size(), size_t(m_width) * size_t(m_height));
    for (size_t i = 0; i < known; ++i) {
        const int64_t x = int64_t(i % size_t(m_width)), y = int64_t(i / size_t(m_width));
        m_store[size_t((y + m_offsetY) * m_storeWidth + x + m_offsetX)] = grid.cells[i];
        if (!grid.cells[i].isEmpty()) {
            m_planned = false;
            MarkOccupancy(x + m_offsetX, y + m_offsetY, true);
        }
    }
    return true;
}

// Makes room for a grid of newWidth x newHeight whose present content moves
// by (moveX, moveY). The store only moves when the grid outgrows it, and then
// takes half the grid's size again on every side.
bool BlockCanvas::Reserve(int64_t newWidth, int64_t newHeight, int64_t moveX, int64_t moveY)
{
    const int64_t offsetX = m_offsetX - moveX, offsetY = m_offsetY - moveY;
    if (!m_store.empty() && offsetX >= 0 && offsetY >= 0 && offsetX + newWidth <= m_storeWidth &&
        offsetY + newHeight <= m_storeHeight) {
        m_offsetX = offsetX, m_offsetY = offsetY;
        return true;
    }
    const int64_t roomX = std::max(kMinRoom, newWidth / 2),
                  roomY = std::max(kMinRoom, newHeight / 2);
    const int64_t storeWidth = newWidth + 2 * roomX, storeHeight = newHeight + 2 * roomY;
    if (storeHeight > 0 &&
        storeWidth > int64_t(std::numeric_limits<size_t>::max() / sizeof(CityCell)) / storeHeight)
        return false;
    // Fresh memory costs its first touch; a store given up earlier (by this
    // block or the one before on this canvas) is reused where it is large enough.
    std::vector<CityCell> store = std::move(m_spareStore);
    std::vector<uint64_t> occupied = std::move(m_spareOccupied);
    const int64_t wordsPerRow = (storeWidth + 63) / 64;
    try {
        store.assign(size_t(storeWidth * storeHeight), CityCell{});
        occupied.assign(size_t(wordsPerRow * storeHeight), 0);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    for (int64_t y = 0; y < m_height && !m_store.empty(); ++y) {
        const CityCell* from = m_store.data() + (y + m_offsetY) * m_storeWidth + m_offsetX;
        std::copy_n(from, m_width, store.data() + (y + moveY + roomY) * storeWidth + moveX + roomX);
    }
    m_spareStore = std::move(m_store);
    m_store = std::move(store);
    m_storeWidth = storeWidth, m_storeHeight = storeHeight;
    m_offsetX = roomX, m_offsetY = roomY;
    m_spareOccupied = std::move(m_occupied);
    m_occupied = std::move(occupied);
    m_wordsPerRow = wordsPerRow;
    // Only the moved grid can hold anything but Empty.
    for (int64_t y = 0; y < m_height; ++y) {
        const int64_t sy = y + moveY + roomY;
        for (int64_t x = 0; x < m_width; ++x) {
            const int64_t sx = x + moveX + roomX;
            if (!m_store[size_t(sy * m_storeWidth + sx)].isEmpty()) MarkOccupancy(sx, sy, true);
        }
    }
    return true;
}

void BlockCanvas::MarkOccupancy(int64_t storeX, int64_t storeY, bool occupied)
{
    uint64_t& word = m_occupied[size_t(storeY * m_wordsPerRow + storeX / 64)];
    const uint64_t bit = uint64_t{1} << (storeX % 64);
    word = occupied ? word | bit : word & ~bit;
}

// Whether stored cells [left, right) of a row are all Empty.
bool BlockCanvas::RowFree(int64_t storeY, int64_t left, int64_t right) const
{
    const uint64_t* row = m_occupied.data() + storeY * m_wordsPerRow;
    const int64_t first = left / 64, last = (right - 1) / 64;
    const uint64_t head = ~uint64_t{0} << (left % 64);
    const uint64_t tail = ~uint64_t{0} >> (63 - (right - 1) % 64);
    if (first == last) return (row[first] & head & tail) == 0;
    if (row[first] & head) return false;
    for (int64_t w = first + 1; w < last; ++w)
        if (row[w]) return false;
    return (row[last] & tail) == 0;
}

bool BlockCanvas::IsFree(int32_t x, int32_t y, int32_t w, int32_t h) const
{
    const int64_t left = std::max<int64_t>(int64_t(x) + m_offsetX, 0);
    const int64_t top = std::max<int64_t>(int64_t(y) + m_offsetY, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w + m_offsetX, m_storeWidth);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h + m_offsetY, m_storeHeight);
    if (left >= right) return true;
    for (int64_t row = top; row < bottom; ++row)
        if (!RowFree(row, left, right)) return false;
    return true;
}

bool BlockCanvas::Set(int32_t x, int32_t y, const CityCell& cell, int32_t& shiftX, int32_t& shiftY)
{
    const auto [newWidth, moveX] = GrowthForWrite(x, m_width);
    const auto [newHeight, moveY] = GrowthForWrite(y, m_height);
    if (newWidth > kMaxSide || newHeight > kMaxSide) return false;
    if (newWidth != m_width || newHeight != m_height) {
        if (!Reserve(newWidth, newHeight, moveX, moveY)) return false;
        m_width = int32_t(newWidth), m_height = int32_t(newHeight);
        m_minX += int32_t(moveX), m_maxX += int32_t(moveX), m_centreX += int32_t(moveX);
        m_minY += int32_t(moveY), m_maxY += int32_t(moveY), m_centreY += int32_t(moveY);
        m_shiftX += moveX, m_shiftY += moveY;
    }
    const int32_t cx = int32_t(x + moveX), cy = int32_t(y + moveY);
    m_store[size_t((cy + m_offsetY) * m_storeWidth + cx + m_offsetX)] = cell;
    MarkOccupancy(cx + m_offsetX, cy + m_offsetY, !cell.isEmpty());
    m_minX = std::min(m_minX, cx), m_maxX = std::max(m_maxX, cx);
    m_minY = std::min(m_minY, cy), m_maxY = std::max(m_maxY, cy);
    shiftX = int32_t(moveX), shiftY = int32_t(moveY);
    return true;
}

bool BlockCanvas::FillSquare(int32_t x, int32_t y, int32_t side, const CityCell& anchor)
{
    // The corner may move as the canvas grows; it is followed to its final place.
    int32_t cornerX = x, cornerY = y;
    const bool written = WriteBuildingSquare(
        x, y, side, anchor,
        [&](int32_t cx, int32_t cy, const CityCell& cell, int32_t& dx, int32_t& dy) {
            if (!Set(cx, cy, cell, dx, dy)) return false;
            cornerX += dx, cornerY += dy;
            return true;
        });
    if (!written) {
        m_planned = false;
        return false;
    }
    try {
        m_squares.push_back(
            {int32_t(cornerX - m_shiftX), int32_t(cornerY - m_shiftY), side, anchor});
    } catch (const std::bad_alloc&) {
        m_planned = false;
    }
    return true;
}

bool BlockCanvas::CropPlan(BlockPlan& plan, int32_t margin) const
{
    const int64_t width = int64_t(m_maxX) - m_minX + 1 + 2 * int64_t(margin);
    const int64_t height = int64_t(m_maxY) - m_minY + 1 + 2 * int64_t(margin);
    if (!m_planned || width < 0 || height < 0 || width > kMaxSide || height > kMaxSide)
        return false;
    try {
        plan.squares.resize(m_squares.size());
    } catch (const std::bad_alloc&) {
        return false;
    }
    const int64_t offX = m_shiftX + margin - m_minX, offY = m_shiftY + margin - m_minY;
    for (size_t i = 0; i < m_squares.size(); ++i) {
        plan.squares[i] = m_squares[i];
        plan.squares[i].x = int32_t(m_squares[i].x + offX);
        plan.squares[i].y = int32_t(m_squares[i].y + offY);
    }
    plan.width = int32_t(width), plan.height = int32_t(height);
    return true;
}

bool BlockPlan::Render(CityGrid& city, int32_t left, int32_t top) const
{
    if (left < 0 || top < 0 || int64_t(left) + width > city.width ||
        int64_t(top) + height > city.height ||
        city.cells.size() < size_t(city.width) * size_t(city.height))
        return false;
    CityCell pavement;
    pavement.height = CityCell::kPavement;
    for (const Square& s : squares) {
        CityCell interior = s.anchor;
        interior.footprint = 0;
        CityCell* row = city.cells.data() + (size_t(top) + s.y) * city.width + left + s.x;
        for (int32_t j = 0; j < s.side; ++j, row += city.width) {
            const bool edge = j == 0 || j == s.side - 1;
            for (int32_t i = 0; i < s.side; ++i)
                row[i] = edge || i == 0 || i == s.side - 1 ? pavement : interior;
        }
        city.cells[(size_t(top) + s.y) * city.width + left + s.x] = s.anchor;
    }
    return true;
}

bool BlockCanvas::CropInto(CityGrid& grid, int32_t margin) const
{
    int64_t width = int64_t(m_maxX) - m_minX + 1 + 2 * int64_t(margin);
    int64_t height = int64_t(m_maxY) - m_minY + 1 + 2 * int64_t(margin);
    int64_t offX = int64_t(margin) - m_minX, offY = int64_t(margin) - m_minY;
    const bool crop = width >= 0 && height >= 0 && width <= kMaxSide && height <= kMaxSide;
    if (!crop) {
        // CityGrid::Crop leaves such a grid as it is.
        width = m_width, height = m_height, offX = offY = 0;
    }
    if (!grid.Allocate(int32_t(width), int32_t(height))) {
        grid.Clear();
        return false;
    }
    const int64_t left = std::max<int64_t>(0, -offX),
                  right = std::min<int64_t>(m_width, width - offX);
    const int64_t top = std::max<int64_t>(0, -offY),
                  bottom = std::min<int64_t>(m_height, height - offY);
    for (int64_t row = top; row < bottom && left < right; ++row) {
        const CityCell* from = m_store.data() + (row + m_offsetY) * m_storeWidth + m_offsetX;
        std::copy(from + left, from + right,
                  grid.cells.data() + (row + offY) * width + left + offX);
    }
    grid.centreX = int32_t(m_centreX + offX);
    grid.centreY = int32_t(m_centreY + offY);
    if (crop) {
        grid.minX = grid.minY = margin;
        grid.maxX = grid.width - margin - 1;
        grid.maxY = grid.height - margin - 1;
    } else {
        grid.minX = m_minX, grid.minY = m_minY, grid.maxX = m_maxX, grid.maxY = m_maxY;
    }
    return true;
}

}  // namespace codeburg
