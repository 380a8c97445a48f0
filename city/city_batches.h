#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "city/city_geometry.h"

namespace codeburg {

// The buildings regrouped for drawing: one indexed triangle list per texture
// instead of two strips per building, so a big city costs a handful of draw
// calls. Each strip keeps its own vertices and becomes the triangles it stood
// for, with the strip's winding undone, so the picture does not change;
// triangles of no area (the tower roofs have one in two) are left out, as they
// cover no pixel.
enum class Batch : int32_t {
    WallLow = 0,
    WallMedium,
    WallTall,
    WallDefault,  // box walls by wall texture
    Roof0,
    Roof1,
    Roof2,  // box roofs by index mod 3
    TowerWall,
    TowerRoof,  // tower walls; untextured cones
};
constexpr int32_t kBatchCount = 9;

// Buildings are stored tile by tile, a tile being this many cells square, so
// that what lies outside the view can be skipped a tile at a time.
constexpr int32_t kTileCells = 32;

// An axis-aligned box around some vertices, for skipping what is off screen.
struct Bounds {
    float min[3] = {1e30f, 1e30f, 1e30f};
    float max[3] = {-1e30f, -1e30f, -1e30f};

    void Add(const Bounds& other);
};

struct BatchSpan {
    Batch batch = Batch::WallDefault;
    int32_t first = 0;  // first index within the batch's index list
    int32_t count = 0;  // indices
    int32_t tile = 0;   // row-major tile of the building's anchor
    Bounds bounds;
};

struct CityBatches {
    std::array<std::vector<CityVertex>, kBatchCount> vertices;
    std::array<std::vector<uint32_t>, kBatchCount> indices;  // into the batch's vertices
    std::vector<std::array<BatchSpan, 2>> boxSpans;          // walls, roof of each box
    std::vector<std::array<BatchSpan, 2>> towerSpans;        // walls, roof of each tower
    std::vector<int32_t> boxOrder, towerOrder;               // building indices in storage order
};

CityBatches BuildBatches(const CityGeometry& geometry);

// Runs of consecutive visible buildings of one tile within one batch, ready
// for a multi-draw call; "skip" (an index into boxes or towers, or -1) is left
// out. Firsts and counts are in indices.
struct DrawRuns {
    std::vector<int32_t> firsts;
    std::vector<int32_t> counts;
    std::vector<Bounds> bounds;
};
// visible[i] tells whether building i passes the filter; empty means all do.
std::array<DrawRuns, kBatchCount> CollectRuns(const CityBatches& batches,
                                              const std::vector<bool>& boxVisible,
                                              const std::vector<bool>& towerVisible,
                                              int32_t skipBox, int32_t skipTower);

}  // namespace codeburg
