#include "records/city_grid.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/large_pages.h"
#include "records/stats_buffer.h"

namespace codeburg {

namespace {

const CityCell kEmptyCell{};

// The serialised cell is the in-memory one on a little-endian machine, which
// lets whole rows go through one copy.
constexpr bool kRawCells = std::endian::native == std::endian::little &&
                           offsetof(CityCell, height) == 0 && offsetof(CityCell, footprint) == 2 &&
                           offsetof(CityCell, side) == 3 && offsetof(CityCell, fileIndex) == 4 &&
                           offsetof(CityCell, methodIndex) == 8;

constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();

// Cells cleared between two calls of the tick: about 50 ms of first touches
// of fresh memory on a slow virtual machine.
constexpr size_t kTickCells = (size_t(16) << 20) / sizeof(CityCell);

// A vector of count Empty cells, or false when memory runs out. "tick", when
// set, is called between steps of clearing a large one.
bool MakeCells(int64_t count, std::vector<CityCell>& out, const std::function<void()>& tick = {})
{
    if (count < 0 || static_cast<uint64_t>(count) > SIZE_MAX / sizeof(CityCell)) return false;
    try {
        std::vector<CityCell> fresh;
        fresh.reserve(static_cast<size_t>(count));
        AdviseLargePages(fresh.data(), static_cast<size_t>(count) * sizeof(CityCell));
        if (tick) {
            // Growing within the reserved room never moves the cells.
            while (fresh.size() + kTickCells < static_cast<size_t>(count)) {
                fresh.resize(fresh.size() + kTickCells);
                tick();
            }
        }
        fresh.resize(static_cast<size_t>(count));
        out = std::move(fresh);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

}  // namespace

CityGrid::CityGrid()
{
    Allocate(10, 10);
}

bool CityGrid::Allocate(int32_t newWidth, int32_t newHeight, const std::function<void()>& tick)
{
    if (newWidth < 0 || newHeight < 0) return false;
    std::vector<CityCell> fresh;
    if (!MakeCells(int64_t(newWidth) * newHeight, fresh, tick)) return false;
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

GridGrowth GrowthForWrite(int32_t position, int32_t size)
{
    if (position < 0) return {size + 8 - int64_t(position), 8 - int64_t(position)};
    if (position >= size) return {int64_t(position) + 9, 0};
    return {size, 0};
}

bool CityGrid::Set(int32_t x, int32_t y, const CityCell& cell, int32_t* shiftX, int32_t* shiftY)
{
    const auto [newWidth, moveX] = GrowthForWrite(x, width);
    const auto [newHeight, moveY] = GrowthForWrite(y, height);
    if (newWidth > kMaxSide || newHeight > kMaxSide) return false;

    if (newWidth != width || newHeight != height) {
        std::vector<CityCell> grown;
        if (!MakeCells(newWidth * newHeight, grown)) return false;
        for (int32_t row = 0; row < height; ++row) {
            std::copy_n(cells.begin() + static_cast<size_t>(row) * width, width,
                        grown.begin() + static_cast<size_t>(row + moveY) * newWidth + moveX);
        }
        cells = std::move(grown);
        width = static_cast<int32_t>(newWidth);
        height = static_cast<int32_t>(newHeight);
        minX += moveX, maxX += moveX, centreX += moveX;
        minY += moveY, maxY += moveY, centreY += moveY;
    }
    const int32_t cx = static_cast<int32_t>(x + moveX), cy = static_cast<int32_t>(y + moveY);
    cells[static_cast<size_t>(cy) * width + cx] = cell;
    minX = std::min(minX, cx), maxX = std::max(maxX, cx);
    minY = std::min(minY, cy), maxY = std::max(maxY, cy);
    if (shiftX) *shiftX = static_cast<int32_t>(moveX);
    if (shiftY) *shiftY = static_cast<int32_t>(moveY);
    return true;
}

bool CityGrid::IsFree(int32_t x, int32_t y, int32_t w, int32_t h) const
{
    // Only the part of the rectangle inside the grid can hold anything.
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, width);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, height);
    for (int64_t row = top; row < bottom; ++row) {
        const CityCell* line = cells.data() + row * width;
        for (int64_t col = left; col < right; ++col) {
            if (line[col].height != CityCell::kEmpty) return false;
        }
    }
    return true;
}

bool CityGrid::FillSquare(int32_t x, int32_t y, int32_t side, const CityCell& anchor)
{
    return WriteBuildingSquare(x, y, side, anchor,
                               [this](int32_t cx, int32_t cy, const CityCell& cell, int32_t& dx,
                                      int32_t& dy) { return Set(cx, cy, cell, &dx, &dy); });
}

void CityGrid::Crop(int32_t margin)
{
    const int64_t newWidth = int64_t(maxX) - minX + 1 + 2 * int64_t(margin);
    const int64_t newHeight = int64_t(maxY) - minY + 1 + 2 * int64_t(margin);
    if (newWidth < 0 || newHeight < 0 || newWidth > kMaxSide || newHeight > kMaxSide) return;
    std::vector<CityCell> cropped;
    if (!MakeCells(newWidth * newHeight, cropped)) return;
    // Copy only what lies inside both grids; the rest stays Empty.
    const int64_t offX = int64_t(margin) - minX, offY = int64_t(margin) - minY;
    const int64_t left = std::max<int64_t>(0, -offX);
    const int64_t right = std::min<int64_t>(width, newWidth - offX);
    const int64_t top = std::max<int64_t>(0, -offY);
    const int64_t bottom = std::min<int64_t>(height, newHeight - offY);
    for (int64_t row = top; row < bottom && left < right; ++row) {
        std::copy(cells.begin() + row * width + left, cells.begin() + row * width + right,
                  cropped.begin() + (row + offY) * newWidth + left + offX);
    }
    cells = std::move(cropped);
    width = static_cast<int32_t>(newWidth);
    height = static_cast<int32_t>(newHeight);
    // The centre is a position in the content, so it moves with it.
    centreX = static_cast<int32_t>(centreX + offX);
    centreY = static_cast<int32_t>(centreY + offY);
    minX = minY = margin;
    maxX = width - margin - 1;
    maxY = height - margin - 1;
}

bool CityGrid::CopyFrom(const CityGrid& block, int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || int64_t(x) + block.width > width || int64_t(y) + block.height > height)
        return false;
    for (int32_t row = 0; row < block.height; ++row) {
        std::copy_n(block.cells.begin() + static_cast<size_t>(row) * block.width, block.width,
                    cells.begin() + static_cast<size_t>(y + row) * width + x);
    }
    if (block.width > 0 && block.height > 0) {
        minX = std::min(minX, x), maxX = std::max(maxX, x + block.width - 1);
        minY = std::min(minY, y), maxY = std::max(maxY, y + block.height - 1);
    }
    return true;
}

void CityGrid::SerialiseHead(StatsBuffer& buffer) const
{
    for (int32_t value : {width, height, minX, minY, maxX, maxY, centreX, centreY})
        buffer.WriteI32(value);
    buffer.WriteU8(0);
    for (int32_t value : reserved) buffer.WriteI32(value);
    buffer.WriteU32(static_cast<uint32_t>(cells.size() * sizeof(CityCell)));
}

std::span<const uint8_t> CityGrid::RawCellBytes() const
{
    if constexpr (!kRawCells) return {};
    return {reinterpret_cast<const uint8_t*>(cells.data()), cells.size() * sizeof(CityCell)};
}

void CityGrid::Serialise(StatsBuffer& buffer) const
{
    SerialiseHead(buffer);
    if constexpr (kRawCells) {
        buffer.WriteRaw(cells.data(), cells.size() * sizeof(CityCell));
    } else {
        for (const CityCell& cell : cells) {
            buffer.WriteU16(cell.height);
            buffer.WriteU8(cell.footprint);
            buffer.WriteU8(cell.side);
            buffer.WriteU32(cell.fileIndex);
            buffer.WriteU32(cell.methodIndex);
        }
    }
}

bool CityGrid::Deserialise(StatsBuffer& buffer)
{
    int32_t head[8];
    uint8_t flag = 0;
    int32_t spare[4];
    uint32_t byteCount = 0;
    bool ok = true;
    for (int32_t& value : head) ok = ok && buffer.ReadI32(value);
    ok = ok && buffer.ReadU8(flag);
    for (int32_t& value : spare) ok = ok && buffer.ReadI32(value);
    ok = ok && buffer.ReadU32(byteCount);
    // The sizes must agree with the byte count and the count with what is
    // left, so a hostile file can neither overrun the data nor make us
    // allocate more than it holds.
    const int64_t cellCount = int64_t(head[0]) * head[1];
    ok = ok && head[0] >= 0 && head[1] >= 0 &&
         cellCount <= int64_t(UINT32_MAX / sizeof(CityCell)) &&
         uint64_t(cellCount) * sizeof(CityCell) == byteCount && byteCount <= buffer.remaining();
    std::vector<CityCell> loaded;
    ok = ok && MakeCells(cellCount, loaded);
    if (ok) {
        if constexpr (kRawCells) {
            ok = buffer.ReadRaw(loaded.data(), byteCount);
        } else {
            for (CityCell& cell : loaded) {
                ok = ok && buffer.ReadU16(cell.height) && buffer.ReadU8(cell.footprint) &&
                     buffer.ReadU8(cell.side) && buffer.ReadU32(cell.fileIndex) &&
                     buffer.ReadU32(cell.methodIndex);
            }
        }
    }
    if (!ok) {
        Clear();
        alternateSize = 0;
        std::fill(std::begin(reserved), std::end(reserved), 0);
        return false;
    }
    cells = std::move(loaded);
    width = head[0], height = head[1];
    minX = head[2], minY = head[3], maxX = head[4], maxY = head[5];
    centreX = head[6], centreY = head[7];
    alternateSize = 0;  // the flag is stored but never honoured
    std::copy(std::begin(spare), std::end(spare), std::begin(reserved));
    return true;
}

}  // namespace codeburg
