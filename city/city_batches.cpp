#include "city/city_batches.h"

#include <algorithm>
#include <cstddef>

#include "platform/large_pages.h"

namespace codeburg {

namespace {

bool SamePosition(const CityVertex& a, const CityVertex& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

BatchSpan AppendStrip(CityBatches& b, Batch batch, const CityVertex* strip, int32_t count,
                      int32_t tile)
{
    std::vector<CityVertex>& vertices = b.vertices[int(batch)];
    std::vector<uint32_t>& indices = b.indices[int(batch)];
    const auto base = static_cast<uint32_t>(vertices.size());
    vertices.insert(vertices.end(), strip, strip + count);
    BatchSpan span;
    span.batch = batch;
    span.tile = tile;
    span.first = static_cast<int32_t>(indices.size());
    for (int32_t k = 0; k + 2 < count; ++k) {
        // Odd strip triangles are wound the other way round; undo that.
        const int32_t a = k % 2 == 0 ? k : k + 1, c = k % 2 == 0 ? k + 1 : k;
        const CityVertex &pa = strip[a], &pc = strip[c], &pe = strip[k + 2];
        if (SamePosition(pa, pc) || SamePosition(pc, pe) || SamePosition(pa, pe)) continue;
        indices.push_back(base + uint32_t(a));
        indices.push_back(base + uint32_t(c));
        indices.push_back(base + uint32_t(k + 2));
    }
    span.count = static_cast<int32_t>(indices.size()) - span.first;
    for (int32_t k = 0; k < count; ++k) {
        const float p[3] = {strip[k].x, strip[k].y, strip[k].z};
        for (int a = 0; a < 3; ++a) {
            span.bounds.min[a] = std::min(span.bounds.min[a], p[a]);
            span.bounds.max[a] = std::max(span.bounds.max[a], p[a]);
        }
    }
    return span;
}

void AddRun(DrawRuns& runs, int32_t& lastTile, const BatchSpan& span)
{
    if (span.count == 0) return;
    if (!runs.firsts.empty() && lastTile == span.tile &&
        runs.firsts.back() + runs.counts.back() == span.first) {
        runs.counts.back() += span.count;
        runs.bounds.back().Add(span.bounds);
        return;
    }
    runs.firsts.push_back(span.first);
    runs.counts.push_back(span.count);
    runs.bounds.push_back(span.bounds);
    lastTile = span.tile;
}

// Building indices sorted by tile, rows of tiles first, list order kept within a tile.
template <typename Building>
std::vector<int32_t> TileOrder(const std::vector<Building>& buildings, std::vector<int32_t>& tiles)
{
    int32_t columns = 1;
    for (const Building& b : buildings) columns = std::max(columns, b.anchorX / kTileCells + 1);
    tiles.resize(buildings.size());
    std::vector<int32_t> order(buildings.size());
    for (size_t i = 0; i < buildings.size(); ++i) {
        const Building& b = buildings[i];
        tiles[i] =
            std::max(0, b.anchorY / kTileCells) * columns + std::max(0, b.anchorX) / kTileCells;
        order[i] = static_cast<int32_t>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&tiles](int32_t a, int32_t b) {
        return tiles[size_t(a)] < tiles[size_t(b)];
    });
    return order;
}

}  // namespace

void Bounds::Add(const Bounds& other)
{
    for (int a = 0; a < 3; ++a) {
        min[a] = std::min(min[a], other.min[a]);
        max[a] = std::max(max[a], other.max[a]);
    }
}

CityBatches BuildBatches(const CityGeometry& geometry)
{
    CityBatches b;
    std::vector<int32_t> boxTiles, towerTiles;
    b.boxOrder = TileOrder(geometry.boxes, boxTiles);
    b.towerOrder = TileOrder(geometry.towers, towerTiles);
    // Sized up front: a big city's vertices run to tens of megabytes, and
    // growing them step by step would copy them over and over.
    std::array<size_t, kBatchCount> boxesIn{};
    for (size_t i = 0; i < geometry.boxes.size(); ++i) {
        ++boxesIn[size_t(geometry.boxes[i].wallTexture)];
        ++boxesIn[size_t(Batch::Roof0) + i % 3];
    }
    for (int i = 0; i < int(Batch::TowerWall); ++i) {
        const bool wall = i < int(Batch::Roof0);
        b.vertices[size_t(i)].reserve(boxesIn[size_t(i)] * (wall ? 10 : 4));
        b.indices[size_t(i)].reserve(boxesIn[size_t(i)] * (wall ? 24 : 6));
    }
    const size_t towers = geometry.towers.size();
    b.vertices[int(Batch::TowerWall)].reserve(towers * 18);
    b.indices[int(Batch::TowerWall)].reserve(towers * 48);
    b.vertices[int(Batch::TowerRoof)].reserve(towers * 18);
    b.indices[int(Batch::TowerRoof)].reserve(towers * 24);
    for (int i = 0; i < kBatchCount; ++i) {
        AdviseLargePages(b.vertices[size_t(i)].data(),
                         b.vertices[size_t(i)].capacity() * sizeof(CityVertex));
        AdviseLargePages(b.indices[size_t(i)].data(),
                         b.indices[size_t(i)].capacity() * sizeof(uint32_t));
    }

    b.boxSpans.resize(geometry.boxes.size());
    for (const int32_t i : b.boxOrder) {
        const BoxBuilding& box = geometry.boxes[size_t(i)];
        const int32_t tile = boxTiles[size_t(i)];
        const auto wall = static_cast<Batch>(static_cast<int32_t>(box.wallTexture));
        const auto roof = static_cast<Batch>(static_cast<int32_t>(Batch::Roof0) + i % 3);
        b.boxSpans[size_t(i)] = {AppendStrip(b, wall, box.vertices.data(), 10, tile),
                                 AppendStrip(b, roof, box.vertices.data() + 10, 4, tile)};
    }
    b.towerSpans.resize(geometry.towers.size());
    for (const int32_t i : b.towerOrder) {
        const TowerBuilding& tower = geometry.towers[size_t(i)];
        const int32_t tile = towerTiles[size_t(i)];
        b.towerSpans[size_t(i)] = {
            AppendStrip(b, Batch::TowerWall, tower.vertices.data(), 18, tile),
            AppendStrip(b, Batch::TowerRoof, tower.vertices.data() + 18, 18, tile)};
    }
    return b;
}

std::array<DrawRuns, kBatchCount> CollectRuns(const CityBatches& batches,
                                              const std::vector<bool>& boxVisible,
                                              const std::vector<bool>& towerVisible,
                                              int32_t skipBox, int32_t skipTower)
{
    std::array<DrawRuns, kBatchCount> runs;
    std::array<int32_t, kBatchCount> lastTile{};
    auto collect = [&](const std::vector<std::array<BatchSpan, 2>>& spans,
                       const std::vector<int32_t>& order, const std::vector<bool>& visible,
                       int32_t skip) {
        for (const int32_t i : order) {
            if (i == skip || size_t(i) >= spans.size()) continue;
            if (!visible.empty() && (size_t(i) >= visible.size() || !visible[size_t(i)])) continue;
            for (const BatchSpan& span : spans[size_t(i)])
                AddRun(runs[int(span.batch)], lastTile[int(span.batch)], span);
        }
    };
    collect(batches.boxSpans, batches.boxOrder, boxVisible, skipBox);
    collect(batches.towerSpans, batches.towerOrder, towerVisible, skipTower);
    return runs;
}

}  // namespace codeburg
